#pragma once
// The time the plugin reads, when the program that links it lets the session
// set its clock source: the steady clock moved by an offset, or frozen at a
// value that moves only when a script says so.
#include <cstdint>

namespace demo {

using ClockReader = std::int64_t (*)();
// Installs a clock source in the plugin; nullptr puts its own clock back.
using ClockInstaller = void (*)(ClockReader);

// The session's clock: steady clock plus the offset, or the frozen value.
std::int64_t sessionClockNow();
void freezeSessionClock();
void runSessionClock();  // goes on from the frozen value, at the steady clock's pace
void advanceSessionClock(std::int64_t nanoseconds);
bool sessionClockFrozen();

}  // namespace demo
