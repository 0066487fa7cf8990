// Turning the results box to its next page, frame by frame: the polling pass
// on the test's thread, the sinks registered with the game, the game's frames
// stepped by hand. "a" lists 25 lines of the sample galaxy: three pages.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "flow/event_sinks.h"
#include "flow/poll_thread.h"
#include "flow/results_page_turn.h"
#include "flow_test_support.h"
#include "hostsim/call_sites.h"
#include "hostsim/events.h"
#include "hostsim/galaxy.h"
#include "hostsim/game_thread.h"
#include "hostsim/menus.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"
#include "state/plugin_state.h"

namespace {

using namespace flow_test;

constexpr int kHotkey = 0x51;
constexpr const char* kHint = "\n\nPress the search hotkey for more.";
constexpr const char* kPageTwoStart = "Search: a\n\nLocations:\n[0] Greywater Yard | Kessel Minor\n";
constexpr const char* kPageThreeStart = "Search: a\n\nLocations:\n[0] ship | Thessa\n\nPlanets:\n";

class ResultsPageTurn : public lumora_test::LoadedPluginTest {
protected:
    void SetUp() override {
        LoadedPluginTest::SetUp();
        Settings.pageResultsWithHotkey = true;
        registerEventSinks();
        win32layer::destroyAllWindows();
        win32layer::releaseAllKeys();
        win32layer::setForegroundWindow(win32layer::createWindow("Halcyra"));
        hostsim::installGalaxy(hostsim::loadGalaxyFile(hostsim::shippedGalaxyDirectory() + "/sample.galaxy"));
        hostsim::openMenu("GalaxyStarMapMenu");
        clock_.advance(2 * kSecond);
    }
    void TearDown() override {
        hostsim::setMenuEventOrder({});
        hostsim::uninstallGalaxy();
        LoadedPluginTest::TearDown();
    }
    // The player confirms the text on the star map; the box opens a frame later.
    void search(const char* text) {
        hostsim::deliverTextInputEvent(hostsim::EventSourceKind::EndEditText);
        hostsim::passCaptureSite(text);
        hostsim::stepFrame();
    }
    void poll(const std::vector<int>& keys) {
        withKeysDown(keys, [] { PollOnce(); });
    }
    // The hotkey, well after the last request; then the frame that closes the
    // box and the frame that shows the next page and opens it.
    void turnPage() {
        clock_.advance(600 * kMillisecond);
        poll({kHotkey});
        hostsim::stepFrame();
        hostsim::stepFrame();
    }
    static std::vector<std::string> boxTexts() {
        std::vector<std::string> texts;
        for (const auto& box : hostsim::gameMessageBoxes()) texts.push_back(box.text);
        return texts;
    }
    static std::vector<std::uint32_t> keyForms() {
        std::vector<std::uint32_t> forms;
        for (std::size_t i = 0; i < PluginState.resultKeys.size(); ++i) {
            EXPECT_EQ(PluginState.resultKeys.entries()[i].key, static_cast<std::int32_t>(i));
            forms.push_back(PluginState.resultKeys.entries()[i].formId);
        }
        return forms;
    }
    static bool pagesDropped() {
        return !PluginState.resultPages.linesRemain() && PluginState.resultPages.turn == PageTurn::None;
    }
    ManualClock clock_;
};

TEST_F(ResultsPageTurn, NextPageWaitsForTheOldBoxToCloseWhoseCloseEmptiesOnlyTheOldKeys) {
    search("a");
    ASSERT_EQ(PluginState.resultKeys.size(), 10u);
    clock_.advance(600 * kMillisecond);
    poll({kHotkey});
    EXPECT_EQ(hostsim::transcript().back(), "ui message \"MessageBoxMenu\" kind 2");
    EXPECT_TRUE(PluginState.resultKeys.empty());  // the closing page's digits choose nothing

    hostsim::passPromptSite(1, 2, 3, 4);  // the box has not closed yet: no page
    EXPECT_EQ(hostsim::gameMessageBoxes().size(), 1u);
    hostsim::processUiQueue();  // it closes
    EXPECT_FALSE(hostsim::isMenuOpen("MessageBoxMenu"));
    EXPECT_EQ(PluginState.resultPages.turn, PageTurn::Ready);
    // Until the page is shown, the hotkey asks for no prompt on the box-less star map.
    clock_.advance(600 * kMillisecond);
    poll({kHotkey});
    EXPECT_FALSE(PluginState.promptRequested);

    hostsim::passPromptSite(1, 2, 3, 4);
    ASSERT_EQ(hostsim::gameMessageBoxes().size(), 2u);
    EXPECT_TRUE(hostsim::gameMessageBoxes()[1].text.starts_with(kPageTwoStart));
    const std::vector<std::uint32_t> pageTwo = keyForms();
    ASSERT_EQ(pageTwo.size(), 10u);
    EXPECT_EQ(pageTwo.front(), 0xE0005u);
    EXPECT_EQ(PluginState.resultsShownAtNs, clock_.now());

    hostsim::processUiQueue();  // the new page opens, and it is the result box
    EXPECT_TRUE(PluginState.resultsBoxOpen);
    EXPECT_EQ(keyForms(), pageTwo);
}

TEST_F(ResultsPageTurn, HotkeyTurnsThePageUnderThePromptsDebounceAndInterval) {
    search("a");
    const std::int64_t now = clock_.now() + kSecond;
    clock_.set(now);
    PluginState.lastPromptRequestAtNs = now - 499'999'999;
    poll({kHotkey});
    EXPECT_EQ(PluginState.resultPages.turn, PageTurn::None);
    EXPECT_EQ(PluginState.lastKeyPollAtNs, now);

    clock_.set(now + 1);  // half a second since the last request, but 1 ns since the last key poll
    poll({kHotkey});
    EXPECT_EQ(PluginState.resultPages.turn, PageTurn::None);

    clock_.set(now + 50'000'000);
    poll({kHotkey});
    EXPECT_EQ(PluginState.resultPages.turn, PageTurn::Closing);
    EXPECT_EQ(PluginState.lastPromptRequestAtNs, now + 50'000'000);
    EXPECT_FALSE(PluginState.promptRequested);
}

TEST_F(ResultsPageTurn, EveryOtherWayOutOfAPageDropsTheRest) {
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"its own button", [] { hostsim::closeMenu("MessageBoxMenu"); }},
        {"a choice, before its box has closed",
         [this] {
             clock_.advance(300 * kMillisecond);
             poll({'0'});
         }},
        {"leaving the star map", [] { hostsim::closeMenu("GalaxyStarMapMenu"); }},
        {"another box, opened and closed while the page waits",
         [this] {
             clock_.advance(600 * kMillisecond);
             poll({kHotkey});
             hostsim::stepFrame();
             hostsim::openMenu("MessageBoxMenu");
             hostsim::closeMenu("MessageBoxMenu");
             hostsim::passPromptSite(1, 2, 3, 4);
         }},
        {"another box, opened within half a second of the last page while the next one waits",
         [this] {
             clock_.advance(600 * kMillisecond);
             poll({kHotkey});
             hostsim::stepFrame();
             PluginState.resultsShownAtNs = clock_.now();
             hostsim::openMenu("MessageBoxMenu");
             hostsim::passPromptSite(1, 2, 3, 4);
         }},
        {"a search that finds nothing", [this] { search("zzz"); }},
        {"the prompt while the page waits",
         [this] {
             clock_.advance(600 * kMillisecond);
             poll({kHotkey});
             hostsim::stepFrame();
             hostsim::openMenu("TextInputMenu");
             hostsim::passPromptSite(1, 2, 3, 4);
             hostsim::closeMenu("TextInputMenu");
         }},
        {"a close that never comes",
         [this] {
             clock_.advance(600 * kMillisecond);
             poll({kHotkey});
             hostsim::passPromptSite(1, 2, 3, 4);
             clock_.advance(kPageTurnCloseWaitNs - 1);
             hostsim::passPromptSite(1, 2, 3, 4);
             EXPECT_EQ(PluginState.resultPages.turn, PageTurn::Closing);
             clock_.advance(1);
             hostsim::passPromptSite(1, 2, 3, 4);
             hostsim::stepFrame();
         }},
    };
    for (const auto& [what, act] : cases) {
        SCOPED_TRACE(what);
        hostsim::openMenu("GalaxyStarMapMenu");
        clock_.advance(2 * kSecond);
        search("a");
        turnPage();
        ASSERT_TRUE(hostsim::gameMessageBoxes().back().text.starts_with(kPageTwoStart));
        ASSERT_TRUE(PluginState.resultPages.linesRemain());
        const std::size_t boxes = hostsim::gameMessageBoxes().size();
        act();
        EXPECT_TRUE(pagesDropped());
        hostsim::stepFrame();
        hostsim::stepFrame();
        const auto shown = boxTexts();
        for (std::size_t i = boxes; i < shown.size(); ++i) EXPECT_FALSE(shown[i].starts_with(kPageThreeStart));
        for (const char* menu : {"MessageBoxMenu", "TextInputMenu"}) hostsim::closeMenu(menu);
        hostsim::stepFrame();
    }
}

