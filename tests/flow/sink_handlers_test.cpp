// The four handlers, driven the way the game drives them: menus opened and
// closed in the simulated UI, editing events from the text input menu, each
// delivered through slot 1 of the registered sinks.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "flow/event_sinks.h"
#include "flow_test_support.h"
#include "hostsim/boot.h"
#include "hostsim/engine_strings.h"
#include "hostsim/events.h"
#include "hostsim/menus.h"
#include "state/plugin_state.h"

using namespace lumora;

namespace {

using namespace flow_test;
using hostsim::EventSourceKind;

struct StateView {
    bool textInputActive;
    bool resultsBoxOpen;
    std::int64_t textEditEndedAtNs;
    std::int64_t starMapOpenedAtNs;
    std::size_t resultKeyCount;
    bool operator==(const StateView&) const = default;
};

std::ostream& operator<<(std::ostream& out, const StateView& s) {
    return out << "{active " << s.textInputActive << ", box " << s.resultsBoxOpen << ", ended " << s.textEditEndedAtNs
               << ", mapOpened " << s.starMapOpenedAtNs << ", keys " << s.resultKeyCount << "}";
}

StateView currentState() {
    return {PluginState.textInputActive, PluginState.resultsBoxOpen, PluginState.textEditEndedAtNs,
            PluginState.starMapOpenedAtNs, PluginState.resultKeys.size()};
}

void setState(const StateView& s) {
    PluginState.textInputActive = s.textInputActive;
    PluginState.resultsBoxOpen = s.resultsBoxOpen;
    PluginState.textEditEndedAtNs = s.textEditEndedAtNs;
    PluginState.starMapOpenedAtNs = s.starMapOpenedAtNs;
    PluginState.resultKeys.clear();
    for (std::size_t i = 0; i < s.resultKeyCount; ++i)
        PluginState.resultKeys.append(static_cast<std::int32_t>(i), 0xE0001 + static_cast<std::uint32_t>(i));
}

class SinkHandlers : public lumora_test::SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        registerEventSinks();
    }
    // Menus as given, then the state as given (setting the menus has run the
    // handlers already), so only `action` acts on the state under test.
    void arrange(const std::vector<const char*>& openMenus, const StateView& state) {
        closeAllFlowMenus();
        for (const char* menu : openMenus) hostsim::openMenu(menu);
        setState(state);
    }
    ManualClock clock_;
};

// Every flag set and every stamp old, so each change is visible.
constexpr StateView kBusy{true, true, 111, 222, 3};

struct TransitionRow {
    const char* event;
    std::vector<const char*> openBefore;
    StateView before;
    std::function<void()> action;
    // Expected state; a stamp of -1 stands for "now".
    StateView after;
};

