// The sample galaxy as the plugin reads it: raw offsets from the image base
// and inside host objects, and the game functions called at their offsets.
#include <gtest/gtest.h>

#include <set>

#include "galaxy_test_support.h"
#include "hostsim/engine_strings.h"

namespace {

using namespace galaxy_test;
namespace off = hostsim::form_offsets;

using FindByTypeFn = void*(SIM_ABI*)(void*, std::uint8_t);
using DynamicCastFn = void*(SIM_ABI*)(void*, std::int32_t, const void*, const void*, std::int32_t);
using LookupFn = void*(SIM_ABI*)(std::uint32_t);

class SampleGalaxyInImage : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::bootGame();
        hostsim::installGalaxy(hostsim::loadGalaxyFile(sampleGalaxyPath()));
        hostsim::clearFormViolations();
    }
    void TearDown() override {
        EXPECT_TRUE(hostsim::formViolations().empty()) << hostsim::formViolations().front();
        hostsim::uninstallGalaxy();
    }
    static void* lookup(std::uint32_t id) { return gameFunction<LookupFn>(off::LookupById)(id); }
    // Extra data of a type, looked up as the game requires: container lock held.
    static void* extraData(void* placed, std::uint8_t type) {
        auto* container = readAt<std::uint8_t*>(placed, 0xC8);
        if (container == nullptr) return nullptr;
        acquireHostLock(container + 32);
        void* entry = gameFunction<FindByTypeFn>(off::FindExtraDataByType)(container + 8, type);
        releaseHostLock(container + 32);
        return entry;
    }
};

TEST_F(SampleGalaxyInImage, MapSlotsHoldKeyFormAndChainWordAtTheirOffsets) {
    void* map = globalPointer(off::AllFormsMap);
    ASSERT_NE(map, nullptr);
    auto* slots = readAt<std::uint8_t*>(map, 0x10);
    const auto count = readAt<std::uint64_t>(map, 0x18);
    ASSERT_NE(slots, nullptr);
    std::size_t occupied = 0, empty = 0, nullForms = 0, strayKeys = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t* slot = slots + i * 24;
        if (readAt<std::uint32_t>(slot, 16) == 0xFFFFFFFF) {
            ++empty;
            continue;
        }
        ++occupied;
        const auto key = readAt<std::uint32_t>(slot, 0);
        void* form = readAt<void*>(slot, 8);
        if (form == nullptr) ++nullForms;
        else if (key == 0 || key == 0xFFFFFFFF) ++strayKeys;
        else EXPECT_EQ(formIdOf(form), key) << "slot " << i;
    }
    // 139 forms, 2 of them not listed, plus three odd slots.
    EXPECT_EQ(occupied, 139u - 2u + 3u);
    EXPECT_GT(empty, 0u);
    EXPECT_EQ(nullForms, 1u);
    EXPECT_EQ(strayKeys, 2u);
}

TEST_F(SampleGalaxyInImage, SlotsFollowTheFileButFormsAreScatteredInMemory) {
    void* map = globalPointer(off::AllFormsMap);
    auto* slots = readAt<std::uint8_t*>(map, 0x10);
    const auto count = readAt<std::uint64_t>(map, 0x18);
    std::vector<std::uintptr_t> addresses;
    std::vector<std::uint32_t> keys;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t* slot = slots + i * 24;
        if (readAt<std::uint32_t>(slot, 16) == 0xFFFFFFFF || readAt<void*>(slot, 8) == nullptr) continue;
        keys.push_back(readAt<std::uint32_t>(slot, 0));
        addresses.push_back(reinterpret_cast<std::uintptr_t>(readAt<void*>(slot, 8)));
    }
    ASSERT_GE(keys.size(), 3u);
    EXPECT_EQ(keys[0], 0x149Fu);
    EXPECT_EQ(keys[1], 0x3E8651u);
    EXPECT_EQ(keys[2], 0x24DC8u);
    std::size_t ascending = 0;
    for (std::size_t i = 1; i < addresses.size(); ++i) ascending += addresses[i] > addresses[i - 1];
    // In allocation order every step would ascend; scattered, about half do.
    EXPECT_LT(ascending, addresses.size() * 3 / 4);
    EXPECT_GT(ascending, addresses.size() / 4);
}

TEST_F(SampleGalaxyInImage, TypeCodesComeFromEntry34OfTheVirtualTable) {
    struct Case {
        std::uint32_t id;
        std::uint8_t code;
    };
    for (const Case c : {Case{0x200001, 0x4A}, Case{0x10, 0x29}, Case{0xA1002, 0x1E}, Case{0xE0001, 0x3C},
                         Case{0x149F, 0x04}, Case{0x254246, 0x29}}) {
        void* form = lookup(c.id);
        ASSERT_NE(form, nullptr) << std::hex << c.id;
        EXPECT_EQ(typeCodeThroughTable(form), c.code) << std::hex << c.id;
    }
}

