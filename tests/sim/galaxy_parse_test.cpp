// Reading galaxy files: what a good file gives, and the line and field a bad
// one is reported at.
#include <gtest/gtest.h>

#include "galaxy_test_support.h"

namespace {

using hostsim::GalaxyDescription;
using hostsim::GalaxyFileError;
using hostsim::parseGalaxyText;

struct BadFile {
    const char* label;
    const char* text;
    int line;
    const char* field;
    const char* problem;  // part of the message
};

class BadGalaxyFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadGalaxyFile, IsRejectedAtItsLineAndField) {
    const BadFile& bad = GetParam();
    try {
        parseGalaxyText(bad.text, "bad.galaxy");
        FAIL() << "accepted: " << bad.text;
    } catch (const GalaxyFileError& error) {
        EXPECT_EQ(error.line(), bad.line);
        EXPECT_EQ(error.field(), bad.field);
        EXPECT_NE(std::string(error.what()).find(bad.problem), std::string::npos) << error.what();
        EXPECT_EQ(std::string(error.what()).rfind("bad.galaxy:" + std::to_string(bad.line) + ": ", 0), 0u)
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Galaxy, BadGalaxyFile,
    ::testing::Values(
        BadFile{"UnknownRecord", "form 0x1\nplanet 0x1\n", 2, "", "unknown record 'planet'"},
        BadFile{"UnknownField", "form 0x1 colour=red\n", 1, "colour", "unknown field"},
        BadFile{"FormWithoutId", "form\n", 1, "id", "needs an id"},
        BadFile{"IdNotANumber", "form 0x1G\n", 1, "id", "not a number"},
        BadFile{"IdTooLarge", "form 0x100000000\n", 1, "id", "out of range"},
        BadFile{"TypeCodeTooLarge", "form 0x1 type=0x100\n", 1, "type", "out of range"},
        BadFile{"UnknownTypeName", "form 0x1 type=planet\n", 1, "type", "unknown type"},
        BadFile{"UnterminatedText", "# c\nform 0x1 name=\"New Atl\n", 2, "name", "closing quote"},
        BadFile{"TextRunsIntoNextField", "form 0x1 name=\"A\"type=placed\n", 1, "name", "after the closing quote"},
        BadFile{"UnknownEscape", "form 0x1 name=\"a\\qb\"\n", 1, "name", "unknown escape"},
        BadFile{"ShortHexEscape", "form 0x1 name=\"a\\x4\"\n", 1, "name", "two hex digits"},
        BadFile{"ZeroByteInText", "form 0x1 name=\"a\\x00\"\n", 1, "name", "zero byte"},
        BadFile{"FieldWithoutValue", "form 0x1 type\n", 1, "type", "expected name=value"},
        BadFile{"FieldTwice", "form 0x1 name=\"a\" name=\"b\"\n", 1, "name", "given twice"},
        BadFile{"FlagNotBinary", "form 0x1 filtered=yes\n", 1, "filtered", "not 0 or 1"},
        BadFile{"BadMarker", "form 0x1 marker=bright\n", 1, "marker", "visible, hidden, nodata"},
        BadFile{"DuplicateId", "form 0x1\n\nform 0x01\n", 3, "id", "described twice"},
        BadFile{"MissingBase", "form 0x1 type=placed base=0x2\n", 1, "base", "no form 0x2"},
        BadFile{"MissingKeyword", "form 0x1 keywords=0x1,0x9\n", 1, "keywords", "no form 0x9"},
        BadFile{"MissingChainLink", "form 0x1 chain=0x7\n", 1, "chain", "no form 0x7"},
        BadFile{"MissingPlayer", "form 0x1\nplayer 0x2\n", 2, "player", "no form 0x2"},
        BadFile{"MissingPlanet", "form 0x1\nplanets 0x1 none 0x3\n", 2, "planets", "no form 0x3"},
        BadFile{"PlayerTwoValues", "form 0x1\nplayer 0x1 0x1\n", 2, "player", "exactly one value"},
        BadFile{"SlotWithoutKey", "slot form=none\n", 1, "key", "needs a key"},
        BadFile{"SlotToMissingForm", "slot key=5 form=0x5\n", 1, "form", "no form 0x5"},
        BadFile{"UnlistUnknownForm", "form 0x1\nunlist 0x1 0x2\n", 2, "unlist", "no form 0x2"},
        BadFile{"MarkerWithoutContainer", "form 0x1 marker=visible container=0\n", 1, "container", "needs a container"},
        BadFile{"MapModeUnknown", "map missing\n", 1, "map", "none or present"},
        BadFile{"FieldOnDirective", "context id=0x1\n", 1, "id", "not expected here"}),
    [](const ::testing::TestParamInfo<BadFile>& info) { return info.param.label; });

TEST(GalaxyFile, ZeroByteWrittenAsItIsInATextIsRejectedAtItsLine) {
    // Found by fuzzing: the written form escaped it, and then did not read back.
    for (const std::string& text :
         {std::string("form 0x1\nform 0x2 name=\"a\0b\"\n", 29), std::string("form 0x1\nform 0x2 name=a\0b\n", 27)}) {
        try {
            parseGalaxyText(text, "raw.galaxy");
            ADD_FAILURE() << "a raw zero byte in a text was accepted";
        } catch (const GalaxyFileError& error) {
            EXPECT_EQ(error.line(), 2);
            EXPECT_EQ(error.field(), "name");
            EXPECT_NE(std::string(error.what()).find("zero byte"), std::string::npos) << error.what();
        }
    }
}

TEST(GalaxyFile, MissingFileIsReportedAsLineZero) {
    try {
        hostsim::loadGalaxyFile("/nonexistent/dir/none.galaxy");
        FAIL();
    } catch (const GalaxyFileError& error) {
        EXPECT_EQ(error.line(), 0);
        EXPECT_NE(std::string(error.what()).find("cannot open"), std::string::npos);
    }
}

TEST(GalaxyFile, FieldsAndEscapesAreReadAsWritten) {
    const GalaxyDescription galaxy = parseGalaxyText(
        "  # comment line\n"
        "form 0x2A type=placed flags=32 name=\"Say \\\"hi\\\" \\\\ \\xC3\\x89\" base=0x2B alt=none "
        "keywords= marker=0x11 matches=0x2B,7   # trailing comment\n"
        "form 0x2B type=0x1E name=\"\" chain=none displayname=\"Ada\" displayname-flags=0x2\n"
        "form 7\r\n",
        "ok.galaxy");
    ASSERT_EQ(galaxy.forms.size(), 3u);
    const hostsim::FormRecord& placed = galaxy.forms[0];
    EXPECT_EQ(placed.id, 0x2Au);
    EXPECT_EQ(placed.typeCode, 0x4A);
    EXPECT_EQ(placed.flags, 32u);
    EXPECT_EQ(placed.name, std::optional<std::string>("Say \"hi\" \\ \xC3\x89"));
    EXPECT_EQ(placed.base, hostsim::FormRef(0x2B));
    EXPECT_FALSE(placed.alt.has_value());
    ASSERT_TRUE(placed.keywords.has_value());
    EXPECT_TRUE(placed.keywords->empty());
    EXPECT_EQ(placed.marker, hostsim::MarkerKind::Flags);
    EXPECT_EQ(placed.markerFlags, 0x11);
    EXPECT_EQ(placed.matches, (std::vector<std::uint32_t>{0x2B, 7}));
    EXPECT_EQ(placed.line, 2);
    const hostsim::FormRecord& base = galaxy.forms[1];
    EXPECT_EQ(base.name, std::optional<std::string>(""));  // empty, not absent
    EXPECT_TRUE(base.chainGiven);
    EXPECT_FALSE(base.chain.has_value());
    EXPECT_EQ(base.displayNameFlags, 0x02);
    EXPECT_FALSE(galaxy.forms[2].name.has_value());
}

TEST(GalaxyFile, LaterDirectivesOverrideEarlierOnes) {
    const GalaxyDescription galaxy = parseGalaxyText(
        "form 0x1\ncontext 0x1\nplayer 0x1\nmap none\nregistry none\n"
        "context none\nplayer none\nmap present\nunlist 0x1\n");
    EXPECT_FALSE(galaxy.context.has_value());
    EXPECT_FALSE(galaxy.player.has_value());
    EXPECT_FALSE(galaxy.nullAllFormsMap);
    EXPECT_TRUE(galaxy.nullPlanetRegistry);
    EXPECT_FALSE(galaxy.forms[0].listed);
}

TEST(GalaxyFile, SampleParsesAndWritesBackToTheSameDescription) {
    const GalaxyDescription sample = hostsim::loadGalaxyFile(galaxy_test::sampleGalaxyPath());
    const std::string text = hostsim::formatGalaxyText(sample);
    const GalaxyDescription again = parseGalaxyText(text);
    EXPECT_EQ(hostsim::formatGalaxyText(again), text);
    ASSERT_EQ(again.forms.size(), sample.forms.size());
    EXPECT_EQ(again.planets, sample.planets);
    EXPECT_TRUE(again.slotsInFileOrder);
}

TEST(GalaxyFile, SampleHoldsTheFixedFormsPlayerAndContext) {
    const GalaxyDescription sample = hostsim::loadGalaxyFile(galaxy_test::sampleGalaxyPath());
    for (std::uint32_t fixed : {0x149Fu, 0x3E8651u, 0x24DC8u}) {
        bool found = false;
        for (const auto& form : sample.forms) found |= (form.id == fixed && form.listed);
        EXPECT_TRUE(found) << std::hex << fixed;
    }
    EXPECT_TRUE(sample.player.has_value());
    EXPECT_TRUE(sample.context.has_value());
}

}  // namespace
