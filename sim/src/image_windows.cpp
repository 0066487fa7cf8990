#ifdef _WIN32
// Under Windows the simulator is the game's executable: a zero-filled array in
// .bss, right after the program's small code and data, covers every offset.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "hostsim/image.h"
#include "hostsim/offsets.h"

namespace hostsim {
namespace {
unsigned char gameImageArea[kImageSize];
}

std::uint8_t* imageBase() { return reinterpret_cast<std::uint8_t*>(GetModuleHandleA(nullptr)); }

std::uint8_t* prepareImage() {
    std::uint8_t* base = imageBase();
    std::uint8_t* areaStart = gameImageArea;
    std::uint8_t* areaEnd = gameImageArea + sizeof gameImageArea;
    if (areaStart > base + offsets::kLowestOffset || areaEnd < base + offsets::kImageEnd) {
        std::fprintf(stderr, "hostsim: image area %p..%p does not cover image+0x%zX..image+0x%zX\n",
                     static_cast<void*>(areaStart), static_cast<void*>(areaEnd),
                     static_cast<std::size_t>(offsets::kLowestOffset), static_cast<std::size_t>(offsets::kImageEnd));
        std::abort();
    }
    DWORD previous = 0;
    if (!VirtualProtect(areaStart, sizeof gameImageArea, PAGE_EXECUTE_READWRITE, &previous)) {
        std::fprintf(stderr, "hostsim: VirtualProtect of the image area failed (%lu)\n", GetLastError());
        std::abort();
    }
    return base;
}

}  // namespace hostsim
#endif
