// The log's queue and writer: lines held until the settings decide, the
// 1 MiB limit with its last line, files that cannot be opened or written,
// and many threads logging while the writer writes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/entry_guard.h"
#include "base/plugin_error.h"
#include "base/plugin_log.h"
#include "config/temp_working_directory.h"
#include "plugin/version_log.h"
#include "win32_controls.h"

using namespace lumora;

namespace {

// What the failing file operations did, and when they fail.
struct FakeFile {
    int opens = 0;
    int closes = 0;
    int writes = 0;
    bool failOpen = false;
    std::size_t room = SIZE_MAX;  // bytes the disk takes before it is full
    std::string written;
};
FakeFile fake;

void* fakeOpen(const char*) {
    ++fake.opens;
    return fake.failOpen ? nullptr : &fake;
}
bool fakeWrite(void*, const char* bytes, std::size_t size) {
    ++fake.writes;
    const std::size_t taken = std::min(size, fake.room - std::min(fake.room, fake.written.size()));
    fake.written.append(bytes, taken);
    return taken == size;
}
void fakeClose(void*) { ++fake.closes; }
constexpr LogFileOperations kFakeOperations{&fakeOpen, &fakeWrite, &fakeClose};

class PluginLog : public TempWorkingDirectory {
protected:
    void SetUp() override {
        TempWorkingDirectory::SetUp();
        createPluginFolder();
        resetPluginLogForTesting();
        fake = FakeFile{};
    }
    void TearDown() override {
        resetPluginLogForTesting();
        setLogFileOperationsForTesting(nullptr);
        TempWorkingDirectory::TearDown();
    }
    std::filesystem::path logFile() const { return pluginFolder() / "LumoraSearchEngine.log"; }

