#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>

#include "address_space.h"
#include "allocation_registry.h"
#include "win32_controls.h"

namespace win32layer {

namespace {

constexpr std::size_t kImageSize = 0x6B00000;

// Reserves the image wherever the system puts it (sanitizers own fixed parts
// of the address space), trimmed to a 64 KiB aligned start like a real image.
std::uint8_t* reserveImage() {
    using namespace detail;
    const std::size_t span = kImageSize + kAllocationGranularity;
    void* raw =
        mmap(nullptr, span, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (raw == MAP_FAILED) {
        std::fputs("win32layer: cannot reserve the simulated image\n", stderr);
        std::abort();
    }
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    std::uintptr_t base = start;
    roundUp(start, kAllocationGranularity, base);
    if (base > start) munmap(raw, base - start);
    const std::uintptr_t tail = start + span - (base + kImageSize);
    if (tail > 0) munmap(reinterpret_cast<void*>(base + kImageSize), tail);
    registerAllocation({base, kImageSize, MEM_IMAGE, PAGE_EXECUTE_READWRITE});
    return reinterpret_cast<std::uint8_t*>(base);
}

}  // namespace

std::uint8_t* simulatedImage() {
    static std::uint8_t* const image = reserveImage();
    return image;
}

std::size_t simulatedImageSize() { return kImageSize; }

}  // namespace win32layer
