#include "other_mod_block.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "system_memory.h"

namespace hostsim {
namespace {

// The hook counts its run, then jumps to what the site called before, with
// every register as the site left it, so the game's function returns
// straight to the site.
struct OtherModHookStub {
    std::uint8_t countRun[8];  // lock inc qword ptr [rip+disp32] -> runs
    std::uint8_t jumpOn[6];    // jmp qword ptr [rip+disp32] -> next
    std::uint8_t padding[2];
    std::uint64_t runs;
    std::uint64_t next;  // absolute address of the game's function
};
static_assert(offsetof(OtherModHookStub, jumpOn) == 0x08);
static_assert(offsetof(OtherModHookStub, padding) == 0x0E);
static_assert(offsetof(OtherModHookStub, runs) == 0x10);
static_assert(offsetof(OtherModHookStub, next) == 0x18);
static_assert(sizeof(OtherModHookStub) == 0x20);

constexpr std::uint8_t kCountRun[8] = {
    0xF0,                   // lock
    0x48, 0xFF, 0x05,       // REX.W FF /0, ModRM 05: inc qword ptr [rip+disp32]
    0x08, 0x00, 0x00, 0x00  // disp32 = 8: from the next instruction (0x08) to runs (0x10)
};
constexpr std::uint8_t kJumpOn[6] = {
    0xFF, 0x25,             // FF /4, ModRM 25: jmp qword ptr [rip+disp32]
    0x0A, 0x00, 0x00, 0x00  // disp32 = 0x0A: from the padding (0x0E) to next (0x18)
};
constexpr std::uint8_t kInt3 = 0xCC;  // int3: never reached

constexpr std::uintptr_t kGranule = 0x10000;
constexpr std::uintptr_t kPageSize = 0x1000;
constexpr std::uintptr_t kDataPage = 0x1000;
// Everything this far below the image is within rel32 reach of both sites.
constexpr std::uintptr_t kReachBelowImage = 0x70000000;

std::mutex blockMutex;
std::atomic<std::uint8_t*> theBlock{nullptr};

std::uintptr_t gameCallee(CallSite site) {
    return site == CallSite::Prompt ? offsets::HostCall_PromptHookTarget : offsets::EngineString_Create;
}

OtherModHookStub* stubOf(std::uint8_t* block, CallSite site) {
    return reinterpret_cast<OtherModHookStub*>(block) + (site == CallSite::Prompt ? 0 : 1);
}

std::uintptr_t lowestReachable() {
    const auto image = reinterpret_cast<std::uintptr_t>(imageBase());
    return image > kReachBelowImage ? image - kReachBelowImage : 0;
}

// The topmost free 64 KiB granule below `start` and within reach; 0 when
// there is none. A free region's answer runs from the queried page upward.
std::uintptr_t freeGranuleBelow(std::uintptr_t start) {
    const std::uintptr_t lowest = lowestReachable();
    std::uintptr_t addr = start - 1;
    while (addr >= lowest) {
        MEMORY_BASIC_INFORMATION info{};
        if (VirtualQuery(reinterpret_cast<LPCVOID>(addr), &info, sizeof info) == 0) return 0;
        const auto base = reinterpret_cast<std::uintptr_t>(info.BaseAddress);
        const std::uintptr_t top = (base + info.RegionSize) & ~(kGranule - 1);
        if (info.State == MEM_FREE && top >= base + kGranule && top - kGranule >= lowest) return top - kGranule;
        if (base == 0) return 0;
        addr = base - 1;
    }
    return 0;
}

std::uint8_t* block() {
    std::lock_guard lock(blockMutex);
    if (std::uint8_t* existing = theBlock.load()) return existing;
    // The whole granule, so that no free remnant of it is left for anyone
    // else to try (an allocation there would be rounded down onto ours).
    const std::uintptr_t granule = freeGranuleBelow(reinterpret_cast<std::uintptr_t>(imageBase()));
    void* memory = granule == 0 ? nullptr
                                : VirtualAlloc(reinterpret_cast<LPVOID>(granule), kGranule, MEM_COMMIT | MEM_RESERVE,
                                               PAGE_EXECUTE_READWRITE);
    DWORD previous = 0;
    if (memory == nullptr ||
        !VirtualProtect(static_cast<std::uint8_t*>(memory) + kDataPage, kPageSize, PAGE_READWRITE, &previous))
        throw std::runtime_error("no memory for another mod's block within reach below the image");
    auto* bytes = static_cast<std::uint8_t*>(memory);
    for (CallSite site : {CallSite::Prompt, CallSite::Capture}) {
        OtherModHookStub* stub = stubOf(bytes, site);
        std::memcpy(stub->countRun, kCountRun, sizeof kCountRun);
        std::memcpy(stub->jumpOn, kJumpOn, sizeof kJumpOn);
        std::memset(stub->padding, kInt3, sizeof stub->padding);
        stub->runs = 0;
        stub->next = reinterpret_cast<std::uint64_t>(at(gameCallee(site)));
    }
    theBlock.store(bytes);
    return bytes;
}

}  // namespace

std::uintptr_t otherModHookFor(CallSite site) { return reinterpret_cast<std::uintptr_t>(stubOf(block(), site)); }

std::uintptr_t existingOtherModHook(CallSite site) {
    std::uint8_t* existing = theBlock.load();
    return existing == nullptr ? 0 : reinterpret_cast<std::uintptr_t>(stubOf(existing, site));
}

std::uint64_t runsOfOtherModHook(CallSite site) {
    std::uint8_t* existing = theBlock.load();
    // The hook counts with a locked increment of its own; read it atomically.
    return existing == nullptr ? 0 : std::atomic_ref<std::uint64_t>(stubOf(existing, site)->runs).load();
}

std::uintptr_t otherModDataAddress() { return reinterpret_cast<std::uintptr_t>(block() + kDataPage + 0x40); }

std::uintptr_t unmappedAddressBelowImage() {
    const std::uintptr_t granule = freeGranuleBelow(reinterpret_cast<std::uintptr_t>(block()));
    if (granule == 0) throw std::runtime_error("no unmapped memory within reach below the image");
    return granule + kGranule / 2;
}

}  // namespace hostsim
