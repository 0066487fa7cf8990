#include "hostsim/site_code.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "other_mod_block.h"
#include "system_memory.h"

namespace hostsim {
namespace {

using SiteBytes = std::array<std::uint8_t, 5>;

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
        case SiteCode::HookedByOther: bytes = callTo(site, otherModHookFor(site)); break;
        case SiteCode::Garbage: bytes = kGarbage; break;
        case SiteCode::OtherGameFunction:
            std::memcpy(at(kOtherGameFunction), kOtherGameFunctionCode, sizeof kOtherGameFunctionCode);
            bytes = callTo(site, reinterpret_cast<std::uintptr_t>(at(kOtherGameFunction)));
            break;
        case SiteCode::NonExecutableTarget: bytes = callTo(site, otherModDataAddress()); break;
        case SiteCode::UnmappedTarget: bytes = callTo(site, unmappedAddressBelowImage()); break;
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

const void* otherModHook(CallSite site) { return reinterpret_cast<const void*>(existingOtherModHook(site)); }

std::uint64_t otherModHookRuns(CallSite site) { return runsOfOtherModHook(site); }

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
            // Giving back the protection the page had a moment ago does not
            // fail; if it did, the next pass would fault where it shows.
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

}  // namespace hostsim
