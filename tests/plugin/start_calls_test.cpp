// The additions are the player's choice: with the log's key absent (or not
// "1") the load and the start call nothing the plugin did before them (no
// version resource is read, no file but the two INI files and their
// temporary files is opened). With it on, the same count shows the version
// read, so the count can fail.
#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "../config/temp_working_directory.h"
#include "hostsim/boot.h"
#include "hostsim/loader.h"
#include "support/simulated_game.h"
#include "win32_controls.h"

namespace {

struct StartCase {
    const char* name;
    const char* settings;  // the settings file's bytes; nullptr: no file
    bool logWanted;
};

const StartCase kStartCases[] = {
    {"NoSettingsFile", nullptr, false},
    {"SettingsWithoutTheKey", "[General]\r\niTextInputMenuHotkey=0x51\r\n", false},
    {"KeyZero", "[General]\r\nbWriteLogFile=0\r\n", false},
    {"KeyYes", "[General]\r\nbWriteLogFile=yes\r\n", false},
    {"KeyOne", "[General]\r\nbWriteLogFile=1\r\n", true},
};

// Whether every path names one of the two INI files or the temporary file
// that replaces it.
bool onlyTheIniFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const bool iniFile =
            path.ends_with("\\LumoraSearchEngine.ini") || path.ends_with("\\LumoraSearchEngineLang.ini") ||
            path.ends_with("\\LumoraSearchEngine.tmp") || path.ends_with("\\LumoraSearchEngineLang.tmp");
        if (!iniFile) return false;
    }
    return true;
}

class StartCalls : public TempWorkingDirectory, public ::testing::WithParamInterface<StartCase> {
protected:
    void SetUp() override {
        TempWorkingDirectory::SetUp();
        createPluginFolder();
        hostsim::bootGame();
        win32layer::takeOpenedFilePaths();
        win32layer::recordOpenedFilePaths(true);
    }
    void TearDown() override {
        win32layer::recordOpenedFilePaths(false);
        TempWorkingDirectory::TearDown();
    }
};

TEST_P(StartCalls, VersionResourceIsReadOnlyWhenTheLogIsWanted) {
    const StartCase& start = GetParam();
    if (start.settings != nullptr) writeBytes(pluginFolder() / "LumoraSearchEngine.ini", start.settings);
    const std::size_t versionCallsBefore = win32layer::versionFunctionCalls();

    const auto outcome = hostsim::loadPlugin(lumora_test::pluginDescriptorExport(), lumora_test::pluginLoadExport());
    ASSERT_TRUE(outcome.loadReturned);
    // Nothing is decided before the data-loaded message: the load itself
    // never reads the version resource, whatever the key says.
    EXPECT_EQ(win32layer::versionFunctionCalls(), versionCallsBefore);
    hostsim::sendLoaderMessage(2);

    if (start.logWanted) {
        EXPECT_GT(win32layer::versionFunctionCalls(), versionCallsBefore);
    } else {
        EXPECT_EQ(win32layer::versionFunctionCalls(), versionCallsBefore);
        const std::vector<std::string> opened = win32layer::takeOpenedFilePaths();
        EXPECT_TRUE(onlyTheIniFiles(opened)) << ::testing::PrintToString(opened);
        EXPECT_FALSE(std::filesystem::exists(pluginFolder() / "LumoraSearchEngine.log"));
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, StartCalls, ::testing::ValuesIn(kStartCases),
                         [](const ::testing::TestParamInfo<StartCase>& info) { return info.param.name; });

}  // namespace
