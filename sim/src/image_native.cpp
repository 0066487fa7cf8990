#ifndef _WIN32
// Natively the image is memory the Win32 layer reserved for the game; it is
// what GetModuleHandleA(nullptr) answers, wherever the system placed it.
#include <cstdio>
#include <cstdlib>

#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "win32_controls.h"
#include "win32_layer.h"

namespace hostsim {

std::uint8_t* imageBase() { return reinterpret_cast<std::uint8_t*>(win32layer::simulatedImage()); }

namespace {

// The game's executable as Windows names it, with the version resource that
// the Windows build of the game carries in its file (win/halcyra_sim.rc).
constexpr const char* kExecutablePath = "C:\\Games\\Halcyra\\halcyra_sim.exe";

void giveExecutableItsVersion() {
    // Runtime versions pack major.minor.build.sub as 8.8.12.4 bits.
    const DWORD major = kGameRuntimeVersion >> 24, minor = (kGameRuntimeVersion >> 16) & 0xFF,
                build = (kGameRuntimeVersion >> 4) & 0xFFF, sub = kGameRuntimeVersion & 0xF;
    const DWORD high = (major << 16) | minor, low = (build << 16) | sub;
    win32layer::setExecutablePath(kExecutablePath);
    win32layer::setFileVersionResource(kExecutablePath, win32layer::makeVersionResource(high, low, high, low));
}

}  // namespace

std::uint8_t* prepareImage() {
    giveExecutableItsVersion();
    std::uint8_t* base = imageBase();
    DWORD previous = 0;
    if (base == nullptr || !VirtualProtect(base, kImageSize, PAGE_EXECUTE_READWRITE, &previous)) {
        std::fprintf(stderr, "hostsim: the game image cannot be made writable (error %u)\n",
                     static_cast<unsigned>(GetLastError()));
        std::abort();
    }
    return base;
}

}  // namespace hostsim
#endif
