// The load reads both call sites before it patches either: the game's own
// call is patched as always, another mod's hook is chained, and code it does
// not know makes it refuse to install before anything is allocated or written.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include "hook/branch_trampoline.h"
#include "hook/hook_chain.h"
#include "hook/search_hooks.h"
#include "hostsim/call_sites.h"
#include "hostsim/image.h"
#include "hostsim/loader.h"
#include "hostsim/site_code.h"
#include "support/simulated_game.h"
#include "win32_controls.h"

using namespace lumora;
using hostsim::CallSite;
using hostsim::SiteCode;

namespace {

// Answers of VirtualQuery that the simulated memory cannot give by itself.
enum class QueryTwist { None, TargetReserved, TargetGuarded, SiteUnanswered };

enum class Outcome { PatchedCallingTheGame, PatchedChained, Refused };

struct SiteCase {
    const char* name;
    CallSite site;
    SiteCode code;
    QueryTwist twist;
    Outcome outcome;
};

const SiteCase kCases[] = {
    {"prompt_game_call", CallSite::Prompt, SiteCode::GameCall, QueryTwist::None, Outcome::PatchedCallingTheGame},
    {"capture_game_call", CallSite::Capture, SiteCode::GameCall, QueryTwist::None, Outcome::PatchedCallingTheGame},
    {"prompt_hooked_by_other", CallSite::Prompt, SiteCode::HookedByOther, QueryTwist::None, Outcome::PatchedChained},
    {"capture_hooked_by_other", CallSite::Capture, SiteCode::HookedByOther, QueryTwist::None, Outcome::PatchedChained},
    {"prompt_not_a_call", CallSite::Prompt, SiteCode::Garbage, QueryTwist::None, Outcome::Refused},
    {"capture_not_a_call", CallSite::Capture, SiteCode::Garbage, QueryTwist::None, Outcome::Refused},
    {"prompt_other_game_function", CallSite::Prompt, SiteCode::OtherGameFunction, QueryTwist::None, Outcome::Refused},
    {"capture_other_game_function", CallSite::Capture, SiteCode::OtherGameFunction, QueryTwist::None, Outcome::Refused},
    {"prompt_unmapped_target", CallSite::Prompt, SiteCode::UnmappedTarget, QueryTwist::None, Outcome::Refused},
    {"capture_unmapped_target", CallSite::Capture, SiteCode::UnmappedTarget, QueryTwist::None, Outcome::Refused},
    {"prompt_non_executable_target", CallSite::Prompt, SiteCode::NonExecutableTarget, QueryTwist::None,
     Outcome::Refused},
    {"capture_non_executable_target", CallSite::Capture, SiteCode::NonExecutableTarget, QueryTwist::None,
     Outcome::Refused},
    {"prompt_reserved_target", CallSite::Prompt, SiteCode::HookedByOther, QueryTwist::TargetReserved, Outcome::Refused},
    {"capture_guard_page_target", CallSite::Capture, SiteCode::HookedByOther, QueryTwist::TargetGuarded,
     Outcome::Refused},
    {"prompt_unreadable_site", CallSite::Prompt, SiteCode::UnreadablePage, QueryTwist::None, Outcome::Refused},
    {"capture_unreadable_site", CallSite::Capture, SiteCode::UnreadablePage, QueryTwist::None, Outcome::Refused},
    // No answer for the site: its bytes are not read and the load goes on as
    // it always did.
    {"prompt_site_unanswered", CallSite::Prompt, SiteCode::GameCall, QueryTwist::SiteUnanswered,
     Outcome::PatchedCallingTheGame},
};

void PrintTo(const SiteCase& c, std::ostream* out) { *out << c.name; }

using SiteBytes = std::array<std::uint8_t, 5>;

SiteBytes bytesAt(CallSite site) {
    SiteBytes bytes;
    std::memcpy(bytes.data(), hostsim::at(hostsim::siteOffset(site)), 5);
    return bytes;
}

std::uintptr_t callTarget(std::uintptr_t from) {
    std::int32_t displacement;
    std::memcpy(&displacement, reinterpret_cast<const void*>(from + 1), 4);
    return from + 5 + static_cast<std::intptr_t>(displacement);
}

// The hook an entry "FF 25 00000000 <abs64>" jumps to.
std::uintptr_t entryJumpTarget(std::uintptr_t entry) {
    std::uintptr_t target;
    std::memcpy(&target, reinterpret_cast<const void*>(entry + 6), 8);
    return target;
}

void twistQueries(QueryTwist twist, CallSite site) {
    if (twist == QueryTwist::None) return;
    const auto stub = reinterpret_cast<std::uintptr_t>(hostsim::otherModHook(site));
    const auto siteAddress = reinterpret_cast<std::uintptr_t>(hostsim::at(hostsim::siteOffset(site)));
    win32layer::setVirtualQueryOverride([twist, stub, siteAddress](LPCVOID address,
                                                                   MEMORY_BASIC_INFORMATION* info) -> SIZE_T {
        const auto a = reinterpret_cast<std::uintptr_t>(address);
        if (twist == QueryTwist::SiteUnanswered && a == siteAddress) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        const SIZE_T size = win32layer::realVirtualQuery(address, info);
        if (a != stub) return size;
        if (twist == QueryTwist::TargetReserved) info->State = MEM_RESERVE;
        if (twist == QueryTwist::TargetGuarded) info->Protect = PAGE_EXECUTE_READ | PAGE_GUARD;
        return size;
    });
}

class HookSiteCheck : public lumora_test::SimulatedGameTest, public testing::WithParamInterface<SiteCase> {
protected:
    void TearDown() override {
        win32layer::setVirtualQueryOverride({});
        win32layer::setVirtualAllocOverride({});
        SimulatedGameTest::TearDown();
    }
};

TEST_P(HookSiteCheck, GameCallIsPatchedOtherModsHookIsChainedUnknownCodeIsLeftAlone) {
    const SiteCase& c = GetParam();
    hostsim::placeSiteCode(c.site, c.code);
    const CallSite other = c.site == CallSite::Prompt ? CallSite::Capture : CallSite::Prompt;
    const SiteBytes siteBefore = bytesAt(c.site);
    const SiteBytes otherBefore = bytesAt(other);
    const auto stub = reinterpret_cast<std::uintptr_t>(hostsim::otherModHook(c.site));
    int allocations = 0;
    win32layer::setVirtualAllocOverride([&allocations](LPVOID address, SIZE_T size, DWORD type, DWORD protect) {
        ++allocations;
        return win32layer::realVirtualAlloc(address, size, type, protect);
    });
    twistQueries(c.twist, c.site);
    const auto threadsBefore = win32layer::createdThreads().size();

    testing::internal::CaptureStdout();
    const auto outcome = hostsim::loadPlugin(lumora_test::pluginDescriptorExport(), lumora_test::pluginLoadExport());
    const std::string diagnostics = testing::internal::GetCapturedStdout();
    win32layer::setVirtualQueryOverride({});

    const auto boxes = win32layer::shownMessageBoxes();
    if (c.outcome == Outcome::Refused) {
        EXPECT_FALSE(outcome.loadReturned);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Installation error: unexpected game code at a hook site");
        EXPECT_EQ(boxes[0].caption, "Lumora Search Engine - Obrix Plugin by Lumora Team v3.1");
        EXPECT_EQ(boxes[0].type, MB_OK);
        EXPECT_EQ(allocations, 0);
        EXPECT_EQ(g_branchTrampoline.base(), nullptr);
        EXPECT_EQ(bytesAt(c.site), siteBefore);
        EXPECT_EQ(bytesAt(other), otherBefore);
        EXPECT_TRUE(hostsim::listenerRegistrations().empty());
        EXPECT_EQ(win32layer::createdThreads().size(), threadsBefore);
        EXPECT_EQ(diagnostics, "");
        EXPECT_EQ(HookChain.promptHookTarget.load(), nullptr);
        EXPECT_EQ(HookChain.engineStringCreate.load(), nullptr);
        return;
    }

    ASSERT_TRUE(outcome.loadReturned);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(hostsim::listenerRegistrations().size(), 1u);
    // Both sites lead to their entries, which jump to the hooks, as always.
    const auto block = reinterpret_cast<std::uintptr_t>(g_branchTrampoline.base());
    const auto promptSite = reinterpret_cast<std::uintptr_t>(hostsim::at(hostsim::siteOffset(CallSite::Prompt)));
    const auto captureSite = reinterpret_cast<std::uintptr_t>(hostsim::at(hostsim::siteOffset(CallSite::Capture)));
    ASSERT_EQ(*reinterpret_cast<const std::uint8_t*>(promptSite), 0xE8);
    ASSERT_EQ(*reinterpret_cast<const std::uint8_t*>(captureSite), 0xE8);
    EXPECT_EQ(callTarget(promptSite), block);
    EXPECT_EQ(callTarget(captureSite), block + 14);
    EXPECT_EQ(entryJumpTarget(block), reinterpret_cast<std::uintptr_t>(&promptHook));
    EXPECT_EQ(entryJumpTarget(block + 14), reinterpret_cast<std::uintptr_t>(&textCaptureHook));

    const void* chainedPrompt = reinterpret_cast<const void*>(HookChain.promptHookTarget.load());
    const void* chainedCapture = reinterpret_cast<const void*>(HookChain.engineStringCreate.load());
    if (c.outcome == Outcome::PatchedChained) {
        char line[160];
        std::snprintf(line, sizeof line, "call site %016llX already leads to %016llX; the hook calls it\n",
                      static_cast<unsigned long long>(c.site == CallSite::Prompt ? promptSite : captureSite),
                      static_cast<unsigned long long>(stub));
        EXPECT_EQ(diagnostics, line);
        EXPECT_EQ(c.site == CallSite::Prompt ? chainedPrompt : chainedCapture, reinterpret_cast<const void*>(stub));
        EXPECT_EQ(c.site == CallSite::Prompt ? chainedCapture : chainedPrompt, nullptr);
    } else {
        EXPECT_EQ(diagnostics, "");
        EXPECT_EQ(chainedPrompt, nullptr);
        EXPECT_EQ(chainedCapture, nullptr);
    }

    // The game goes through both sites: its function is called once with its
    // arguments (the game checks that), after the other mod's hook where it
    // is chained.
    const auto runsBefore = hostsim::otherModHookRuns(c.site);
    const auto prompt = hostsim::passPromptSite(5, 6, 7, 8);
    EXPECT_EQ(prompt.targetCalls, 1u);
    EXPECT_EQ(prompt.returned, hostsim::promptTargetResult(5, 6, 7, 8));
    const auto capture = hostsim::passCaptureSite("Porrima");
    EXPECT_EQ(capture.text, "Porrima");
    EXPECT_EQ(hostsim::otherModHookRuns(c.site), runsBefore + (c.outcome == Outcome::PatchedChained ? 1u : 0u));
}

INSTANTIATE_TEST_SUITE_P(BothSites, HookSiteCheck, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SiteCase>& info) { return std::string(info.param.name); });

}  // namespace
