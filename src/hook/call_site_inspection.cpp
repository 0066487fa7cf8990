#include "hook/call_site_inspection.h"

#include <cstring>

#include "win/windows_api.h"

namespace lumora {

namespace {

constexpr DWORD kReadableProtections = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                       PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD kExecutableProtections =
    PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// Committed pages whose base protection is one of `protections`; a guard page
// does not count, since its first touch raises an exception.
bool committedWith(const MEMORY_BASIC_INFORMATION& region, DWORD protections) {
    return region.State == MEM_COMMIT && (region.Protect & PAGE_GUARD) == 0 &&
           (region.Protect & 0xFF & protections) != 0;
}

enum class Answer { Yes, No, NoQuery };

// Whether [address, address + size) lies in committed readable memory; the
// bytes may span two regions.
Answer readable(std::uintptr_t address, std::uintptr_t size) {
    const std::uintptr_t end = address + size;
    while (address < end) {
        MEMORY_BASIC_INFORMATION region{};
        if (VirtualQuery(reinterpret_cast<LPCVOID>(address), &region, sizeof region) == 0) return Answer::NoQuery;
        if (!committedWith(region, kReadableProtections)) return Answer::No;
        const std::uintptr_t next = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
        if (next <= address) return Answer::No;  // an answer that does not cover the address
        address = next;
    }
    return Answer::Yes;
}

}  // namespace

CallSiteInspection inspectCallSite(std::uintptr_t site, std::uintptr_t expectedCallee, std::uintptr_t imageBase) {
    switch (readable(site, kRelativeCallSize)) {
        case Answer::NoQuery: return {CallSiteKind::NotQueried, 0};
        case Answer::No: return {CallSiteKind::Unknown, 0, "its bytes are not readable"};
        case Answer::Yes: break;
    }
    std::uint8_t bytes[kRelativeCallSize];
    std::memcpy(bytes, reinterpret_cast<const void*>(site), sizeof bytes);
    if (bytes[0] != kRelativeCallOpcode) return {CallSiteKind::Unknown, 0, "no call instruction"};
    std::int32_t displacement;
    std::memcpy(&displacement, bytes + 1, sizeof displacement);
    const std::uintptr_t callee = site + kRelativeCallSize + static_cast<std::intptr_t>(displacement);
    if (callee == expectedCallee) return {CallSiteKind::GameOwn, callee};

    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(reinterpret_cast<LPCVOID>(callee), &region, sizeof region) == 0)
        return {CallSiteKind::Unknown, 0, "the memory its call leads to cannot be queried"};
    if (!committedWith(region, kExecutableProtections))
        return {CallSiteKind::Unknown, 0, "its call leads outside committed executable memory"};
    // Every region of a mapped image reports the image's base; any other
    // target of the game's own code is code we do not know.
    if (reinterpret_cast<std::uintptr_t>(region.AllocationBase) == imageBase)
        return {CallSiteKind::Unknown, 0, "its call leads to another function of the game"};
    return {CallSiteKind::Chained, callee};
}

}  // namespace lumora
