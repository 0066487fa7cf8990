#pragma once
// The log for bug reports (bWriteLogFile=1): lines are queued by whichever
// thread has something to say and written to LumoraSearchEngine.log by the
// polling thread, so that the game's thread never waits for the disk. Lines
// that come before the key is read (an error box or a failure in the load)
// are held until settlePluginLog says whether the log is wanted.
#include <cstddef>
#include <string>
#include <string_view>

namespace lumora {

// Relative to the game's folder, beside the settings file.
inline constexpr const char* kPluginLogPath = ".\\Data\\Obrix\\Plugins\\LumoraSearchEngine.log";
// The file never grows past this; its last line then says that it stopped.
inline constexpr std::size_t kPluginLogLimitBytes = 1024 * 1024;
inline constexpr const char* kPluginLogLimitText = "log stopped: it reached its limit of 1 MiB";

// Whether a line given now would be kept: true until the settings are read,
// then while the log is on and has room. One atomic load; callers test it
// before they gather what a line needs.
bool pluginLogAccepting() noexcept;

// Queues one printf-style line, prefixed with the seconds since the plugin
// was loaded. Never throws and never waits for the disk: a line that cannot
// be formatted or stored is dropped.
void appendLogLine(const char* format, ...) noexcept
#ifndef _WIN32
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Whether settlePluginLog has said if the log is wanted.
bool pluginLogSettled() noexcept;

// Called once the settings are read: on keeps the held lines for the writer,
// off drops them and every later line, and the file is never touched.
void settlePluginLog(bool writeLogFile) noexcept;

// The writer's pass, on the polling thread (and before an error box shows,
// on the thread that shows it): opens the file afresh on the
// first pass after the log was turned on, then writes what was queued. A
// file that cannot be opened or written turns the log off for the rest of
// the session: nothing is reported, nothing else changes.
void writeQueuedLogLines() noexcept;

// Text as a log line shows it: in double quotes, with \" \\ \n \t and \xHH
// for the other control bytes, so that every line stays one line.
std::string quotedLogText(std::string_view text);

// What the writer does with the file. Tests replace these to fail an open or
// a write; nullptr restores the C runtime's files.
struct LogFileOperations {
    void* (*open)(const char* path);                                 // null: not opened
    bool (*write)(void* file, const char* bytes, std::size_t size);  // false: not all written
    void (*close)(void* file);
};
void setLogFileOperationsForTesting(const LogFileOperations* operations) noexcept;

// Back to the state of a freshly loaded plugin (lines held, no file open).
void resetPluginLogForTesting() noexcept;

}  // namespace lumora
