#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/profile_strings.h"
#include "temp_working_directory.h"

using namespace lumora;

namespace {

class ProfileStrings : public TempWorkingDirectory {};

TEST_F(ProfileStrings, ExistsIsFalseForEmptyBaseNameMissingFileAndMissingFolder) {
    EXPECT_FALSE(profileFileExists("", ""));
    EXPECT_FALSE(profileFileExists("LumoraSearchEngine", ""));  // no plugin folder
    createPluginFolder();
    EXPECT_FALSE(profileFileExists("LumoraSearchEngine", ""));
    EXPECT_FALSE(profileFileExists("LumoraSearchEngine", ".\\nowhere\\"));
}

TEST_F(ProfileStrings, ExistsIsTrueForFileAndForDirectoryOfThatName) {
    createPluginFolder();
    writeBytes(pluginFolder() / "LumoraSearchEngine.ini", "");
    std::filesystem::create_directory(pluginFolder() / "Folder.ini");
    EXPECT_TRUE(profileFileExists("LumoraSearchEngine", ""));
    EXPECT_TRUE(profileFileExists("Folder", ""));
}

TEST_F(ProfileStrings, ExistsUsesFolderArgumentUnchangedInsteadOfPluginFolder) {
    std::filesystem::create_directory(dir() / "custom");
    writeBytes(dir() / "custom" / "Mine.ini", "");
    EXPECT_TRUE(profileFileExists("Mine", ".\\custom\\"));
    EXPECT_FALSE(profileFileExists("Mine", ".\\custom"));  // no separator is added
    EXPECT_FALSE(profileFileExists("Mine", ""));
}

TEST_F(ProfileStrings, ExistenceTestFailureOtherThanAbsenceCountsAsAbsent) {
    createPluginFolder();
    // A symbolic link to itself cannot be resolved: the test fails with a
    // loop error, not with "not found".
    std::filesystem::create_symlink("LumoraSearchEngine.ini", pluginFolder() / "LumoraSearchEngine.ini");
    EXPECT_FALSE(profileFileExists("LumoraSearchEngine", ""));
    EXPECT_EQ(readProfileString("LumoraSearchEngine", "General", "iTextInputMenuHotkey", ""), "");
    EXPECT_FALSE(writeProfileString("LumoraSearchEngine", "General", "iTextInputMenuHotkey", "0x51", ""));
}

TEST_F(ProfileStrings, ReadGivesEmptyForEmptyArgumentsMissingFileMissingKeyAndEmptyValue) {
    EXPECT_EQ(readProfileString("LumoraSearchEngine", "General", "sSearch", ""), "");
    EXPECT_FALSE(std::filesystem::exists(pluginFolder()));  // reading creates nothing

    createPluginFolder();
    writeBytes(pluginFolder() / "Lang.ini", "[General]\r\nsSearch=Suche\r\nsEmpty=\r\n");
    EXPECT_EQ(readProfileString("Lang", "General", "sSearch", ""), "Suche");
    EXPECT_EQ(readProfileString("", "General", "sSearch", ""), "");
    EXPECT_EQ(readProfileString("Lang", "", "sSearch", ""), "");
    EXPECT_EQ(readProfileString("Lang", "General", "", ""), "");
    EXPECT_EQ(readProfileString("Lang", "General", "sMissing", ""), "");
    EXPECT_EQ(readProfileString("Lang", "General", "sEmpty", ""), "");
    EXPECT_EQ(readProfileString("Lang", "Other", "sSearch", ""), "");
}

TEST_F(ProfileStrings, ReadSeesAtMost9999CharactersOfAValue) {
    createPluginFolder();
    const std::string value = std::string(9999, 'a') + "bc";
    writeBytes(pluginFolder() / "Long.ini", "[General]\r\nsLong=" + value + "\r\n");
    EXPECT_EQ(readProfileString("Long", "General", "sLong", ""), value.substr(0, 9999));
}

TEST_F(ProfileStrings, WriteCreatesFileAndReportsTheValueReadBack) {
    createPluginFolder();
    EXPECT_TRUE(writeProfileString("New", "General", "sKey", "value", ""));
    EXPECT_EQ(readBytes(pluginFolder() / "New.ini"), "[General]\r\nsKey=value\r\n");
}

TEST_F(ProfileStrings, WriteIsFalseWhenValueReadBackDiffers) {
    createPluginFolder();
    // The profile functions drop leading blanks of a value.
    EXPECT_FALSE(writeProfileString("New", "General", "sKey", "  padded", ""));
    EXPECT_EQ(readProfileString("New", "General", "sKey", ""), "padded");
}

TEST_F(ProfileStrings, WriteIsFalseAndCreatesNothingForEmptyArgumentsOrMissingFolder) {
    EXPECT_FALSE(writeProfileString("New", "General", "sKey", "v", ""));
    EXPECT_FALSE(std::filesystem::exists(dir() / "Data"));

    createPluginFolder();
    EXPECT_FALSE(writeProfileString("", "General", "sKey", "v", ""));
    EXPECT_FALSE(writeProfileString("New", "", "sKey", "v", ""));
    EXPECT_FALSE(writeProfileString("New", "General", "", "v", ""));
    EXPECT_TRUE(std::filesystem::is_empty(pluginFolder()));
}

TEST_F(ProfileStrings, PathOf254CharactersIsUsedAndOf255IsRefused) {
    const std::string folder = ".\\";
    const std::string fits(254 - folder.size() - 4, 'n');
    const std::string tooLong = fits + "n";
    ASSERT_EQ((folder + fits + ".ini").size(), 254u);

    EXPECT_TRUE(writeProfileString(fits, "General", "k", "v", folder));
    EXPECT_EQ(readProfileString(fits, "General", "k", folder), "v");

    EXPECT_FALSE(writeProfileString(tooLong, "General", "k", "v", folder));
    EXPECT_FALSE(std::filesystem::exists(dir() / (tooLong + ".ini")));
    writeBytes(dir() / (tooLong + ".ini"), "[General]\r\nk=v\r\n");
    EXPECT_EQ(readProfileString(tooLong, "General", "k", folder), "");
}

}  // namespace
