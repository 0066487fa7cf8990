#include <sys/mman.h>

#include <cerrno>

#include "address_space.h"
#include "allocation_registry.h"
#include "memory_seams.h"
#include "page_protection.h"
#include "system_code.h"
#include "win32_controls.h"

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

namespace win32layer {

namespace {

using namespace detail;

LPVOID failAllocation(DWORD error) {
    SetLastError(error);
    return nullptr;
}

// Reserves and commits [base, end), which must be entirely free: an existing
// mapping is never replaced.
LPVOID allocateAt(std::uintptr_t base, std::uintptr_t end, int protection, DWORD windowsProtection) {
    void* wanted = reinterpret_cast<void*>(base);
    void* got = mmap(wanted, end - base, protection, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (got == MAP_FAILED) return failAllocation(errno == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_ADDRESS);
    if (got != wanted) {
        // A kernel that does not know the flag treats the address as a hint.
        munmap(got, end - base);
        return failAllocation(ERROR_INVALID_ADDRESS);
    }
    registerAllocation({base, end - base, MEM_PRIVATE, windowsProtection});
    return got;
}

// Anywhere the system likes, starting on a 64 KiB boundary.
LPVOID allocateAnywhere(std::uintptr_t size, int protection, DWORD windowsProtection) {
    const std::uintptr_t span = size + kAllocationGranularity - kPageSize;
    void* raw = mmap(nullptr, span, protection, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return failAllocation(ERROR_NOT_ENOUGH_MEMORY);
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    std::uintptr_t base = start;
    roundUp(start, kAllocationGranularity, base);
    if (base > start) munmap(raw, base - start);
    const std::uintptr_t tail = start + span - (base + size);
    if (tail > 0) munmap(reinterpret_cast<void*>(base + size), tail);
    registerAllocation({base, size, MEM_PRIVATE, windowsProtection});
    return reinterpret_cast<LPVOID>(base);
}

// MEM_COMMIT alone: pages inside one of our allocations are already
// committed, so only their protection changes.
LPVOID commitWithin(std::uintptr_t address, std::uintptr_t size, int protection) {
    const std::uintptr_t page = roundDown(address, kPageSize);
    std::uintptr_t end;
    if (!roundUp(address + size, kPageSize, end) || address + size < address) {
        return failAllocation(ERROR_INVALID_ADDRESS);
    }
    const auto allocation = findAllocationContaining(page);
    if (!allocation || allocation->type != MEM_PRIVATE || end > allocation->base + allocation->size) {
        return failAllocation(ERROR_INVALID_ADDRESS);
    }
    if (mprotect(reinterpret_cast<void*>(page), end - page, protection) != 0) {
        return failAllocation(ERROR_INVALID_ADDRESS);
    }
    return reinterpret_cast<LPVOID>(page);
}

}  // namespace

LPVOID realVirtualAlloc(LPVOID address, SIZE_T size, DWORD allocationType, DWORD protect) {
    int protection;
    if (size == 0 || (allocationType & ~(MEM_COMMIT | MEM_RESERVE)) != 0 ||
        (allocationType & (MEM_COMMIT | MEM_RESERVE)) == 0 || !posixProtectionFor(protect, protection)) {
        return failAllocation(ERROR_INVALID_PARAMETER);
    }
    // Reserving without committing is not modelled: every page we hand out is usable.
    if (allocationType == MEM_RESERVE) return failAllocation(ERROR_INVALID_PARAMETER);

    const auto addr = reinterpret_cast<std::uintptr_t>(address);
    if (addr == 0) {
        std::uintptr_t rounded;
        if (!roundUp(size, kPageSize, rounded) || rounded >= kUserAddressLimit) {
            return failAllocation(ERROR_NOT_ENOUGH_MEMORY);
        }
        return allocateAnywhere(rounded, protection, protect);
    }
    if (allocationType == MEM_COMMIT) return commitWithin(addr, size, protection);

    // Windows lowers the start to its allocation granularity and reserves
    // through the end of the page holding the last byte asked for.
    const std::uintptr_t base = roundDown(addr, kAllocationGranularity);
    std::uintptr_t end;
    if (addr + size < addr || !roundUp(addr + size, kPageSize, end) || end > kUserAddressLimit) {
        return failAllocation(ERROR_INVALID_ADDRESS);
    }
    return allocateAt(base, end, protection, protect);
}

BOOL realVirtualFree(LPVOID address, SIZE_T size, DWORD freeType) {
    const auto base = reinterpret_cast<std::uintptr_t>(address);
    if (freeType != MEM_RELEASE || size != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto existing = findAllocationContaining(base);
    if (!existing || existing->base != base || existing->type != MEM_PRIVATE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!takeAllocationAt(base)) {  // another thread released it meanwhile
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    munmap(address, existing->size);
    return TRUE;
}

}  // namespace win32layer

LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocationType, DWORD protect) {
    win32layer::detail::SystemCodeScope systemCode;
    auto& seam = win32layer::detail::virtualAllocSeam();
    if (DWORD error = seam.failure()) {
        SetLastError(error);
        return nullptr;
    }
    if (auto fake = seam.standIn()) return fake(address, size, allocationType, protect);
    return win32layer::realVirtualAlloc(address, size, allocationType, protect);
}

BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD freeType) {
    if (auto fake = win32layer::detail::virtualFreeSeam().standIn()) return fake(address, size, freeType);
    return win32layer::realVirtualFree(address, size, freeType);
}
