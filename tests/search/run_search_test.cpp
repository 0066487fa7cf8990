#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "config/ui_texts.h"
#include "host/bindings.h"
#include "hostsim/abi.h"
#include "hostsim/galaxy.h"
#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "hostsim/ui_records.h"
#include "search/run_search.h"
#include "state/clock.h"
#include "state/plugin_state.h"
#include "support/simulated_game.h"

using namespace lumora;

namespace {

// Fixed forms, one charted system with a star and two planets, the player
// and the context. Tests add their placed objects and named places.
constexpr const char* kGalaxyBase = R"(
slots ordered
form 0x149F   type=keyword name="Charted System"
form 0x3E8651 type=keyword name="Settled Territory"
form 0x24DC8  type=keyword name="Outpost Claim"
form 0x10     type=marker-base name="Map Marker"
form 0x254244 type=marker-base name="Settlement Marker"
form 0xA1001  type=eligible-base name="Hab Module"
form 0xA3001  type=npc name="Wanderer"
form 0xB0001 type=location name="Corvane System" keywords=0x149F
form 0xD0001 type=body name="Corvane" chain=0xB0001
form 0xE0001 type=body name="Thessa" parent=0xD0001
form 0xE0002 type=body name="Marrow" parent=0xD0001
form 0x300001 type=actor base=0xA3001 displayname="Ada"
form 0x400001 type=location name="Thessa Orbit"
player 0x300001
context 0x400001
planets 0xE0001 0xE0002
)";

std::int64_t fixedClock() { return 123'456'789; }

// Whether the all-forms lock was held while each box was on screen.
std::vector<bool> g_lockHeldDuringBox;
SIM_ABI void showMessageBoxNotingTheLock(void* owner, std::uint64_t a, std::uint64_t b,
                                         hostsim::EngineStringHandle text) {
    g_lockHeldDuringBox.push_back(!hostsim::isBalanced(hostsim::allFormsLock()));
    hostsim::showMessageBoxHost(owner, a, b, text);
}

class RunSearchTest : public lumora_test::SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        bindHostImage();
        Settings.skipNonStarMapVisibleMapMarkers = true;  // the setting's default
        setClockSourceForTesting(&fixedClock);
    }
    void TearDown() override {
        if (hostsim::installedGalaxy() != nullptr) {
            EXPECT_TRUE(hostsim::isBalanced(hostsim::allFormsLock()));
            EXPECT_TRUE(hostsim::installedGalaxy()->containerLocksBalanced());
        }
        setClockSourceForTesting(nullptr);
        SimulatedGameTest::TearDown();
    }

    static hostsim::GalaxyDescription galaxy(const std::string& extra) {
        return hostsim::parseGalaxyText(std::string(kGalaxyBase) + extra, "test galaxy");
    }
    void install(const std::string& extra) { hostsim::installGalaxy(galaxy(extra)); }

    // Text of the one box the search showed, with its title.
    static hostsim::MessageBoxRecord onlyBox() {
        const auto boxes = hostsim::gameMessageBoxes();
        EXPECT_EQ(boxes.size(), 1u);
        return boxes.empty() ? hostsim::MessageBoxRecord{} : boxes.back();
    }
    static std::string search(const std::string& text) {
        hostsim::clearUiRecords();
        std::lock_guard lock(PluginState.mutex);
        runSearch(text);
        return onlyBox().text;
    }
};

TEST_F(RunSearchTest, EmptyTextPlaysTheSoundThenShowsTheEmptyBoxWithoutLocking) {
    install("");
    hostsim::clearUiRecords();
    // The game's lock lives as long as the process: count from here.
    const std::uint64_t acquisitionsBefore = hostsim::allFormsLock().acquisitions.load();
    runSearch("");
    const auto sounds = hostsim::playedSounds();
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].name, "UIMenuGeneralOK");
    EXPECT_FLOAT_EQ(sounds[0].volume, 1.0f);
    EXPECT_EQ(onlyBox().text, "Search text is empty.");
    EXPECT_EQ(onlyBox().title, "Search");
    EXPECT_EQ(hostsim::allFormsLock().acquisitions.load(), acquisitionsBefore);
}

