#pragma once
// The simulated game as the fuzz targets run it: booted once, the plugin's
// bindings pointed at it, the plugin's clock stopped at one instant.
#include <cstdint>

#include "host/bindings.h"
#include "hostsim/boot.h"
#include "state/clock.h"
#include "win32_controls.h"

namespace fuzz_game {

inline constexpr std::int64_t kNow = 9'000'000'000'000;
inline std::int64_t fixedClock() { return kNow; }

inline void bootForFuzzing() {
    hostsim::bootGame();
    lumora::bindHostImage();
    lumora::setClockSourceForTesting(&fixedClock);
    // The game's image is already writable and executable. Our VirtualProtect
    // reads the process's mappings on every call, which would take most of
    // each run, so the title patching sees a protection change that succeeds.
    win32layer::setVirtualProtectOverride([](LPVOID, SIZE_T, DWORD, PDWORD oldProtect) -> BOOL {
        if (oldProtect != nullptr) *oldProtect = PAGE_EXECUTE_READWRITE;
        return TRUE;
    });
}

}  // namespace fuzz_game
