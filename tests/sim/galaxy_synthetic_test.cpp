// Generated galaxies: the shares asked for, references that hold, a map whose
// chains find every form, forms scattered away from slot order.
#include <gtest/gtest.h>

#include <algorithm>

#include "galaxy_test_support.h"

namespace {

using namespace galaxy_test;

hostsim::SyntheticGalaxyOptions options(std::size_t forms, std::size_t planets, std::uint64_t seed = 3) {
    hostsim::SyntheticGalaxyOptions o;
    o.formCount = forms;
    o.planetCount = planets;
    o.seed = seed;
    return o;
}

TEST(SyntheticGalaxy, HasTheRequestedCountsAndShares) {
    const hostsim::GalaxyDescription galaxy = hostsim::generateSyntheticGalaxy(options(100000, 2000));
    EXPECT_EQ(galaxy.forms.size(), 100000u);
    EXPECT_EQ(galaxy.planets.size(), 2000u);
    std::size_t placed = 0, markers = 0, eligible = 0;
    for (const auto& form : galaxy.forms) {
        if (form.typeCode != hostsim::type_code::Placed) continue;
        ++placed;
        markers += form.marker != hostsim::MarkerKind::Absent;
        eligible += form.matchesContext || !form.matches.empty();
    }
    EXPECT_EQ(placed, 5000u);
    EXPECT_NEAR(static_cast<double>(markers) / placed, 0.30, 0.03);
    EXPECT_GT(eligible, 0u);
    EXPECT_NO_THROW(hostsim::validateGalaxy(galaxy));
}

TEST(SyntheticGalaxy, SameSeedSameGalaxyOtherSeedOtherGalaxy) {
    const std::string a = hostsim::formatGalaxyText(hostsim::generateSyntheticGalaxy(options(3000, 40, 5)));
    const std::string b = hostsim::formatGalaxyText(hostsim::generateSyntheticGalaxy(options(3000, 40, 5)));
    const std::string c = hostsim::formatGalaxyText(hostsim::generateSyntheticGalaxy(options(3000, 40, 6)));
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(hostsim::formatGalaxyText(hostsim::parseGalaxyText(a)), a);
}

TEST(SyntheticGalaxy, TinyRequestsStillGiveAValidGalaxy) {
    for (std::size_t forms : {0u, 1u, 30u}) {
        const hostsim::GalaxyDescription galaxy = hostsim::generateSyntheticGalaxy(options(forms, 0));
        EXPECT_NO_THROW(hostsim::Galaxy built(galaxy)) << forms;
    }
}

TEST(SyntheticGalaxy, EveryListedFormIsFoundThroughTheChainsAndNothingElse) {
    hostsim::bootGame();
    const hostsim::GalaxyDescription description = hostsim::generateSyntheticGalaxy(options(100000, 2000));
    hostsim::Galaxy& galaxy = hostsim::installGalaxy(description);
    using LookupFn = void*(SIM_ABI*)(std::uint32_t);
    auto lookup = gameFunction<LookupFn>(hostsim::form_offsets::LookupById);
    for (const auto& form : description.forms) {
        void* found = lookup(form.id);
        ASSERT_EQ(found, galaxy.form(form.id)) << std::hex << form.id;
        ASSERT_EQ(formIdOf(found), form.id);
    }
    std::size_t strays = 0;
    for (std::uint32_t id = 1; id < 0x2000; ++id) strays += lookup(id) != nullptr;
    EXPECT_EQ(strays, 2u);  // the 0x10 marker base and the 0x149F keyword
    EXPECT_EQ(lookup(0xFFFFFFFE), nullptr);
    hostsim::uninstallGalaxy();
}

TEST(SyntheticGalaxy, SlotOrderIsUnrelatedToIdsAndAddresses) {
    hostsim::bootGame();
    hostsim::installGalaxy(hostsim::generateSyntheticGalaxy(options(50000, 500)));
    void* map = globalPointer(hostsim::form_offsets::AllFormsMap);
    auto* slots = readAt<std::uint8_t*>(map, 0x10);
    const auto count = readAt<std::uint64_t>(map, 0x18);
    EXPECT_EQ(count & (count - 1), 0u) << "power-of-two table";
    std::vector<std::uint32_t> keys;
    std::vector<std::uintptr_t> addresses;
    std::size_t free = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t* slot = slots + i * 24;
        const auto chain = readAt<std::uint32_t>(slot, 16);
        if (chain == 0xFFFFFFFF) {
            ++free;
            continue;
        }
        ASSERT_TRUE(chain == count || chain < count) << "chain word of slot " << i;
        keys.push_back(readAt<std::uint32_t>(slot, 0));
        addresses.push_back(reinterpret_cast<std::uintptr_t>(readAt<void*>(slot, 8)));
    }
    EXPECT_EQ(keys.size(), 50000u);
    EXPECT_EQ(free, count - 50000u);
    auto ascendingShare = [](const auto& values) {
        std::size_t up = 0;
        for (std::size_t i = 1; i < values.size(); ++i) up += values[i] > values[i - 1];
        return static_cast<double>(up) / static_cast<double>(values.size());
    };
    EXPECT_NEAR(ascendingShare(keys), 0.5, 0.05);
    EXPECT_NEAR(ascendingShare(addresses), 0.5, 0.05);
    hostsim::uninstallGalaxy();
}

}  // namespace
