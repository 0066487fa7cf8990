// With bWriteLogFile=1 a load that ends in an error box has its log on the
// disk when the box shows: the key is read from the settings file there and
// then, and the lines of the load come first. For "cannot create trampoline"
// the box is the process's last moment.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../config/temp_working_directory.h"
#include "hostsim/boot.h"
#include "hostsim/loader.h"
#include "hostsim/site_code.h"
#include "support/simulated_game.h"
#include "win32_controls.h"

namespace {

struct RefusedLoad {
    const char* name;
    void (*refuse)();
    const char* box;
    const char* lastSiteLine;  // "": the load stopped before the sites were read
};

const RefusedLoad kRefusedLoads[] = {
    {"NoModuleHandle", [] { win32layer::failModuleHandle(true); },
     "Installation error: Halcyra.exe handle couldn't be acquired", ""},
    {"UnknownCodeAtASite", [] { hostsim::placeSiteCode(hostsim::CallSite::Prompt, hostsim::SiteCode::Garbage); },
     "Installation error: unexpected game code at a hook site", "refused: no call instruction"},
};

class LoadErrorLog : public TempWorkingDirectory, public ::testing::WithParamInterface<RefusedLoad> {
protected:
    void SetUp() override {
        TempWorkingDirectory::SetUp();
        createPluginFolder();
        writeBytes(pluginFolder() / "LumoraSearchEngine.ini", "[General]\r\nbWriteLogFile=1\r\n");
        hostsim::bootGame();
    }
    void TearDown() override {
        win32layer::failModuleHandle(false);
        win32layer::setMessageBoxHandler({});
        TempWorkingDirectory::TearDown();
    }
    std::string logOnDisk() const {
        return readBytes(pluginFolder() / "LumoraSearchEngine.log").value_or("<no log file>");
    }
};

TEST_P(LoadErrorLog, LinesOfTheLoadAndTheBoxAreOnDiskWhenTheBoxShows) {
    const RefusedLoad& load = GetParam();
    load.refuse();
    std::string atTheBox;
    win32layer::setMessageBoxHandler([this, &atTheBox](const win32layer::MessageBoxRecord&) {
        atTheBox = logOnDisk();
        return IDOK;
    });
    hostsim::loadPlugin(lumora_test::pluginDescriptorExport(), lumora_test::pluginLoadExport());
    ASSERT_EQ(win32layer::shownMessageBoxes().size(), 1u);
    EXPECT_NE(atTheBox.find("Lumora Search Engine 3.1.0.0 for game runtime"), std::string::npos) << atTheBox;
    EXPECT_NE(atTheBox.find(load.lastSiteLine), std::string::npos) << atTheBox;
    EXPECT_NE(atTheBox.find("error box: \"" + std::string(load.box) + "\"\r\n"), std::string::npos) << atTheBox;
    // Nothing comes after the box: the load wrote everything before it.
    EXPECT_EQ(logOnDisk(), atTheBox);
}

INSTANTIATE_TEST_SUITE_P(Refusals, LoadErrorLog, ::testing::ValuesIn(kRefusedLoads),
                         [](const ::testing::TestParamInfo<RefusedLoad>& info) { return info.param.name; });

class LoadErrorLogDeathTest : public LoadErrorLog {};

// The box's handler prints what the log file held when the box showed; the
// process then ends with code 0 once the box is answered.
TEST_F(LoadErrorLogDeathTest, NoTrampolineHasItsLogOnDiskBeforeTheBoxEndsTheGame) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            win32layer::setMessageBoxHandler([this](const win32layer::MessageBoxRecord&) {
                std::fprintf(stderr, "log at the box:\n%s", logOnDisk().c_str());
                return IDOK;
            });
            win32layer::failVirtualQuery(ERROR_ACCESS_DENIED);
            hostsim::loadPlugin(lumora_test::pluginDescriptorExport(), lumora_test::pluginLoadExport());
            std::_Exit(3);
        },
        testing::ExitedWithCode(0),
        "log at the box:\n"
        "\\[[0-9.]+\\] Lumora Search Engine 3\\.1\\.0\\.0 for game runtime 1\\.14\\.74\r\n"
        ".*call site capture .*left alone\r\n"
        "\\[[0-9.]+\\] error box: \"cannot create trampoline\"\r\n$");
}

}  // namespace
