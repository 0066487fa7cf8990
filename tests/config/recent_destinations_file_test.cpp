// The file of recent destinations: what the reader takes from any bytes, what
// the writer puts there, and that a write failing at any step leaves the old
// file whole. The key and the heading are read like the other additions and
// never written back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/load_configuration.h"
#include "config/recent_destinations_file.h"
#include "config/settings.h"
#include "config/ui_texts.h"
#include "temp_working_directory.h"
#include "win32_controls.h"

using namespace lumora;
using win32layer::FileFunction;
using namespace std::string_literals;

namespace {

const std::string kFirst = "LumoraSearchEngine recent destinations 1\r\n";

std::vector<std::uint32_t> idsOf(const std::vector<RecentDestination>& list) {
    std::vector<std::uint32_t> ids;
    for (const RecentDestination& d : list) ids.push_back(d.formId);
    return ids;
}

std::string bodyLines(int count, std::uint32_t firstId) {
    std::string lines;
    for (int i = 0; i < count; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "%X", firstId + static_cast<std::uint32_t>(i));
        lines += std::string(id) + "\tBody " + std::to_string(i) + "\tPlace | Body " + std::to_string(i) + "\r\n";
    }
    return lines;
}

struct ReaderRow {
    const char* what;
    std::string bytes;
    std::vector<std::uint32_t> ids;
};

TEST(RecentDestinationsReader, TakesTheGoodLinesUpToTenAndNothingElse) {
    const std::string longName(1014, 'n');  // "E0001", tabs, "T" and CR LF make 1024 bytes
    const ReaderRow rows[] = {
        {"empty", "", {}},
        {"format line only", kFirst, {}},
        {"no format line", "E0001\tThessa\tThessa | Corvane\r\n", {}},
        {"another version", "LumoraSearchEngine recent destinations 2\r\nE0001\tThessa\tThessa | Corvane\r\n", {}},
        {"another format", "[General]\r\nE0001\tThessa\tThessa | Corvane\r\n", {}},
        {"format line with a blank after it", "LumoraSearchEngine recent destinations 1 \r\nE0001\tA\tA\r\n", {}},
        {"lf line ends and no final line end",
         "LumoraSearchEngine recent destinations 1\nE0001\tA\tA | B\nE0002\tC\tC",
         {0xE0001, 0xE0002}},
        {"lower-case and short ids",
         kFirst + "e0001\tA\tA\r\n1\tB\tB\r\nFFFFFFFF\tC\tC\r\n",
         {0xE0001, 0x1, 0xFFFFFFFF}},
        {"ids that are not plain hex",
         kFirst + "0xE0001\tA\tA\r\n E0002\tA\tA\r\n-1\tA\tA\r\nE000G\tA\tA\r\n\tA\tA\r\n123456789\tA\tA\r\n0\tA\tA\r\n"
                  "00000000\tA\tA\r\nE0009\tGood\tGood\r\n",
         {0xE0009}},
        {"too few and too many fields",
         kFirst + "E0001\r\nE0002\tA\r\nE0003\tA\tB\tC\r\nE0004\t\tB\r\nE0005\tA\t\r\nE0006\tA\tB\r\n",
         {0xE0006}},
        {"control bytes in name or text",
         kFirst +
             "E0001\tA\x01\tB\r\nE0002\tA\tB\x7F\r\nE0003\tA\tB\rC\r\nE0004\tA\x00 x\tB\r\nE0005\t\xC3\x89toile\tB\r\n"s,
         {0xE0005}},
        {"overlong line between good ones",
         kFirst + "E0001\tA\tA\r\nE0002\t" + std::string(2000, 'x') + "\tB\r\nE0003\tC\tC\r\n",
         {0xE0001, 0xE0003}},
        {"longest line taken, one byte more not",
         kFirst + "E0001\t" + longName + "\tT\r\n" + "E0002\t" + longName + "\tTT\r\n",
         {0xE0001}},
        {"eleven good lines",
         kFirst + bodyLines(11, 0xE0001),
         {0xE0001, 0xE0002, 0xE0003, 0xE0004, 0xE0005, 0xE0006, 0xE0007, 0xE0008, 0xE0009, 0xE000A}},
        {"bad lines do not count against the ten",
         kFirst + "x\r\n\r\n" + bodyLines(10, 0xE0001),
         {0xE0001, 0xE0002, 0xE0003, 0xE0004, 0xE0005, 0xE0006, 0xE0007, 0xE0008, 0xE0009, 0xE000A}},
        {"a repeated id keeps its first line",
         kFirst + "E0001\tA\tA\r\nE0002\tB\tB\r\ne0001\tC\tC\r\n",
         {0xE0001, 0xE0002}},
        {"a nul byte anywhere in a line", kFirst + "E0001\tA\tA\0B\r\nE0002\tB\tB\r\n"s, {0xE0002}},
    };
    for (const ReaderRow& row : rows) EXPECT_EQ(idsOf(parseRecentDestinations(row.bytes)), row.ids) << row.what;
}

