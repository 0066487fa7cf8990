// The cancel path: TAB or ESC while the prompt is being edited.
#include <gtest/gtest.h>

#include "poll_fixture.h"

namespace {

using namespace flow_test;

class PromptCancel : public PollPassTest {
protected:
    void SetUp() override {
        PollPassTest::SetUp();
        hostsim::openMenu("TextInputMenu");
        startEditing();
    }
    void startEditing() {
        PluginState.textInputActive = true;
        PluginState.resultKeys.clear();
        PluginState.resultKeys.append(0, 0xE0001);  // keys of an earlier box
        hostsim::clearUiRecords();
        hostsim::clearTranscript();
    }
    bool cancelled() const {
        return soundNames() == std::vector<std::string>{"UIMenuGeneralActivateFailure"} &&
               uiMessages() == std::vector<std::string>{"ui message \"TextInputMenu\" kind 2"} &&
               PluginState.resultKeys.empty();
    }
    bool untouched() const {
        return soundNames().empty() && uiMessages().empty() && PluginState.resultKeys.size() == 1;
    }
};

struct CancelKeysRow {
    const char* keys;
    std::vector<int> down;
    bool cancels;
};

TEST_F(PromptCancel, TabOrEscapeCancelsAndAnyOtherKeyDoesNot) {
    const CancelKeysRow rows[] = {
        {"TAB", {kTab}, true}, {"ESC", {kEscape}, true},  {"TAB and ESC", {kTab, kEscape}, true},
        {"no key", {}, false}, {"a digit", {'1'}, false}, {"ENTER", {0x0D}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.keys);
        startEditing();
        clock_.advance(kSecond);
        pollHolding(row.down);
        EXPECT_EQ(cancelled(), row.cancels);
        EXPECT_EQ(untouched(), !row.cancels);
        EXPECT_EQ(PluginState.lastKeyPollAtNs, clock_.now());  // stamped whether or not a key was down
        EXPECT_TRUE(takeMenuQueries().empty());
    }
}

TEST_F(PromptCancel, DebouncePassesAtFiftyMillisecondsAndNotOneNanosecondBefore) {
    PluginState.lastKeyPollAtNs = clock_.now() - 49'999'999;
    const std::int64_t stampBefore = PluginState.lastKeyPollAtNs;
    pollHolding({kTab});
    EXPECT_TRUE(untouched());
    EXPECT_EQ(PluginState.lastKeyPollAtNs, stampBefore);

    clock_.set(stampBefore + 50'000'000);
    pollHolding({kTab});
    EXPECT_TRUE(cancelled());
}

TEST_F(PromptCancel, HotkeyPressStartsTheSameDebounce) {
    // Hotkey while editing does nothing, so leave editing for that pass.
    PluginState.textInputActive = false;
    pollHolding({kHotkey});
    const std::int64_t hotkeyAt = PluginState.lastKeyPollAtNs;
    ASSERT_EQ(hotkeyAt, clock_.now());

    startEditing();
    clock_.set(hotkeyAt + 49'999'999);
    pollHolding({kEscape});
    EXPECT_TRUE(untouched());
    clock_.set(hotkeyAt + 50'000'000);
    pollHolding({kEscape});
    EXPECT_TRUE(cancelled());
}

TEST_F(PromptCancel, TabWhenNotEditingDoesNothing) {
    PluginState.textInputActive = false;
    pollHolding({kTab});
    EXPECT_TRUE(untouched());
    EXPECT_EQ(PluginState.lastKeyPollAtNs, 0);
}

TEST_F(PromptCancel, HeldHotkeyBlocksTheCancel) {
    pollHolding({kHotkey, kTab});
    EXPECT_TRUE(untouched());
}

TEST_F(PromptCancel, ResultBoxWithoutKeysLeavesTheCancelPathOpen) {
    PluginState.resultsBoxOpen = true;
    PluginState.resultKeys.clear();
    pollHolding({kTab});
    EXPECT_EQ(soundNames(), std::vector<std::string>{"UIMenuGeneralActivateFailure"});
}

TEST_F(PromptCancel, ResultBoxWithKeysTakesThePassInsteadOfTheCancel) {
    PluginState.resultsBoxOpen = true;
    pollHolding({kTab});
    EXPECT_TRUE(untouched());
    EXPECT_EQ(PluginState.lastKeyPollAtNs, 0);
}

}  // namespace
