#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "search/results_listing.h"

using namespace lumora;

namespace {

// Just enough of a form for the listing: its id at byte 0x28.
struct IdOnlyForm {
    explicit IdOnlyForm(std::uint32_t id) { std::memcpy(bytes.data() + 0x28, &id, sizeof id); }
    alignas(8) std::array<std::uint8_t, 0x30> bytes{};
};

class ResultsListingTest : public ::testing::Test {
protected:
    void* form(std::uint32_t id) { return &m_forms.emplace_back(id); }

    ResultEntry location(std::string primaryName, std::uint32_t targetId, std::string targetName, bool s = false,
                         bool t = false) {
        ResultEntry e;
        e.reference = form(0xA0000 + targetId);
        e.primaryForm = form(0xB0000 + static_cast<std::uint32_t>(m_forms.size()));
        e.primaryName = std::move(primaryName);
        e.primaryNameHit = true;
        e.targetForm = form(targetId);
        e.targetName = std::move(targetName);
        e.ancestorName = "System";
        e.secondaryNameHit = s;
        e.tertiaryNameHit = t;
        return e;
    }

    ResultEntry planet(std::uint32_t id, std::string name, std::string ancestor, bool s, bool t) {
        ResultEntry e;
        e.targetForm = form(id);
        e.targetName = std::move(name);
        e.ancestorName = std::move(ancestor);
        e.secondaryNameHit = s;
        e.tertiaryNameHit = t;
        return e;
    }

    ResultsListing listing(const std::vector<ResultEntry>& entries, const std::string& text = "dust") {
        return buildResultsListing(entries, entries, splitSearchText(text), text, m_count, m_texts);
    }