TEST(RecentDestinationsReader, KeepsNameAndTextAsWritten) {
    const auto list = parseRecentDestinations(kFirst + "00E0001\tThessa\tThessa Orbit | Thessa\r\n");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].formId, 0xE0001u);
    EXPECT_EQ(list[0].name, "Thessa");
    EXPECT_EQ(list[0].lineText, "Thessa Orbit | Thessa");
}

TEST(RecentDestinationsWriter, WritesWhatTheReaderTakesBackAndLeavesOutWhatItWouldNot) {
    const std::vector<RecentDestination> list{
        {0xE0002, "Marrow", "Marrow | Corvane System"},
        {0xE0001, "Tab\there", "Tab\there | X"},       // not representable: left out
        {0, "Zero", "Zero | X"},                       // id 0 is never a body
        {0x10, "\xC3\x89toile", "\xC3\x89toile | X"},  // bytes above 0x7F are text
        {0xE0002, "Marrow", "again"},                  // a repeat would hide nothing, but is not written
        {0x20, std::string(1100, 'n'), "long"},        // longer than a line may be
    };
    const std::string bytes = formatRecentDestinations(list);
    EXPECT_EQ(bytes,
              kFirst + "000E0002\tMarrow\tMarrow | Corvane System\r\n00000010\t\xC3\x89toile\t\xC3\x89toile | X\r\n");
    const auto back = parseRecentDestinations(bytes);
    EXPECT_EQ(idsOf(back), (std::vector<std::uint32_t>{0xE0002, 0x10}));
}

TEST(RecentDestinationsWriter, TenLongestLinesStayWithinTheFileSize) {
    std::vector<RecentDestination> list;
    for (std::uint32_t i = 0; i < 12; ++i)
        list.push_back({0xFFFFFF00 + i, std::string(500, 'n'), std::string(1024 - 8 - 2 - 2 - 500, 't')});
    const std::string bytes = formatRecentDestinations(list);
    EXPECT_LE(bytes.size(), kMostRecentFileBytes);
    EXPECT_EQ(parseRecentDestinations(bytes).size(), 10u);
}

class RecentDestinationsFile : public TempWorkingDirectory {
protected:
    void SetUp() override {
        TempWorkingDirectory::SetUp();
        createPluginFolder();
    }
    void TearDown() override {
        win32layer::restoreFileFunctions();
        TempWorkingDirectory::TearDown();
    }
    std::filesystem::path file() const { return pluginFolder() / "LumoraSearchEngineRecent.txt"; }
    std::filesystem::path temporary() const { return pluginFolder() / "LumoraSearchEngineRecent.tmp"; }
    const std::vector<RecentDestination> oldList{{0xE0001, "Thessa", "Thessa | Corvane System"}};
    const std::vector<RecentDestination> newList{{0xE0002, "Marrow", "Marrow | Corvane System"},
                                                 {0xE0001, "Thessa", "Thessa | Corvane System"}};
};