TEST_F(RunSearchTest, EachMissingFixedFormShowsItsBoxAndTakesNoLock) {
    struct Case {
        const char* removed;
        const char* box;
    };
    const Case cases[] = {{"0x149F", "Iternal error: 6527"},
                          {"context", "Iternal error: 6528"},
                          {"0x3E8651", "Iternal error: 6529"},
                          {"0x24DC8", "Iternal error: 6530"}};
    for (const Case& c : cases) {
        hostsim::GalaxyDescription description = galaxy("");
        if (std::string(c.removed) == "context") {
            description.context.reset();
        } else {
            const std::uint32_t id = static_cast<std::uint32_t>(std::stoul(c.removed, nullptr, 16));
            for (auto& form : description.forms)
                if (form.id == id) form.listed = false;
        }
        hostsim::installGalaxy(description);
        const auto before = hostsim::allFormsLock().acquisitions.load();
        EXPECT_EQ(search("thessa"), c.box) << c.removed;
        EXPECT_EQ(hostsim::allFormsLock().acquisitions.load(), before) << c.removed;
    }
}

TEST_F(RunSearchTest, EligibleObjectNamedExactlyShipIsDroppedButMarkerAndOtherSpellingsStay) {
    install(R"(
form 0x110001 type=location name="Ship" parent=0xE0001
form 0x110002 type=location name="ship" parent=0xE0001
form 0x110003 type=location name="Ship 2" parent=0xE0001
form 0x110004 type=location name="Ship" parent=0xE0002
form 0x200001 type=placed base=0xA1001 named=0x110001 linked=0xE0001 context=1
form 0x200002 type=placed base=0xA1001 named=0x110002 linked=0xE0001 context=1
form 0x200003 type=placed base=0xA1001 named=0x110003 linked=0xE0001 matches=0x3E8651
form 0x200004 type=placed base=0x10 named=0x110004 linked=0xE0002 marker=visible
)");
    EXPECT_EQ(search("ship"),
              "Search: ship\n\nLocations:\n[0] ship | Thessa\n[1] Ship 2 | Thessa\n[2] Ship | Marrow\n\n"
              "Found 3 matches.");
}

TEST_F(RunSearchTest, KeywordHitOfAnEarlierLocationKeepsTheKeywordOrderingWhenALaterOneHitsByName) {
    install(R"(
form 0x110001 type=location name="Dust Flats" parent=0xE0001
form 0x110002 type=location name="Outpost Nine" parent=0xE0001
form 0x200001 type=placed base=0xA1001 named=0x110001 linked=0xE0001 context=1
form 0x200002 type=placed base=0x10 named=0x110002 linked=0xE0001 marker=visible
)");
    // The name ordering would put the word-start hit "Outpost Nine" first.
    EXPECT_EQ(search("outp"),
              "Search: outp\n\nLocations:\n[0] Dust Flats | Thessa\n[1] Outpost Nine | Thessa\n\n"
              "Planets:\n[2] Thessa | Corvane System\n\nFound 3 matches.");
}

TEST_F(RunSearchTest, MarkerFiltersApplyOnlyWithTheSettingOn) {
    install(R"(
form 0x110001 type=location name="Dust Alpha" parent=0xE0001
form 0x110002 type=location name="Dust Hidden" parent=0xE0001
form 0x110003 type=location name="Dust Flagged" parent=0xE0001
form 0x110004 type=location name="Dust Filtered" parent=0xE0001
form 0x110005 type=location name="Dust Nodata" parent=0xE0001
form 0x110006 type=location name="Dust Bare" parent=0xE0001
form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
form 0x200002 type=placed base=0x10 named=0x110002 linked=0xE0001 marker=hidden
form 0x200003 type=placed base=0x10 flags=0x20 named=0x110003 linked=0xE0001 marker=visible
form 0x200004 type=placed base=0x10 named=0x110004 linked=0xE0001 marker=visible filtered=1
form 0x200005 type=placed base=0x10 named=0x110005 linked=0xE0001 marker=nodata
form 0x200006 type=placed base=0x10 named=0x110006 linked=0xE0001 container=0
)");
    Settings.skipNonStarMapVisibleMapMarkers = true;
    EXPECT_EQ(search("dust"), "Search: dust\n\nLocations:\n[0] Dust Alpha | Thessa\n\nFound 1 matches.");
    Settings.skipNonStarMapVisibleMapMarkers = false;
    EXPECT_EQ(search("dust"),
              "Search: dust\n\nLocations:\n[0] Dust Alpha | Thessa\n[1] Dust Hidden | Thessa\n"
              "[2] Dust Flagged | Thessa\n[3] Dust Filtered | Thessa\n[4] Dust Nodata | Thessa\n"
              "[5] Dust Bare | Thessa\n\nFound 6 matches.");
}

