#include <gtest/gtest.h>

#include <string>

#include "host/bindings.h"
#include "hostsim/engine_strings.h"
#include "hostsim/galaxy.h"
#include "search/form_queries.h"
#include "support/simulated_game.h"

using namespace lumora;

namespace {

TEST(ReplaceAll, ReplacesEveryOccurrenceLeftToRightWithoutOverlap) {
    struct Case {
        const char* text;
        const char* pattern;
        const char* replacement;
        const char* result;
    };
    const Case cases[] = {
        {"<Alias=Player>'s Base", "<Alias=Player>", "Ada", "Ada's Base"},
        {"<Alias=Player> and <Alias=Player>", "<Alias=Player>", "Bo", "Bo and Bo"},
        {"aaa", "aa", "b", "ba"},
        {"abab", "ab", "abab", "abababab"},
        {"<Alias=Player>'s Base", "<Alias=Player>", "", "'s Base"},
        {"", "x", "y", ""},
        {"text", "", "y", "text"},
        {"no match", "zz", "y", "no match"},
    };
    for (const Case& c : cases) EXPECT_EQ(replaceAll(c.text, c.pattern, c.replacement), c.result) << c.text;
}

class FormQueriesTest : public lumora_test::SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        bindHostImage();
    }
    static void* form(std::uint32_t id) { return hostsim::installedGalaxy()->form(id); }
};

TEST_F(FormQueriesTest, AncestorSearchSkipsTheFormItselfAndSurvivesFaultyCasts) {
    hostsim::installGalaxy(hostsim::parseGalaxyText(R"(
form 0x149F type=keyword name="Charted System"
form 0xB0001 type=location name="Upper" keywords=0x149F
form 0xB0002 type=location name="Faulty" keywords=0x149F fault=1 chain=0xB0001
form 0xB0003 type=location name="Self" keywords=0x149F chain=0xB0001
form 0xB0004 type=location name="Below faulty" chain=0xB0002
)",
                                                    "ancestors"));
    void* keyword = form(0x149F);
    EXPECT_EQ(findAncestorWithKeyword(form(0xB0003), keyword), form(0xB0001));
    EXPECT_EQ(findAncestorWithKeyword(form(0xB0003), nullptr), form(0xB0001));
    EXPECT_EQ(findAncestorWithKeyword(form(0xB0001), keyword), nullptr);
    EXPECT_EQ(findAncestorWithKeyword(nullptr, keyword), nullptr);
    EXPECT_EQ(findAncestorWithKeyword(form(0xB0004), keyword), nullptr);
}

TEST_F(FormQueriesTest, PlayerNameComesFromItsDisplayNameElseItsBaseElseIsEmpty) {
    hostsim::GalaxyDescription galaxy = hostsim::parseGalaxyText(R"(
form 0xA3001 type=npc name="Wanderer"
form 0x300001 type=actor base=0xA3001 displayname="Ada"
form 0x300002 type=actor base=0xA3001
player 0x300001
)",
                                                                 "player");
    hostsim::installGalaxy(galaxy);
    EXPECT_EQ(playerDisplayName(), "Ada");
    galaxy.player = 0x300002;
    hostsim::installGalaxy(galaxy);
    EXPECT_EQ(playerDisplayName(), "Wanderer");
    galaxy.player.reset();
    hostsim::installGalaxy(galaxy);
    EXPECT_EQ(playerDisplayName(), "");
}

TEST_F(FormQueriesTest, EngineStringEntriesWithoutNarrowTextReadAsEmpty) {
    void* handle = hostsim::internEngineString("Visible text");
    EXPECT_EQ(engineStringTextView(handle), "Visible text");
    hostsim::setEngineStringFlags(handle, 0x02);
    EXPECT_EQ(engineStringTextView(handle), "");
    EXPECT_EQ(engineStringTextView(nullptr), "");
    EXPECT_EQ(engineStringTextView(hostsim::internEngineString("")), "");
}

TEST_F(FormQueriesTest, PlanetListKeepsRegistryOrderAndSkipsNullEntries) {
    hostsim::GalaxyDescription galaxy = hostsim::parseGalaxyText(R"(
form 0xE0001 type=body name="Thessa"
form 0xE0002 type=body name="Marrow"
planets 0xE0002 none 0xE0001
)",
                                                                 "planets");
    hostsim::installGalaxy(galaxy);
    EXPECT_EQ(collectPlanetForms(), (std::vector<void*>{form(0xE0002), form(0xE0001)}));
    galaxy.nullPlanetRegistry = true;
    hostsim::installGalaxy(galaxy);
    EXPECT_TRUE(collectPlanetForms().empty());
}

}  // namespace
