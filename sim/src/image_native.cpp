#ifndef _WIN32
// Natively the image is memory the Win32 layer reserved for the game; it is
// what GetModuleHandleA(nullptr) answers, wherever the system placed it.
#include <cstdio>
#include <cstdlib>

#include "hostsim/image.h"
#include "win32_controls.h"
#include "win32_layer.h"

namespace hostsim {

std::uint8_t* imageBase() { return reinterpret_cast<std::uint8_t*>(win32layer::simulatedImage()); }

std::uint8_t* prepareImage() {
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
