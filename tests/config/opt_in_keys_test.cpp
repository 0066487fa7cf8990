// The additions' keys: read with the others, on only for "1", and never
// written back, so that files without them stay exactly as they were (new
// files are checked byte for byte with the other keys).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/load_configuration.h"
#include "config/settings.h"
#include "config/ui_texts.h"
#include "temp_working_directory.h"

using namespace lumora;

namespace {

class OptInKeys : public TempWorkingDirectory {
protected:
    void SetUp() override {
        TempWorkingDirectory::SetUp();
        createPluginFolder();
    }
    std::filesystem::path settingsFile() const { return pluginFolder() / "LumoraSearchEngine.ini"; }
    std::filesystem::path languageFile() const { return pluginFolder() / "LumoraSearchEngineLang.ini"; }
};

struct OptInRow {
    const char* lines;  // after the two settings every file has
    bool suggest, fold, remember, page;
};

TEST_F(OptInKeys, OnlyTheValueOneTurnsEachKeyOnAndTheFileStaysAsWritten) {
    const OptInRow rows[] = {
        {"", false, false, false, false},
        {"bSuggestSimilarNames=1\r\n", true, false, false, false},
        {"bFoldAccentedLetters=1\r\n", false, true, false, false},
        {"bRememberLastSearch=1\r\n", false, false, true, false},
        {"bPageResultsWithHotkey=1\r\n", false, false, false, true},
        {"bsuggestsimilarnames=1\r\nBFOLDACCENTEDLETTERS=1\r\nbRememberLastSearch=1\r\nbpageresultswithhotkey = 1 \r\n",
         true, true, true, true},
        {"bSuggestSimilarNames=true\r\nbFoldAccentedLetters=0\r\nbRememberLastSearch=\r\nbPageResultsWithHotkey=\r\n",
         false, false, false, false},
        {"bSuggestSimilarNames=01\r\nbFoldAccentedLetters=1 ; on\r\nbRememberLastSearch=yes\r\n"
         "bPageResultsWithHotkey=true\r\n",
         false, false, false, false},
    };
    for (const OptInRow& row : rows) {
        const std::string file =
            std::string("[General]\r\niTextInputMenuHotkey=0x51\r\nbSkipNonStarMapVisibleMapMarkers=1\r\n") + row.lines;
        writeBytes(settingsFile(), file);
        loadConfiguration();
        EXPECT_EQ(Settings.suggestSimilarNames, row.suggest) << row.lines;
        EXPECT_EQ(Settings.foldAccentedLetters, row.fold) << row.lines;
        EXPECT_EQ(Settings.rememberLastSearch, row.remember) << row.lines;
        EXPECT_EQ(Settings.pageResultsWithHotkey, row.page) << row.lines;
        EXPECT_EQ(readBytes(settingsFile()), file) << row.lines;
    }
}

struct TextRow {
    const char* line;
    const char* heading;
    const char* hint;
};

TEST_F(OptInKeys, AdditionsTextsAreReadButTheirDefaultsAreNeverWritten) {
    const TextRow rows[] = {
        {"", "Close names:", "Press the search hotkey for more."},
        {"sSuggestionsHeading=\r\nsNextPageHint=\r\n", "Close names:", "Press the search hotkey for more."},
        {"sSuggestionsHeading=Meinten Sie:\r\nsNextPageHint=Q: weiter\r\n", "Meinten Sie:", "Q: weiter"},
        {"SSUGGESTIONSHEADING=Aehnlich\r\n", "Aehnlich", "Press the search hotkey for more."},
    };
    for (const TextRow& row : rows) {
        const std::string file = std::string("[General]\r\nsSearch=Suche\r\n") + row.line;
        writeBytes(languageFile(), file);
        loadConfiguration();
        EXPECT_EQ(UiTexts.suggestionsHeading, row.heading) << row.line;
        EXPECT_EQ(UiTexts.nextPageHint, row.hint) << row.line;
        // The eight keys of every language file are written back; these two are not.
        const std::string written = *readBytes(languageFile());
        EXPECT_EQ(written.substr(0, file.size()), file) << row.line;
        for (const char* key : {"sSuggestionsHeading", "sNextPageHint"})
            EXPECT_EQ(written.find(key, file.size()), std::string::npos) << row.line << key;
    }
}

}  // namespace
