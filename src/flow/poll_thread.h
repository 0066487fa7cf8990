#pragma once
// The polling thread: hotkey on the star map, TAB/ESC while typing, digits in
// the result box.
#include <cstdint>

#include "win/windows_api.h"

namespace lumora {

struct DigitKey {
    std::int32_t code;  // virtual-key code, -1 when no digit is down
    bool fromKeypad;
};

// The first top-row digit down (0x30..0x39), else the first keypad digit down
// (0x60..0x69), else -1.
DigitKey ReadDigitKey();

// One pass over the keys and the shared state.
void PollOnce();

// One guarded pass. Results: true when PollOnce ran to its end; false when an
// exception stopped it (the pass is skipped, a diagnostic line says why, and
// every lock it took has been released).
bool runPollingPass() noexcept;

// Thread routine: a guarded pass, then 50 ms of sleep, for ever.
DWORD WINAPI PollThreadMain(LPVOID parameter) noexcept;

// Creates the polling thread (8 KiB initial stack, no parameter). When Windows
// refuses, a diagnostic line says so and the plugin goes on without it.
void startPollingThread();

}  // namespace lumora
