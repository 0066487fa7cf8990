// The prompt hook as the game runs it: through the game's own call at the
// prompt site, with the game's arguments in the game's registers.
#include <gtest/gtest.h>

#include <cstring>

#include "config/ui_texts.h"
#include "game_instruments.h"
#include "hook/search_hooks.h"
#include "hostsim/call_sites.h"
#include "hostsim/image.h"
#include "hostsim/menus.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"
#include "state/plugin_state.h"
#include "support/simulated_game.h"
#include "win32_controls.h"

using namespace lumora;

namespace {

using namespace hook_test;

class PromptHook : public lumora_test::LoadedPluginTest {
protected:
    void SetUp() override {
        LoadedPluginTest::SetUp();
        installGameRecorders();
    }
    void TearDown() override {
        win32layer::setVirtualProtectOverride({});
        LoadedPluginTest::TearDown();
    }
    static void requestPrompt() {
        std::lock_guard lock(PluginState.mutex);
        PluginState.promptRequested = true;
    }
    static bool promptStillRequested() {
        std::lock_guard lock(PluginState.mutex);
        return PluginState.promptRequested;
    }
    static std::vector<std::uint8_t> compareBytes() {
        const std::uint8_t* at = hostsim::at(hostsim::offsets::HostPatch_TextInputCompare);
        return {at, at + 3};
    }
};

struct Arguments {
    std::uint64_t a, b, c, d;
};

TEST_F(PromptHook, GameArgumentsReachTheTargetUnchangedAndItsResultComesBack) {
    const Arguments cases[] = {
        {0, 0, 0, 0},
        {1, 2, 3, 4},
        {0xFFFFFFFFFFFFFFFFull, 0x8000000000000000ull, 0x00000000FFFFFFFFull, 0x7FFFFFFF00000001ull},
        {0x0000100000000000ull, 0x00007FF612345678ull, 0x80000000FFFF0001ull, 0xDEADBEEFCAFEF00Dull},
    };
    for (const Arguments& args : cases) {
        const hostsim::PromptSitePass pass = hostsim::passPromptSite(args.a, args.b, args.c, args.d);
        EXPECT_EQ(pass.targetCalls, 1u);
        EXPECT_TRUE(pass.argumentsIntact);
        EXPECT_EQ(pass.returned, hostsim::promptTargetResult(args.a, args.b, args.c, args.d));
    }
    EXPECT_TRUE(hostsim::openedPrompts().empty());
}

TEST_F(PromptHook, RequestedPromptOpensAfterTheTargetCallWithTheTextsAndForcedCompare) {
    requestPrompt();
    const hostsim::PromptSitePass pass = hostsim::passPromptSite(11, 22, 33, 44);
    EXPECT_EQ(pass.returned, hostsim::promptTargetResult(11, 22, 33, 44));
    EXPECT_TRUE(pass.argumentsIntact);

    EXPECT_EQ(gameEvents(), (std::vector<GameEvent>{GameEvent::PromptTarget, GameEvent::OpenTextInputMenu}));
    const auto prompts = hostsim::openedPrompts();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].header, "Lumora Search Engine");
    EXPECT_EQ(prompts[0].defaultText, "Enter a location or planet name...");
    EXPECT_EQ(prompts[0].mode, 0u);
    EXPECT_TRUE(prompts[0].compareForced);
    EXPECT_EQ(compareBytes(), (std::vector<std::uint8_t>{0x48, 0x3B, 0xFB}));
    EXPECT_FALSE(promptStillRequested());

    // The game opens the menu on its next frame and checks the compare then.
    hostsim::processUiQueue();
    EXPECT_TRUE(hostsim::isMenuOpen("TextInputMenu"));
    // One request, one prompt: the next pass only makes the game's call.
    hostsim::passPromptSite(1, 2, 3, 4);
    EXPECT_EQ(hostsim::openedPrompts().size(), 1u);
}

TEST_F(PromptHook, ReplacedTextsArePassedAsTheyStand) {
    UiTexts.textInputMenuHeader =
        "Suche \xC3\xBC"
        "ber alles";
    UiTexts.textInputMenuDefaultText = "";
    requestPrompt();
    hostsim::passPromptSite(5, 6, 7, 8);
    const auto prompts = hostsim::openedPrompts();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].header,
              "Suche \xC3\xBC"
              "ber alles");
    EXPECT_EQ(prompts[0].defaultText, "");
}

