// Close names offered when a search collects nothing, through the whole
// search: the walks' own candidates, names and skip rules, the ranking, the
// box and its keys.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "config/settings.h"
#include "config/ui_texts.h"
#include "host/bindings.h"
#include "hostsim/galaxy.h"
#include "hostsim/ui_records.h"
#include "search/recent_destinations_listing.h"
#include "search/run_search.h"
#include "state/clock.h"
#include "state/plugin_state.h"
#include "support/simulated_game.h"

using namespace lumora;

namespace {

// The term "brightwater" (11 bytes, two edits allowed) against places one and
// two edits away, in a walk order that mixes them.
constexpr const char* kGalaxy = R"(
slots ordered
form 0x149F   type=keyword name="Charted System"
form 0x3E8651 type=keyword name="Settled Territory"
form 0x24DC8  type=keyword name="Outpost Claim"
form 0x10     type=marker-base name="Map Marker"
form 0xA1001  type=eligible-base name="Hab Module"
form 0xB0001 type=location name="Corvane System" keywords=0x149F
form 0xD0001 type=body name="Corvane" chain=0xB0001
form 0xE0001 type=body name="Thessa" parent=0xD0001
form 0xE0002 type=body name="Marrow" parent=0xD0001
form 0xE0003 type=body name="Brightwatre" parent=0xD0001
form 0xE0004 type=body name="Brightwatrr" parent=0xD0001
form 0xE0005 type=body name="Rogue"
form 0x110001 type=location name="Brigtwatr Camp" parent=0xE0001
form 0x110002 type=location name="Brightwatr Dock" parent=0xE0001
form 0x110003 type=location name="Bryghtwatter Mine" parent=0xE0002
form 0x110004 type=location name="Brihgtwater Bay" parent=0xE0002
form 0x110005 type=location name="Brgtwtr Spire" parent=0xE0001
form 0x110006 type=location name="Brightwalter" parent=0xE0002
form 0x110007 type=location name="Brightwatr Hidden" parent=0xE0001
form 0x110008 type=location name="Brightwatr Rogue" parent=0xE0005
form 0x110009 type=location name="Dull Yard" parent=0xE0001
form 0x11000A type=location name="Brightwatr Aux"
form 0x11000B type=location name="Brightwatre Outskirts" parent=0xE0001
form 0x400001 type=location name="Thessa Orbit"
context 0x400001
form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
form 0x200002 type=placed base=0x10 named=0x110002 linked=0xE0001 marker=visible
form 0x200003 type=placed base=0x10 named=0x110003 linked=0xE0002 marker=visible
form 0x200004 type=placed base=0x10 named=0x110002 linked=0xE0001 marker=visible
form 0x200005 type=placed base=0x10 named=0x110005 linked=0xE0001 marker=visible
form 0x200006 type=placed base=0x10 named=0x110004 linked=0xE0002 marker=visible
form 0x200007 type=placed base=0x10 named=0x110007 linked=0xE0001 marker=hidden
form 0x200008 type=placed base=0x10 named=0x110008 linked=0xE0005 marker=visible
form 0x200009 type=placed base=0x10 named=0x110009 linked=0xE0001 marker=visible aux=0x11000A
form 0x20000A type=placed base=0x10 linked=0xE0004 marker=visible
form 0x20000B type=placed base=0xA1001 named=0x110006 linked=0xE0002 context=1
form 0x20000C type=placed base=0x10 named=0x11000B linked=0xE0002 marker=visible
form 0x20000D type=placed base=0x10 named=0x110004 linked=0xE0002 marker=visible
planets 0xE0001 0xE0002 0xE0003
)";

std::int64_t fixedClock() { return 987'654'321; }

class CloseNamesSearch : public lumora_test::SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        bindHostImage();
        m_settings = Settings;
        Settings.suggestSimilarNames = true;
        setClockSourceForTesting(&fixedClock);
        hostsim::installGalaxy(hostsim::parseGalaxyText(kGalaxy, "close names"));
        PluginState.resultKeys.clear();
        PluginState.resultsShownAtNs = 0;
    }
    void TearDown() override {
        Settings = m_settings;
        UiTexts = UiTextsRecord{};
        setClockSourceForTesting(nullptr);
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
    static std::vector<std::uint32_t> keyedForms() {
        std::vector<std::uint32_t> forms;
        std::int32_t expectedKey = 0;
        for (const ResultKey& key : PluginState.resultKeys.entries()) {
            EXPECT_EQ(key.key, expectedKey++);
            forms.push_back(key.formId);
        }
        return forms;
    }

private:
    SettingsRecord m_settings;
};

// One edit before two, walk order within each, locations before planets;
// the repeated line, the candidates the walk skips (hidden marker, target
// without parent), the name the walk never tests (aux) and the candidate
// without a location line are not offered; five lines at most.
TEST_F(CloseNamesSearch, ClosestFirstThenWalkOrderFiveLinesAndKeysLikeResults) {
    EXPECT_EQ(search("Brightwater"),
              "No matches.\n\nClose names:\n"
              "[0] Brightwatr Dock | Thessa\n"
              "[1] Brihgtwater Bay | Marrow\n"
              "[2] Brightwalter | Marrow\n"
              "[3] Brightwatre Outskirts | Marrow\n"
              "[4] Brightwatre | Corvane System\n");
    EXPECT_EQ(keyedForms(), (std::vector<std::uint32_t>{0xE0001, 0xE0002, 0xE0002, 0xE0002, 0xE0003}));
    EXPECT_EQ(PluginState.resultsShownAtNs, 987'654'321);
}