TEST_F(ResultsPageTurn, SecondSearchWhilePagesRemainStartsFromItsOwnPages) {
    search("a");
    turnPage();
    ASSERT_TRUE(boxTexts().back().starts_with(kPageTwoStart));

    search("a");  // page 1 again; its page 2 follows, not the old search's page 3
    EXPECT_TRUE(boxTexts().back().ends_with(kHint));
    EXPECT_FALSE(boxTexts().back().starts_with(kPageTwoStart));
    turnPage();
    EXPECT_TRUE(boxTexts().back().starts_with(kPageTwoStart));
}

// Games that tell of a closing box in other orders: the closed box still in
// the list of open menus for a frame after its close event, a second close
// event for it, and both. The next page comes in each, with its own keys.
TEST_F(ResultsPageTurn, NextPageComesWhateverOrderTheGameTellsOfTheClosingBoxIn) {
    const std::vector<std::pair<const char*, hostsim::MenuEventOrder>> orders = {
        {"the box leaves the list a frame after its event", {true, false}},
        {"a second close event a frame later", {false, true}},
        {"both", {true, true}},
    };
    for (const auto& [what, order] : orders) {
        SCOPED_TRACE(what);
        hostsim::setMenuEventOrder(order);
        hostsim::openMenu("GalaxyStarMapMenu");
        clock_.advance(2 * kSecond);
        search("a");
        hostsim::stepFrame();
        const std::size_t boxes = hostsim::gameMessageBoxes().size();
        clock_.advance(600 * kMillisecond);
        poll({kHotkey});
        hostsim::stepFrame();  // the box closes
        EXPECT_EQ(PluginState.resultPages.turn, PageTurn::Ready);
        if (order.closedMenuLingers) {
            hostsim::stepFrame();  // still listed as open at this frame's prompt site: no page yet
            EXPECT_EQ(hostsim::gameMessageBoxes().size(), boxes);
            EXPECT_EQ(PluginState.resultPages.turn, PageTurn::Ready);
        }
        hostsim::stepFrame();  // the page is shown; a second close event comes before it opens
        ASSERT_EQ(hostsim::gameMessageBoxes().size(), boxes + 1);
        EXPECT_TRUE(hostsim::gameMessageBoxes().back().text.starts_with(kPageTwoStart));
        EXPECT_TRUE(hostsim::isMenuOpen("MessageBoxMenu"));
        EXPECT_TRUE(PluginState.resultsBoxOpen);
        EXPECT_EQ(keyForms().size(), 10u);
        EXPECT_TRUE(PluginState.resultPages.linesRemain());
        hostsim::stepFrame();
        EXPECT_EQ(keyForms().size(), 10u);

        turnPage();  // and on to the last page
        if (order.closedMenuLingers) hostsim::stepFrame();
        EXPECT_TRUE(hostsim::gameMessageBoxes().back().text.starts_with(kPageThreeStart));
        hostsim::stepFrame();
        EXPECT_EQ(keyForms().size(), 5u);
        hostsim::closeMenu("MessageBoxMenu");
        hostsim::stepFrame();
        hostsim::stepFrame();
    }
}

