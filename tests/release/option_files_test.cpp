// The settings and language files the installer's options place: their bytes
// as the game's profile functions and the players' editors meet them, and the
// plugin reading each one back unchanged.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "../../tools/profile_probe/plugin_profile_functions.h"
#include "config/load_configuration.h"
#include "config/settings.h"
#include "config/temp_working_directory.h"
#include "config/ui_texts.h"
#include "release_archive.h"

using namespace release_test;

namespace {

// Every key of the language file the plugin reads: the eight it writes back
// and the texts of the additions, which it reads but never writes.
const std::vector<std::string> kLanguageKeysThePluginReads = {
    "sSearch",
    "sSearchResults",
    "sSearchResultsLocations",
    "sSearchResultsPlanets",
    "sTextInputMenuHeader",
    "sTextInputMenuDefaultText",
    "sFoundMatches",
    "sNoMatchesFound",
    "sSuggestionsHeading",
    "sNextPageHint",
    "sRecentDestinationsHeading",
};

const char* const kLanguageCodes[] = {"en", "de", "fr", "es", "it", "pl", "pt-BR", "ja", "zh-CN"};

// The game's message box has room for 11 title bytes.
constexpr std::size_t kTitleRoom = 11;

std::string languageFile(const std::string& code) {
    return "options/languages/" + code + "/LumoraSearchEngineLang.ini";
}

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool validUtf8(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
        if (length == 0 || i + length > bytes.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        const auto second = static_cast<unsigned char>(bytes[i + 1 < bytes.size() ? i + 1 : i]);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
            (lead == 0xF4 && second > 0x8F))
            return false;
        i += length;
    }
    return true;
}

// Each key's text as the plugin shows it.
std::map<std::string, std::string> entriesOf(const IniContents& contents) {
    std::map<std::string, std::string> entries;
    for (const auto& [key, value] : contents.entries) entries[key] = shownValue(value);
    return entries;
}

TEST(LanguageFiles, EachIsUtf8WithoutMarkInOneGeneralSectionWithCrLfLineEnds) {
    for (const char* code : kLanguageCodes) {
        SCOPED_TRACE(code);
        const auto bytes = readFileBytes(archiveRoot() / languageFile(code));
        ASSERT_TRUE(bytes);
        EXPECT_FALSE(bytes->starts_with("\xEF\xBB\xBF"));
        EXPECT_TRUE(validUtf8(*bytes));
        EXPECT_TRUE(bytes->ends_with("\r\n"));
        for (std::size_t at = bytes->find('\n'); at != std::string::npos; at = bytes->find('\n', at + 1))
            EXPECT_TRUE(at > 0 && (*bytes)[at - 1] == '\r') << "bare LF at byte " << at;
        const IniContents contents = readIniLines(*bytes);
        EXPECT_EQ(contents.sections, std::vector<std::string>{"General"});
        EXPECT_TRUE(contents.strayLines.empty());
        EXPECT_TRUE(bytes->starts_with("[General]\r\n"));
    }
}

TEST(LanguageFiles, EachHoldsExactlyTheKeysThePluginReadsWithTextsItCanShow) {
    for (const char* code : kLanguageCodes) {
        SCOPED_TRACE(code);
        const IniContents contents = readIniLines(readFileBytes(archiveRoot() / languageFile(code)).value_or(""));
        std::vector<std::string> keys;
        for (const auto& [key, value] : contents.entries) keys.push_back(key);
        EXPECT_EQ(keys, kLanguageKeysThePluginReads);
        for (const auto& [key, value] : contents.entries) {
            // Blanks at the ends are dropped, quotes around a value too: a
            // value is quoted exactly when its text needs a blank at an end.
            const std::string text = shownValue(value);
            EXPECT_FALSE(text.empty()) << key;
            if (text.empty()) continue;
            EXPECT_TRUE(value.front() != ' ' && value.back() != ' ') << key;
            EXPECT_EQ(value != text, text.front() == ' ' || text.back() == ' ') << key;
        }
        const auto entries = entriesOf(contents);
        const std::string& count = entries.count("sFoundMatches") ? entries.at("sFoundMatches") : "";
        // Only the first '%' becomes the number; a second would show as it is.
        EXPECT_EQ(std::count(count.begin(), count.end(), '%'), 1) << count;
        const std::string& title = entries.count("sSearchResults") ? entries.at("sSearchResults") : "";
        for (unsigned char c : title) EXPECT_LT(c, 0x80) << title << " shows a # in the title";
        // English keeps the plugin's own title, which the game has always cut to "Search".
        EXPECT_LE(title.size(), std::string(code) == "en" ? 14u : kTitleRoom) << title << " is cut in the title";
    }
}

// Everything in the language folders is a language the installer offers.
TEST(LanguageFiles, TheArchiveHoldsNoOtherLanguage) {
    std::vector<std::string> folders;
    for (const auto& entry : std::filesystem::directory_iterator(archiveRoot() / "options/languages"))
        folders.push_back(entry.path().filename().string());
    std::sort(folders.begin(), folders.end());
    std::vector<std::string> expected(std::begin(kLanguageCodes), std::end(kLanguageCodes));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folders, expected);
}

// The same check runs under Wine on code pages 1252, 932 and 936
// (wine.release.language_files_read_through.*).
TEST(LanguageFiles, ThePluginReadsEveryValueAsTheFileHoldsIt) {
    for (const char* code : kLanguageCodes)
        EXPECT_EQ(profile_probe::readThroughMismatches((archiveRoot() / languageFile(code)).string(),
                                                       profile_probe::pluginProfileFunctions()),
                  "")
            << code;
}

struct SettingsRow {
    const char* file;
    std::vector<std::pair<std::string, std::string>> entries;
};

