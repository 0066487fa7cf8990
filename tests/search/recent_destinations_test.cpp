// The recent destinations on the game's side: the list kept most recent
// first, the box an empty search shows, the bodies left out when their id
// names another body now, and what every kind of line hands over for
// remembering when it is chosen.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "config/settings.h"
#include "config/ui_texts.h"
#include "host/bindings.h"
#include "hostsim/galaxy.h"
#include "hostsim/ui_records.h"
#include "search/result_pages.h"
#include "search/run_search.h"
#include "state/clock.h"
#include "state/plugin_state.h"
#include "state/recent_destinations.h"
#include "support/simulated_game.h"

using namespace lumora;

namespace {

RecentDestination body(std::uint32_t id) {
    return {id, "Body " + std::to_string(id), "Body " + std::to_string(id) + " | Here"};
}

std::vector<std::uint32_t> idsOf(const RecentDestinationsRecord& recent) {
    std::vector<std::uint32_t> ids;
    for (const RecentDestination& d : recent.bodies) ids.push_back(d.formId);
    return ids;
}

TEST(RecentDestinationsList, MostRecentFirstAChosenBodyMovesUpAndTheEleventhDropsOff) {
    RecentDestinationsRecord recent;
    rememberDestination(recent, body(1));
    rememberDestination(recent, body(2));
    EXPECT_EQ(idsOf(recent), (std::vector<std::uint32_t>{2, 1}));
    EXPECT_TRUE(recent.unsaved);
    // Chosen again from another line: one entry, at the top, with the new text.
    rememberDestination(recent, {1, "Body 1", "Other line | Body 1"});
    EXPECT_EQ(idsOf(recent), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(recent.bodies[0].lineText, "Other line | Body 1");
    for (std::uint32_t id = 3; id <= 11; ++id) rememberDestination(recent, body(id));
    EXPECT_EQ(idsOf(recent), (std::vector<std::uint32_t>{11, 10, 9, 8, 7, 6, 5, 4, 3, 1}));
    recent.unsaved = false;
    forgetDestination(recent, 42);
    EXPECT_FALSE(recent.unsaved);  // nothing to forget: nothing to write
    forgetDestination(recent, 5);
    EXPECT_TRUE(recent.unsaved);
    EXPECT_EQ(recent.bodies.size(), 9u);
}

constexpr const char* kGalaxy = R"(
slots ordered
form 0x149F   type=keyword name="Charted System"
form 0x3E8651 type=keyword name="Settled Territory"
form 0x24DC8  type=keyword name="Outpost Claim"
form 0x10     type=marker-base name="Map Marker"
form 0xB0001 type=location name="Corvane System" keywords=0x149F
form 0xD0001 type=body name="Corvane" chain=0xB0001
form 0xE0001 type=body name="Thessa" parent=0xD0001
form 0xE0002 type=body name="Marrow" parent=0xD0001
form 0x110001 type=location name="Thessa Dock" parent=0xE0001
form 0x400001 type=location name="Thessa Orbit"
context 0x400001
form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
planets 0xE0001 0xE0002
)";

std::int64_t fixedClock() { return 123'456'789; }

class RecentDestinationsSearch : public lumora_test::SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        bindHostImage();
        m_settings = Settings;
        Settings.recentDestinations = true;
        setClockSourceForTesting(&fixedClock);
        hostsim::installGalaxy(hostsim::parseGalaxyText(kGalaxy, "recent"));
        PluginState.resultKeys.clear();
        PluginState.resultsShownAtNs = 0;
        PluginState.recentDestinations = {};
    }
    void TearDown() override {
        Settings = m_settings;
        UiTexts = UiTextsRecord{};
        PluginState.recentDestinations = {};
        setClockSourceForTesting(nullptr);
        hostsim::uninstallGalaxy();
        SimulatedGameTest::TearDown();
    }
    static std::string search(const std::string& text) {
        hostsim::clearUiRecords();
        std::lock_guard lock(PluginState.mutex);
        runSearch(text);
        const auto boxes = hostsim::gameMessageBoxes();
        EXPECT_EQ(boxes.size(), 1u);
        return boxes.empty() ? "" : boxes.back().text;
    }
    static void remember(std::vector<RecentDestination> newestLast) {
        for (RecentDestination& d : newestLast) rememberDestination(PluginState.recentDestinations, std::move(d));
        PluginState.recentDestinations.unsaved = false;
    }
    static std::vector<ResultKey> keys() { return PluginState.resultKeys.entries(); }

private:
    SettingsRecord m_settings;
};