TEST_F(RunSearchTest, DuplicatesByPrimaryFormAndByNameOnTheSameTargetAreDropped) {
    install(R"(
form 0x110001 type=location name="Harrow Point" parent=0xE0001
form 0x110002 type=location name="Harrow Point" parent=0xE0001
form 0x110003 type=location name="Harrow Point" parent=0xE0002
form 0x110004 type=location name="Harrow Camp" parent=0xE0001
form 0x200001 type=placed base=0x10 named=0x110004 linked=0xE0001 marker=visible
form 0x200002 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
form 0x200003 type=placed base=0x10 named=0x110002 linked=0xE0001 marker=visible
form 0x200004 type=placed base=0x10 named=0x110003 linked=0xE0002 marker=visible
form 0x200005 type=placed base=0xA1001 named=0x110004 linked=0xE0002 context=1
form 0x200006 type=placed base=0x254244 named=0x110001 linked=0xE0002 marker=visible
)");
    // Harrow Camp's marker is replaced by the eligible object (now at the end);
    // the second Harrow Point on Thessa and the repeated primary form drop.
    EXPECT_EQ(search("harrow"),
              "Search: harrow\n\nLocations:\n[0] Harrow Point | Thessa\n[1] Harrow Point | Marrow\n"
              "[2] Harrow Camp | Marrow\n\nFound 3 matches.");
}

TEST_F(RunSearchTest, ExcludedTermInTheAncestorNameDropsTheCandidate) {
    install(R"(
form 0xB0002 type=location name="Sellamir Expanse" keywords=0x149F
form 0xD0002 type=body name="Sellamir" chain=0xB0002
form 0xE0003 type=body name="Ilvane" parent=0xD0002
form 0x110001 type=location name="Dust Keep" parent=0xE0001
form 0x110002 type=location name="Dust Gate" parent=0xE0003
form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
form 0x200002 type=placed base=0x10 named=0x110002 linked=0xE0003 marker=visible
)");
    // Of all the names of Dust Gate only its ancestor's holds "expanse".
    EXPECT_EQ(search("Dust--EXPANSE"),
              "Search: Dust (excl.: EXPANSE)\n\nLocations:\n[0] Dust Keep | Thessa\n\nFound 1 matches.");
}

TEST_F(RunSearchTest, PlayerAliasIsReplacedByTheDisplayNameBeforeMatching) {
    install(R"(
form 0x110001 type=location name="<Alias=Player>'s Base" parent=0xE0001
form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
)");
    EXPECT_EQ(search("ada's"), "Search: ada's\n\nLocations:\n[0] Ada's Base | Thessa\n\nFound 1 matches.");
}

TEST_F(RunSearchTest, PlayerDisplayNameWithoutNarrowTextFallsBackToTheBaseName) {
    hostsim::GalaxyDescription description = galaxy(R"(
form 0x110001 type=location name="<Alias=Player>'s Base" parent=0xE0001
form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
)");
    for (auto& form : description.forms)
        if (form.id == 0x300001) form.displayNameFlags = 0x02;
    hostsim::installGalaxy(description);
    EXPECT_EQ(search("base"), "Search: base\n\nLocations:\n[0] Wanderer's Base | Thessa\n\nFound 1 matches.");
}

TEST_F(RunSearchTest, NullAllFormsMapStillListsPlanets) {
    hostsim::GalaxyDescription description = galaxy(R"(
form 0x110001 type=location name="Thessa Port" parent=0xE0001
form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
)");
    description.nullAllFormsMap = true;
    hostsim::installGalaxy(description);
    EXPECT_EQ(search("thessa"), "Search: thessa\n\nPlanets:\n[0] Thessa | Corvane System\n\nFound 1 matches.");
}

