// The game's form functions, called at their offsets in the game's calling
// convention: what they answer, and what they record when misused.
#include <gtest/gtest.h>

#include "galaxy_test_support.h"

namespace {

using namespace galaxy_test;
namespace off = hostsim::form_offsets;
using hostsim::FormQuery;

using LookupFn = void*(SIM_ABI*)(std::uint32_t);
using FullNameFn = const char*(SIM_ABI*)(void*);
using ThreeArgFn = void*(SIM_ABI*)(void*, std::int32_t, void*);
using FilteredFn = bool(SIM_ABI*)(void*, std::int32_t, void*);
using NamedFn = void*(SIM_ABI*)(void*);
using PairFn = bool(SIM_ABI*)(void*, void*);
using FindByTypeFn = void*(SIM_ABI*)(void*, std::uint8_t);
using DynamicCastFn = void*(SIM_ABI*)(void*, std::int32_t, const void*, const void*, std::int32_t);

class FormQueries : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::bootGame();
        hostsim::installGalaxy(hostsim::loadGalaxyFile(sampleGalaxyPath()));
        hostsim::clearFormViolations();
        hostsim::resetFormQueryCalls();
    }
    void TearDown() override { hostsim::uninstallGalaxy(); }

    static void* form(std::uint32_t id) { return gameFunction<LookupFn>(off::LookupById)(id); }
    static std::uint32_t idOrZero(void* f) { return f ? formIdOf(f) : 0; }
    static std::string name(void* f) {
        const char* text = gameFunction<FullNameFn>(off::GetFullName)(f);
        return text ? text : "<null>";
    }
};

TEST_F(FormQueries, RelationsOfAPlacedObjectFollowTheGalaxyFile) {
    void* placed = form(0x200010);
    EXPECT_EQ(idOrZero(gameFunction<NamedFn>(off::GetNamedForm)(placed)), 0x110012u);
    EXPECT_EQ(idOrZero(gameFunction<ThreeArgFn>(off::GetLinkedForm)(nullptr, 0, placed)), 0xE0003u);
    EXPECT_EQ(idOrZero(gameFunction<ThreeArgFn>(off::GetAltForm)(nullptr, 0, placed)), 0x120001u);
    EXPECT_EQ(name(gameFunction<ThreeArgFn>(off::GetAltForm)(nullptr, 0, placed)), "Outpost overlay template");
    void* target = gameFunction<ThreeArgFn>(off::GetLinkedForm)(nullptr, 0, placed);
    EXPECT_EQ(idOrZero(gameFunction<ThreeArgFn>(off::GetParentForm)(nullptr, 0, target)), 0xD0002u);
    EXPECT_TRUE(hostsim::formViolations().empty());
}

TEST_F(FormQueries, AbsentRelationsAreNull) {
    EXPECT_EQ(gameFunction<NamedFn>(off::GetNamedForm)(form(0x200021)), nullptr);
    EXPECT_EQ(gameFunction<ThreeArgFn>(off::GetLinkedForm)(nullptr, 0, form(0x200020)), nullptr);
    EXPECT_EQ(gameFunction<ThreeArgFn>(off::GetAltForm)(nullptr, 0, form(0x200001)), nullptr);
    EXPECT_EQ(gameFunction<ThreeArgFn>(off::GetParentForm)(nullptr, 0, form(0xE000A)), nullptr);
    // A filler form with no bookkeeping at all.
    EXPECT_EQ(gameFunction<NamedFn>(off::GetNamedForm)(form(0xC0001)), nullptr);
    EXPECT_TRUE(hostsim::formViolations().empty());
}

TEST_F(FormQueries, NamesAreNullEmptyOrTheTextAsWritten) {
    EXPECT_EQ(name(form(0x110001)), "New Atlantis");
    EXPECT_EQ(name(form(0x110008)), "<Alias=Player>'s Base");
    EXPECT_EQ(name(form(0xE0004)), "Va'ruun Drift");
    EXPECT_EQ(name(form(0x110011)), "\xC3\x89vora Research Station");
    EXPECT_EQ(name(form(0x11001E)), "");
    EXPECT_EQ(name(form(0x200001)), "<null>");  // placed objects have no name of their own
}

