// The plugin's own reading and writing of its profile files: the real
// profile functions' results on code page 1252 (the recording under Wine),
// every value as the file holds it, and a write-back that adds one line and
// leaves every other byte of the file alone.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "../../tools/profile_probe/plugin_profile_functions.h"
#include "config/profile_strings.h"
#include "config/profile_text.h"
#include "temp_working_directory.h"
#include "win32_controls.h"

using namespace lumora;
using namespace std::string_literals;

namespace {

class PluginProfileFile : public TempWorkingDirectory {};

TEST_F(PluginProfileFile, MatchesTheRecordingOfTheRealProfileFunctions) {
    const auto recorded = readBytes(LUMORA_PROFILE_RECORDING);
    ASSERT_TRUE(recorded);
    const std::string measured = profile_probe::runProfileCases(dir(), profile_probe::pluginProfileFunctions());
    std::istringstream measuredLines(measured), recordedLines(*recorded);
    std::string measuredLine, recordedLine;
    for (int line = 1; std::getline(recordedLines, recordedLine); ++line) {
        ASSERT_TRUE(std::getline(measuredLines, measuredLine)) << "ends before line " << line;
        ASSERT_EQ(measuredLine, recordedLine) << "line " << line;
    }
    EXPECT_EQ(measured, *recorded);
}

// A file of each kind a player's editor or another tool leaves, the key
// missing from it, and the file after the plugin wrote the key back.
struct WriteBackRow {
    const char* name;
    std::string before;
    std::string after;
};

const std::string kJapanese =
    "%\xE4\xBB\xB6\xE8\xA6\x8B\xE3\x81\xA4\xE3\x81\x8B\xE3\x82\x8A\xE3\x81\xBE\xE3\x81\x97"
    "\xE3\x81\x9F\xE3\x80\x82";  // %件見つかりました。
const std::string kChinese = "\xE5\x85\xB1\xE6\x89\xBE\xE5\x88\xB0 % \xE4\xB8\xAA\xE7\xBB\x93\xE6\x9E\x9C\xE3\x80\x82";

const WriteBackRow kWriteBackRows[] = {
    {"crlf", "[General]\r\nsFoundMatches=" + kJapanese + "\r\nsSearch=x\r\n",
     "[General]\r\nsFoundMatches=" + kJapanese + "\r\nsSearch=x\r\nsNoMatchesFound=No matches.\r\n"},
    {"lf", "[General]\nsFoundMatches=" + kChinese + "\nsSearch=x\n",
     "[General]\nsFoundMatches=" + kChinese + "\nsSearch=x\nsNoMatchesFound=No matches.\r\n"},
    {"mixed line ends, last without", "[General]\nsSearch=a\r\nsFoundMatches=" + kJapanese,
     "[General]\nsSearch=a\r\nsFoundMatches=" + kJapanese + "\r\nsNoMatchesFound=No matches.\r\n"},
    {"last line ends in a lone cr", "[General]\r\nsSearch=a\r",
     "[General]\r\nsSearch=a\r\nsNoMatchesFound=No matches.\r\n"},
    {"byte-order mark, comments, blank lines and another section",
     "\xEF\xBB\xBF; mine\r\n[general]\r\n;sNoMatchesFound=old\r\nsSearch = \"Recherche \" \r\n\r\n[Other]\r\nx=1\r\n",
     "\xEF\xBB\xBF; mine\r\n[general]\r\n;sNoMatchesFound=old\r\nsSearch = \"Recherche \" \r\n"
     "sNoMatchesFound=No matches.\r\n\r\n[Other]\r\nx=1\r\n"},
    {"empty value set in place", "[General]\r\n  SNOMATCHESFOUND =  \r\nsSearch=x\r\n",
     "[General]\r\nSNOMATCHESFOUND=No matches.\r\nsSearch=x\r\n"},
    {"no section", "; only a comment\n", "; only a comment\n[General]\r\nsNoMatchesFound=No matches.\r\n"},
    {"utf-16", std::string("\xFF\xFE[\0G\0e\0n\0e\0r\0a\0l\0]\0\n\0\x2C\x4E=\0\x2C\x4E", 28),
     std::string("\xFF\xFE[\0G\0e\0n\0e\0r\0a\0l\0]\0\n\0\x2C\x4E=\0\x2C\x4E\r\0\n\0", 32) +
         std::string("s\0N\0o\0M\0a\0t\0c\0h\0e\0s\0F\0o\0u\0n\0d\0=\0N\0o\0 \0m\0a\0t\0c\0h\0e\0s\0.\0\r\0\n\0", 58)},
};

TEST_F(PluginProfileFile, WriteBackAddsTheKeysLineAndKeepsEveryOtherByte) {
    createPluginFolder();
    for (const WriteBackRow& row : kWriteBackRows) {
        SCOPED_TRACE(row.name);
        writeBytes(pluginFolder() / "Lang.ini", row.before);
        EXPECT_TRUE(writeProfileString("Lang", kProfileSection, "sNoMatchesFound", "No matches.", ""));
        EXPECT_EQ(readBytes(pluginFolder() / "Lang.ini"), row.after);
        EXPECT_FALSE(std::filesystem::exists(pluginFolder() / "Lang.tmp"));
    }
}

TEST_F(PluginProfileFile, ValuesComeAsTheFileHoldsThemAndUtf16AsUtf8) {
    createPluginFolder();
    writeBytes(pluginFolder() / "Lang.ini", "[General]\r\nsFoundMatches=" + kJapanese + "\r\nsCut=ab\0cd\r\n"s);
    EXPECT_EQ(readProfileString("Lang", kProfileSection, "sFoundMatches", ""), kJapanese);
    EXPECT_EQ(readProfileString("Lang", kProfileSection, "sCut", ""), "ab");
    // 件 as UTF-16, little and big end first, with and without a surrogate pair (𝄞).
    EXPECT_EQ(findProfileValue(std::string("\xFF\xFEk\0=\0\xF6\x4E\x34\xD8\x1E\xDD", 12), "", "k"),
              "\xE4\xBB\xB6\xF0\x9D\x84\x9E");
    EXPECT_EQ(findProfileValue(std::string("\xFE\xFF\0k\0=\x4E\xF6", 8), "", "k"), "\xE4\xBB\xB6");
    // UTF-16 that does not decode is read as nothing and never written.
    for (const std::string& broken : {std::string("\xFF\xFEk\0=\0v", 7), std::string("\xFF\xFEk\0=\0\x34\xD8", 8)}) {
        EXPECT_EQ(findProfileValue(broken, "", "k"), std::nullopt);
        EXPECT_EQ(withProfileValue(broken, "General", "k", "v"), std::nullopt);
    }
}

// Whichever file function fails, the file keeps its bytes and no temporary
// file is left.
TEST_F(PluginProfileFile, AFailedWriteLeavesTheFileAsItWas) {
    createPluginFolder();
    const std::string before = "[General]\r\nsSearch=Suche\r\n";
    using win32layer::FileFunction;
    for (const FileFunction step :
         {FileFunction::CreateFileA, FileFunction::ReadFile, FileFunction::WriteFile, FileFunction::FlushFileBuffers,
          FileFunction::CloseHandle, FileFunction::MoveFileExA}) {
        SCOPED_TRACE(static_cast<int>(step));
        writeBytes(pluginFolder() / "Lang.ini", before);
        win32layer::failFileFunction(step, ERROR_DISK_FULL);
        const bool written =
            writeProfileValueAt(".\\Data\\Obrix\\Plugins\\Lang.ini", "General", "sNoMatchesFound", "x");
        win32layer::restoreFileFunctions();
        EXPECT_FALSE(written);
        EXPECT_EQ(readBytes(pluginFolder() / "Lang.ini"), before);
        EXPECT_FALSE(std::filesystem::exists(pluginFolder() / "Lang.tmp"));
    }
}

}  // namespace