TEST_F(ResultsPageTurn, BoxStillListedAsOpenAfterItsCloseIsAwaitedForTheTurnsSecondAtMost) {
    hostsim::setMenuEventOrder({true, false});
    search("a");
    hostsim::stepFrame();
    clock_.advance(600 * kMillisecond);
    poll({kHotkey});
    hostsim::processUiQueue();  // the close event; the box stays listed until the next UI pass
    ASSERT_EQ(PluginState.resultPages.turn, PageTurn::Ready);
    ASSERT_TRUE(hostsim::isMenuOpen("MessageBoxMenu"));
    clock_.advance(kPageTurnCloseWaitNs - 1);
    hostsim::passPromptSite(1, 2, 3, 4);
    EXPECT_EQ(PluginState.resultPages.turn, PageTurn::Ready);
    clock_.advance(1);
    hostsim::passPromptSite(1, 2, 3, 4);
    EXPECT_TRUE(pagesDropped());
    EXPECT_EQ(hostsim::gameMessageBoxes().size(), 1u);
}

TEST_F(ResultsPageTurn, SecondCloseEventOfAClosedBoxLeavesTheKeysOfTheNextBoxAlone) {
    search("a");
    hostsim::closeMenu("MessageBoxMenu");  // the player's button: the pages are dropped
    // A new search; its box is shown, and opens at the next UI pass.
    hostsim::deliverTextInputEvent(hostsim::EventSourceKind::EndEditText);
    hostsim::passCaptureSite("a");
    ASSERT_EQ(PluginState.resultKeys.size(), 10u);
    hostsim::deliverMenuOpenClose("MessageBoxMenu", false);  // the first box's close, told again
    EXPECT_EQ(PluginState.resultKeys.size(), 10u);
    EXPECT_TRUE(PluginState.resultPages.linesRemain());
    hostsim::processUiQueue();
    EXPECT_TRUE(PluginState.resultsBoxOpen);
    hostsim::closeMenu("MessageBoxMenu");  // a close of the open box still empties them
    EXPECT_TRUE(PluginState.resultKeys.empty());
    EXPECT_TRUE(pagesDropped());
}

TEST_F(ResultsPageTurn, DroppedPagesAreFreedByThePollingPassNotWhereTheyAreDropped) {
    search("a");
    hostsim::stepFrame();
    ASSERT_TRUE(PluginState.resultPages.linesRemain());
    const std::size_t kept =
        PluginState.resultPages.locations.sources.size() + PluginState.resultPages.planets.sources.size();
    hostsim::closeMenu("GalaxyStarMapMenu");
    EXPECT_TRUE(pagesDropped());
    ASSERT_EQ(PluginState.droppedResultPages.size(), 1u);
    EXPECT_EQ(PluginState.droppedResultPages[0].locations.sources.size() +
                  PluginState.droppedResultPages[0].planets.sources.size(),
              kept);
    PollOnce();
    EXPECT_TRUE(PluginState.droppedResultPages.empty());
}

}  // namespace