TEST_F(RecentDestinationsSearch, EmptySearchListsTheBodiesStillThereMostRecentFirstWithKeys) {
    remember({{0xE0001, "Thessa", "Thessa Dock | Thessa"}, {0xE0002, "Marrow", "Marrow | Corvane System"}});
    EXPECT_EQ(search(""), "Recent destinations:\n[0] Marrow | Corvane System\n[1] Thessa Dock | Thessa\n");
    EXPECT_EQ(hostsim::gameMessageBoxes().back().title, "Search");  // the title of every search box, fitted
    const auto k = keys();
    ASSERT_EQ(k.size(), 2u);
    EXPECT_EQ(k[0].key, 0);
    EXPECT_EQ(k[0].formId, 0xE0002u);
    EXPECT_EQ(k[0].targetName, "Marrow");
    EXPECT_EQ(k[0].lineText, "Marrow | Corvane System");
    EXPECT_EQ(k[1].formId, 0xE0001u);
    EXPECT_EQ(PluginState.resultsShownAtNs, 123'456'789);
    EXPECT_FALSE(PluginState.recentDestinations.unsaved);
}

TEST_F(RecentDestinationsSearch, BodyWhoseIdNamesAnotherBodyOrNothingIsLeftOutAndForgotten) {
    UiTexts.recentDestinationsHeading = "Zuletzt:";
    remember({{0xE0001, "Thessa", "Thessa | Corvane System"},
              {0xE0002, "Old Name", "Old Name | Corvane System"},        // the id names Marrow now
              {0xE0999, "Gone", "Gone | Nowhere"},                       // the id names no form
              {0x110001, "Thessa Dock", "Thessa Dock | Corvane"}});      // a form, but not the name (case differs)
    PluginState.recentDestinations.bodies.front().name = "Thessa dock";  // the last remembered
    EXPECT_EQ(search(""), "Zuletzt:\n[0] Thessa | Corvane System\n");
    EXPECT_EQ(keys().size(), 1u);
    EXPECT_EQ(idsOf(PluginState.recentDestinations), std::vector<std::uint32_t>{0xE0001});
    EXPECT_TRUE(PluginState.recentDestinations.unsaved);  // the polling thread writes the shorter list
}

TEST_F(RecentDestinationsSearch, NothingStillThereNothingRememberedOrTheKeyOffGiveTodaysBox) {
    PluginState.resultKeys.append(3, 0x42);
    PluginState.resultsShownAtNs = 5;
    EXPECT_EQ(search(""), "Search text is empty.");
    remember({{0xE0999, "Gone", "Gone | Nowhere"}});
    EXPECT_EQ(search(""), "Search text is empty.");
    EXPECT_TRUE(PluginState.recentDestinations.bodies.empty());
    EXPECT_TRUE(PluginState.recentDestinations.unsaved);
    remember({{0xE0001, "Thessa", "Thessa | Corvane System"}});
    Settings.recentDestinations = false;
    EXPECT_EQ(search(""), "Search text is empty.");
    EXPECT_EQ(keys().size(), 1u);
    EXPECT_EQ(PluginState.resultsShownAtNs, 5);
    EXPECT_EQ(PluginState.recentDestinations.bodies.size(), 1u);  // left alone with the key off
}

// The name kept with each key is the target's name: after " | " in a
// location line, before it in a planet line, whatever the names hold.
TEST_F(RecentDestinationsSearch, EveryResultLineHandsOverItsTextAndItsTargetsName) {
    EXPECT_EQ(search("thessa"),
              "Search: thessa\n\nLocations:\n[0] Thessa Dock | Thessa\n\nPlanets:\n[1] Thessa | Corvane System\n\n"
              "Found 2 matches.");
    auto k = keys();
    ASSERT_EQ(k.size(), 2u);
    EXPECT_EQ(k[0].lineText, "Thessa Dock | Thessa");
    EXPECT_EQ(k[0].targetName, "Thessa");
    EXPECT_EQ(k[1].lineText, "Thessa | Corvane System");
    EXPECT_EQ(k[1].targetName, "Thessa");

    Settings.suggestSimilarNames = true;
    EXPECT_EQ(search("Marow"), "No matches.\n\nClose names:\n[0] Marrow | Corvane System\n");
    k = keys();
    ASSERT_EQ(k.size(), 1u);
    EXPECT_EQ(k[0].lineText, "Marrow | Corvane System");
    EXPECT_EQ(k[0].targetName, "Marrow");
}

TEST(RecentDestinationsPages, LinesOfLaterPagesHandOverTheirTargetsName) {
    ResultPagesRecord pages;
    int form = 0;
    pages.locations.sources.push_back({&form, 0x11, "Dock | A", "Target | B"});
    pages.planets.sources.push_back({&pages, 0x22, "Planet | C", "Star"});
    const ResultsListing page = buildNextResultsPage(pages, UiTextsRecord{});
    const auto& k = page.keys.entries();
    ASSERT_EQ(k.size(), 2u);
    EXPECT_EQ(k[0].lineText, "Dock | A | Target | B");
    EXPECT_EQ(k[0].targetName, "Target | B");
    EXPECT_EQ(k[1].lineText, "Planet | C | Star");
    EXPECT_EQ(k[1].targetName, "Planet | C");
}

}  // namespace
