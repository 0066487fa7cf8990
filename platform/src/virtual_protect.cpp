#include <sys/mman.h>

#include "address_space.h"
#include "allocation_registry.h"
#include "memory_seams.h"
#include "page_protection.h"
#include "process_mappings.h"
#include "system_code.h"
#include "win32_controls.h"

namespace win32layer {

namespace {

using namespace detail;

BOOL failProtection(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

// Changes the pages holding [address, address + size). Every page must be
// mapped, and when the range starts in one of our allocations it must stay
// inside it, as Windows requires of a single reservation.
BOOL realVirtualProtect(LPVOID address, SIZE_T size, DWORD newProtect, PDWORD oldProtect) {
    int protection;
    if (size == 0 || !posixProtectionFor(newProtect, protection)) return failProtection(ERROR_INVALID_PARAMETER);
    if (oldProtect == nullptr) return failProtection(ERROR_NOACCESS);
    const auto addr = reinterpret_cast<std::uintptr_t>(address);
    const std::uintptr_t page = roundDown(addr, kPageSize);
    std::uintptr_t end;
    if (addr + size < addr || !roundUp(addr + size, kPageSize, end) || end > kUserAddressLimit) {
        return failProtection(ERROR_INVALID_PARAMETER);
    }
    if (auto allocation = findAllocationContaining(page); allocation && end > allocation->base + allocation->size) {
        return failProtection(ERROR_INVALID_ADDRESS);
    }

    const std::vector<ProcessMapping> mappings = readProcessMappings();
    std::uintptr_t covered = page;
    DWORD previous = 0;
    bool first = true;
    for (const ProcessMapping& mapping : mappings) {
        if (mapping.end <= covered) continue;
        if (mapping.begin > covered) break;  // a hole
        if (first) {
            previous = windowsProtectionFor(mapping.readable, mapping.writable, mapping.executable);
            first = false;
        }
        covered = mapping.end;
        if (covered >= end) break;
    }
    if (first || covered < end) return failProtection(ERROR_INVALID_ADDRESS);

    if (mprotect(reinterpret_cast<void*>(page), end - page, protection) != 0) {
        return failProtection(ERROR_INVALID_ADDRESS);
    }
    *oldProtect = previous;
    return TRUE;
}

}  // namespace win32layer

BOOL VirtualProtect(LPVOID address, SIZE_T size, DWORD newProtect, PDWORD oldProtect) {
    win32layer::detail::SystemCodeScope systemCode;
    auto& seam = win32layer::detail::virtualProtectSeam();
    if (DWORD error = seam.failure()) {
        SetLastError(error);
        return FALSE;
    }
    if (auto fake = seam.standIn()) return fake(address, size, newProtect, oldProtect);
    return win32layer::realVirtualProtect(address, size, newProtect, oldProtect);
}
