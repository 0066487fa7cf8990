// Nothing left for a mod manager's virtual folder to shadow: after the
// installer, whatever the player chose on its two pages, the game's first
// start writes no file beside the installed ones. Every option that installs
// a file installs a complete one, so the plugin writes no key back; the two
// Keep options keep what an earlier install left. The one file the plugin
// writes at start is the log, when the settings in effect turn it on.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <tuple>

#include "hostsim/galaxy.h"
#include "release_archive.h"
#include "session.h"

using namespace release_test;

namespace {

struct Choice {
    const char* option;
    const char* id;  // in the test's name
};

const Choice kSetups[] = {{"Recommended", "recommended"}, {"Classic", "classic"}, {"Keep my settings", "keep"}};
const Choice kLanguages[] = {{"English", "en"},
                             {"Deutsch", "de"},
                             {"Français", "fr"},
                             {"Español", "es"},
                             {"Italiano", "it"},
                             {"Polski", "pl"},
                             {"Português (Brasil)", "pt_br"},
                             {"日本語", "ja"},
                             {"简体中文", "zh_cn"},
                             {"Keep my texts", "keep"}};

// What an earlier install left, as the player changed it: complete files.
const std::string kEarlierSettings = "[General]\r\niTextInputMenuHotkey=0x70\r\nbSkipNonStarMapVisibleMapMarkers=0\r\n";
const std::string kEarlierTexts =
    "[General]\r\nsSearch=Find\r\nsSearchResults=Found\r\nsSearchResultsLocations=Places\r\n"
    "sSearchResultsPlanets=Worlds\r\nsTextInputMenuHeader=Where to?\r\nsTextInputMenuDefaultText=A name...\r\n"
    "sFoundMatches=% found.\r\nsNoMatchesFound=Nothing.\r\n";

// Named in test listings by the option, not by its bytes.
void PrintTo(const Choice& choice, std::ostream* out) { *out << choice.id; }

using Combination = std::tuple<Choice, Choice>;

// Every file with its bytes (the guide's only by its size, for a readable failure).
std::map<std::string, std::string> filesBelow(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
        if (!item.is_regular_file()) continue;
        std::string bytes = readFileBytes(item.path()).value_or("");
        if (item.path().extension() == ".txt") bytes = std::to_string(bytes.size()) + " bytes";
        files[std::filesystem::relative(item.path(), folder).generic_string()] = bytes;
    }
    return files;
}

class FirstStart : public ::testing::TestWithParam<Combination> {};

TEST_P(FirstStart, WritesNothingBesideTheInstalledFiles) {
    const auto& [setup, language] = GetParam();
    std::string error;
    const auto plan =
        planInstall(archiveInstaller(), archiveRoot(), {{"Setup", setup.option}, {"Language", language.option}}, error);
    ASSERT_TRUE(plan) << error;
    std::random_device seed;
    std::filesystem::path game;
    do game = std::filesystem::temp_directory_path() / ("lumora_first_start_" + std::to_string(seed()));
    while (!std::filesystem::create_directory(game));
    const std::filesystem::path plugins = game / "Data/Obrix/Plugins";
    std::filesystem::create_directories(plugins);
    std::ofstream(plugins / "LumoraSearchEngine.ini", std::ios::binary) << kEarlierSettings;
    std::ofstream(plugins / "LumoraSearchEngineLang.ini", std::ios::binary) << kEarlierTexts;
    placeFiles(*plan, game);
    const auto installed = filesBelow(game);

    demo::SessionOptions options;
    options.galaxyPath = hostsim::shippedGalaxyDirectory() + "/sample.galaxy";
    options.workdir = game.string();
    {
        demo::Session session(options);
        session.start();
        ASSERT_TRUE(session.started());
        session.runFrames(5);
        EXPECT_TRUE(session.finish().clean());
    }
    auto afterStart = filesBelow(game);
    const auto settings = readIniLines(installed.at("Data/Obrix/Plugins/LumoraSearchEngine.ini")).entries;
    const bool logOn =
        std::count(settings.begin(), settings.end(), std::pair<std::string, std::string>{"bWriteLogFile", "1"});
    if (logOn) afterStart.erase("Data/Obrix/Plugins/LumoraSearchEngine.log");
    EXPECT_EQ(afterStart, installed);
    std::error_code ignored;
    std::filesystem::remove_all(game, ignored);
}

INSTANTIATE_TEST_SUITE_P(EveryCombination, FirstStart,
                         ::testing::Combine(::testing::ValuesIn(kSetups), ::testing::ValuesIn(kLanguages)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).id) + "_settings_" +
                                    std::get<1>(info.param).id + "_texts";
                         });

}  // namespace