TEST_F(SinkHandlers, EachEventChangesExactlyItsRowOfState) {
    auto deliver = [](EventSourceKind kind) { return [kind] { hostsim::deliverTextInputEvent(kind); }; };
    // Without the game's UI object every menu counts as closed, the star map too.
    auto withoutUiObject = [](std::function<void()> action) {
        return [action] {
            hostsim::setUiObjectPresent(false);
            action();
            hostsim::setUiObjectPresent(true);
        };
    };
    const std::vector<TransitionRow> rows{
        {"star map opened", {}, kBusy, [] { hostsim::openMenu("GalaxyStarMapMenu"); }, {true, true, 111, -1, 3}},
        {"star map closed", {"GalaxyStarMapMenu"}, kBusy, [] { hostsim::closeMenu("GalaxyStarMapMenu"); }, kBusy},
        {"message box closed on the star map",
         {"GalaxyStarMapMenu", "MessageBoxMenu"},
         kBusy,
         [] { hostsim::closeMenu("MessageBoxMenu"); },
         {true, false, 111, 222, 0}},
        {"message box closed off the star map",
         {"MessageBoxMenu"},
         kBusy,
         [] { hostsim::closeMenu("MessageBoxMenu"); },
         {true, false, 111, 222, 0}},
        {"text input menu opened", {"GalaxyStarMapMenu"}, kBusy, [] { hostsim::openMenu("TextInputMenu"); }, kBusy},
        {"text input menu closed",
         {"GalaxyStarMapMenu", "TextInputMenu"},
         kBusy,
         [] { hostsim::closeMenu("TextInputMenu"); },
         {false, true, 111, 222, 3}},
        {"console opened", {"GalaxyStarMapMenu"}, kBusy, [] { hostsim::openMenu("Console"); }, kBusy},
        {"console closed", {"GalaxyStarMapMenu", "Console"}, kBusy, [] { hostsim::closeMenu("Console"); }, kBusy},
        {"editing started on the star map",
         {"GalaxyStarMapMenu", "TextInputMenu"},
         {false, true, 111, 222, 3},
         deliver(EventSourceKind::StartEditText),
         {true, true, 111, 222, 3}},
        {"editing started off the star map",
         {"TextInputMenu"},
         {false, true, 111, 222, 3},
         deliver(EventSourceKind::StartEditText),
         {false, true, 111, 222, 3}},
        {"editing ended on the star map",
         {"GalaxyStarMapMenu", "TextInputMenu"},
         kBusy,
         deliver(EventSourceKind::EndEditText),
         {false, true, -1, 222, 3}},
        {"editing ended off the star map",
         {"TextInputMenu"},
         kBusy,
         deliver(EventSourceKind::EndEditText),
         {false, true, 111, 222, 3}},
        {"editing cancelled on the star map",
         {"GalaxyStarMapMenu", "TextInputMenu"},
         kBusy,
         deliver(EventSourceKind::InputCanceled),
         {false, true, -1, 222, 3}},
        {"editing cancelled off the star map",
         {"TextInputMenu"},
         kBusy,
         deliver(EventSourceKind::InputCanceled),
         {false, true, 111, 222, 3}},
        {"editing started on the star map without the UI object",
         {"GalaxyStarMapMenu", "TextInputMenu"},
         {false, true, 111, 222, 3},
         withoutUiObject(deliver(EventSourceKind::StartEditText)),
         {false, true, 111, 222, 3}},
        {"editing ended on the star map without the UI object",
         {"GalaxyStarMapMenu", "TextInputMenu"},
         kBusy,
         withoutUiObject(deliver(EventSourceKind::EndEditText)),
         {false, true, 111, 222, 3}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.event);
        arrange(row.openBefore, row.before);
        clock_.advance(kSecond);
        row.action();
        StateView expected = row.after;
        if (expected.textEditEndedAtNs == -1) expected.textEditEndedAtNs = clock_.now();
        if (expected.starMapOpenedAtNs == -1) expected.starMapOpenedAtNs = clock_.now();
        EXPECT_EQ(currentState(), expected);
        EXPECT_TRUE(hostsim::outstandingEngineStrings().empty());
    }
}

struct BoxOpenRow {
    const char* when;
    bool starMapOpen;
    std::int64_t sinceResultsShown;
    bool becomesResultBox;
    bool uiObjectPresent = true;
};

TEST_F(SinkHandlers, MessageBoxBecomesTheResultBoxOnlyOnTheStarMapWithinHalfASecond) {
    const BoxOpenRow rows[] = {
        {"at once on the star map", true, 0, true},
        {"499,999,999 ns later on the star map", true, 499'999'999, true},
        {"500,000,000 ns later on the star map", true, 500'000'000, false},
        {"600 ms later on the star map", true, 600 * kMillisecond, false},
        {"at once with the star map closed", false, 0, false},
        {"at once on the star map without the UI object", true, 0, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.when);
        arrange({}, {false, false, 0, 0, 3});
        if (row.starMapOpen) hostsim::openMenu("GalaxyStarMapMenu");
        PluginState.resultsShownAtNs = clock_.now() - row.sinceResultsShown;
        hostsim::setUiObjectPresent(row.uiObjectPresent);
        hostsim::openMenu("MessageBoxMenu");
        hostsim::setUiObjectPresent(true);
        EXPECT_EQ(PluginState.resultsBoxOpen, row.becomesResultBox);
        EXPECT_EQ(PluginState.resultKeys.size(), 3u);  // opening never touches the keys
    }
}

TEST_F(SinkHandlers, HandlerWaitsWhileAnotherThreadHoldsTheMutex) {
    hostsim::openMenu("GalaxyStarMapMenu");
    hostsim::openMenu("TextInputMenu");
    std::atomic<bool> delivered{false};
    std::unique_lock<std::recursive_mutex> held(PluginState.mutex);
    std::thread game([&] {
        hostsim::deliverTextInputEvent(EventSourceKind::StartEditText);
        delivered.store(true);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(delivered.load());
    EXPECT_FALSE(PluginState.textInputActive);
    held.unlock();
    game.join();
    std::lock_guard<std::recursive_mutex> lock(PluginState.mutex);
    EXPECT_TRUE(PluginState.textInputActive);
}

TEST_F(SinkHandlers, HandlerOnTheThreadHoldingTheMutexProceedsAtOnce) {
    hostsim::openMenu("GalaxyStarMapMenu");
    std::lock_guard<std::recursive_mutex> outer(PluginState.mutex);
    std::lock_guard<std::recursive_mutex> inner(PluginState.mutex);
    hostsim::deliverTextInputEvent(EventSourceKind::StartEditText);
    EXPECT_TRUE(PluginState.textInputActive);
}

}  // namespace
