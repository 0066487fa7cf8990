#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "config/settings.h"
#include "host/bindings.h"
#include "hostsim/galaxy.h"
#include "hostsim/ui_records.h"
#include "search/run_search.h"
#include "state/plugin_state.h"
#include "support/simulated_game.h"

using namespace lumora;

namespace {

class SampleGalaxySearch : public lumora_test::SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        bindHostImage();
        Settings.skipNonStarMapVisibleMapMarkers = true;  // the setting's default
        hostsim::installGalaxy(hostsim::loadGalaxyFile(hostsim::shippedGalaxyDirectory() + "/sample.galaxy"));
    }
    void TearDown() override {
        EXPECT_TRUE(hostsim::isBalanced(hostsim::allFormsLock()));
        EXPECT_TRUE(hostsim::installedGalaxy()->containerLocksBalanced());
        SimulatedGameTest::TearDown();
    }
    static std::string search(const char* text) {
        hostsim::clearUiRecords();
        std::lock_guard lock(PluginState.mutex);
        runSearch(text);
        const auto boxes = hostsim::gameMessageBoxes();
        EXPECT_EQ(boxes.size(), 1u);
        return boxes.empty() ? std::string() : boxes.back().title + "|" + boxes.back().text;
    }
};

TEST_F(SampleGalaxySearch, KeywordSearchPutsTheOverlayTemplateFirstAndListsEveryEligibleBody) {
    EXPECT_EQ(search("outpost"),
              "Search|Search: outpost\n\nLocations:\n"
              "[0] Outpost Sable | Ilvane Prime\n[1] Duskfall Camp | Marrow\n[2] Greywater Yard | Kessel Minor\n"
              "[3] Cargo Spur Nine | Kessel Minor\n[4] ship | Thessa\n[5] Ship 2 | Thessa\n\nPlanets:\n"
              "[6] Marrow | Corvane System\n[7] Kessel Minor | Quorra Expanse\n[8] Ilvane Prime | Sellamir System\n"
              "[9] Thessa | Corvane System\n\nFound 11 matches.");
}

TEST_F(SampleGalaxySearch, TargetNameSearchListsEachBodyOnceAndSkipsLocationsWithoutPrimaryForm) {
    EXPECT_EQ(search("Thessa"),
              "Search|Search: Thessa\n\nLocations:\n[0] New Atlantis | Thessa\n[1] New Atlantis City | Thessa\n"
              "[2] ship | Thessa\n[3] Ship 2 | Thessa\n\nPlanets:\n[4] Thessa | Corvane System\n"
              "[5] Thessa I | Corvane System\n\nFound 7 matches.");
}

TEST_F(SampleGalaxySearch, KeywordAncestorIsFoundAtTheTwentiethLinkButNotTheTwentyFirst) {
    // Nearhold's keyword ancestor is 20 links above its star, Farhold's 21.
    EXPECT_EQ(search("rim"),
              "Search|Search: rim\n\nLocations:\n[0] Harrow Point | Ilvane Prime\n[1] Outpost Sable | Ilvane Prime\n"
              "[2] Signal Buoy Tarn | Ilvane Prime\n[3] Lonely Spire | Lumen\n[4] Tarn Beacon Field | Ilvane Prime\n\n"
              "Planets:\n[5] Ilvane Prime | Sellamir System\n[6] Lumen | Sellamir System\n"
              "[7] Nearhold | Outer Rim Registry\n\nFound 9 matches.");
}

TEST_F(SampleGalaxySearch, ExclusionAndAliasAndShipRules) {
    EXPECT_EQ(search("new atlantis -- city"),
              "Search|Search: new atlantis  (excl.:  city)\n\nLocations:\n[0] New Atlantis | Thessa\n\n"
              "Found 1 matches.");
    EXPECT_EQ(search("varun"),
              "Search|Search: varun\n\nPlanets:\n[0] Va'ruun Drift | Sellamir System\n\nFound 1 matches.");
    EXPECT_EQ(search("base"),
              "Search|Search: base\n\nLocations:\n[0] Teodora Vance's Base | Marrow\n\nFound 1 matches.");
    EXPECT_EQ(search("ship"),
              "Search|Search: ship\n\nLocations:\n[0] Ship | Marrow\n[1] ship | Thessa\n[2] Ship 2 | Thessa\n\n"
              "Found 3 matches.");
}

}  // namespace
