#include "base/plugin_log.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace lumora {

namespace {

enum class LogState {
    Held,  // the settings are not read yet: lines wait in memory
    On,    // lines are queued and written
    Full,  // the limit line is queued; nothing more is taken
    Off,   // the key is off, or the file failed: nothing is taken or written
};

// Room kept for the limit line, which is shorter than this whatever the time.
constexpr std::size_t kLimitLineReserve = 128;
constexpr std::size_t kLongestLine = 1024;
constexpr std::size_t kLongestPath = 260;
constexpr const char* kLineEnd = "\r\n";  // the same bytes on every system

const std::chrono::steady_clock::time_point g_loadedAt = std::chrono::steady_clock::now();
std::atomic<LogState> g_state{LogState::Held};

// Shared by every thread that logs and the writer; held only to move lines in
// or out, never while the disk is written.
struct LineQueue {
    std::mutex mutex;
    std::vector<std::string> lines;
    std::size_t acceptedBytes = 0;  // every line taken so far, written or not
};
LineQueue g_queue;

// The writer's own: only writeQueuedLogLines and the test reset touch them.
struct LogFile {
    std::mutex mutex;
    void* handle = nullptr;
    bool openTried = false;
};
LogFile g_file;

// Runs on the polling thread and in a refused load, where nothing may throw:
// the path is copied into a buffer of its own, never onto the heap.
void* openWithRuntime(const char* path) {
    char native[kLongestPath];
    const std::size_t length = std::strlen(path);
    if (length >= sizeof native) return nullptr;
    std::memcpy(native, path, length + 1);
#ifndef _WIN32
    std::replace(native, native + length, '\\', '/');
#endif
    return std::fopen(native, "wb");
}

bool writeWithRuntime(void* file, const char* bytes, std::size_t size) {
    auto* stream = static_cast<std::FILE*>(file);
    // A full disk often shows only when the buffer is flushed.
    return std::fwrite(bytes, 1, size, stream) == size && std::fflush(stream) == 0;
}

void closeWithRuntime(void* file) { std::fclose(static_cast<std::FILE*>(file)); }

constexpr LogFileOperations kRuntimeFileOperations{&openWithRuntime, &writeWithRuntime, &closeWithRuntime};
std::atomic<const LogFileOperations*> g_operations{&kRuntimeFileOperations};

bool accepting(LogState state) { return state == LogState::Held || state == LogState::On; }

// "[seconds.milliseconds] " since the plugin was loaded; returns its length.
int writeTimePrefix(char* buffer, std::size_t size) {
    const auto elapsed = std::chrono::steady_clock::now() - g_loadedAt;
    // A clock that a test or a game's tool set back shows 0, not a negative time.
    const long long ms = std::max<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 0);
    const int length = std::snprintf(buffer, size, "[%lu.%03u] ", static_cast<unsigned long>(ms / 1000),
                                     static_cast<unsigned>(ms % 1000));
    return std::clamp(length, 0, static_cast<int>(size) - 1);
}

// Ends the log for the session: the lines waiting are dropped with it.
void turnLogOff() noexcept {
    g_state.store(LogState::Off, std::memory_order_release);
    std::lock_guard lock(g_queue.mutex);
    std::vector<std::string>().swap(g_queue.lines);
}

void closeLogFile(const LogFileOperations& operations) {
    if (g_file.handle != nullptr) operations.close(g_file.handle);
    g_file.handle = nullptr;
}

}  // namespace

bool pluginLogAccepting() noexcept { return accepting(g_state.load(std::memory_order_acquire)); }

bool pluginLogSettled() noexcept { return g_state.load(std::memory_order_acquire) != LogState::Held; }

void appendLogLine(const char* format, ...) noexcept {
    if (!pluginLogAccepting()) return;
    char buffer[kLongestLine];
    const std::size_t room = sizeof buffer - 2;  // the line end
    std::size_t length = static_cast<std::size_t>(writeTimePrefix(buffer, room));
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer + length, room - length, format, args);
    va_end(args);
    if (written < 0) return;
    length = std::min(length + static_cast<std::size_t>(written), room - 1);
    buffer[length++] = kLineEnd[0];
    buffer[length++] = kLineEnd[1];

    // A line that cannot be stored (no memory) is dropped: the log is never a
    // reason for the plugin to fail.
    try {
        std::lock_guard lock(g_queue.mutex);
        if (!pluginLogAccepting()) return;
        if (g_queue.acceptedBytes + length <= kPluginLogLimitBytes - kLimitLineReserve) {
            g_queue.lines.emplace_back(buffer, length);
            g_queue.acceptedBytes += length;
            return;
        }
        length = static_cast<std::size_t>(writeTimePrefix(buffer, room));
        length += static_cast<std::size_t>(std::snprintf(buffer + length, room - length, "%s", kPluginLogLimitText));
        buffer[length++] = kLineEnd[0];
        buffer[length++] = kLineEnd[1];
        g_state.store(LogState::Full, std::memory_order_release);
        g_queue.lines.emplace_back(buffer, length);
        g_queue.acceptedBytes += length;
    } catch (...) {
    }
}

void settlePluginLog(bool writeLogFile) noexcept {
    if (!writeLogFile) {
        turnLogOff();
        return;
    }
    LogState held = LogState::Held;
    g_state.compare_exchange_strong(held, LogState::On, std::memory_order_acq_rel);
}

void writeQueuedLogLines() noexcept {
    std::lock_guard writer(g_file.mutex);
    const LogState state = g_state.load(std::memory_order_acquire);
    if (state == LogState::Held || state == LogState::Off) return;
    const LogFileOperations& operations = *g_operations.load(std::memory_order_acquire);
    if (!g_file.openTried) {
        g_file.openTried = true;
        // Nothing may leave this noexcept pass: whatever the open throws, the
        // log ends and the plugin goes on.
        try {
            g_file.handle = operations.open(kPluginLogPath);
        } catch (...) {
            g_file.handle = nullptr;
        }
        if (g_file.handle == nullptr) {
            turnLogOff();
            return;
        }
    }
    if (g_file.handle == nullptr) return;  // the limit line is written and the file closed

    std::string batch;
    try {
        std::lock_guard lock(g_queue.mutex);
        for (const std::string& line : g_queue.lines) batch += line;
        g_queue.lines.clear();
    } catch (...) {
        // No memory for the batch: the lines stay queued for the next pass.
        return;
    }
    if (!batch.empty() && !operations.write(g_file.handle, batch.data(), batch.size())) {
        closeLogFile(operations);
        turnLogOff();
        return;
    }
    // The batch was taken under the same lock that makes the state Full, so a
    // full log has had its limit line written once it was taken here.
    if (state == LogState::Full) closeLogFile(operations);
}

std::string quotedLogText(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(byte));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    quoted += '"';
    return quoted;
}

void setLogFileOperationsForTesting(const LogFileOperations* operations) noexcept {
    g_operations.store(operations != nullptr ? operations : &kRuntimeFileOperations, std::memory_order_release);
}

void resetPluginLogForTesting() noexcept {
    std::lock_guard writer(g_file.mutex);
    closeLogFile(*g_operations.load(std::memory_order_acquire));
    g_file.openTried = false;
    std::lock_guard lock(g_queue.mutex);
    g_queue.lines.clear();
    g_queue.acceptedBytes = 0;
    g_state.store(LogState::Held, std::memory_order_release);
}

}  // namespace lumora
