#include <gtest/gtest.h>

#include <string>

#include "host/bindings.h"
#include "hostsim/galaxy.h"
#include "search/candidate_collection.h"
#include "search/form_queries.h"
#include "search/host_lock_guard.h"
#include "support/allocator/test_allocator.h"
#include "support/simulated_game.h"

using namespace lumora;

namespace {

class WalkAllocationTest : public lumora_test::SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        bindHostImage();
    }

    // Heap allocations of one location walk over the galaxy.
    static std::size_t allocationsOfWalk(const std::string& placedForms) {
        hostsim::installGalaxy(hostsim::parseGalaxyText(std::string(R"(
form 0x149F   type=keyword name="Charted System"
form 0x3E8651 type=keyword name="Settled Territory"
form 0x24DC8  type=keyword name="Outpost Claim"
form 0x10     type=marker-base name="Map Marker"
form 0xA1001  type=eligible-base name="Hab Module"
form 0xA2001  type=misc name="Supply Crate"
form 0xB0001 type=location name="Corvane System" keywords=0x149F
form 0xE0001 type=body name="Thessa" chain=0xB0001
form 0x110001 type=location name="A place with a name longer than any short string buffer" parent=0xE0001
form 0x400001 type=location name="Thessa Orbit"
context 0x400001
)") + placedForms,
                                                        "allocation galaxy"));
        SearchForms forms{
            HostStartup.lookupById(kAncestorKeywordFormId), readHostPointer(HostOffset::HostGlobal_LocationContext),
            HostStartup.lookupById(kFirstEligibilityFormId), HostStartup.lookupById(kSecondEligibilityFormId)};
        const PreparedTerms terms(SearchTerms{"place", ""});
        HostLockGuard lock(reinterpret_cast<void*>(hostAddress(HostOffset::HostForms_AllFormsLock)));
        CollectedCandidates collected;
        lumora_test::startCountingAllocations();
        collectLocationCandidates(terms, forms, true, collected);
        const std::size_t allocations = lumora_test::stopCountingAllocations();
        EXPECT_TRUE(collected.entries.empty());
        return allocations;
    }
};

TEST_F(WalkAllocationTest, CandidatesSkippedBeforeTheirFirstNameTestAllocateNothing) {
    std::string skipped;
    for (int i = 0; i < 200; ++i) {
        const std::string id = std::to_string(0x200000 + i * 8);
        // Clutter, hidden and filtered markers, an ineligible structure, a
        // structure created while playing without an extra form, no base.
        skipped += "form " + id + "1 type=placed base=0xA2001 named=0x110001 linked=0xE0001\n";
        skipped += "form " + id + "2 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=hidden\n";
        skipped += "form " + id + "3 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible filtered=1\n";
        skipped += "form " + id + "4 type=placed flags=0x20 base=0x10 named=0x110001 linked=0xE0001 marker=visible\n";
        skipped += "form " + id + "5 type=placed base=0xA1001 named=0x110001 linked=0xE0001\n";
        skipped += "form 0xFF" + std::to_string(100000 + i) +
                   " type=placed base=0x10 named=0x110001 linked=0xE0001 "
                   "marker=visible\n";
        skipped += "form " + id + "6 type=placed named=0x110001 linked=0xE0001 marker=visible\n";
        skipped += "form " + id + "7 type=misc name=\"Crate\"\n";
    }
    EXPECT_EQ(allocationsOfWalk(skipped), 0u);
}

}  // namespace
