#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/load_configuration.h"
#include "config/settings.h"
#include "config/ui_texts.h"
#include "temp_working_directory.h"

using namespace lumora;

namespace {

const std::string kFreshSettings =
    "[General]\r\n"
    "iTextInputMenuHotkey=0x51\r\n"
    "bSkipNonStarMapVisibleMapMarkers=1\r\n";

const std::string kFreshLanguage =
    "[General]\r\n"
    "sSearch=Search\r\n"
    "sSearchResults=Search results\r\n"
    "sSearchResultsLocations=Locations\r\n"
    "sSearchResultsPlanets=Planets\r\n"
    "sTextInputMenuHeader=Lumora Search Engine\r\n"
    "sTextInputMenuDefaultText=Enter a location or planet name...\r\n"
    "sFoundMatches=Found % matches.\r\n"
    "sNoMatchesFound=No matches.\r\n";

class LoadConfiguration : public TempWorkingDirectory {
protected:
    std::filesystem::path settingsFile() const { return pluginFolder() / "LumoraSearchEngine.ini"; }
    std::filesystem::path languageFile() const { return pluginFolder() / "LumoraSearchEngineLang.ini"; }

    void expectDefaultTexts() const {
        EXPECT_EQ(UiTexts.search, "Search");
        EXPECT_EQ(UiTexts.excludedLabel, "excl.");
        EXPECT_EQ(UiTexts.searchResults, "Search results");
        EXPECT_EQ(UiTexts.searchResultsLocations, "Locations");
        EXPECT_EQ(UiTexts.searchResultsPlanets, "Planets");
        EXPECT_EQ(UiTexts.textInputMenuHeader, "Lumora Search Engine");
        EXPECT_EQ(UiTexts.textInputMenuDefaultText, "Enter a location or planet name...");
        EXPECT_EQ(UiTexts.foundMatches, "Found % matches.");
        EXPECT_EQ(UiTexts.noMatchesFound, "No matches.");
    }
};

TEST(StaticDefaults, SettingsAndTextsHoldDefaultsBeforeAnyLoad) {
    EXPECT_EQ(Settings.textInputMenuHotkey, 0x51u);
    EXPECT_TRUE(Settings.skipNonStarMapVisibleMapMarkers);
    EXPECT_EQ(UiTexts.foundMatches, "Found % matches.");
    EXPECT_EQ(UiTexts.excludedLabel, "excl.");
    EXPECT_EQ(UiTexts.textInputMenuDefaultText, "Enter a location or planet name...");
}

TEST_F(LoadConfiguration, NoFilesWritesBothFilesWithDefaultsExactly) {
    createPluginFolder();
    loadConfiguration();
    EXPECT_EQ(readBytes(settingsFile()), kFreshSettings);
    EXPECT_EQ(readBytes(languageFile()), kFreshLanguage);
    EXPECT_EQ(Settings.textInputMenuHotkey, 0x51u);
    EXPECT_TRUE(Settings.skipNonStarMapVisibleMapMarkers);
    expectDefaultTexts();
}

TEST_F(LoadConfiguration, MissingPluginFolderGivesDefaultsAndWritesNothing) {
    loadConfiguration();
    EXPECT_FALSE(std::filesystem::exists(dir() / "Data"));
    EXPECT_TRUE(std::filesystem::is_empty(dir()));
    EXPECT_EQ(Settings.textInputMenuHotkey, 0x51u);
    EXPECT_TRUE(Settings.skipNonStarMapVisibleMapMarkers);
    expectDefaultTexts();
}

TEST_F(LoadConfiguration, EveryRunStartsFromTheDefaults) {
    createPluginFolder();
    writeBytes(settingsFile(), "[General]\r\niTextInputMenuHotkey=70\r\nbSkipNonStarMapVisibleMapMarkers=0\r\n");
    writeBytes(languageFile(), "[General]\r\nsSearch=Suche\r\n");
    loadConfiguration();
    ASSERT_EQ(Settings.textInputMenuHotkey, 0x70u);
    ASSERT_FALSE(Settings.skipNonStarMapVisibleMapMarkers);
    ASSERT_EQ(UiTexts.search, "Suche");

    std::filesystem::remove_all(dir() / "Data");
    loadConfiguration();
    EXPECT_EQ(Settings.textInputMenuHotkey, 0x51u);
    EXPECT_TRUE(Settings.skipNonStarMapVisibleMapMarkers);
    expectDefaultTexts();
}

struct HotkeyFileCase {
    const char* value;
    std::uint32_t hotkey;
};

class HotkeyValueInFile : public LoadConfiguration, public ::testing::WithParamInterface<HotkeyFileCase> {};

TEST_P(HotkeyValueInFile, GivesHotkeyAndLeavesFileUnchanged) {
    createPluginFolder();
    const std::string original = std::string("[General]\r\niTextInputMenuHotkey=") + GetParam().value +
                                 "\r\nbSkipNonStarMapVisibleMapMarkers=1\r\n";
    writeBytes(settingsFile(), original);
    loadConfiguration();
    EXPECT_EQ(Settings.textInputMenuHotkey, GetParam().hotkey);
    EXPECT_EQ(readBytes(settingsFile()), original);
}

INSTANTIATE_TEST_SUITE_P(Values, HotkeyValueInFile,
                         ::testing::Values(HotkeyFileCase{"Q", 0x51}, HotkeyFileCase{"0x70 ; F1", 0x70},
                                           HotkeyFileCase{"123456789", 0x51}, HotkeyFileCase{"1B", 0x1B},
                                           HotkeyFileCase{"0X51", 0x51}, HotkeyFileCase{"81", 0x81},
                                           HotkeyFileCase{"FFFFFFFF", 0xFFFFFFFF}, HotkeyFileCase{"100000000", 0x51},
                                           HotkeyFileCase{"  \"70\"", 0x70}));

struct FlagFileCase {
    const char* value;
    bool skip;
};

class FlagValueInFile : public LoadConfiguration, public ::testing::WithParamInterface<FlagFileCase> {};

TEST_P(FlagValueInFile, IsTrueOnlyForOneAndLeavesFileUnchanged) {
    createPluginFolder();
    const std::string original = std::string(
                                     "[General]\r\niTextInputMenuHotkey=0x51\r\n"
                                     "bSkipNonStarMapVisibleMapMarkers=") +
                                 GetParam().value + "\r\n";
    writeBytes(settingsFile(), original);
    loadConfiguration();
    EXPECT_EQ(Settings.skipNonStarMapVisibleMapMarkers, GetParam().skip);
    EXPECT_EQ(readBytes(settingsFile()), original);
}

INSTANTIATE_TEST_SUITE_P(Values, FlagValueInFile,
                         ::testing::Values(FlagFileCase{"1", true}, FlagFileCase{"0", false},
                                           FlagFileCase{"true", false}, FlagFileCase{"yes", false},
                                           FlagFileCase{"11", false}, FlagFileCase{"1 ; on", false},
                                           FlagFileCase{"01", false}));

TEST_F(LoadConfiguration, EmptyHotkeyIsRewrittenInPlaceAsDefault) {
    createPluginFolder();
    writeBytes(settingsFile(), "[General]\r\niTextInputMenuHotkey=\r\nbSkipNonStarMapVisibleMapMarkers=0\r\n");
    loadConfiguration();
    EXPECT_EQ(Settings.textInputMenuHotkey, 0x51u);
    EXPECT_FALSE(Settings.skipNonStarMapVisibleMapMarkers);
    EXPECT_EQ(readBytes(settingsFile()),
              "[General]\r\niTextInputMenuHotkey=0x51\r\nbSkipNonStarMapVisibleMapMarkers=0\r\n");
}

TEST_F(LoadConfiguration, MissingFlagKeyIsTheOnlyLineAdded) {
    createPluginFolder();
    writeBytes(settingsFile(), "[General]\r\niTextInputMenuHotkey = 1B \r\n");
    loadConfiguration();
    EXPECT_EQ(Settings.textInputMenuHotkey, 0x1Bu);
    EXPECT_TRUE(Settings.skipNonStarMapVisibleMapMarkers);
    EXPECT_EQ(readBytes(settingsFile()),
              "[General]\r\niTextInputMenuHotkey = 1B \r\nbSkipNonStarMapVisibleMapMarkers=1\r\n");
}

TEST_F(LoadConfiguration, PlayersFileKeepsEveryOtherLineWhenKeyIsAdded) {
    createPluginFolder();
    const std::string before =
        "; Lumora Search Engine settings\r\n"
        "\r\n"
        "[Other Mod]\r\n"
        "iTextInputMenuHotkey=0x20\r\n"
        "\r\n"
        "[general]\r\n"
        "; F1 opens the search\r\n"
        "iTextInputMenuHotkey=0x70\r\n"
        "\r\n"
        "; keep this\r\n"
        "[Last]\n"
        "x = 1\n";
    writeBytes(settingsFile(), before);
    loadConfiguration();
    EXPECT_EQ(Settings.textInputMenuHotkey, 0x70u);
    EXPECT_TRUE(Settings.skipNonStarMapVisibleMapMarkers);
    // A comment line belongs to the section it stands in, so the new key
    // goes behind the comment in front of [Last].
    EXPECT_EQ(readBytes(settingsFile()),
              "; Lumora Search Engine settings\r\n"
              "\r\n"
              "[Other Mod]\r\n"
              "iTextInputMenuHotkey=0x20\r\n"
              "\r\n"
              "[general]\r\n"
              "; F1 opens the search\r\n"
              "iTextInputMenuHotkey=0x70\r\n"
              "\r\n"
              "; keep this\r\n"
              "bSkipNonStarMapVisibleMapMarkers=1\r\n"
              "[Last]\n"
              "x = 1\n");
}

TEST_F(LoadConfiguration, SettingsFileThatCannotBeTestedIsTreatedAsAbsent) {
    createPluginFolder();
    std::filesystem::create_symlink("LumoraSearchEngine.ini", settingsFile());
    loadConfiguration();
    EXPECT_EQ(Settings.textInputMenuHotkey, 0x51u);
    EXPECT_TRUE(Settings.skipNonStarMapVisibleMapMarkers);
    EXPECT_TRUE(std::filesystem::is_symlink(settingsFile()));
    EXPECT_EQ(readBytes(languageFile()), kFreshLanguage);  // the language step still runs
}

TEST_F(LoadConfiguration, LanguageFileValuesReplaceTextsAndMissingKeysAreAddedInOrder) {
    createPluginFolder();
    writeBytes(languageFile(),
               "[General]\r\n"
               "sTextInputMenuHeader=Lumora Suchmaschine\r\n"
               "sFoundMatches=Found matches.\r\n"
               "sSearchResults=R\xE9sultats\r\n"
               "sNoMatchesFound=\r\n"
               "sExcludedLabel=ohne\r\n"
               "excl.=ohne\r\n");
    loadConfiguration();
    EXPECT_EQ(UiTexts.textInputMenuHeader, "Lumora Suchmaschine");
    EXPECT_EQ(UiTexts.foundMatches, "Found matches.");
    EXPECT_EQ(UiTexts.searchResults, "R\xE9sultats");
    EXPECT_EQ(UiTexts.noMatchesFound, "No matches.");
    EXPECT_EQ(UiTexts.excludedLabel, "excl.");
    EXPECT_EQ(UiTexts.search, "Search");
    EXPECT_EQ(readBytes(languageFile()),
              "[General]\r\n"
              "sTextInputMenuHeader=Lumora Suchmaschine\r\n"
              "sFoundMatches=Found matches.\r\n"
              "sSearchResults=R\xE9sultats\r\n"
              "sNoMatchesFound=No matches.\r\n"
              "sExcludedLabel=ohne\r\n"
              "excl.=ohne\r\n"
              "sSearch=Search\r\n"
              "sSearchResultsLocations=Locations\r\n"
              "sSearchResultsPlanets=Planets\r\n"
              "sTextInputMenuDefaultText=Enter a location or planet name...\r\n");
}

TEST_F(LoadConfiguration, EmptyFoundMatchesTemplateIsReplacedByDefault) {
    createPluginFolder();
    std::string withEmpty = kFreshLanguage;
    withEmpty.replace(withEmpty.find("Found % matches."), 16, "");
    writeBytes(languageFile(), withEmpty);
    loadConfiguration();
    EXPECT_EQ(UiTexts.foundMatches, "Found % matches.");
    EXPECT_EQ(readBytes(languageFile()), kFreshLanguage);
}

TEST_F(LoadConfiguration, LanguageFileAloneStillGetsSettingsFileCreated) {
    createPluginFolder();
    writeBytes(languageFile(), "[General]\r\nsSearch=Suche\r\n");
    loadConfiguration();
    EXPECT_EQ(readBytes(settingsFile()), kFreshSettings);
    EXPECT_EQ(UiTexts.search, "Suche");
}

}  // namespace