TEST_F(FormQueries, FilterAndEligibilityAnswers) {
    auto filtered = gameFunction<FilteredFn>(off::IsFiltered);
    EXPECT_TRUE(filtered(nullptr, 0, form(0x200005)));
    EXPECT_FALSE(filtered(nullptr, 0, form(0x200001)));
    void* context = globalPointer(off::LocationContext);
    auto matchesContext = gameFunction<PairFn>(off::MatchesContext);
    auto matchesForm = gameFunction<PairFn>(off::MatchesForm);
    struct Case {
        std::uint32_t placed;
        bool context, first, second;
    };
    for (const Case c :
         {Case{0x20000E, true, false, false}, Case{0x20000F, false, true, false}, Case{0x200010, false, false, true},
          Case{0x200014, false, true, true}, Case{0x200015, false, false, false}}) {
        void* placed = form(c.placed);
        EXPECT_EQ(matchesContext(placed, context), c.context) << std::hex << c.placed;
        EXPECT_EQ(matchesForm(placed, form(0x3E8651)), c.first) << std::hex << c.placed;
        EXPECT_EQ(matchesForm(placed, form(0x24DC8)), c.second) << std::hex << c.placed;
    }
    EXPECT_TRUE(hostsim::formViolations().empty());
}

TEST_F(FormQueries, EachCallIsCounted) {
    gameFunction<NamedFn>(off::GetNamedForm)(form(0x200001));
    gameFunction<NamedFn>(off::GetNamedForm)(form(0x200002));
    typeCodeThroughTable(form(0x200001));
    EXPECT_EQ(hostsim::formQueryCalls(FormQuery::LookupById), 3u);
    EXPECT_EQ(hostsim::formQueryCalls(FormQuery::GetNamedForm), 2u);
    EXPECT_EQ(hostsim::formQueryCalls(FormQuery::TypeCode), 1u);
    EXPECT_EQ(hostsim::formQueryCalls(FormQuery::GetFullName), 0u);
    hostsim::resetFormQueryCalls();
    EXPECT_EQ(hostsim::formQueryCalls(FormQuery::GetNamedForm), 0u);
}

struct Misuse {
    const char* label;
    void (*call)();
    const char* recorded;
};

class FormQueryMisuse : public FormQueries, public ::testing::WithParamInterface<Misuse> {};

TEST_P(FormQueryMisuse, IsRecordedAndAnsweredWithNothing) {
    GetParam().call();
    const auto violations = hostsim::formViolations();
    ASSERT_EQ(violations.size(), 1u);
    EXPECT_NE(violations[0].find(GetParam().recorded), std::string::npos) << violations[0];
}

void* sampleForm(std::uint32_t id) { return gameFunction<LookupFn>(off::LookupById)(id); }

