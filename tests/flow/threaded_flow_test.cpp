// The real polling thread against the game's own thread: the road of one
// search from the hotkey to the focused body, the cancel, and an error box
// that must not freeze the game behind it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "config/ui_texts.h"
#include "flow_test_support.h"
#include "hostsim/call_sites.h"
#include "hostsim/events.h"
#include "hostsim/galaxy.h"
#include "hostsim/game_thread.h"
#include "hostsim/loader.h"
#include "hostsim/ui_records.h"
#include "state/plugin_state.h"

using namespace lumora;

namespace {

using namespace flow_test;
using namespace std::chrono_literals;

// The steady clock, moved forward on demand so the test need not sit out the
// star map's first second.
std::atomic<std::int64_t> clockShift{0};
std::int64_t shiftedClock() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
               .count() +
           clockShift.load();
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

template <typename Read>
auto underPluginLock(Read read) {
    std::lock_guard<std::recursive_mutex> lock(PluginState.mutex);
    return read();
}

std::atomic<bool> pollingParked{false};

// Sends the polling thread to sleep for good after its current pass, so the
// end-of-test checks see a quiet plugin.
void parkPollingThread() {
    win32layer::setSleepOverride([](DWORD) {
        pollingParked.store(true);
        for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    });
    EXPECT_TRUE(waitUntil([] { return pollingParked.load(); }));
}

// A menu's state changes before the game hands its event to the sinks; the
// plugin's view is read once the event has arrived.
bool waitForMenu(const char* menuName, bool open) {
    const bool changed = waitUntil([&] { return hostsim::isMenuOpen(menuName) == open; });
    hostsim::awaitMenuEventsDelivered(2s);
    return changed;
}

void pressFor(int key, const std::function<bool()>& until) {
    win32layer::pressKey(key);
    EXPECT_TRUE(waitUntil(until)) << "key " << key;
    win32layer::releaseKey(key);
}

class ThreadedFlow : public lumora_test::LoadedPluginTest {
protected:
    void SetUp() override {
        LoadedPluginTest::SetUp();
        setClockSourceForTesting(&shiftedClock);
        win32layer::releaseAllKeys();
        win32layer::setForegroundWindow(win32layer::createWindow("Halcyra"));
        hostsim::installGalaxy(hostsim::loadGalaxyFile(hostsim::shippedGalaxyDirectory() + "/sample.galaxy"));
        hostsim::sendLoaderMessage(2);
        hostsim::startGameThread(10ms);
    }
    void TearDown() override {
        parkPollingThread();
        hostsim::stopGameThread();
        win32layer::setMessageBoxHandler({});
        setClockSourceForTesting(nullptr);
        LoadedPluginTest::TearDown();
    }
    // The player opens the star map and looks at it for a second.
    void openSettledStarMap() {
        hostsim::runOnGameThread([] { hostsim::openMenu("GalaxyStarMapMenu"); });
        ASSERT_GT(underPluginLock([] { return PluginState.starMapOpenedAtNs; }), 0);
        clockShift.fetch_add(kSecond);
    }
    // Hotkey, prompt opened by the game thread, editing started.
    void openPromptAndStartEditing() {
        openSettledStarMap();
        pressFor(0x51, [] { return !hostsim::openedPrompts().empty(); });
        ASSERT_TRUE(waitForMenu("TextInputMenu", true));
        hostsim::runOnGameThread([] { hostsim::deliverTextInputEvent(hostsim::EventSourceKind::StartEditText); });
        ASSERT_TRUE(underPluginLock([] { return PluginState.textInputActive; }));
    }
    ScopedGameFolder folder_;
};

TEST_F(ThreadedFlow, HotkeySearchAndDigitFocusTheChosenBody) {
    openPromptAndStartEditing();
    const auto prompts = hostsim::openedPrompts();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].header, UiTexts.textInputMenuHeader);
    EXPECT_EQ(prompts[0].defaultText, UiTexts.textInputMenuDefaultText);
    EXPECT_FALSE(underPluginLock([] { return PluginState.promptRequested; }));

    // The player confirms: editing ends, the menu closes, the game makes the text.
    hostsim::runOnGameThread([] {
        hostsim::deliverTextInputEvent(hostsim::EventSourceKind::EndEditText);
        hostsim::closeMenu("TextInputMenu");
        hostsim::passCaptureSite("Thessa");
    });
    ASSERT_TRUE(waitForMenu("MessageBoxMenu", true));
    ASSERT_TRUE(waitUntil([] { return underPluginLock([] { return PluginState.resultsBoxOpen; }); }));
    const auto boxes = hostsim::gameMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("Thessa"), std::string::npos) << boxes[0].text;
    const auto line0 = underPluginLock([] { return PluginState.resultKeys.find(0); });
    ASSERT_TRUE(line0.has_value());

    pressFor(0x60, [] { return !hostsim::focusRequests().empty(); });  // keypad 0
    const auto requests = hostsim::focusRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].formId, line0->formId);
    EXPECT_EQ(requests[0].request, "SetBodyFocusForQuest");
    EXPECT_TRUE(waitForMenu("MessageBoxMenu", false));
    EXPECT_TRUE(underPluginLock([] { return PluginState.resultKeys.empty() && !PluginState.resultsBoxOpen; }));
}