TEST_F(PromptHook, MutexHeldElsewhereLeavesTheRequestPendingUntilALaterPass) {
    requestPrompt();
    MutexHolder holder;
    hostsim::PromptSitePass pass;
    // The hook must not wait for the mutex: the pass completes while it is held.
    ASSERT_TRUE(finishesWithin([&pass] { pass = hostsim::passPromptSite(9, 8, 7, 6); }, 5000));
    EXPECT_EQ(pass.targetCalls, 1u);
    EXPECT_EQ(pass.returned, hostsim::promptTargetResult(9, 8, 7, 6));
    EXPECT_TRUE(hostsim::openedPrompts().empty());
    holder.release();

    EXPECT_TRUE(promptStillRequested());
    hostsim::passPromptSite(1, 1, 1, 1);
    EXPECT_EQ(hostsim::openedPrompts().size(), 1u);
    EXPECT_FALSE(promptStillRequested());
}

TEST_F(PromptHook, MutexHeldByTheGameThreadItselfDoesNotBlockThePrompt) {
    // The mutex is recursive: a pass on a thread that already holds it opens the prompt.
    std::lock_guard lock(PluginState.mutex);
    PluginState.promptRequested = true;
    hostsim::passPromptSite(3, 3, 3, 3);
    EXPECT_EQ(hostsim::openedPrompts().size(), 1u);
    EXPECT_FALSE(PluginState.promptRequested);
}

TEST_F(PromptHook, UnexpectedCompareBytesOpenNothingAndDropTheRequest) {
    const std::uint8_t variants[][3] = {{0x48, 0x3B, 0xFC}, {0x49, 0x3B, 0xFB}, {0x48, 0x39, 0xFF}, {0x90, 0x90, 0x90}};
    for (const auto& bytes : variants) {
        std::memcpy(hostsim::at(hostsim::offsets::HostPatch_TextInputCompare), bytes, 3);
        requestPrompt();
        const hostsim::PromptSitePass pass = hostsim::passPromptSite(2, 4, 6, 8);
        EXPECT_EQ(pass.returned, hostsim::promptTargetResult(2, 4, 6, 8));
        EXPECT_FALSE(promptStillRequested());
        EXPECT_EQ(compareBytes(), std::vector<std::uint8_t>(bytes, bytes + 3));  // left as found
    }
    EXPECT_TRUE(hostsim::openedPrompts().empty());
    std::memcpy(hostsim::at(hostsim::offsets::HostPatch_TextInputCompare), hostsim::kTextInputCompareOriginal, 3);
}

TEST_F(PromptHook, ProtectionChangeFailureOpensNothingAndDropsTheRequest) {
    win32layer::setVirtualProtectOverride([](LPVOID, SIZE_T, DWORD, PDWORD) -> BOOL {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    });
    requestPrompt();
    hostsim::passPromptSite(1, 2, 3, 4);
    EXPECT_TRUE(hostsim::openedPrompts().empty());
    EXPECT_FALSE(promptStillRequested());
    EXPECT_EQ(compareBytes(), (std::vector<std::uint8_t>{0x48, 0x3B, 0xFB}));
}

TEST_F(PromptHook, FailedRestoreStillReportsTheMenuOpened) {
    // Writing the forced bytes works; putting the old ones back cannot change
    // the protection. The game then keeps the forced compare: the game sees it.
    expectViolations();
    int calls = 0;
    win32layer::setVirtualProtectOverride([&calls](LPVOID address, SIZE_T size, DWORD protect, PDWORD old) -> BOOL {
        if (++calls <= 2) return win32layer::realVirtualProtect(address, size, protect, old);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    });
    std::string header = "H", text = "T";
    EXPECT_TRUE(openSearchPrompt(header, text));
    EXPECT_EQ(hostsim::openedPrompts().size(), 1u);
    EXPECT_EQ(compareBytes(), (std::vector<std::uint8_t>{0x48, 0x39, 0xFF}));
    win32layer::setVirtualProtectOverride({});
    hostsim::processUiQueue();
    ASSERT_EQ(hostsim::violations().size(), 1u);
    EXPECT_NE(hostsim::violations()[0].find("not restored"), std::string::npos);
}

TEST_F(PromptHook, OpenSearchPromptReportsWhetherTheGameWasCalled) {
    EXPECT_TRUE(openSearchPrompt("Header", "Default"));
    std::memcpy(hostsim::at(hostsim::offsets::HostPatch_TextInputCompare), "\x48\x3B\xFA", 3);
    EXPECT_FALSE(openSearchPrompt("Header", "Default"));
    std::memcpy(hostsim::at(hostsim::offsets::HostPatch_TextInputCompare), hostsim::kTextInputCompareOriginal, 3);
    const auto prompts = hostsim::openedPrompts();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].header, "Header");
    EXPECT_EQ(prompts[0].defaultText, "Default");
}

}  // namespace