const SettingsRow kSettingsFiles[] = {
    {"options/setup/recommended/LumoraSearchEngine.ini",
     {{"iTextInputMenuHotkey", "0x51"},
      {"bSkipNonStarMapVisibleMapMarkers", "1"},
      {"bSuggestSimilarNames", "1"},
      {"bFoldAccentedLetters", "1"},
      {"bRememberLastSearch", "1"},
      {"bPageResultsWithHotkey", "1"},
      {"bRecentDestinations", "1"},
      {"bWriteLogFile", "1"}}},
    {"options/setup/classic/LumoraSearchEngine.ini",
     {{"iTextInputMenuHotkey", "0x51"}, {"bSkipNonStarMapVisibleMapMarkers", "1"}}},
};

TEST(SettingsFiles, RecommendedTurnsOnEveryAdditionAndClassicHoldsTheTwoKeysAtTheirDefaults) {
    for (const SettingsRow& row : kSettingsFiles) {
        SCOPED_TRACE(row.file);
        const auto bytes = readFileBytes(archiveRoot() / row.file);
        ASSERT_TRUE(bytes);
        const IniContents contents = readIniLines(*bytes);
        EXPECT_EQ(contents.sections, std::vector<std::string>{"General"});
        EXPECT_TRUE(contents.strayLines.empty());
        EXPECT_EQ(contents.entries, row.entries);
        EXPECT_TRUE(bytes->starts_with("[General]\r\n"));
    }
}

// The guide shows the Recommended file as it ships, and the plugin's new
// files as it writes them.
TEST(SettingsFiles, TheGuideShowsTheRecommendedFileAsItShips) {
    auto withoutCr = [](std::string text) {
        std::erase(text, '\r');
        return text;
    };
    const std::string guide =
        withoutCr(readFileBytes(archiveRoot() / "Data/Obrix/Plugins/LumoraSearchEngine_Readme.txt").value_or(""));
    const std::string recommended = withoutCr(readFileBytes(archiveRoot() / kSettingsFiles[0].file).value_or(""));
    ASSERT_FALSE(recommended.empty());
    EXPECT_NE(guide.find("```ini\n" + recommended + "```\n"), std::string::npos);
}

// The plugin in a game folder holding an option's file: it takes every text
// and setting as the file says, and writes nothing back into it.
class OptionFilesRead : public TempWorkingDirectory {
protected:
    void SetUp() override {
        TempWorkingDirectory::SetUp();
        createPluginFolder();
    }
    std::string install(const std::string& source, const char* name) {
        const std::string bytes = readFileBytes(archiveRoot() / source).value_or("");
        writeBytes(pluginFolder() / name, bytes);
        return bytes;
    }
};

const std::map<std::string, std::string lumora::UiTextsRecord::*> kTextFields = {
    {"sSearch", &lumora::UiTextsRecord::search},
    {"sSearchResults", &lumora::UiTextsRecord::searchResults},
    {"sSearchResultsLocations", &lumora::UiTextsRecord::searchResultsLocations},
    {"sSearchResultsPlanets", &lumora::UiTextsRecord::searchResultsPlanets},
    {"sTextInputMenuHeader", &lumora::UiTextsRecord::textInputMenuHeader},
    {"sTextInputMenuDefaultText", &lumora::UiTextsRecord::textInputMenuDefaultText},
    {"sFoundMatches", &lumora::UiTextsRecord::foundMatches},
    {"sNoMatchesFound", &lumora::UiTextsRecord::noMatchesFound},
    {"sSuggestionsHeading", &lumora::UiTextsRecord::suggestionsHeading},
    {"sNextPageHint", &lumora::UiTextsRecord::nextPageHint},
    {"sRecentDestinationsHeading", &lumora::UiTextsRecord::recentDestinationsHeading},
};

TEST_F(OptionFilesRead, ThePluginShowsEachTranslationByteForByteAndLeavesTheFileAsInstalled) {
    for (const char* code : kLanguageCodes) {
        SCOPED_TRACE(code);
        const std::string installed = install(languageFile(code), "LumoraSearchEngineLang.ini");
        lumora::loadConfiguration();
        const auto entries = entriesOf(readIniLines(installed));
        for (const auto& [key, field] : kTextFields) EXPECT_EQ(lumora::UiTexts.*field, entries.at(key)) << key;
        EXPECT_EQ(readBytes(pluginFolder() / "LumoraSearchEngineLang.ini"), installed);
    }
}

TEST_F(OptionFilesRead, ThePluginTakesEachSetupsSettingsAndLeavesTheFileAsInstalled) {
    struct Row {
        const char* file;
        bool additionsOn;
    };
    for (const Row row : {Row{kSettingsFiles[0].file, true}, Row{kSettingsFiles[1].file, false}}) {
        SCOPED_TRACE(row.file);
        const std::string installed = install(row.file, "LumoraSearchEngine.ini");
        lumora::loadConfiguration();
        EXPECT_EQ(lumora::Settings.textInputMenuHotkey, 0x51u);
        EXPECT_TRUE(lumora::Settings.skipNonStarMapVisibleMapMarkers);
        EXPECT_EQ(lumora::Settings.suggestSimilarNames, row.additionsOn);
        EXPECT_EQ(lumora::Settings.foldAccentedLetters, row.additionsOn);
        EXPECT_EQ(lumora::Settings.rememberLastSearch, row.additionsOn);
        EXPECT_EQ(lumora::Settings.pageResultsWithHotkey, row.additionsOn);
        EXPECT_EQ(lumora::Settings.recentDestinations, row.additionsOn);
        EXPECT_EQ(lumora::Settings.writeLogFile, row.additionsOn);
        EXPECT_EQ(readBytes(pluginFolder() / "LumoraSearchEngine.ini"), installed);
    }
}

}  // namespace
