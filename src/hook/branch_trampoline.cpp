#include "hook/branch_trampoline.h"

#include <cstring>

#include "base/diagnostics.h"
#include "win/windows_api.h"

namespace lumora {

BranchTrampoline g_branchTrampoline;

BranchTrampoline::~BranchTrampoline() {
    if (m_base != nullptr) {
        VirtualFree(m_base, 0, MEM_RELEASE);
        m_base = nullptr;
    }
}

void BranchTrampoline::createBelowImage() {
    const auto image = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    const std::uintptr_t lowerBound = image < kTrampolineSearchSpan ? 0 : image - kTrampolineSearchSpan;
    std::uintptr_t addr = image - 1;

    if (m_base != nullptr) return;
    for (;;) {
        MEMORY_BASIC_INFORMATION region{};
        if (VirtualQuery(reinterpret_cast<LPCVOID>(addr), &region, sizeof region) == 0) {
            writeDiagnostic("VirtualQuery failed: %08X", static_cast<unsigned>(GetLastError()));
            return;
        }
        const auto regionBase = reinterpret_cast<std::uintptr_t>(region.BaseAddress);
        if (region.State == MEM_FREE && region.RegionSize >= kTrampolineBlockSize) {
            addr = regionBase + region.RegionSize - kTrampolineBlockSize;
            void* block = VirtualAlloc(reinterpret_cast<LPVOID>(addr), kTrampolineBlockSize, MEM_COMMIT | MEM_RESERVE,
                                       PAGE_EXECUTE_READWRITE);
            if (block != nullptr) {
                m_base = block;
                m_capacity = kTrampolineBlockSize;
                m_used = 0;
            } else {
                writeDiagnostic("trampoline alloc " LUMORA_HEX64 "x" LUMORA_HEX64 " failed (%08X)",
                                static_cast<unsigned long long>(addr),
                                static_cast<unsigned long long>(kTrampolineBlockSize),
                                static_cast<unsigned>(GetLastError()));
            }
        }
        if (m_base == nullptr) addr = regionBase - 1;
        // Also reached right after a successful allocation: the line is
        // written, but the block stays in use and the load goes on.
        if (addr < lowerBound) {
            writeDiagnostic("couldn't allocate trampoline, no free space before image");
            return;
        }
        if (m_base != nullptr) return;
    }
}

bool BranchTrampoline::writeRelCall(std::uintptr_t site, std::uintptr_t target) {
    if (m_base == nullptr) assertionFailed(125, "m_base");
    if (m_capacity - m_used < kTrampolineEntrySize) assertionFailed(255, "result");
    auto* entry = static_cast<std::uint8_t*>(m_base) + m_used;
    m_used += kTrampolineEntrySize;

    entry[0] = 0xFF;  // FF 25 00000000: jmp qword ptr [rip+0]
    entry[1] = 0x25;
    std::memset(entry + 2, 0, 4);
    std::memcpy(entry + 6, &target, 8);  // the absolute address the jump reads

    const std::int64_t trampolineDispl =
        static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(entry) - (site + 5));
    if (!((trampolineDispl >= INT32_MIN) && (trampolineDispl <= INT32_MAX)))
        assertionFailed(245, "(trampolineDispl >= _I32_MIN) && (trampolineDispl <= _I32_MAX)");

    // The protection results are not examined: the site is known to be a
    // 5-byte call in the game's mapped code.
    DWORD oldProtect = 0;
    VirtualProtect(reinterpret_cast<LPVOID>(site), 5, PAGE_EXECUTE_READWRITE, &oldProtect);
    const auto displacement = static_cast<std::int32_t>(trampolineDispl);
    std::uint8_t call[4];
    call[0] = 0xE8;  // E8 rel32: call entry
    std::memcpy(call + 1, &displacement, 3);
    std::uint8_t lastByte = static_cast<std::uint8_t>(static_cast<std::uint32_t>(displacement) >> 24);
    std::memcpy(reinterpret_cast<void*>(site), call, 4);             // first four bytes in one store
    *reinterpret_cast<volatile std::uint8_t*>(site + 4) = lastByte;  // then the fifth
    DWORD unused = 0;
    VirtualProtect(reinterpret_cast<LPVOID>(site), 5, oldProtect, &unused);
    return true;
}

}  // namespace lumora