TEST_F(RecentDestinationsFile, WriteReplacesTheFileWholeAndReadGivesTheListBack) {
    EXPECT_EQ(readRecentDestinationsFile().state, RecentFileState::Absent);
    ASSERT_EQ(writeRecentDestinationsFile(oldList), RecentFileWrite::Written);
    ASSERT_EQ(writeRecentDestinationsFile(newList), RecentFileWrite::Written);
    EXPECT_EQ(readBytes(file()), formatRecentDestinations(newList));
    EXPECT_FALSE(std::filesystem::exists(temporary()));
    const auto back = readRecentDestinationsFile().bodies;
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].name, "Marrow");
    EXPECT_EQ(back[1].lineText, "Thessa | Corvane System");
}

struct FailedStep {
    FileFunction function;
    DWORD error;
    RecentFileWrite result;
};

TEST_F(RecentDestinationsFile, AFailureAtAnyStepLeavesTheOldFileAndNoTemporaryFile) {
    const FailedStep steps[] = {
        {FileFunction::CreateFileA, ERROR_ACCESS_DENIED, RecentFileWrite::NotCreated},
        {FileFunction::WriteFile, ERROR_DISK_FULL, RecentFileWrite::NotWritten},
        {FileFunction::FlushFileBuffers, ERROR_DISK_FULL, RecentFileWrite::NotFlushed},
        {FileFunction::CloseHandle, ERROR_INVALID_HANDLE, RecentFileWrite::NotWritten},
        {FileFunction::MoveFileExA, ERROR_ACCESS_DENIED, RecentFileWrite::NotMoved},
    };
    for (const FailedStep& step : steps) {
        SCOPED_TRACE(static_cast<int>(step.function));
        win32layer::restoreFileFunctions();
        ASSERT_EQ(writeRecentDestinationsFile(oldList), RecentFileWrite::Written);
        const auto before = readBytes(file());
        win32layer::failFileFunction(step.function, step.error);
        EXPECT_EQ(writeRecentDestinationsFile(newList), step.result);
        win32layer::restoreFileFunctions();
        EXPECT_EQ(readBytes(file()), before);
        EXPECT_FALSE(std::filesystem::exists(temporary()));
        EXPECT_EQ(idsOf(readRecentDestinationsFile().bodies), (std::vector<std::uint32_t>{0xE0001}));
    }
}

TEST_F(RecentDestinationsFile, AFailedDeleteOfTheTemporaryFileIsHarmlessToTheNextWrite) {
    win32layer::failFileFunction(FileFunction::MoveFileExA, ERROR_ACCESS_DENIED);
    win32layer::failFileFunction(FileFunction::DeleteFileA, ERROR_ACCESS_DENIED);
    EXPECT_EQ(writeRecentDestinationsFile(newList), RecentFileWrite::NotMoved);
    EXPECT_TRUE(std::filesystem::exists(temporary()));
    EXPECT_FALSE(std::filesystem::exists(file()));
    win32layer::restoreFileFunctions();
    EXPECT_EQ(writeRecentDestinationsFile(oldList), RecentFileWrite::Written);
    EXPECT_EQ(idsOf(readRecentDestinationsFile().bodies), (std::vector<std::uint32_t>{0xE0001}));
}

TEST_F(RecentDestinationsFile, MissingFolderIsNotCreated) {
    std::filesystem::remove_all(pluginFolder());
    EXPECT_EQ(writeRecentDestinationsFile(newList), RecentFileWrite::NotCreated);
    EXPECT_FALSE(std::filesystem::exists(pluginFolder()));
}

// Only a file read whole under the format line, or none at all, may be
// replaced; every other one is the player's and is left alone.
struct FoundFile {
    const char* name;
    std::string bytes;  // written as the file unless `folder`
    bool folder;
    FileFunction failing;
    DWORD error;
    RecentFileState state;
    std::size_t bodies;
    bool replaceable;
};

