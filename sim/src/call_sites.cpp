#include "hostsim/call_sites.h"

#include <cstring>

#include "hostsim/game_code.h"
#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "hostsim/site_code.h"
#include "hostsim/transcript.h"

namespace hostsim {
namespace {

// The call instruction sits this many bytes into its routine.
constexpr std::uintptr_t kSiteOffsetInRoutine = 4;

// Writes "sub rsp,28h / call rel32 / add rsp,28h / ret" so that the call is at
// exactly the site. The 28h bytes keep the stack 16-byte aligned at the call
// and give the callee its 32 bytes of home space.
void placeCallRoutine(std::uintptr_t site, std::uintptr_t callee) {
    std::uint8_t* routine = at(site - kSiteOffsetInRoutine);
    const auto displacement =
        static_cast<std::int32_t>(static_cast<std::intptr_t>(callee) - static_cast<std::intptr_t>(site + 5));
    std::uint8_t code[14] = {
        0x48, 0x83, 0xEC, 0x28,     // sub rsp, 28h
        0xE8, 0,    0,    0,    0,  // call rel32 (the site)
        0x48, 0x83, 0xC4, 0x28,     // add rsp, 28h
        0xC3,                       // ret
    };
    std::memcpy(code + 5, &displacement, sizeof displacement);
    std::memcpy(routine, code, sizeof code);
}

using PromptRoutine = std::uint64_t(SIM_ABI*)(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t);
using CaptureRoutine = void*(SIM_ABI*)(EngineStringHandle*, const char*, std::uint64_t);

struct PromptTargetSeen {
    unsigned calls = 0;
    std::uint64_t args[4] = {};
    std::uint64_t otherModHookRuns = 0;  // when the target was called
};
thread_local PromptTargetSeen promptTargetSeen;

// The capture pass under way on this thread: the handle its call fills, and
// the other mod's hook runs when the game's function was called for it.
struct CaptureSiteSeen {
    const EngineStringHandle* handle = nullptr;
    std::uint64_t otherModHookRuns = 0;
};
thread_local CaptureSiteSeen captureSiteSeen;

// A value no string handle has: the game's handle before the call fills it.
EngineStringHandle const kUnfilledHandle = reinterpret_cast<EngineStringHandle>(std::uintptr_t{0x1});

}  // namespace

std::uint8_t* promptRoutine() { return at(offsets::HostCallSite_PromptHook - kSiteOffsetInRoutine); }
std::uint8_t* captureRoutine() { return at(offsets::HostCallSite_TextCaptureHook - kSiteOffsetInRoutine); }

void placeCallSites() {
    placeCallRoutine(offsets::HostCallSite_PromptHook, offsets::HostCall_PromptHookTarget);
    placeCallRoutine(offsets::HostCallSite_TextCaptureHook, offsets::EngineString_Create);
}

std::uint64_t promptTargetResult(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
    // Every argument moves the result, and in a different way.
    return (a * 0x9E3779B97F4A7C15ull) ^ (b + 0x632BE59BD9B4E019ull) ^ ((c << 7) | (c >> 57)) ^ ~d;
}

SIM_ABI std::uint64_t promptHookTarget(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
    GameCodeScope gameCode;
    ++promptTargetSeen.calls;
    promptTargetSeen.args[0] = a;
    promptTargetSeen.args[1] = b;
    promptTargetSeen.args[2] = c;
    promptTargetSeen.args[3] = d;
    promptTargetSeen.otherModHookRuns = otherModHookRuns(CallSite::Prompt);
    return promptTargetResult(a, b, c, d);
}

void noteEngineStringCreate(const EngineStringHandle* out) {
    if (out != nullptr && out == captureSiteSeen.handle)
        captureSiteSeen.otherModHookRuns = otherModHookRuns(CallSite::Capture);
}

PromptSitePass passPromptSite(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
    if (!passRunsSiteCode(CallSite::Prompt)) {
        checkPlacedBytes(CallSite::Prompt);
        return {};
    }
    const std::uint64_t runsBefore = otherModHookRuns(CallSite::Prompt);
    promptTargetSeen = {};
    auto routine = reinterpret_cast<PromptRoutine>(promptRoutine());
    PromptSitePass pass;
    pass.returned = routine(a, b, c, d);
    pass.targetCalls = promptTargetSeen.calls;
    const std::uint64_t sent[4] = {a, b, c, d};
    pass.argumentsIntact = std::memcmp(promptTargetSeen.args, sent, sizeof sent) == 0;
    if (pass.targetCalls != 1)
        recordViolation("prompt site: HostCall_PromptHookTarget called " + std::to_string(pass.targetCalls) +
                        " times in one pass");
    else if (!pass.argumentsIntact)
        recordViolation("prompt site: HostCall_PromptHookTarget received changed arguments");
    else if (pass.returned != promptTargetResult(a, b, c, d))
        recordViolation("prompt site: the target's result did not come back through the site");
    checkOtherModHookPass(CallSite::Prompt, runsBefore, promptTargetSeen.otherModHookRuns);
    return pass;
}

CaptureSitePass passCaptureSite(const char* text, std::uint8_t flag) {
    CaptureSitePass pass;
    if (!passRunsSiteCode(CallSite::Capture)) {
        checkPlacedBytes(CallSite::Capture);
        return pass;
    }
    EngineStringHandle handle = kUnfilledHandle;
    auto routine = reinterpret_cast<CaptureRoutine>(captureRoutine());
    const std::uint64_t runsBefore = otherModHookRuns(CallSite::Capture);
    captureSiteSeen = {&handle, 0};
    // The game passes the flag as a byte; the rest of the register is whatever
    // it held before.
    const std::uint64_t flagRegister = 0x5A5A5A5A5A5A5A00ull | flag;
    routine(&handle, text, flagRegister);
    const std::uint64_t runsAtGameCall = captureSiteSeen.otherModHookRuns;
    captureSiteSeen = {};
    if (siteCode(CallSite::Capture) == SiteCode::HookedByOther &&
        checkOtherModHookPass(CallSite::Capture, runsBefore, runsAtGameCall))
        recordTranscriptLine("other mod: hook at the capture site ran before the game's function");

    if (handle == kUnfilledHandle) {
        recordViolation("capture site: no string was made for the text");
        return pass;
    }
    pass.stringMade = true;
    if (text != nullptr) {
        pass.text = engineStringText(handle);
        if (handle == nullptr || pass.text != text)
            recordViolation("capture site: the string made differs from the text " + quoted(text));
        recordTranscriptLine("capture " + quoted(text) + " flag " + std::to_string(flag));
    } else if (handle != nullptr) {
        recordViolation("capture site: a null text gave a string");
    }
    releaseEngineString(&handle);  // the game is done with its string
    return pass;
}

}  // namespace hostsim
