#pragma once
#include <cstdint>

namespace lumora {

// Nanoseconds of the steady clock, as a signed 64-bit count.
std::int64_t NowNs();

// Tests replace the clock source; nullptr restores the steady clock.
using ClockSource = std::int64_t (*)();
void setClockSourceForTesting(ClockSource source);

}  // namespace lumora
