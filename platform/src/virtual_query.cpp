#include <cstring>

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

void describeFreeRegion(std::uintptr_t page, std::uintptr_t end, MEMORY_BASIC_INFORMATION& info) {
    info.BaseAddress = reinterpret_cast<void*>(page);
    info.AllocationBase = nullptr;
    info.AllocationProtect = 0;
    info.RegionSize = end - page;
    info.State = MEM_FREE;
    info.Protect = PAGE_NOACCESS;
    info.Type = 0;
}

bool sameProtection(const ProcessMapping& a, const ProcessMapping& b) {
    return a.readable == b.readable && a.writable == b.writable && a.executable == b.executable;
}

}  // namespace

// A region starts at the page holding the address and runs forward over pages
// of the same state and protection, never past the end of its allocation.
SIZE_T realVirtualQuery(LPCVOID address, MEMORY_BASIC_INFORMATION* buffer) {
    const auto addr = reinterpret_cast<std::uintptr_t>(address);
    if (addr >= kUserAddressLimit) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::uintptr_t page = roundDown(addr, kPageSize);
    const std::vector<ProcessMapping> mappings = readProcessMappings();
    MEMORY_BASIC_INFORMATION info{};

    std::size_t index = 0;
    while (index < mappings.size() && mappings[index].end <= page) ++index;
    if (index == mappings.size() || mappings[index].begin > page) {
        const std::uintptr_t next = index == mappings.size() ? kUserAddressLimit : mappings[index].begin;
        describeFreeRegion(page, next < kUserAddressLimit ? next : kUserAddressLimit, info);
        std::memcpy(buffer, &info, sizeof info);
        return sizeof info;
    }

    const ProcessMapping& first = mappings[index];
    std::uintptr_t end = first.end;
    for (std::size_t next = index + 1; next < mappings.size(); ++next) {
        const ProcessMapping& candidate = mappings[next];
        if (candidate.begin != end || !sameProtection(first, candidate) || candidate.path != first.path) break;
        end = candidate.end;
    }

    const std::optional<Allocation> allocation = findAllocationContaining(page);
    std::uintptr_t limit = kUserAddressLimit;
    if (allocation) {
        limit = allocation->base + allocation->size;
    } else if (auto nextStart = nextAllocationStartAbove(page)) {
        limit = *nextStart;
    }
    if (end > limit) end = limit;

    const DWORD protect = windowsProtectionFor(first.readable, first.writable, first.executable);
    info.BaseAddress = reinterpret_cast<void*>(page);
    info.AllocationBase = reinterpret_cast<void*>(allocation ? allocation->base : first.begin);
    info.AllocationProtect = allocation ? allocation->allocationProtect : protect;
    info.RegionSize = end - page;
    info.State = MEM_COMMIT;
    info.Protect = protect;
    info.Type = allocation ? allocation->type : MEM_PRIVATE;
    std::memcpy(buffer, &info, sizeof info);
    return sizeof info;
}

}  // namespace win32layer

SIZE_T VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION buffer, SIZE_T length) {
    win32layer::detail::SystemCodeScope systemCode;
    auto& seam = win32layer::detail::virtualQuerySeam();
    if (DWORD error = seam.failure()) {
        SetLastError(error);
        return 0;
    }
    if (buffer == nullptr || length < sizeof(MEMORY_BASIC_INFORMATION)) {
        SetLastError(ERROR_BAD_LENGTH);
        return 0;
    }
    if (auto fake = seam.standIn()) return fake(address, buffer);
    return win32layer::realVirtualQuery(address, buffer);
}