    std::deque<IdOnlyForm> m_forms;
    PlaceholderParts m_count{"Found ", " matches."};
    UiTextsRecord m_texts;
};

std::vector<std::int32_t> keysOf(const ResultKeyMap& map) {
    std::vector<std::int32_t> keys;
    for (const ResultKey& k : map.entries()) keys.push_back(k.key);
    return keys;
}

TEST_F(ResultsListingTest, TwoLocationsAndOnePlanetReadExactlyWithSharedNumbering) {
    std::vector<ResultEntry> entries = {location("Dust Keep", 0x101, "Ardent"), location("Dust Gate", 0x102, "Moon"),
                                        planet(0x201, "Dusty", "Ember System", true, false)};
    const ResultsListing result = listing(entries, "Dust");
    EXPECT_EQ(result.text,
              "Search: Dust\n\nLocations:\n[0] Dust Keep | Ardent\n[1] Dust Gate | Moon\n\nPlanets:\n"
              "[2] Dusty | Ember System\n\nFound 3 matches.");
    ASSERT_EQ(result.keys.size(), 3u);
    EXPECT_EQ(keysOf(result.keys), (std::vector<std::int32_t>{0, 1, 2}));
    EXPECT_EQ(result.keys.entries()[0].formId, 0x101u);
    EXPECT_EQ(result.keys.entries()[2].formId, 0x201u);
}

TEST_F(ResultsListingTest, HeaderShowsIncludedAndExcludedTermsAsTyped) {
    std::vector<ResultEntry> entries = {location("Dust Keep", 0x101, "Ardent")};
    const ResultsListing result = listing(entries, "Dust K -- City");
    EXPECT_EQ(result.text.substr(0, result.text.find("Locations")), "Search: Dust K  (excl.:  City)\n\n");
}

TEST_F(ResultsListingTest, FiveTertiaryPlanetLinesLimitLocationsToFive) {
    std::vector<ResultEntry> entries;
    for (std::uint32_t i = 0; i < 4; ++i) entries.push_back(location("Loc" + std::to_string(i), 0x100 + i, "T"));
    for (std::uint32_t i = 0; i < 7; ++i)
        entries.push_back(planet(0x200 + i, "P" + std::to_string(i), "Sys", i < 2, i >= 2));
    const ResultsListing result = listing(entries);
    EXPECT_EQ(keysOf(result.keys), (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_NE(result.text.find("[3] Loc3 | T\n\nPlanets:\n[4] P0 | Sys\n"), std::string::npos);
    EXPECT_NE(result.text.find("[9] P5 | Sys\n\nFound 11 matches."), std::string::npos);
    EXPECT_EQ(result.text.find("P6"), std::string::npos);
}

TEST_F(ResultsListingTest, SixPlanetLinesOfEitherHitKindAloneLimitLocationsToFive) {
    // Ten minus six would leave four: the cap of five must come from either count on its own.
    for (const bool secondary : {true, false}) {
        std::vector<ResultEntry> entries;
        for (std::uint32_t i = 0; i < 6; ++i) entries.push_back(location("Loc" + std::to_string(i), 0x100 + i, "T"));
        for (std::uint32_t i = 0; i < 6; ++i)
            entries.push_back(planet(0x200 + i, "P" + std::to_string(i), "Sys", secondary, !secondary));
        const ResultsListing result = listing(entries);
        EXPECT_NE(result.text.find("[4] Loc4 | T\n\nPlanets:\n[5] P0 | Sys\n"), std::string::npos) << secondary;
        EXPECT_EQ(result.text.find("Loc5"), std::string::npos) << secondary;
    }
}

TEST_F(ResultsListingTest, PlanetHitKindsBelowFiveLeaveTenMinusTheLargerCountForLocations) {
    std::vector<ResultEntry> entries;
    for (std::uint32_t i = 0; i < 9; ++i) entries.push_back(location("Loc" + std::to_string(i), 0x100 + i, "T"));
    for (std::uint32_t i = 0; i < 3; ++i)
        entries.push_back(planet(0x200 + i, "P" + std::to_string(i), "S", true, i == 0));
    const ResultsListing result = listing(entries);
    // k = 3, l = 1: room for 7 locations, then the 3 planets.
    EXPECT_NE(result.text.find("[6] Loc6 | T\n\nPlanets:\n[7] P0 | S\n"), std::string::npos);
    EXPECT_EQ(result.text.find("Loc7"), std::string::npos);
    EXPECT_NE(result.text.find("Found 12 matches."), std::string::npos);
}

TEST_F(ResultsListingTest, TwelveLocationsWithoutPlanetsPrintTenAndCountTwelve) {
    std::vector<ResultEntry> entries;
    for (std::uint32_t i = 0; i < 12; ++i) entries.push_back(location("Loc" + std::to_string(i), 0x100 + i, "T"));
    const ResultsListing result = listing(entries);
    EXPECT_EQ(result.keys.size(), 10u);
    EXPECT_NE(result.text.find("[9] Loc9 | T\n\nFound 12 matches."), std::string::npos);
    EXPECT_EQ(result.text.find("Planets"), std::string::npos);
}

TEST_F(ResultsListingTest, WithoutLocationLinesPlanetsStartAtZeroWithNoLocationHeading) {
    std::vector<ResultEntry> entries = {planet(0x201, "Dusty", "Ember", false, true)};
    const ResultsListing result = listing(entries);
    EXPECT_EQ(result.text, "Search: dust\n\nPlanets:\n[0] Dusty | Ember\n\nFound 1 matches.");
}

TEST_F(ResultsListingTest, EntriesWithoutLinesStillCountAndListedFormsAppearOnce) {
    ResultEntry noPrimary = location("Nameless", 0x101, "Ardent", true);
    noPrimary.primaryForm = nullptr;                   // no location line, but its target can be a planet line
    ResultEntry noLine = location("", 0x102, "Moon");  // no line at all
    ResultEntry samePrimary = location("Dust Keep", 0x103, "Sun");
    ResultEntry repeat = location("Dust Keep 2", 0x104, "Sun");
    repeat.primaryForm = samePrimary.primaryForm;
    ResultEntry planetAgain = planet(0, "Ardent", "Ember", true, false);
    planetAgain.targetForm = noPrimary.targetForm;
    std::vector<ResultEntry> entries = {noPrimary, noLine, samePrimary, repeat, planetAgain};
    const ResultsListing result = listing(entries);
    EXPECT_EQ(result.text,
              "Search: dust\n\nLocations:\n[0] Dust Keep | Sun\n\nPlanets:\n[1] Ardent | System\n\nFound 5 matches.");
    EXPECT_EQ(result.keys.entries()[1].formId, 0x101u);
}

TEST_F(ResultsListingTest, LocationLinesFollowTheOrderedListAndPlanetLinesTheCollectionOrder) {
    ResultEntry first = location("Alpha", 0x101, "A", true);
    ResultEntry second = location("Beta", 0x102, "B", true);
    const std::vector<ResultEntry> collected = {first, second};
    const std::vector<ResultEntry> ordered = {second, first};
    const ResultsListing result = buildResultsListing(ordered, collected, splitSearchText("x"), "x", m_count, m_texts);
    EXPECT_NE(result.text.find("[0] Beta | B\n[1] Alpha | A\n\nPlanets:\n[2] A | System\n[3] B | System\n"),
              std::string::npos);
}

TEST_F(ResultsListingTest, CountLineUsesWhateverTheTemplatePartsHold) {
    std::vector<ResultEntry> entries = {location("Dust Keep", 0x101, "Ardent")};
    m_count = {"[ERROR: invalid string, missing %]", ""};
    EXPECT_TRUE(listing(entries).text.ends_with("\n[ERROR: invalid string, missing %]1"));
    m_count = {"", " found"};
    EXPECT_TRUE(listing(entries).text.ends_with("\n1 found"));
}

}  // namespace