TEST_F(SampleGalaxyInImage, PlacedObjectFieldsSitAtTheirOffsets) {
    void* placed = lookup(0x200004);
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(readAt<std::uint32_t>(placed, 0x20), 0x20u);
    EXPECT_EQ(formIdOf(placed), 0x200004u);
    EXPECT_EQ(formIdOf(readAt<void*>(placed, 0x98)), 0x31FB3Eu);
    void* base = readAt<void*>(lookup(0x20001B), 0x98);
    EXPECT_EQ(base, nullptr);
    EXPECT_EQ(formIdOf(readAt<void*>(lookup(0x20001C), 0x98)), 0u);
    EXPECT_EQ(formIdOf(readAt<void*>(lookup(0x20001D), 0x98)), 0xFFFFFFFFu);
    EXPECT_EQ(formIdOf(readAt<void*>(lookup(0x200016), 0xB0)), 0x130001u);
    EXPECT_EQ(readAt<void*>(lookup(0x200001), 0xB0), nullptr);
}

TEST_F(SampleGalaxyInImage, MarkerFlagsAreReadThroughExtraData42) {
    struct Case {
        std::uint32_t placed;
        bool hasEntry;
        bool hasData;
        bool visible;
    };
    for (const Case c : {Case{0x200001, true, true, true}, Case{0x200003, true, true, false},
                         Case{0x200006, true, false, false}, Case{0x20000E, false, false, false}}) {
        void* entry = extraData(lookup(c.placed), 0x2A);
        ASSERT_EQ(entry != nullptr, c.hasEntry) << std::hex << c.placed;
        if (!entry) continue;
        void* marker = readAt<void*>(entry, 0x18);
        ASSERT_EQ(marker != nullptr, c.hasData) << std::hex << c.placed;
        if (marker) {
            EXPECT_EQ((readAt<std::uint8_t>(marker, 0x18) & 0x10) != 0, c.visible) << std::hex << c.placed;
        }
    }
    EXPECT_EQ(readAt<void*>(lookup(0x200007), 0xC8), nullptr);
}

TEST_F(SampleGalaxyInImage, ExtraDataLookupBalancesTheContainerLock) {
    auto* container = readAt<std::uint8_t*>(lookup(0x200001), 0xC8);
    ASSERT_NE(container, nullptr);
    const auto& lock = *reinterpret_cast<const hostsim::HostLockObject*>(container + 32);
    EXPECT_EQ(lock.acquisitions.load(), 0u);
    extraData(lookup(0x200001), 0x2A);
    EXPECT_EQ(lock.acquisitions.load(), 1u);
    EXPECT_TRUE(hostsim::installedGalaxy()->containerLocksBalanced());
    acquireHostLock(container + 32);
    EXPECT_FALSE(hostsim::installedGalaxy()->containerLocksBalanced());
    releaseHostLock(container + 32);
}

TEST_F(SampleGalaxyInImage, PlayerDisplayNameIsAnEngineStringInExtraData150) {
    void* player = globalPointer(off::PlayerCharacter);
    ASSERT_NE(player, nullptr);
    void* entry = extraData(player, 0x96);
    ASSERT_NE(entry, nullptr);
    auto* text = readAt<std::uint8_t*>(entry, 0x18);
    EXPECT_EQ(readAt<std::uint64_t>(text, 0x08), 13u);
    EXPECT_EQ(readAt<std::uint8_t>(text, 0x14) & 0x02, 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(text + 0x18), "Teodora Vance");
    EXPECT_EQ(formIdOf(readAt<void*>(player, 0x98)), 0xA3001u);
}

TEST_F(SampleGalaxyInImage, KeywordListsAreReachedThroughTheCastWithBothDescriptors) {
    auto cast = gameFunction<DynamicCastFn>(off::DynamicCast);
    const void* source = hostsim::at(off::CastSourceDescriptor);
    const void* target = hostsim::at(off::KeywordListDescriptor);
    void* list = cast(lookup(0xB0002), 0, source, target, 0);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(readAt<std::uint32_t>(list, 0x20), 3u);
    auto** keywords = readAt<void**>(list, 0x28);
    EXPECT_EQ(keywords[0], nullptr);
    EXPECT_EQ(formIdOf(keywords[1]), 0xC0001u);
    EXPECT_EQ(formIdOf(keywords[2]), 0x149Fu);
    EXPECT_EQ(cast(lookup(0xE0001), 0, source, target, 0), nullptr);  // not castable
    EXPECT_EQ(cast(nullptr, 0, source, target, 0), nullptr);
}

TEST_F(SampleGalaxyInImage, ParentLinksClimbToTheSystem) {
    void* moon = lookup(0xF0001);
    void* planet = readAt<void*>(moon, 0xC0);
    ASSERT_NE(planet, nullptr);
    EXPECT_EQ(formIdOf(planet), 0xE0001u);
    void* star = readAt<void*>(planet, 0xC0);
    EXPECT_EQ(formIdOf(star), 0xD0001u);
    void* system = readAt<void*>(star, 0xC0);
    EXPECT_EQ(formIdOf(system), 0xB0001u);
    EXPECT_EQ(readAt<void*>(system, 0xC0), nullptr);
    // Farhold Star's chain: 21 links up to the system.
    void* link = lookup(0xD0006);
    int steps = 0;
    while ((link = readAt<void*>(link, 0xC0)) != nullptr) ++steps;
    EXPECT_EQ(steps, 21);
}

