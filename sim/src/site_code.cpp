#include "hostsim/site_code.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "win32_layer.h"
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"

namespace hostsim {
namespace {

using SiteBytes = std::array<std::uint8_t, 5>;

// Another mod's hook: counts its run, then jumps to what the site called
// before, with every register as the site left it, so the game's function
// returns straight to the site.
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

// The other mod's memory: one 64 KiB allocation granule. Its first page holds
// the two hooks and is executable; its second page is data only.
constexpr std::uintptr_t kGranule = 0x10000;
constexpr std::uintptr_t kPageSize = 0x1000;
constexpr std::uintptr_t kDataPage = 0x1000;
// Everything this far below the image is within rel32 reach of both sites.
constexpr std::uintptr_t kReachBelowImage = 0x70000000;

// A game function no plugin binds to: xor eax,eax / ret, in a free part of the image.
constexpr std::uintptr_t kOtherGameFunction = 0x5C0100;
constexpr std::uint8_t kOtherGameFunctionCode[3] = {
    0x31, 0xC0,  // xor eax, eax
    0xC3         // ret
};
// 0F 1F /0 with ModRM 44, SIB 00, disp8 00: nop dword ptr [rax+rax*1+0].
constexpr SiteBytes kGarbage = {0x0F, 0x1F, 0x44, 0x00, 0x00};

struct SiteRecord {
    SiteCode code = SiteCode::GameCall;
    SiteBytes placed{};
    SiteBytes beforeLoad{};
    DWORD protectionBeforeLoad = 0;
    bool madeUnreadable = false;
    std::uint64_t passes = 0;         // passes that ran the other mod's hook
    std::uint64_t passesInOrder = 0;  // of those, passes where it ran once, before the game's function
};

struct SiteCodeRecord {
    std::mutex mutex;
    SiteRecord sites[2];
    std::uint8_t* block = nullptr;
};

SiteCodeRecord& record() {
    // Never destroyed: the game thread may pass a site during exit.
    static SiteCodeRecord& instance = *new SiteCodeRecord;
    return instance;
}

SiteRecord& siteRecord(SiteCodeRecord& r, CallSite site) { return r.sites[site == CallSite::Prompt ? 0 : 1]; }

std::uintptr_t gameCallee(CallSite site) {
    return site == CallSite::Prompt ? offsets::HostCall_PromptHookTarget : offsets::EngineString_Create;
}

SiteBytes readSite(CallSite site) {
    SiteBytes bytes;
    std::memcpy(bytes.data(), at(siteOffset(site)), bytes.size());
    return bytes;
}

SiteBytes callTo(CallSite site, std::uintptr_t target) {
    const auto next = reinterpret_cast<std::intptr_t>(at(siteOffset(site))) + 5;
    const std::intptr_t displacement = static_cast<std::intptr_t>(target) - next;
    if (displacement < INT32_MIN || displacement > INT32_MAX)
        throw std::runtime_error(std::string(siteName(site)) + " site: the target lies out of rel32 reach");
    const auto rel32 = static_cast<std::int32_t>(displacement);
    SiteBytes bytes{0xE8};  // E8 rel32: call next + rel32
    std::memcpy(bytes.data() + 1, &rel32, sizeof rel32);
    return bytes;
}

OtherModHookStub* stubOf(std::uint8_t* block, CallSite site) {
    return reinterpret_cast<OtherModHookStub*>(block) + (site == CallSite::Prompt ? 0 : 1);
}

// The topmost 64 KiB granule of free memory below `start`, no lower than
// `lowest`; 0 when there is none.
std::uintptr_t freeGranuleBelow(std::uintptr_t start, std::uintptr_t lowest) {
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

std::uintptr_t lowestReachable() {
    const auto image = reinterpret_cast<std::uintptr_t>(imageBase());
    return image > kReachBelowImage ? image - kReachBelowImage : 0;
}

std::uint8_t* otherModBlock(SiteCodeRecord& r) {
    if (r.block != nullptr) return r.block;
    const std::uintptr_t granule = freeGranuleBelow(reinterpret_cast<std::uintptr_t>(imageBase()), lowestReachable());
    void* block = granule == 0 ? nullptr
                               : VirtualAlloc(reinterpret_cast<LPVOID>(granule), kGranule, MEM_COMMIT | MEM_RESERVE,
                                              PAGE_EXECUTE_READWRITE);
    DWORD previous = 0;
    if (block == nullptr ||
        !VirtualProtect(static_cast<std::uint8_t*>(block) + kDataPage, kPageSize, PAGE_READWRITE, &previous))
        throw std::runtime_error("no memory for another mod's block within reach below the image");
    r.block = static_cast<std::uint8_t*>(block);
    for (CallSite site : {CallSite::Prompt, CallSite::Capture}) {
        OtherModHookStub* stub = stubOf(r.block, site);
        std::memcpy(stub->countRun, kCountRun, sizeof kCountRun);
        std::memcpy(stub->jumpOn, kJumpOn, sizeof kJumpOn);
        std::memset(stub->padding, kInt3, sizeof stub->padding);
        stub->runs = 0;
        stub->next = reinterpret_cast<std::uint64_t>(at(gameCallee(site)));
    }
    return r.block;
}

// An address in the nearest free region below the other mod's block.
std::uintptr_t unmappedTarget(SiteCodeRecord& r) {
    const std::uintptr_t granule =
        freeGranuleBelow(reinterpret_cast<std::uintptr_t>(otherModBlock(r)), lowestReachable());
    if (granule == 0) throw std::runtime_error("no unmapped memory within reach below the image");
    return granule + kGranule / 2;
}

bool unknownToThePlugin(SiteCode code) { return code != SiteCode::GameCall && code != SiteCode::HookedByOther; }

std::string hexBytes(const SiteBytes& bytes) {
    std::string text;
    char part[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(part, sizeof part, "%s%02X", text.empty() ? "" : " ", byte);
        text += part;
    }
    return text;
}

}  // namespace

const char* siteName(CallSite site) { return site == CallSite::Prompt ? "prompt" : "capture"; }

std::uintptr_t siteOffset(CallSite site) {
    return site == CallSite::Prompt ? offsets::HostCallSite_PromptHook : offsets::HostCallSite_TextCaptureHook;
}

std::string describeSiteCode(SiteCode code) {
    switch (code) {
        case SiteCode::GameCall: return "the game's own call";
        case SiteCode::HookedByOther: return "a call to another mod's hook";
        case SiteCode::Garbage: return "other code: " + hexBytes(kGarbage);
        case SiteCode::OtherGameFunction: return "a call to another function of the game";
        case SiteCode::NonExecutableTarget: return "a call into non-executable memory";
        case SiteCode::UnmappedTarget: return "a call into unmapped memory";
        case SiteCode::UnreadablePage: return "the game's own call on a page unreadable while plugins load";
    }
    return {};
}

void placeSiteCode(CallSite site, SiteCode code) {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    SiteBytes bytes = callTo(site, reinterpret_cast<std::uintptr_t>(at(gameCallee(site))));
    switch (code) {
        case SiteCode::GameCall:
        case SiteCode::UnreadablePage: break;
        case SiteCode::HookedByOther:
            bytes = callTo(site, reinterpret_cast<std::uintptr_t>(stubOf(otherModBlock(r), site)));
            break;
        case SiteCode::Garbage: bytes = kGarbage; break;
        case SiteCode::OtherGameFunction:
            std::memcpy(at(kOtherGameFunction), kOtherGameFunctionCode, sizeof kOtherGameFunctionCode);
            bytes = callTo(site, reinterpret_cast<std::uintptr_t>(at(kOtherGameFunction)));
            break;
        case SiteCode::NonExecutableTarget:
            bytes = callTo(site, reinterpret_cast<std::uintptr_t>(otherModBlock(r) + kDataPage + 0x40));
            break;
        case SiteCode::UnmappedTarget: bytes = callTo(site, unmappedTarget(r)); break;
    }
    std::memcpy(at(siteOffset(site)), bytes.data(), bytes.size());
    SiteRecord& s = siteRecord(r, site);
    s.code = code;
    s.placed = bytes;
}

SiteCode siteCode(CallSite site) {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    return siteRecord(r, site).code;
}

const void* otherModHook(CallSite site) {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    return r.block == nullptr ? nullptr : stubOf(r.block, site);
}

std::uint64_t otherModHookRuns(CallSite site) {
    auto* stub = static_cast<OtherModHookStub*>(const_cast<void*>(otherModHook(site)));
    // The hook counts with a locked increment of its own; read it atomically.
    return stub == nullptr ? 0 : std::atomic_ref<std::uint64_t>(stub->runs).load();
}

bool passRunsSiteCode(CallSite site) {
    const SiteCode code = siteCode(site);
    return code == SiteCode::GameCall || code == SiteCode::HookedByOther || code == SiteCode::UnreadablePage;
}

void checkPlacedBytes(CallSite site) {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    const SiteRecord& s = siteRecord(r, site);
    if (unknownToThePlugin(s.code) && readSite(site) != s.placed)
        recordViolation(std::string(siteName(site)) + " site: code a plugin could not know was overwritten");
}

bool checkOtherModHookPass(CallSite site, std::uint64_t runsBefore, std::uint64_t runsAtGameCall) {
    if (siteCode(site) != SiteCode::HookedByOther) return true;
    const std::uint64_t runs = otherModHookRuns(site);
    auto& r = record();
    std::lock_guard lock(r.mutex);
    SiteRecord& s = siteRecord(r, site);
    ++s.passes;
    if (runs != runsBefore + 1) {
        recordViolation(std::string(siteName(site)) + " site: the other mod's hook ran " +
                        std::to_string(runs - runsBefore) + " times in one pass");
        return false;
    }
    if (runsAtGameCall != runsBefore + 1) {
        recordViolation(std::string(siteName(site)) + " site: the game's function ran before the other mod's hook");
        return false;
    }
    ++s.passesInOrder;
    return true;
}

void siteCodeBeforePluginLoad() {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    for (CallSite site : {CallSite::Prompt, CallSite::Capture}) {
        SiteRecord& s = siteRecord(r, site);
        s.beforeLoad = readSite(site);
        if (s.code != SiteCode::UnreadablePage) continue;
        s.madeUnreadable = VirtualProtect(at(siteOffset(site)), 5, PAGE_NOACCESS, &s.protectionBeforeLoad) != 0;
        if (!s.madeUnreadable)
            recordViolation(std::string(siteName(site)) + " site: its page cannot be made unreadable");
    }
}

void siteCodeAfterPluginLoad(bool loadReturned) {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    for (CallSite site : {CallSite::Prompt, CallSite::Capture}) {
        SiteRecord& s = siteRecord(r, site);
        if (s.madeUnreadable) {
            DWORD unused = 0;
            VirtualProtect(at(siteOffset(site)), 5, s.protectionBeforeLoad, &unused);
            s.madeUnreadable = false;
        }
        const SiteBytes now = readSite(site);
        if (!loadReturned && now != s.beforeLoad)
            recordViolation(std::string(siteName(site)) + " site: changed by a plugin whose load failed");
        else if (unknownToThePlugin(s.code) && now != s.placed)
            recordViolation(std::string(siteName(site)) + " site: code a plugin could not know was overwritten");
    }
}

void reportOtherModHooks() {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    for (CallSite site : {CallSite::Prompt, CallSite::Capture}) {
        const SiteRecord& s = siteRecord(r, site);
        if (s.code != SiteCode::HookedByOther) continue;
        const std::string hook = std::string("other mod: hook at the ") + siteName(site) + " site ran ";
        if (s.passes > 0 && s.passesInOrder == s.passes)
            recordTranscriptLine(hook + "on every pass, before the game's function");
        else
            recordTranscriptLine(hook + "once, before the game's function, on " + std::to_string(s.passesInOrder) +
                                 " of " + std::to_string(s.passes) + " passes");
    }
}

std::string nameKnownAddresses(const std::string& line) {
    const auto image = reinterpret_cast<std::uintptr_t>(imageBase());
    const auto promptHook = reinterpret_cast<std::uintptr_t>(otherModHook(CallSite::Prompt));
    const auto captureHook = reinterpret_cast<std::uintptr_t>(otherModHook(CallSite::Capture));
    auto isHexDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'); };
    std::string named;
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t end = i;
        while (end < line.size() && isHexDigit(line[end])) ++end;
        if (end - i != 16 || (i > 0 && std::isalnum(static_cast<unsigned char>(line[i - 1]))) ||
            (end < line.size() && std::isalnum(static_cast<unsigned char>(line[end])))) {
            named.append(line, i, std::max<std::size_t>(end - i, 1));
            i = std::max(end, i + 1);
            continue;
        }
        const std::uintptr_t value = std::stoull(line.substr(i, 16), nullptr, 16);
        char text[40];
        if (value != 0 && value == promptHook) named += "other mod's prompt hook";
        else if (value != 0 && value == captureHook) named += "other mod's capture hook";
        else if (value >= image && value - image < kImageSize) {
            std::snprintf(text, sizeof text, "image+0x%llX", static_cast<unsigned long long>(value - image));
            named += text;
        } else named.append(line, i, 16);
        i = end;
    }
    return named;
}

}  // namespace hostsim
