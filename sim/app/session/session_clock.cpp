#include "session_clock.h"

#include <atomic>
#include <chrono>
#include <mutex>

namespace demo {
namespace {

std::int64_t steadyNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Read by the plugin's threads through a plain function pointer, so it lives
// for the whole process.
struct SessionClockRecord {
    std::mutex mutex;
    bool frozen = false;
    std::int64_t frozenAt = 0;
    std::int64_t offset = 0;
};

SessionClockRecord& clockRecord() {
    static SessionClockRecord& instance = *new SessionClockRecord;
    return instance;
}

}  // namespace

std::int64_t sessionClockNow() {
    auto& c = clockRecord();
    std::lock_guard lock(c.mutex);
    return c.frozen ? c.frozenAt : steadyNow() + c.offset;
}

void freezeSessionClock() {
    auto& c = clockRecord();
    std::lock_guard lock(c.mutex);
    if (c.frozen) return;
    c.frozenAt = steadyNow() + c.offset;
    c.frozen = true;
}

void runSessionClock() {
    auto& c = clockRecord();
    std::lock_guard lock(c.mutex);
    if (!c.frozen) return;
    c.offset = c.frozenAt - steadyNow();
    c.frozen = false;
}

void advanceSessionClock(std::int64_t nanoseconds) {
    auto& c = clockRecord();
    std::lock_guard lock(c.mutex);
    if (c.frozen) c.frozenAt += nanoseconds;
    else c.offset += nanoseconds;
}

bool sessionClockFrozen() {
    auto& c = clockRecord();
    std::lock_guard lock(c.mutex);
    return c.frozen;
}

}  // namespace demo