TEST_F(RecentDestinationsFile, ReadTellsWhichFilesMayBeReplaced) {
    const std::string good = kFirst + "E0001\tThessa\tThessa | Corvane System\r\n";
    const auto none = static_cast<FileFunction>(-1);
    const FoundFile cases[] = {
        {"exactly 16 KiB", good + std::string(kMostRecentFileBytes - good.size(), '\n'), false, none, 0,
         RecentFileState::Read, 1, true},
        {"header alone", kFirst, false, none, 0, RecentFileState::Read, 0, true},
        {"one byte over 16 KiB", good + std::string(kMostRecentFileBytes - good.size() + 1, '\n'), false, none, 0,
         RecentFileState::TooLarge, 0, false},
        {"a newer version", "LumoraSearchEngine recent destinations 2\r\nE0001\tThessa\tThessa\r\n", false, none, 0,
         RecentFileState::OtherHeader, 0, false},
        {"empty file", "", false, none, 0, RecentFileState::OtherHeader, 0, false},
        {"a read that fails", good, false, FileFunction::ReadFile, ERROR_ACCESS_DENIED, RecentFileState::NotRead, 0,
         false},
        {"an open that fails", good, false, FileFunction::CreateFileA, ERROR_ACCESS_DENIED, RecentFileState::NotOpened,
         0, false},
        {"a folder in its place", "", true, none, 0, RecentFileState::NotOpened, 0, false},
        {"no such folder", "", false, FileFunction::CreateFileA, ERROR_PATH_NOT_FOUND, RecentFileState::Absent, 0,
         true},
    };
    for (const FoundFile& found : cases) {
        SCOPED_TRACE(found.name);
        std::filesystem::remove_all(file());
        if (found.folder) std::filesystem::create_directory(file());
        else writeBytes(file(), found.bytes);
        if (found.failing != none) win32layer::failFileFunction(found.failing, found.error);
        const RecentFileRead read = readRecentDestinationsFile();
        win32layer::restoreFileFunctions();
        EXPECT_EQ(read.state, found.state);
        EXPECT_EQ(read.bodies.size(), found.bodies);
        EXPECT_EQ(recentFileReplaceable(read.state), found.replaceable);
        EXPECT_EQ(std::string(recentFileKeptReason(read.state)).empty(), found.replaceable);
        if (found.failing != none) {
            EXPECT_EQ(read.error, found.error);
        }
    }
}

class RecentDestinationsKeys : public TempWorkingDirectory {
protected:
    void SetUp() override {
        TempWorkingDirectory::SetUp();
        createPluginFolder();
    }
};

TEST_F(RecentDestinationsKeys, KeyAndHeadingAreReadButNeverWrittenBack) {
    const auto settings = pluginFolder() / "LumoraSearchEngine.ini";
    const auto language = pluginFolder() / "LumoraSearchEngineLang.ini";
    const struct {
        const char* line;
        bool on;
    } rows[] = {{"", false},
                {"bRecentDestinations=1\r\n", true},
                {"brecentdestinations = 1\r\n", true},
                {"bRecentDestinations=true\r\n", false},
                {"bRecentDestinations=\r\n", false},
                {"bRecentDestinations=0\r\n", false}};
    for (const auto& row : rows) {
        const std::string text =
            std::string("[General]\r\niTextInputMenuHotkey=0x51\r\nbSkipNonStarMapVisibleMapMarkers=1\r\n") + row.line;
        writeBytes(settings, text);
        loadConfiguration();
        EXPECT_EQ(Settings.recentDestinations, row.on) << row.line;
        EXPECT_EQ(readBytes(settings), text) << row.line;
    }
    EXPECT_EQ(UiTexts.recentDestinationsHeading, "Recent destinations:");
    EXPECT_EQ(readBytes(language)->find("sRecentDestinationsHeading"), std::string::npos);
    const std::string translated = *readBytes(language) + "sRecentDestinationsHeading=Zuletzt besucht:\r\n";
    writeBytes(language, translated);
    loadConfiguration();
    EXPECT_EQ(UiTexts.recentDestinationsHeading, "Zuletzt besucht:");
    EXPECT_EQ(readBytes(language), translated);
    // The reading of the settings never touches the list's file.
    EXPECT_FALSE(std::filesystem::exists(pluginFolder() / "LumoraSearchEngineRecent.txt"));
}

}  // namespace
