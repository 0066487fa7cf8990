#pragma once
// The allocations this layer made itself (the simulated image and every
// VirtualAlloc block), so that regions report their allocation base and
// type and VirtualFree releases exactly what was reserved.
#include <cstdint>
#include <optional>

#include "win32_layer.h"

namespace win32layer::detail {

struct Allocation {
    std::uintptr_t base;
    std::uintptr_t size;
    DWORD type;               // MEM_IMAGE or MEM_PRIVATE
    DWORD allocationProtect;  // protection given when it was made
};

void registerAllocation(const Allocation& allocation);
// Removes and returns the allocation that starts exactly at `base`.
std::optional<Allocation> takeAllocationAt(std::uintptr_t base);
std::optional<Allocation> findAllocationContaining(std::uintptr_t address);
// Start of the first allocation above `address`, or nullopt.
std::optional<std::uintptr_t> nextAllocationStartAbove(std::uintptr_t address);

}  // namespace win32layer::detail
