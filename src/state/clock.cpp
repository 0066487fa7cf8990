#include "state/clock.h"

#include <atomic>
#include <chrono>

namespace lumora {

namespace {
std::atomic<ClockSource> g_clockSource{nullptr};
}  // namespace

std::int64_t NowNs() {
    if (ClockSource source = g_clockSource.load(std::memory_order_acquire)) return source();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void setClockSourceForTesting(ClockSource source) { g_clockSource.store(source, std::memory_order_release); }

}  // namespace lumora
