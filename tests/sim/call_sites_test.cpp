// The two call sites are real machine code. What the game sees when the call
// at a site goes somewhere else decides whether a redirect keeps it working.
#include <gtest/gtest.h>

#include <cstring>

#include "hostsim/call_sites.h"
#include "hostsim/engine_strings.h"
#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "support/simulated_game.h"

namespace {

using namespace hostsim;
using lumora_test::SimulatedGameTest;

// A free spot of the image for a jump to the test's own hook.
constexpr std::uintptr_t kTestEntryOffset = 0x600000;

using PromptFn = std::uint64_t(SIM_ABI*)(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t);
using CreateFn = void*(SIM_ABI*)(EngineStringHandle*, const char*, std::uint8_t);

PromptFn promptTarget() { return reinterpret_cast<PromptFn>(at(offsets::HostCall_PromptHookTarget)); }
CreateFn createString() { return reinterpret_cast<CreateFn>(at(offsets::EngineString_Create)); }

SIM_ABI std::uint64_t faithfulPromptHook(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
    return promptTarget()(a, b, c, d);
}
SIM_ABI std::uint64_t alteringPromptHook(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
    return promptTarget()(a, b, c ^ 1, d);
}
SIM_ABI std::uint64_t skippingPromptHook(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t) { return 0; }
SIM_ABI std::uint64_t resultDroppingPromptHook(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
    promptTarget()(a, b, c, d);
    return 0;
}
SIM_ABI std::uint64_t doublingPromptHook(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
    promptTarget()(a, b, c, d);
    return promptTarget()(a, b, c, d);
}

SIM_ABI void* faithfulCaptureHook(EngineStringHandle* out, const char* text, std::uint8_t flag) {
    return createString()(out, text, flag);
}
SIM_ABI void* forgettingCaptureHook(EngineStringHandle*, const char*, std::uint8_t) { return nullptr; }
SIM_ABI void* doublingCaptureHook(EngineStringHandle* out, const char* text, std::uint8_t flag) {
    createString()(out, text, flag);
    return createString()(out, text, flag);
}

class CallSites : public SimulatedGameTest {
protected:
    // Sends the call at the site to `hook` through an absolute jump placed
    // within reach, the way a redirecting plugin does.
    void redirect(std::uintptr_t site, const void* hook) {
        placeStub(kTestEntryOffset, hook);
        const auto displacement = static_cast<std::int32_t>(static_cast<std::int64_t>(kTestEntryOffset) -
                                                            static_cast<std::int64_t>(site + 5));
        std::uint8_t* code = at(site);
        code[0] = 0xE8;
        std::memcpy(code + 1, &displacement, 4);
    }
};

TEST_F(CallSites, EachSiteIsARelativeCallToTheGamesOwnFunctionInsideAFramedRoutine) {
    struct Case {
        std::uintptr_t site;
        std::uintptr_t callee;
    };
    for (const Case& c : {Case{offsets::HostCallSite_PromptHook, offsets::HostCall_PromptHookTarget},
                          Case{offsets::HostCallSite_TextCaptureHook, offsets::EngineString_Create}}) {
        const std::uint8_t* site = at(c.site);
        EXPECT_EQ(0, std::memcmp(site - 4, "\x48\x83\xEC\x28", 4));
        ASSERT_EQ(site[0], 0xE8);
        std::int32_t displacement = 0;
        std::memcpy(&displacement, site + 1, 4);
        EXPECT_EQ(c.site + 5 + displacement, c.callee);
        EXPECT_EQ(0, std::memcmp(site + 5, "\x48\x83\xC4\x28\xC3", 5));
    }
}

TEST_F(CallSites, UnchangedPromptSiteDeliversArgumentsAndResult) {
    const auto pass = passPromptSite(1, 0xFFFF'FFFF'0000'0002ull, 0x8000'0000'0000'0003ull, 4);
    EXPECT_EQ(pass.targetCalls, 1u);
    EXPECT_TRUE(pass.argumentsIntact);
    EXPECT_EQ(pass.returned, promptTargetResult(1, 0xFFFF'FFFF'0000'0002ull, 0x8000'0000'0000'0003ull, 4));
    EXPECT_NE(promptTargetResult(1, 2, 3, 4), promptTargetResult(1, 2, 4, 3));
}

TEST_F(CallSites, FaithfulPromptRedirectKeepsTheGameWorking) {
    redirect(offsets::HostCallSite_PromptHook, reinterpret_cast<const void*>(&faithfulPromptHook));
    const auto pass = passPromptSite(10, 20, 30, 40);
    EXPECT_EQ(pass.targetCalls, 1u);
    EXPECT_EQ(pass.returned, promptTargetResult(10, 20, 30, 40));
}

TEST_F(CallSites, FaultyPromptRedirectsAreEachReported) {
    expectViolations();
    struct Case {
        const char* name;
        const void* hook;
        const char* violation;
    };
    const Case cases[] = {
        {"altered", reinterpret_cast<const void*>(&alteringPromptHook),
         "prompt site: HostCall_PromptHookTarget received changed arguments"},
        {"skipped", reinterpret_cast<const void*>(&skippingPromptHook),
         "prompt site: HostCall_PromptHookTarget called 0 times in one pass"},
        {"dropped", reinterpret_cast<const void*>(&resultDroppingPromptHook),
         "prompt site: the target's result did not come back through the site"},
        {"doubled", reinterpret_cast<const void*>(&doublingPromptHook),
         "prompt site: HostCall_PromptHookTarget called 2 times in one pass"},
    };
    for (const Case& c : cases) {
        clearTranscript();
        redirect(offsets::HostCallSite_PromptHook, c.hook);
        passPromptSite(5, 6, 7, 8);
        ASSERT_EQ(violations().size(), 1u) << c.name;
        EXPECT_EQ(violations()[0], c.violation) << c.name;
    }
}

TEST_F(CallSites, CaptureSiteMakesUsesAndReleasesTheString) {
    redirect(offsets::HostCallSite_TextCaptureHook, reinterpret_cast<const void*>(&faithfulCaptureHook));
    const auto pass = passCaptureSite("Akila", 1);
    EXPECT_TRUE(pass.stringMade);
    EXPECT_EQ(pass.text, "Akila");
    EXPECT_EQ(engineStringLedger().created, 1u);
    EXPECT_EQ(transcript().back(), "capture \"Akila\" flag 1");
}

TEST_F(CallSites, NullTextAtTheCaptureSiteGivesNoString) {
    const auto pass = passCaptureSite(nullptr);
    EXPECT_TRUE(pass.stringMade);
    EXPECT_EQ(engineStringLedger().created, 0u);
}

TEST_F(CallSites, CaptureRedirectThatNeverMakesTheStringIsReported) {
    expectViolations();
    redirect(offsets::HostCallSite_TextCaptureHook, reinterpret_cast<const void*>(&forgettingCaptureHook));
    EXPECT_FALSE(passCaptureSite("Neon").stringMade);
    ASSERT_EQ(violations().size(), 1u);
    EXPECT_EQ(violations()[0], "capture site: no string was made for the text");
}

TEST_F(CallSites, CaptureRedirectThatMakesTheStringTwiceLeaksOneReference) {
    redirect(offsets::HostCallSite_TextCaptureHook, reinterpret_cast<const void*>(&doublingCaptureHook));
    passCaptureSite("Neon");
    EXPECT_FALSE(engineStringLedgerBalanced());
    EXPECT_EQ(outstandingEngineStrings(), std::vector<std::string>{"Neon"});
    resetEngineStringLedger();
}

}  // namespace
