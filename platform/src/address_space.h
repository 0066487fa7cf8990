#pragma once
// Page and allocation granularity of the Windows address space we present,
// and the end of the user range on x86-64 Linux.
#include <cstdint>

namespace win32layer::detail {

inline constexpr std::uintptr_t kPageSize = 0x1000;
inline constexpr std::uintptr_t kAllocationGranularity = 0x10000;
// First address above the user half of the address space.
inline constexpr std::uintptr_t kUserAddressLimit = 0x7FFFFFFFF000;

constexpr std::uintptr_t roundDown(std::uintptr_t value, std::uintptr_t alignment) { return value & ~(alignment - 1); }

// False when rounding up would pass the top of the address space.
constexpr bool roundUp(std::uintptr_t value, std::uintptr_t alignment, std::uintptr_t& rounded) {
    if (value > UINTPTR_MAX - (alignment - 1)) return false;
    rounded = roundDown(value + alignment - 1, alignment);
    return true;
}

}  // namespace win32layer::detail