    static std::vector<std::string> linesOf(const std::string& bytes) {
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < bytes.size()) {
            const std::size_t end = bytes.find("\r\n", start);
            if (end == std::string::npos) {
                lines.push_back(bytes.substr(start) + "<no line end>");
                break;
            }
            lines.push_back(bytes.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }
    // The line without its "[seconds.ms] " prefix, which must be there.
    static std::string withoutTime(const std::string& line) {
        static const std::regex prefix(R"(^\[[0-9]+\.[0-9]{3}\] )");
        std::smatch match;
        if (!std::regex_search(line, match, prefix)) return "<no time prefix> " + line;
        return match.suffix();
    }
};

TEST_F(PluginLog, LinesHeldUntilTheSettingsAreWrittenInOrderWhenTheKeyIsOn) {
    appendLogLine("load line %d", 1);
    appendLogLine("load line %s", "two");
    writeQueuedLogLines();  // nothing decided yet: no file
    EXPECT_FALSE(std::filesystem::exists(logFile()));
    settlePluginLog(true);
    appendLogLine("after %s", "settings");
    writeQueuedLogLines();
    const auto lines = linesOf(*readBytes(logFile()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(withoutTime(lines[0]), "load line 1");
    EXPECT_EQ(withoutTime(lines[1]), "load line two");
    EXPECT_EQ(withoutTime(lines[2]), "after settings");
}

TEST_F(PluginLog, KeyOffDropsTheHeldLinesAndNeverOpensTheFile) {
    setLogFileOperationsForTesting(&kFakeOperations);
    appendLogLine("held");
    settlePluginLog(false);
    EXPECT_FALSE(pluginLogAccepting());
    appendLogLine("later");
    writeQueuedLogLines();
    // A later "on" cannot bring the log back within the session.
    settlePluginLog(true);
    writeQueuedLogLines();
    EXPECT_EQ(fake.opens, 0);
    EXPECT_EQ(fake.writes, 0);
}

TEST_F(PluginLog, FileFromAnEarlierStartIsStartedAfresh) {
    writeBytes(logFile(), std::string(5000, 'x') + "\r\n");
    settlePluginLog(true);
    appendLogLine("this start");
    writeQueuedLogLines();
    const auto lines = linesOf(*readBytes(logFile()));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(withoutTime(lines[0]), "this start");
}

// Short lines fill the file to within one line of its limit, where a last
// line that did not have its room kept would carry the file past 1 MiB.
TEST_F(PluginLog, FileStopsAtOneMebibyteWithOneLastLineSayingSo) {
    for (const std::size_t payloadSize : {std::size_t{0}, std::size_t{200}}) {
        resetPluginLogForTesting();
        settlePluginLog(true);
        const std::string payload(payloadSize, 'p');
        // Far more than fits, written a few passes at a time as the thread would.
        for (int appended = 0; appended < 80000 && pluginLogAccepting(); ++appended) {
            appendLogLine("line %06d %s", appended, payload.c_str());
            if (appended % 500 == 0) writeQueuedLogLines();
        }
        writeQueuedLogLines();
        appendLogLine("after the limit");
        writeQueuedLogLines();

        const std::string bytes = *readBytes(logFile());
        EXPECT_LE(bytes.size(), kPluginLogLimitBytes) << payloadSize;
        // Full up to the room of a last line and one more ordinary line.
        EXPECT_GT(bytes.size(), kPluginLogLimitBytes - 128 - payloadSize - 30) << payloadSize;
        const auto lines = linesOf(bytes);
        ASSERT_GT(lines.size(), 2u);
        EXPECT_EQ(withoutTime(lines.back()), kPluginLogLimitText) << payloadSize;
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            char expected[16];
            std::snprintf(expected, sizeof expected, "line %06d ", static_cast<int>(i));
            ASSERT_EQ(withoutTime(lines[i]).substr(0, 12), expected) << i;
        }
        EXPECT_FALSE(pluginLogAccepting());
    }
}

TEST_F(PluginLog, LongLineIsCutAndStillEndsTheLine) {
    settlePluginLog(true);
    appendLogLine("%s", std::string(5000, 'L').c_str());
    appendLogLine("next");
    writeQueuedLogLines();
    const auto lines = linesOf(*readBytes(logFile()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_LT(lines[0].size(), 1024u);
    EXPECT_EQ(withoutTime(lines[1]), "next");
}

struct FailureRow {
    const char* name;
    bool failOpen;
    std::size_t room;
    int opens, closes, writes;
};

// Whatever way the file fails, the log is off for the rest of the session:
// nothing more is queued or written, the file is closed once, and nothing
// is reported (no box, no line on standard output).
TEST_F(PluginLog, FileThatFailsTurnsTheLogOffWithoutAWord) {
    const FailureRow rows[] = {
        {"cannot open", true, SIZE_MAX, 1, 0, 0},
        {"first write fails", false, 0, 1, 1, 1},
        {"disk full partway", false, 300, 1, 1, 2},
    };
    for (const FailureRow& row : rows) {
        resetPluginLogForTesting();
        setLogFileOperationsForTesting(&kFakeOperations);
        fake = FakeFile{};
        fake.failOpen = row.failOpen;
        fake.room = row.room;
        win32layer::clearMessageBoxes();
        testing::internal::CaptureStdout();

        settlePluginLog(true);
        appendLogLine("first %s", std::string(200, 'a').c_str());
        writeQueuedLogLines();
        appendLogLine("second %s", std::string(200, 'b').c_str());
        writeQueuedLogLines();
        appendLogLine("third");
        writeQueuedLogLines();

        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << row.name;
        EXPECT_TRUE(win32layer::shownMessageBoxes().empty()) << row.name;
        EXPECT_FALSE(pluginLogAccepting()) << row.name;
        EXPECT_EQ(fake.opens, row.opens) << row.name;
        EXPECT_EQ(fake.closes, row.closes) << row.name;
        EXPECT_EQ(fake.writes, row.writes) << row.name;
        EXPECT_LE(fake.written.size(), row.room) << row.name;
    }
}

TEST_F(PluginLog, LogPathThatIsAFolderCannotBeOpenedAndTurnsTheLogOff) {
    std::filesystem::create_directory(logFile());
    settlePluginLog(true);
    appendLogLine("nowhere to go");
    writeQueuedLogLines();
    EXPECT_FALSE(pluginLogAccepting());
    EXPECT_TRUE(std::filesystem::is_directory(logFile()));
}

// Threads of the game, the sinks and the polling thread log at once while
// the writer writes: every line arrives once, whole, and each thread's lines
// in the order it wrote them.
TEST_F(PluginLog, LinesFromManyThreadsArriveWholeWhileTheWriterWrites) {
    settlePluginLog(true);
    constexpr int kThreads = 4, kLinesEach = 1500;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        while (!done.load()) writeQueuedLogLines();
    });
    std::vector<std::thread> loggers;
    for (int t = 0; t < kThreads; ++t)
        loggers.emplace_back([t] {
            for (int i = 0; i < kLinesEach; ++i) appendLogLine("thread %d line %d end", t, i);
        });
    for (auto& logger : loggers) logger.join();
    done.store(true);
    writer.join();
    writeQueuedLogLines();

    const auto lines = linesOf(*readBytes(logFile()));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLinesEach));
    std::vector<int> next(kThreads, 0);
    for (const std::string& line : lines) {
        int thread = -1, index = -1;
        char end[4] = {};
        ASSERT_EQ(std::sscanf(withoutTime(line).c_str(), "thread %d line %d %3s", &thread, &index, end), 3) << line;
        ASSERT_EQ(std::string(end), "end") << line;
        ASSERT_EQ(index, next[thread]) << line;
        ++next[thread];
    }
}

TEST_F(PluginLog, ExceptionAnEntryGuardCaughtHasItsLine) {
    settlePluginLog(true);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(runGuardedEntry("prompt hook", [] { throw std::runtime_error("no memory for the header"); }));
    EXPECT_FALSE(runGuardedEntry("polling pass", [] { throw 7; }));
    testing::internal::GetCapturedStdout();
    writeQueuedLogLines();
    const auto lines = linesOf(*readBytes(logFile()));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(withoutTime(lines[0]), "prompt hook stopped by an exception: no memory for the header");
    EXPECT_EQ(withoutTime(lines[1]), "polling pass stopped by an exception: unknown exception");
}

struct VersionRow {
    const char* executable;
    std::vector<std::uint8_t> resource;
    const char* line;
};

TEST_F(PluginLog, VersionLinesNameThePluginAndTheGameExecutablesFileVersion) {
    const VersionRow rows[] = {
        {"C:\\Games\\Halcyra\\Halcyra.exe", win32layer::makeVersionResource(0x1000E, 0x4A0000, 0x1000E, 0x4A0000),
         "game executable \"Halcyra.exe\" file version 1.14.74.0"},
        {"/opt/game/halcyra", win32layer::makeVersionResource(0x20003, 0x40005, 0x10000, 0),
         "game executable \"halcyra\" file version 2.3.4.5"},
        {"C:\\Games\\Halcyra\\NoResource.exe",
         {},
         "game executable \"NoResource.exe\" file version unknown (no version resource)"},
    };
    for (const VersionRow& row : rows) {
        resetPluginLogForTesting();
        win32layer::setExecutablePath(row.executable);
        win32layer::setFileVersionResource(row.executable, row.resource);
        logVersions();
        settlePluginLog(true);
        writeQueuedLogLines();
        const auto lines = linesOf(*readBytes(logFile()));
        ASSERT_EQ(lines.size(), 2u) << row.executable;
        EXPECT_EQ(withoutTime(lines[0]), "Lumora Search Engine 3.1.0.0 for game runtime 1.14.74");
        EXPECT_EQ(withoutTime(lines[1]), row.line);
        win32layer::setFileVersionResource(row.executable, {});
    }
    win32layer::setExecutablePath("");
}

// The game's thread logs while the polling thread's write is stuck on a slow
// disk (a sleeping drive, a network folder): adding a line never waits for it.
std::atomic<bool> g_writerInside{false};
std::atomic<bool> g_writerMayFinish{false};

bool slowWrite(void* file, const char* bytes, std::size_t size) {
    g_writerInside = true;
    while (!g_writerMayFinish) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return fakeWrite(file, bytes, size);
}
constexpr LogFileOperations kSlowOperations{&fakeOpen, &slowWrite, &fakeClose};

bool waitFor(const std::atomic<bool>& flag) {
    for (int waited = 0; waited < 5000 && !flag; ++waited) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return flag;
}

TEST_F(PluginLog, AddingALineReturnsWhileTheWriterIsHeldInASlowWrite) {
    setLogFileOperationsForTesting(&kSlowOperations);
    settlePluginLog(true);
    appendLogLine("before the write");
    std::thread writer([] { writeQueuedLogLines(); });
    ASSERT_TRUE(waitFor(g_writerInside)) << "the writer never reached its write";

    std::atomic<bool> appended{false};
    std::thread logger([&appended] {
        appendLogLine("while the writer writes");
        appended = true;
    });
    const bool returnedDuringTheWrite = waitFor(appended) && !g_writerMayFinish;
    g_writerMayFinish = true;
    writer.join();
    logger.join();
    EXPECT_TRUE(returnedDuringTheWrite);

    writeQueuedLogLines();
    const auto lines = linesOf(fake.written);
    ASSERT_EQ(lines.size(), 2u) << fake.written;
    EXPECT_EQ(withoutTime(lines[0]), "before the write");
    EXPECT_EQ(withoutTime(lines[1]), "while the writer writes");
}

// An error box is modal and may be the game's last moment: its line is on
// the disk when the box shows, not when the player has closed it.
TEST_F(PluginLog, ErrorBoxLineIsOnDiskBeforeTheBoxShows) {
    settlePluginLog(true);
    appendLogLine("a line queued before");
    std::string onDiskAtTheBox;
    win32layer::setMessageBoxHandler([this, &onDiskAtTheBox](const win32layer::MessageBoxRecord&) {
        onDiskAtTheBox = readBytes(logFile()).value_or("<no log file>");
        return IDOK;
    });
    ShowPluginError("Internal error: 85a3", false);
    win32layer::setMessageBoxHandler({});
    const auto lines = linesOf(onDiskAtTheBox);
    ASSERT_EQ(lines.size(), 2u) << onDiskAtTheBox;
    EXPECT_EQ(withoutTime(lines[0]), "a line queued before");
    EXPECT_EQ(withoutTime(lines[1]), "error box: \"Internal error: 85a3\"");
}

TEST(QuotedLogText, EveryLineStaysOneLine) {
    const std::pair<std::string, std::string> rows[] = {
        {"", "\"\""},
        {"thessa--ship", "\"thessa--ship\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"two\nlines\tand\rmore", "\"two\\nlines\\tand\\x0Dmore\""},
        {std::string("nul\0x", 5), "\"nul\\x00x\""},
        {"\xC3\x89vora", "\"\xC3\x89vora\""},
    };
    for (const auto& [text, quoted] : rows) EXPECT_EQ(quotedLogText(text), quoted);
}

}  // namespace