TEST_F(SampleGalaxyInImage, PlanetRegistryHoldsCountAndArrayWithANullEntry) {
    void* registry = globalPointer(off::NamedEntryRegistry);
    ASSERT_NE(registry, nullptr);
    ASSERT_EQ(readAt<std::uint32_t>(registry, 0x11E8), 15u);
    auto** planets = readAt<void**>(registry, 0x11F0);
    EXPECT_EQ(formIdOf(planets[0]), 0xE0001u);
    EXPECT_EQ(planets[3], nullptr);
    EXPECT_EQ(formIdOf(planets[14]), 0xF0002u);
}

TEST_F(SampleGalaxyInImage, GlobalsPointAtTheContextAndTheLockIsFree) {
    EXPECT_EQ(formIdOf(globalPointer(off::LocationContext)), 0x400001u);
    auto& lock = *hostsim::dataAt<hostsim::HostLockObject>(off::AllFormsLock);
    EXPECT_EQ(&lock, &hostsim::allFormsLock());
    EXPECT_TRUE(hostsim::isBalanced(lock));
    EXPECT_EQ(lock.acquisitions.load(), 0u);
}

TEST(GalaxyGlobals, NullDirectivesLeaveTheGlobalsNullButLookupWorks) {
    hostsim::bootGame();
    hostsim::installGalaxy(
        hostsim::parseGalaxyText("form 0x149F type=keyword\nform 0x5 type=actor\n"
                                 "player 0x5\ncontext 0x5\nmap none\nregistry none\n"
                                 "player none\ncontext none\n"));
    EXPECT_EQ(globalPointer(off::AllFormsMap), nullptr);
    EXPECT_EQ(globalPointer(off::NamedEntryRegistry), nullptr);
    EXPECT_EQ(globalPointer(off::PlayerCharacter), nullptr);
    EXPECT_EQ(globalPointer(off::LocationContext), nullptr);
    EXPECT_EQ(formIdOf(gameFunction<LookupFn>(off::LookupById)(0x149F)), 0x149Fu);
    hostsim::uninstallGalaxy();
}

TEST(GalaxyGlobals, UnlistedFixedFormIsNotFoundByLookup) {
    hostsim::bootGame();
    std::string text = "form 0x149F type=keyword\nform 0x24DC8 type=keyword\nunlist 0x24DC8\n";
    hostsim::Galaxy& galaxy = hostsim::installGalaxy(hostsim::parseGalaxyText(text));
    EXPECT_NE(gameFunction<LookupFn>(off::LookupById)(0x149F), nullptr);
    EXPECT_EQ(gameFunction<LookupFn>(off::LookupById)(0x24DC8), nullptr);
    EXPECT_EQ(formInSlots(0x24DC8), nullptr);
    EXPECT_NE(galaxy.form(0x24DC8), nullptr);  // it still exists, just not in the map
    hostsim::uninstallGalaxy();
    EXPECT_EQ(gameFunction<LookupFn>(off::LookupById)(0x149F), nullptr);
}

}  // namespace

// The game keeps a form's name and keyword list inside the form: a query
// that reached into a separate table would cost the host-call floor of the
// search benchmark a cache miss the game never pays.
TEST_F(SampleGalaxyInImage, NamesAndKeywordListsAreAnsweredFromTheFormsOwnBlock) {
    using FullNameFn = const char*(SIM_ABI*)(void*);
    const auto withinBlock = [](const void* form, const void* answer) {
        const auto offset = reinterpret_cast<std::uintptr_t>(answer) - reinterpret_cast<std::uintptr_t>(form);
        return offset >= 0x30 && offset < 0x200;
    };
    const void* castSource = hostsim::at(off::CastSourceDescriptor);
    const void* keywordList = hostsim::at(off::KeywordListDescriptor);
    std::size_t names = 0, lists = 0;
    for (std::uint32_t id : {0x200001u, 0x200004u, 0xE0001u, 0x149Fu, 0x10u, 0xA1002u}) {
        void* form = lookup(id);
        ASSERT_NE(form, nullptr) << std::hex << id;
        if (const char* name = gameFunction<FullNameFn>(off::GetFullName)(form)) {
            EXPECT_TRUE(withinBlock(form, name)) << std::hex << id;
            ++names;
        }
    }
    for (std::uint32_t id = 0xB0001; id <= 0xB0010; ++id) {
        void* form = lookup(id);
        if (form == nullptr) continue;
        if (void* list = gameFunction<DynamicCastFn>(off::DynamicCast)(form, 0, castSource, keywordList, 0)) {
            EXPECT_TRUE(withinBlock(form, list)) << std::hex << id;
            ++lists;
        }
    }
    EXPECT_GT(names, 3u);
    EXPECT_GT(lists, 0u);
}
