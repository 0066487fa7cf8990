// The hotkey path of one polling pass and the gates in front of every path.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>

#include "poll_fixture.h"

namespace {

using namespace flow_test;

class PromptRequest : public PollPassTest {
protected:
    void resetRequestState() {
        PluginState.promptRequested = false;
        PluginState.textInputActive = false;
        PluginState.starMapOpenedAtNs = clock_.now() - 2 * kSecond;
        PluginState.lastKeyPollAtNs = 0;
        PluginState.lastPromptRequestAtNs = 0;
    }
};

TEST_F(PromptRequest, HotkeyOnSettledStarMapAsksTheFourMenusInOrderAndRaisesTheRequest) {
    pollHolding({kHotkey});
    EXPECT_TRUE(PluginState.promptRequested);
    EXPECT_EQ(PluginState.lastPromptRequestAtNs, clock_.now());
    EXPECT_EQ(PluginState.lastKeyPollAtNs, clock_.now());
    EXPECT_EQ(takeMenuQueries(), kAllFourMenuQueries);
    EXPECT_TRUE(soundNames().empty());
}

TEST_F(PromptRequest, PendingRequestStopsThePassBeforeAnythingElse) {
    pollHolding({kHotkey});
    ASSERT_TRUE(PluginState.promptRequested);
    const std::int64_t firstAt = clock_.now();
    clock_.advance(kSecond);
    pollHolding({kHotkey});
    EXPECT_EQ(PluginState.lastKeyPollAtNs, firstAt);
    EXPECT_EQ(PluginState.lastPromptRequestAtNs, firstAt);
    EXPECT_TRUE(takeMenuQueries().empty());

    // Taken by the prompt: the held key raises the next one only 500 ms after
    // the previous request (each pass that gets that far restarts the debounce).
    PluginState.promptRequested = false;
    clock_.set(firstAt + 499'999'999);
    pollHolding({kHotkey});
    EXPECT_FALSE(PluginState.promptRequested);
    EXPECT_EQ(PluginState.lastKeyPollAtNs, firstAt + 499'999'999);
    clock_.set(firstAt + 549'999'999);
    pollHolding({kHotkey});
    EXPECT_TRUE(PluginState.promptRequested);
    EXPECT_EQ(PluginState.lastPromptRequestAtNs, firstAt + 549'999'999);
}

struct IntervalRow {
    const char* gate;
    std::int64_t PluginStateRecord::*stamp;
    std::int64_t sinceStamp;
    bool requests;
    bool stampsKeyPoll;
};

TEST_F(PromptRequest, EachIntervalPassesAtItsThresholdAndNotOneNanosecondBefore) {
    const IntervalRow rows[] = {
        {"star map settle", &PluginStateRecord::starMapOpenedAtNs, 999'999'999, false, false},
        {"star map settle", &PluginStateRecord::starMapOpenedAtNs, 1'000'000'000, true, true},
        {"debounce", &PluginStateRecord::lastKeyPollAtNs, 49'999'999, false, false},
        {"debounce", &PluginStateRecord::lastKeyPollAtNs, 50'000'000, true, true},
        {"between requests", &PluginStateRecord::lastPromptRequestAtNs, 499'999'999, false, true},
        {"between requests", &PluginStateRecord::lastPromptRequestAtNs, 500'000'000, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.gate) + " after " + std::to_string(row.sinceStamp));
        resetRequestState();
        clock_.advance(kSecond);
        PluginState.*row.stamp = clock_.now() - row.sinceStamp;
        const std::int64_t keyPollBefore = PluginState.lastKeyPollAtNs;
        pollHolding({kHotkey});
        EXPECT_EQ(PluginState.promptRequested, row.requests);
        EXPECT_EQ(PluginState.lastKeyPollAtNs, row.stampsKeyPoll ? clock_.now() : keyPollBefore);
        EXPECT_EQ(takeMenuQueries().empty(), !row.requests);
    }
}

struct MenuRow {
    const char* situation;
    std::vector<const char*> open;
    std::vector<std::string> asked;
    bool requests;
};

TEST_F(PromptRequest, MenusAreAskedInOrderAndTheFirstFailureStops) {
    const MenuRow rows[] = {
        {"prompt already open", {"GalaxyStarMapMenu", "TextInputMenu"}, {"TextInputMenu"}, false},
        {"off the star map", {}, {"TextInputMenu", "GalaxyStarMapMenu"}, false},
        {"console open", {"GalaxyStarMapMenu", "Console"}, {"TextInputMenu", "GalaxyStarMapMenu", "Console"}, false},
        {"a message box open", {"GalaxyStarMapMenu", "MessageBoxMenu"}, kAllFourMenuQueries, false},
        {"console and message box open",
         {"GalaxyStarMapMenu", "Console", "MessageBoxMenu"},
         {"TextInputMenu", "GalaxyStarMapMenu", "Console"},
         false},
        {"star map alone", {"GalaxyStarMapMenu"}, kAllFourMenuQueries, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.situation);
        closeAllFlowMenus();
        for (const char* menu : row.open) hostsim::openMenu(menu);
        resetRequestState();
        clock_.advance(kSecond);
        pollHolding({kHotkey});
        EXPECT_EQ(takeMenuQueries(), row.asked);
        EXPECT_EQ(PluginState.promptRequested, row.requests);
        EXPECT_EQ(PluginState.lastKeyPollAtNs, clock_.now());  // the debounce passed before the menus
        EXPECT_EQ(PluginState.lastPromptRequestAtNs, row.requests ? clock_.now() : 0);
    }
}

TEST_F(PromptRequest, HotkeyWhileEditingDoesNothing) {
    PluginState.textInputActive = true;
    pollHolding({kHotkey});
    EXPECT_FALSE(PluginState.promptRequested);
    EXPECT_EQ(PluginState.lastKeyPollAtNs, 0);
    EXPECT_TRUE(takeMenuQueries().empty());
}

TEST_F(PromptRequest, HotkeyComesFromTheSettings) {
    Settings.textInputMenuHotkey = 0x70;
    pollHolding({kHotkey});
    EXPECT_FALSE(PluginState.promptRequested);
    EXPECT_TRUE(takeMenuQueries().empty());
    pollHolding({0x70});
    EXPECT_TRUE(PluginState.promptRequested);
    Settings.textInputMenuHotkey = 0x51;
}

struct DesktopRow {
    const char* situation;
    std::function<void(HWND game)> arrange;
};

TEST_F(PromptRequest, PassDoesNothingUnlessTheGameWindowHasTheFocus) {
    const DesktopRow rows[] = {
        {"another window in front", [](HWND) { win32layer::setForegroundWindow(win32layer::createWindow("Notes")); }},
        {"no window focused", [](HWND) { win32layer::setForegroundWindow(nullptr); }},
        {"game window closed, another focused",
         [](HWND game) {
             win32layer::destroyWindow(game);
             win32layer::setForegroundWindow(win32layer::createWindow("Notes"));
         }},
        {"no window at all", [](HWND) { win32layer::destroyAllWindows(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.situation);
        win32layer::destroyAllWindows();
        HWND game = win32layer::createWindow("Halcyra");
        win32layer::setForegroundWindow(game);
        row.arrange(game);
        resetRequestState();
        clock_.advance(kSecond);
        pollHolding({kHotkey});
        EXPECT_FALSE(PluginState.promptRequested);
        EXPECT_EQ(PluginState.lastKeyPollAtNs, 0);
        EXPECT_TRUE(takeMenuQueries().empty());
    }
}

TEST_F(PromptRequest, BusyMutexSkipsThePassWithoutWaiting) {
    std::promise<void> locked;
    std::promise<void> release;
    std::thread holder([&] {
        std::lock_guard<std::recursive_mutex> lock(PluginState.mutex);
        locked.set_value();
        release.get_future().wait();
    });
    locked.get_future().wait();
    auto pass = std::async(std::launch::async, [this] { pollHolding({kHotkey}); });
    const bool returned = pass.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    release.set_value();
    holder.join();
    pass.wait();
    EXPECT_TRUE(returned) << "the pass waited for the mutex";
    EXPECT_FALSE(PluginState.promptRequested);
    EXPECT_EQ(PluginState.lastKeyPollAtNs, 0);
}

}  // namespace