// A close name chosen with a digit is remembered under the name of the body
// it focuses: the next empty search checks the body against that name, so a
// line remembered under its location's name would be judged gone and left
// out of the list.
TEST_F(CloseNamesSearch, ChosenCloseNameIsRememberedUnderItsTargetsNameAndListedAgain) {
    search("Brightwater");
    const std::vector<std::string> targets = {"Thessa", "Marrow", "Marrow", "Marrow", "Brightwatre"};
    ASSERT_EQ(PluginState.resultKeys.size(), targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i)
        EXPECT_EQ(PluginState.resultKeys.entries()[i].targetName, targets[i]) << "line " << i;

    RecentDestinationsRecord recent;
    for (const std::size_t chosen : {std::size_t{0}, std::size_t{1}, std::size_t{4}}) {
        const ResultKey& key = PluginState.resultKeys.entries()[chosen];
        rememberDestination(recent, {key.formId, key.targetName, key.lineText});
    }
    const auto listing = buildRecentDestinationsListing(recent, UiTexts);
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->text,
              "Recent destinations:\n"
              "[0] Brightwatre | Corvane System\n"
              "[1] Brihgtwater Bay | Marrow\n"
              "[2] Brightwatr Dock | Thessa\n");
    EXPECT_EQ(recent.bodies.size(), 3u);
}

struct CloseNamesRow {
    const char* text;
    const char* box;
};

TEST_F(CloseNamesSearch, TermLengthExcludeTermAndTheHeadingDecideTheBox) {
    UiTexts.suggestionsHeading = "Meinten Sie:";
    const CloseNamesRow rows[] = {
        // With one close place excluded, the first place two edits away
        // (walked first of all) takes the fifth line.
        {"brightwater--DOCK",
         "No matches.\n\nMeinten Sie:\n[0] Brihgtwater Bay | Marrow\n[1] Brightwalter | Marrow\n"
         "[2] Brightwatre Outskirts | Marrow\n[3] Brightwatre | Corvane System\n[4] Brigtwatr Camp | Thessa\n"},
        // Six bytes allow one edit; a target name brings its location line.
        {"Marrxw",
         "No matches.\n\nMeinten Sie:\n[0] Bryghtwatter Mine | Marrow\n[1] Brihgtwater Bay | Marrow\n"
         "[2] Brightwalter | Marrow\n[3] Brightwatre Outskirts | Marrow\n[4] Marrow | Corvane System\n"},
        {"Mxrrxw", "No matches."},
        // Four bytes are the shortest term with close names; seven still allow
        // only one edit.
        {"Dxll", "No matches.\n\nMeinten Sie:\n[0] Dull Yard | Thessa\n"},
        {"Marrxxw", "No matches."},
        // Three bytes once stripped suggest nothing.
        {"m-r w", "No matches."},
        {"--brightwater", "No matches."},
    };
    for (const CloseNamesRow& row : rows) EXPECT_EQ(search(row.text), row.box) << row.text;
}

// Nothing close, or the key off: today's box, keys and stamp left alone; and a
// search with matches lists them as always.
TEST_F(CloseNamesSearch, NothingCloseOrTheKeyOffLeavesTodaysBoxKeysAndStamp) {
    PluginState.resultKeys.append(3, 0x42);
    PluginState.resultsShownAtNs = 5;
    EXPECT_EQ(search("zzzzzzzz"), "No matches.");
    Settings.suggestSimilarNames = false;
    EXPECT_EQ(search("Brightwater"), "No matches.");
    EXPECT_EQ(PluginState.resultKeys.size(), 1u);
    EXPECT_EQ(PluginState.resultsShownAtNs, 5);
    Settings.suggestSimilarNames = true;
    EXPECT_EQ(search("dull"), "Search: dull\n\nLocations:\n[0] Dull Yard | Thessa\n\nFound 1 matches.");
}

TEST_F(CloseNamesSearch, FoldedNamesComeCloseWhenBothKeysAreOn) {
    hostsim::installGalaxy(hostsim::parseGalaxyText(std::string(kGalaxy) + R"(
form 0xE0006 type=body name="\xC3\x89toile" parent=0xD0001
planets 0xE0006
)",
                                                    "close names"));
    EXPECT_EQ(search("etoilx"), "No matches.");
    Settings.foldAccentedLetters = true;
    EXPECT_EQ(search("etoilx"), "No matches.\n\nClose names:\n[0] \xC3\x89toile | Corvane System\n");
    EXPECT_EQ(search("ETOILE"), "Search: ETOILE\n\nPlanets:\n[0] \xC3\x89toile | Corvane System\n\nFound 1 matches.");
}

}  // namespace
