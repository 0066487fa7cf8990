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
    bool suggest, fold, remember;
};

TEST_F(OptInKeys, OnlyTheValueOneTurnsEachKeyOnAndTheFileStaysAsWritten) {
    const OptInRow rows[] = {
        {"", false, false, false},
        {"bSuggestSimilarNames=1\r\n", true, false, false},
        {"bFoldAccentedLetters=1\r\n", false, true, false},
        {"bRememberLastSearch=1\r\n", false, false, true},
        {"bsuggestsimilarnames=1\r\nBFOLDACCENTEDLETTERS=1\r\nbRememberLastSearch=1\r\n", true, true, true},
        {"bSuggestSimilarNames=true\r\nbFoldAccentedLetters=0\r\nbRememberLastSearch=\r\n", false, false, false},
        {"bSuggestSimilarNames=01\r\nbFoldAccentedLetters=1 ; on\r\nbRememberLastSearch=yes\r\n", false, false, false},
    };
    for (const OptInRow& row : rows) {
        const std::string file =
            std::string("[General]\r\niTextInputMenuHotkey=0x51\r\nbSkipNonStarMapVisibleMapMarkers=1\r\n") + row.lines;
        writeBytes(settingsFile(), file);
        loadConfiguration();
        EXPECT_EQ(Settings.suggestSimilarNames, row.suggest) << row.lines;
        EXPECT_EQ(Settings.foldAccentedLetters, row.fold) << row.lines;
        EXPECT_EQ(Settings.rememberLastSearch, row.remember) << row.lines;
        EXPECT_EQ(readBytes(settingsFile()), file) << row.lines;
    }
}

struct HeadingRow {
    const char* line;
    const char* heading;
};

TEST_F(OptInKeys, SuggestionsHeadingIsReadButItsDefaultIsNeverWritten) {
    const HeadingRow rows[] = {
        {"", "Close names:"},
        {"sSuggestionsHeading=\r\n", "Close names:"},
        {"sSuggestionsHeading=Meinten Sie:\r\n", "Meinten Sie:"},
        {"SSUGGESTIONSHEADING=Aehnlich\r\n", "Aehnlich"},
    };
    for (const HeadingRow& row : rows) {
        const std::string file = std::string("[General]\r\nsSearch=Suche\r\n") + row.line;
        writeBytes(languageFile(), file);
        loadConfiguration();
        EXPECT_EQ(UiTexts.suggestionsHeading, row.heading) << row.line;
        // The eight keys of every language file are written back; the heading is not.
        const std::string written = *readBytes(languageFile());
        EXPECT_EQ(written.substr(0, file.size()), file) << row.line;
        EXPECT_EQ(written.find("sSuggestionsHeading", file.size()), std::string::npos) << row.line;
    }
}

}  // namespace
