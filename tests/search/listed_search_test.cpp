// The check a benchmark makes before it times a search: only a results box
// that lists matches lets it time; every other box the search can show makes
// it refuse.
#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <string>

#include "config/placeholder.h"
#include "config/settings.h"
#include "config/ui_texts.h"
#include "host/bindings.h"
#include "hostsim/galaxy.h"
#include "hostsim/ui_records.h"
#include "listed_search.h"
#include "state/plugin_state.h"
#include "support/simulated_game.h"

using namespace lumora;
using lumora_bench::matchesListedBySearch;
using lumora_bench::reportedMatchCount;

namespace {

struct BoxRow {
    const char* box;
    const char* countTemplate;
    std::optional<std::size_t> count;
};

TEST(ReportedMatchCount, OnlyTheCountLineOfAResultsBoxGivesANumber) {
    const BoxRow rows[] = {
        {"Search: a\n\nLocations:\n[0] Dull Yard | Thessa\n\nFound 3 matches.", "Found % matches.", 3},
        // Pages put their hint after the count line.
        {"Search: a\n\nPlanets:\n[0] Marrow | Corvane\n\nFound 17196 matches.\n\nPress the key for more.",
         "Found % matches.", 17196},
        {"Search: a\n\nLocations:\n[0] A | B\n\nTreffer: 12", "Treffer: %", 12},
        {"No matches.", "Found % matches.", std::nullopt},
        {"No matches.\n\nClose names:\n[0] Dull Yard | Thessa\n", "Found % matches.", std::nullopt},
        {"Internal error: 5c5c", "Found % matches.", std::nullopt},
        {"Search text is empty.", "Found % matches.", std::nullopt},
        // A line that only looks like the count line.
        {"Search: Found 3 matches.\n\nNo matches.", "Found % matches.", std::nullopt},
        {"[0] Found 3 matches. | Thessa\n", "Found % matches.", std::nullopt},
        {"Found 3x matches.", "Found % matches.", std::nullopt},
        {"Found  matches.", "Found % matches.", std::nullopt},
        {"", "Found % matches.", std::nullopt},
    };
    for (const BoxRow& row : rows) {
        PlaceholderParts count;
        splitAtPlaceholder(row.countTemplate, count);
        EXPECT_EQ(reportedMatchCount(row.box, count), row.count) << row.box;
    }
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
form 0x110001 type=location name="Brightwater Dock" parent=0xE0001
form 0x110002 type=location name="Dull Yard" parent=0xE0002
form 0x400001 type=location name="Thessa Orbit"
context 0x400001
form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
form 0x200002 type=placed base=0x10 named=0x110002 linked=0xE0002 marker=visible
planets 0xE0001 0xE0002
)";

class ListedSearch : public lumora_test::SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        bindHostImage();
        m_settings = Settings;
        hostsim::installGalaxy(hostsim::parseGalaxyText(kGalaxy, "listed search"));
    }
    void TearDown() override {
        Settings = m_settings;
        SimulatedGameTest::TearDown();
    }
    static std::optional<std::size_t> listed(const std::string& text) {
        std::lock_guard lock(PluginState.mutex);
        return matchesListedBySearch(text);
    }
    static std::string lastBox() {
        const auto boxes = hostsim::gameMessageBoxes();
        return boxes.empty() ? "" : boxes.back().text;
    }

private:
    SettingsRecord m_settings;
};

struct SearchRow {
    bool closeNames;
    const char* text;
    const char* boxStart;
    std::optional<std::size_t> listed;
};

// With close names on, a search without matches still shows a box with
// numbered lines: the check must refuse it as it refuses "No matches.".
TEST_F(ListedSearch, RefusesEveryBoxButResultsWithCloseNamesOnOrOff) {
    const SearchRow rows[] = {
        {false, "dull", "Search: dull\n", 1},
        {true, "dull", "Search: dull\n", 1},
        {false, "thessa", "Search: thessa\n", 2},  // the dock on Thessa and the planet
        {false, "brightwatr", "No matches.", std::nullopt},
        {true, "brightwatr", "No matches.\n\nClose names:\n[0] Brightwater Dock", std::nullopt},
        {true, "zzzzzz", "No matches.", std::nullopt},
        {false, "", "Search text is empty.", std::nullopt},
        {false, "--dull", "No matches.", std::nullopt},
    };
    for (const SearchRow& row : rows) {
        Settings.suggestSimilarNames = row.closeNames;
        EXPECT_EQ(listed(row.text), row.listed) << row.text;
        EXPECT_EQ(lastBox().rfind(row.boxStart, 0), 0u) << row.text << ": " << lastBox();
        EXPECT_EQ(hostsim::gameMessageBoxes().size(), 1u) << row.text;
    }
}

TEST_F(ListedSearch, RefusesASearchEndedByAMissingForm) {
    hostsim::installGalaxy(hostsim::parseGalaxyText(
        std::string(kGalaxy).replace(std::string(kGalaxy).find("form 0x24DC8"), 12, "form 0x24DC9"), "listed search"));
    EXPECT_EQ(listed("dull"), std::nullopt);
    EXPECT_EQ(lastBox(), "Iternal error: 6530");
}

}  // namespace
