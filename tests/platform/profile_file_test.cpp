// What our profile functions do where Wine's differ from Windows (Wine
// rewrites the whole file), and argument edge cases the probe leaves out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../config/temp_working_directory.h"
#include "win/windows_api.h"

namespace {

class ProfileFile : public TempWorkingDirectory {
protected:
    static bool write(const char* key, const char* value, const char* path = ".\\p.ini") {
        return WritePrivateProfileStringA("General", key, value, path) != FALSE;
    }
    std::optional<std::string> file() const { return readBytes(dir() / "p.ini"); }
};

struct InPlaceCase {
    const char* name;
    const char* before;
    const char* key;
    const char* value;
    const char* after;
};

class WriteEditsInPlace : public ProfileFile, public ::testing::WithParamInterface<InPlaceCase> {};

TEST_P(WriteEditsInPlace, KeepingEveryOtherByte) {
    const InPlaceCase& c = GetParam();
    writeBytes(dir() / "p.ini", c.before);
    ASSERT_TRUE(write(c.key, c.value));
    EXPECT_EQ(file(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Files, WriteEditsInPlace,
    ::testing::Values(InPlaceCase{"LfLinesKeepLfNewLineGetsCrLf", "[General]\nk1=v1\n", "k2", "v2",
                                  "[General]\nk1=v1\nk2=v2\r\n"},
                      InPlaceCase{"ReplacedLineKeepsItsLfEnd", "[General]\nk1=v1\nk2=v2\n", "k1", "new",
                                  "[General]\nk1=new\nk2=v2\n"},
                      InPlaceCase{"BlankLinesStay", "; c\r\n\r\n[General]\r\nk=Q\r\n\r\n; o\r\n[Other]\r\nx=1\r\n\r\n",
                                  "b", "1", "; c\r\n\r\n[General]\r\nk=Q\r\n\r\n; o\r\nb=1\r\n[Other]\r\nx=1\r\n\r\n"},
                      InPlaceCase{"NewKeyGoesBeforeBlankLinesOfSection", "[General]\r\nk=Q\r\n\r\n\r\n[Other]\r\n", "b",
                                  "1", "[General]\r\nk=Q\r\nb=1\r\n\r\n\r\n[Other]\r\n"},
                      InPlaceCase{"EmptySectionGetsKeyBehindHeader", "[General]\r\n\r\n[Other]\r\n", "b", "1",
                                  "[General]\r\nb=1\r\n\r\n[Other]\r\n"},
                      InPlaceCase{"ReplacedLineLosesItsBlanks", "[General]\r\n\tK = old ; c\r\n", "k", "new",
                                  "[General]\r\nK=new\r\n"},
                      InPlaceCase{"BareKeyLineGetsValue", "[General]\r\nk\r\n", "k", "v", "[General]\r\nk=v\r\n"},
                      InPlaceCase{"MissingSectionAfterLfFileWithoutEnd", "[Other]\nx=1", "k", "v",
                                  "[Other]\nx=1\r\n[General]\r\nk=v\r\n"},
                      // Found by fuzzing: a last line ending in a lone CR swallowed the new key.
                      InPlaceCase{"NewKeyAfterLastLineEndingInLoneCr", "[General]\r\nk1=v1\r", "k2", "v2",
                                  "[General]\r\nk1=v1\r\nk2=v2\r\n"},
                      InPlaceCase{"MissingSectionAfterLastLineEndingInLoneCr", "[Other]\r\nx=1\r", "k", "v",
                                  "[Other]\r\nx=1\r\n[General]\r\nk=v\r\n"},
                      InPlaceCase{"BomStaysInFront", "\xEF\xBB\xBF\r\n[General]\r\n", "k", "v",
                                  "\xEF\xBB\xBF\r\n[General]\r\nk=v\r\n"}),
    [](const ::testing::TestParamInfo<InPlaceCase>& info) { return std::string(info.param.name); });

TEST_F(ProfileFile, ReadWithoutBufferOrSizeWritesNothing) {
    writeBytes(dir() / "p.ini", "[General]\r\nk=v\r\n");
    EXPECT_EQ(GetPrivateProfileStringA("General", "k", "d", nullptr, 10, ".\\p.ini"), 0u);
    char guard = 'x';
    EXPECT_EQ(GetPrivateProfileStringA("General", "k", "d", &guard, 0, ".\\p.ini"), 0u);
    EXPECT_EQ(guard, 'x');
}

TEST_F(ProfileFile, ReadWithNullDefaultGivesEmptyForMissingKey) {
    std::vector<char> buffer(8, 'x');
    EXPECT_EQ(GetPrivateProfileStringA("General", "k", nullptr, buffer.data(), 8, ".\\p.ini"), 0u);
    EXPECT_EQ(buffer[0], '\0');
}

TEST_F(ProfileFile, ListingAndDeletingAreRefusedWithoutTouchingTheFile) {
    const std::string original = "[General]\r\nk=v\r\n";
    writeBytes(dir() / "p.ini", original);
    std::vector<char> buffer(8, 'x');
    EXPECT_EQ(GetPrivateProfileStringA("General", nullptr, "", buffer.data(), 8, ".\\p.ini"), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_FALSE(WritePrivateProfileStringA("General", "k", nullptr, ".\\p.ini"));
    EXPECT_FALSE(WritePrivateProfileStringA("General", nullptr, "v", ".\\p.ini"));
    EXPECT_EQ(file(), original);
}

TEST_F(ProfileFile, WriteToDirectoryFailsAndReadGivesDefault) {
    std::filesystem::create_directory(dir() / "p.ini");
    EXPECT_FALSE(write("k", "v"));
    std::vector<char> buffer(8, 'x');
    EXPECT_EQ(GetPrivateProfileStringA("General", "k", "d", buffer.data(), 8, ".\\p.ini"), 1u);
    EXPECT_STREQ(buffer.data(), "d");
}

TEST_F(ProfileFile, BackslashesReachSubfoldersOfCurrentDirectory) {
    std::filesystem::create_directories(dir() / "Data" / "Obrix");
    ASSERT_TRUE(write("k", "v", ".\\Data\\Obrix\\p.ini"));
    EXPECT_EQ(readBytes(dir() / "Data" / "Obrix" / "p.ini"), "[General]\r\nk=v\r\n");
}

}  // namespace