TEST_F(RunSearchTest, NullPlanetRegistryLeavesOnlyBodiesReachedThroughLocations) {
    hostsim::GalaxyDescription description = galaxy(R"(
form 0x110001 type=location name="Port Nine" parent=0xE0001
form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
)");
    description.nullPlanetRegistry = true;
    hostsim::installGalaxy(description);
    // The location's target hit lists its body as a planet line even so.
    EXPECT_EQ(search("thessa"),
              "Search: thessa\n\nLocations:\n[0] Port Nine | Thessa\n\nPlanets:\n[1] Thessa | Corvane System\n\n"
              "Found 2 matches.");  // one entry, two lines
    EXPECT_EQ(search("marrow"), "No matches.");
}

TEST_F(RunSearchTest, FaultInTheWalkShowsInternalErrorAndReleasesTheLock) {
    install(R"(
form 0x110001 type=location name="Dust Keep" parent=0xE0001 fault=1
form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
)");
    PluginState.resultKeys.clear();
    PluginState.resultKeys.append(7, 0x1234);
    PluginState.resultsShownAtNs = 0;
    EXPECT_EQ(search("dust"), "Internal error: 5c5c");
    EXPECT_EQ(PluginState.resultKeys.size(), 1u);
    EXPECT_EQ(PluginState.resultsShownAtNs, 0);
}

TEST_F(RunSearchTest, ResultsWriteKeysAndStampAndTheTitleTextIsRestored) {
    install(R"(
form 0x110001 type=location name="Thessa Port" parent=0xE0001
form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
)");
    const std::string text = search("thessa");
    EXPECT_EQ(text,
              "Search: thessa\n\nLocations:\n[0] Thessa Port | Thessa\n\nPlanets:\n"
              "[1] Thessa | Corvane System\n\nFound 2 matches.");
    EXPECT_EQ(onlyBox().title, "Search");
    ASSERT_EQ(PluginState.resultKeys.size(), 2u);
    EXPECT_EQ(PluginState.resultKeys.entries()[0].key, 0);
    EXPECT_EQ(PluginState.resultKeys.entries()[0].formId, 0xE0001u);
    EXPECT_EQ(PluginState.resultKeys.entries()[1].key, 1);
    EXPECT_EQ(PluginState.resultKeys.entries()[1].formId, 0xE0001u);
    EXPECT_EQ(PluginState.resultsShownAtNs, 123'456'789);
    const char* title = reinterpret_cast<const char*>(HostImageBase + HostOffset::HostUi_MessageBoxTitleText);
    EXPECT_EQ(std::string(title, 12), std::string("DEBUG\0\0\0\0\0\0\0", 12));
}

TEST_F(RunSearchTest, NoMatchLeavesKeysAndStampAlone) {
    install("");
    PluginState.resultKeys.clear();
    PluginState.resultKeys.append(3, 0x42);
    PluginState.resultsShownAtNs = 5;
    EXPECT_EQ(search("zzz"), "No matches.");
    EXPECT_EQ(PluginState.resultKeys.size(), 1u);
    EXPECT_EQ(PluginState.resultsShownAtNs, 5);
}

TEST_F(RunSearchTest, AllFormsLockIsHeldWhileTheBoxesAfterTheWalkAreShownOnly) {
    install(R"(
form 0x110001 type=location name="Dust Keep" parent=0xE0001
form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible
)");
    hostsim::placeStub(hostsim::offsets::HostUi_ShowMessageBox,
                       reinterpret_cast<const void*>(&showMessageBoxNotingTheLock));
    g_lockHeldDuringBox.clear();
    EXPECT_EQ(search("dust"), "Search: dust\n\nLocations:\n[0] Dust Keep | Thessa\n\nFound 1 matches.");
    EXPECT_EQ(search("zzz"), "No matches.");
    EXPECT_EQ(search(""), "Search text is empty.");
    install(R"(
form 0x110002 type=location name="Bad Keep" parent=0xE0001 fault=1
form 0x200002 type=placed base=0x10 named=0x110002 linked=0xE0001 marker=visible
)");
    EXPECT_EQ(search("dust"), "Internal error: 5c5c");
    EXPECT_EQ(g_lockHeldDuringBox, (std::vector<bool>{true, true, false, true}));
    EXPECT_TRUE(hostsim::isBalanced(hostsim::allFormsLock()));
}

}  // namespace