void parentWithNonNullFirstArgument() {
    void* f = sampleForm(0xE0001);
    EXPECT_EQ(gameFunction<ThreeArgFn>(off::GetParentForm)(f, 0, f), nullptr);
}
void linkedWithNonZeroSecondArgument() {
    EXPECT_EQ(gameFunction<ThreeArgFn>(off::GetLinkedForm)(nullptr, 1, sampleForm(0x200001)), nullptr);
}
void altOfNullForm() { EXPECT_EQ(gameFunction<ThreeArgFn>(off::GetAltForm)(nullptr, 0, nullptr), nullptr); }
void fullNameOfNull() { EXPECT_EQ(gameFunction<FullNameFn>(off::GetFullName)(nullptr), nullptr); }
void extraDataWithoutLock() {
    auto* container = readAt<std::uint8_t*>(sampleForm(0x200001), 0xC8);
    // The entry is still found; in the game this would race with its owner.
    EXPECT_NE(gameFunction<FindByTypeFn>(off::FindExtraDataByType)(container + 8, 0x2A), nullptr);
}
void contextOtherThanTheGames() {
    EXPECT_FALSE(gameFunction<PairFn>(off::MatchesContext)(sampleForm(0x20000E), sampleForm(0xE0001)));
}
void castWithSwappedDescriptors() {
    EXPECT_EQ(gameFunction<DynamicCastFn>(off::DynamicCast)(sampleForm(0xB0001), 0,
                                                            hostsim::at(off::KeywordListDescriptor),
                                                            hostsim::at(off::CastSourceDescriptor), 0),
              nullptr);
}
void castAsReference() {
    EXPECT_EQ(gameFunction<DynamicCastFn>(off::DynamicCast)(sampleForm(0xB0001), 0,
                                                            hostsim::at(off::CastSourceDescriptor),
                                                            hostsim::at(off::KeywordListDescriptor), 1),
              nullptr);
}
void otherVirtualFunction() {
    void* f = sampleForm(0x200001);
    using Fn = std::uintptr_t(SIM_ABI*)(void*);
    EXPECT_EQ(reinterpret_cast<Fn>(readAt<void* const*>(f, 0)[33])(f), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Galaxy, FormQueryMisuse,
    ::testing::Values(
        Misuse{"ParentWithNonNullFirstArgument", parentWithNonNullFirstArgument, "first arguments must be null and 0"},
        Misuse{"LinkedWithNonZeroSecondArgument", linkedWithNonZeroSecondArgument,
               "first arguments must be null and 0"},
        Misuse{"AltOfNullForm", altOfNullForm, "null form"}, Misuse{"FullNameOfNull", fullNameOfNull, "null form"},
        Misuse{"ExtraDataWithoutLock", extraDataWithoutLock, "without holding its lock"},
        Misuse{"ContextOtherThanTheGames", contextOtherThanTheGames, "is not the game's location context"},
        Misuse{"CastWithSwappedDescriptors", castWithSwappedDescriptors, "unknown type descriptors"},
        Misuse{"CastAsReference", castAsReference, "reference flag must be 0"},
        Misuse{"OtherVirtualFunction", otherVirtualFunction, "entry 33"}),
    [](const ::testing::TestParamInfo<Misuse>& info) { return info.param.label; });

TEST(FaultyForm, NameAndCastThrowThroughTheGameEntryPoints) {
    hostsim::bootGame();
    hostsim::installGalaxy(
        hostsim::parseGalaxyText("form 0x149F type=keyword name=\"Charted\"\n"
                                 "form 0x77 type=location name=\"Broken\" keywords=0x149F fault=1\n"));
    void* faulty = gameFunction<LookupFn>(off::LookupById)(0x77);
    ASSERT_NE(faulty, nullptr);
    EXPECT_THROW(gameFunction<FullNameFn>(off::GetFullName)(faulty), hostsim::HostFault);
    EXPECT_THROW(gameFunction<DynamicCastFn>(off::DynamicCast)(faulty, 0, hostsim::at(off::CastSourceDescriptor),
                                                               hostsim::at(off::KeywordListDescriptor), 0),
                 hostsim::HostFault);
    EXPECT_NE(gameFunction<FullNameFn>(off::GetFullName)(gameFunction<LookupFn>(off::LookupById)(0x149F)), nullptr)
        << "only the faulty form throws";
    hostsim::uninstallGalaxy();
}

TEST(EngineStringFlags, DisplayNameWithoutNarrowTextCarriesFlag02) {
    hostsim::bootGame();
    hostsim::installGalaxy(hostsim::parseGalaxyText(
        "form 0x5 type=actor displayname=\"Wide Name Only\" displayname-flags=0x02\nplayer 0x5\n"));
    auto* container = readAt<std::uint8_t*>(globalPointer(off::PlayerCharacter), 0xC8);
    acquireHostLock(container + 32);
    void* entry = gameFunction<FindByTypeFn>(off::FindExtraDataByType)(container + 8, 0x96);
    releaseHostLock(container + 32);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(readAt<std::uint8_t>(readAt<void*>(entry, 0x18), 0x14) & 0x02, 0x02);
    hostsim::uninstallGalaxy();
}

}  // namespace
