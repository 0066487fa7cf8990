// The duplicate rules as the location walk applies them, on the game's own
// forms: which of two candidates with the same primary form, or the same
// primary name, end up in the list, and in what order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/bindings.h"
#include "hostsim/galaxy.h"
#include "search/candidate_collection.h"
#include "search/form_queries.h"
#include "search/host_layout.h"
#include "search/host_lock_guard.h"
#include "support/simulated_game.h"

using namespace lumora;

namespace {

constexpr const char* kForms = R"(
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
form 0xE0003 type=body name="Thessa" parent=0xD0001
form 0x110001 type=location name="Dock" parent=0xE0001
form 0x110002 type=location name="Dock" parent=0xE0002
form 0x400001 type=location name="Thessa Orbit"
context 0x400001
)";

struct DuplicatesCase {
    const char* what;
    const char* placed;             // two placed objects, walked in this order
    std::vector<std::string> kept;  // "primary name | target name | reference form id", in list order
};

class WalkDuplicatesTest : public lumora_test::SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        bindHostImage();
    }

    static std::vector<std::string> walk(const std::string& placed) {
        hostsim::installGalaxy(hostsim::parseGalaxyText(std::string(kForms) + placed, "duplicates"));
        SearchForms forms{
            HostStartup.lookupById(kAncestorKeywordFormId), readHostPointer(HostOffset::HostGlobal_LocationContext),
            HostStartup.lookupById(kFirstEligibilityFormId), HostStartup.lookupById(kSecondEligibilityFormId)};
        const PreparedTerms terms(SearchTerms{"dock", ""});
        HostLockGuard lock(reinterpret_cast<void*>(hostAddress(HostOffset::HostForms_AllFormsLock)));
        CollectedCandidates collected;
        collectLocationCandidates(terms, forms, true, collected);
        std::vector<std::string> kept;
        for (const ResultEntry& e : collected.entries)
            kept.push_back(e.primaryName + " | " + e.targetName + " | " +
                           std::to_string(hostFormId(e.reference) & 0xFF));
        return kept;
    }
};

TEST_F(WalkDuplicatesTest, SamePrimaryFormOrSameNameOnTheSameTargetKeepsOne) {
    const DuplicatesCase cases[] = {
        {"same name, same target: the second is dropped",
         "form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible\n"
         "form 0x200002 type=placed base=0x10 named=0x110002 linked=0xE0001 marker=visible\n",
         {"Dock | Thessa | 1"}},
        {"same name, another target of the same name: dropped",
         "form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible\n"
         "form 0x200002 type=placed base=0x10 named=0x110002 linked=0xE0003 marker=visible\n",
         {"Dock | Thessa | 1"}},
        {"same name, targets and their names differ: both",
         "form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible\n"
         "form 0x200002 type=placed base=0x10 named=0x110002 linked=0xE0002 marker=visible\n",
         {"Dock | Thessa | 1", "Dock | Marrow | 2"}},
        {"same name, the first without a target: both",
         "form 0x200001 type=placed base=0x10 named=0x110001 marker=visible\n"
         "form 0x200002 type=placed base=0x10 named=0x110002 linked=0xE0002 marker=visible\n",
         {"Dock |  | 1", "Dock | Marrow | 2"}},
        {"same primary form, a marker then an eligible object: the second replaces the first",
         "form 0x200001 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible\n"
         "form 0x200002 type=placed base=0xA1001 named=0x110001 linked=0xE0002 context=1\n",
         {"Dock | Marrow | 2"}},
        {"same primary form, an eligible object then a marker: the first stays",
         "form 0x200001 type=placed base=0xA1001 named=0x110001 linked=0xE0002 context=1\n"
         "form 0x200002 type=placed base=0x10 named=0x110001 linked=0xE0001 marker=visible\n",
         {"Dock | Marrow | 1"}},
    };
    for (const DuplicatesCase& c : cases) EXPECT_EQ(walk(c.placed), c.kept) << c.what;
}

}  // namespace