TEST_F(ThreadedFlow, TabWhileEditingClosesThePromptWithTheFailureSound) {
    openPromptAndStartEditing();
    pressFor(0x09, [] { return !hostsim::isMenuOpen("TextInputMenu"); });
    hostsim::awaitMenuEventsDelivered(2s);
    bool failureSound = false;
    for (const auto& sound : hostsim::playedSounds()) failureSound |= sound.name == "UIMenuGeneralActivateFailure";
    EXPECT_TRUE(failureSound);
    EXPECT_FALSE(underPluginLock([] { return PluginState.textInputActive || PluginState.promptRequested; }));
    EXPECT_TRUE(hostsim::gameMessageBoxes().empty());
}

TEST_F(ThreadedFlow, ErrorBoxLeavesTheGameThreadFreeToRun) {
    openSettledStarMap();
    hostsim::runOnGameThread([] { hostsim::openMenu("MessageBoxMenu"); });
    underPluginLock([] {
        PluginState.resultKeys.clear();
        PluginState.resultKeys.append(0, 0x00ABCDEF);  // not a form of this galaxy
        PluginState.resultsBoxOpen = true;
        return 0;
    });
    std::promise<void> dismiss;
    std::shared_future<void> dismissed = dismiss.get_future().share();
    win32layer::setMessageBoxHandler([dismissed](const win32layer::MessageBoxRecord&) {
        dismissed.wait();
        return IDOK;
    });

    win32layer::pressKey('0');
    ASSERT_TRUE(win32layer::waitForMessageBoxes(1, 5s));
    win32layer::releaseKey('0');
    EXPECT_EQ(win32layer::shownMessageBoxes()[0].text, "Internal error: 0d28 | 11259375");

    // While the player looks at the box, the game closes the result box (as
    // asked) and its sink takes the lock; a second frame must follow.
    auto frames = std::async(std::launch::async, [] {
        hostsim::runOnGameThread([] {});
        hostsim::runOnGameThread([] { hostsim::deliverTextInputEvent(hostsim::EventSourceKind::EndEditText); });
    });
    const bool gameRan = frames.wait_for(3s) == std::future_status::ready;
    dismiss.set_value();
    frames.wait();
    EXPECT_TRUE(gameRan) << "the game thread waited behind the error box";
    EXPECT_FALSE(hostsim::isMenuOpen("MessageBoxMenu"));
    EXPECT_TRUE(underPluginLock([] { return PluginState.resultKeys.empty(); }));
    EXPECT_EQ(win32layer::shownMessageBoxes().size(), 1u);
}

}  // namespace
