#include <condition_variable>
#include <mutex>

#include "system_code.h"
#include "win32_controls.h"

namespace win32layer {

namespace {

struct MessageBoxLog {
    std::mutex mutex;
    std::condition_variable shown;
    std::vector<MessageBoxRecord> records;
    std::function<int(const MessageBoxRecord&)> handler;
};

MessageBoxLog& messageBoxLog() {
    static MessageBoxLog* log = new MessageBoxLog;
    return *log;
}

}  // namespace

std::vector<MessageBoxRecord> shownMessageBoxes() {
    MessageBoxLog& log = messageBoxLog();
    std::lock_guard lock(log.mutex);
    return log.records;
}

void clearMessageBoxes() {
    MessageBoxLog& log = messageBoxLog();
    std::lock_guard lock(log.mutex);
    log.records.clear();
}

void setMessageBoxHandler(std::function<int(const MessageBoxRecord&)> handler) {
    MessageBoxLog& log = messageBoxLog();
    std::lock_guard lock(log.mutex);
    log.handler = std::move(handler);
}

bool waitForMessageBoxes(std::size_t count, std::chrono::milliseconds timeout) {
    MessageBoxLog& log = messageBoxLog();
    std::unique_lock lock(log.mutex);
    return log.shown.wait_for(lock, timeout, [&] { return log.records.size() >= count; });
}

}  // namespace win32layer

// Recorded first, then answered by the handler outside the lock, so a handler
// that blocks (a modal box left open) does not stop other boxes or readers.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    win32layer::detail::SystemCodeScope systemCode;
    using namespace win32layer;
    MessageBoxRecord record{owner, text ? text : "", caption ? caption : "Error", type, std::this_thread::get_id()};
    std::function<int(const MessageBoxRecord&)> handler;
    {
        MessageBoxLog& log = messageBoxLog();
        std::lock_guard lock(log.mutex);
        log.records.push_back(record);
        handler = log.handler;
        log.shown.notify_all();
    }
    return handler ? handler(record) : IDOK;
}
