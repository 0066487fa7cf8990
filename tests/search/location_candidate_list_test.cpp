#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "search/location_candidate_list.h"

using namespace lumora;

namespace {

// The duplicate rules as a plain scan of the list, entry by entry.
bool offerByScan(std::vector<ResultEntry>& list, const ResultEntry& candidate) {
    for (std::size_t i = 0; i < list.size();) {
        const ResultEntry& entry = list[i];
        if (entry.primaryForm == candidate.primaryForm) {
            if (!entry.keywordEligible && candidate.keywordEligible) {
                list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            return false;
        }
        if (entry.primaryName == candidate.primaryName &&
            (entry.targetForm == candidate.targetForm || entry.targetName == candidate.targetName))
            return false;
        ++i;
    }
    list.push_back(candidate);
    return true;
}

std::vector<std::string> tagsOf(const std::vector<ResultEntry>& entries) {
    std::vector<std::string> tags;
    for (const ResultEntry& e : entries) tags.push_back(e.auxName);
    return tags;
}

// Enough forms and names for the list's tables to grow several times in one round.
constexpr int kFormCount = 600;
int g_forms[kFormCount];

ResultEntry candidate(int tag, int primary, std::string name, int target, std::string targetName, bool eligible) {
    ResultEntry e;
    e.auxName = std::to_string(tag);
    e.primaryForm = primary < 0 ? nullptr : &g_forms[primary];
    e.primaryName = std::move(name);
    e.targetForm = target < 0 ? nullptr : &g_forms[target];
    e.targetName = std::move(targetName);
    e.keywordEligible = eligible;
    return e;
}

// Names from a pool: the first ones are the quirks (empty, letter case);
// beyond them, distinct names.
std::string pooledName(std::size_t index) {
    const char* quirks[] = {"", "Dust Flats", "Keep", "keep"};
    return index < 4 ? quirks[index] : "Site " + std::to_string(index);
}
std::string pooledTargetName(std::size_t index) {
    const char* quirks[] = {"Ardent", "Moon", ""};
    return index < 3 ? quirks[index] : "Body " + std::to_string(index);
}

TEST(LocationCandidateList, RandomCandidatesGiveTheSameListAsScanningEveryEntry) {
    std::mt19937_64 random(7);
    for (int round = 0; round < 3000; ++round) {
        // Most rounds crowd a few forms and names; every tenth spreads hundreds
        // of each over hundreds of candidates, so that duplicates meet entries
        // filed before the list's tables grew.
        const bool wide = round % 10 == 9;
        const int formPool = wide ? 100 + round % 400 : 1 + round % 7;
        const int targetPool = wide ? 200 : 3;
        const std::size_t namePool = wide ? 100 + round % 300 : 4;
        const std::size_t targetNamePool = wide ? 150 : 3;
        const std::size_t length = wide ? 200 + round % 400 : 1 + round % 60;
        std::vector<ResultEntry> scanned;
        LocationCandidateList list;
        for (std::size_t i = 0; i < length; ++i) {
            const int primary = static_cast<int>(random() % (formPool + 1)) - 1;
            const int target = static_cast<int>(random() % (targetPool + 1)) - 1;
            const ResultEntry c = candidate(static_cast<int>(i), primary, pooledName(random() % namePool), target,
                                            pooledTargetName(random() % targetNamePool), random() % 2 == 0);
            const bool expected = offerByScan(scanned, c);
            ResultEntry copy = c;
            ASSERT_EQ(list.offer(std::move(copy)), expected) << "round " << round << " candidate " << i;
        }
        ASSERT_EQ(tagsOf(list.takeEntries()), tagsOf(scanned)) << "round " << round;
    }
}

TEST(LocationCandidateList, EligibleCandidateReplacesMarkerWithSamePrimaryFormAtTheEnd) {
    LocationCandidateList list;
    EXPECT_TRUE(list.offer(candidate(0, 0, "Keep", 1, "Moon", false)));
    EXPECT_TRUE(list.offer(candidate(1, 2, "Gate", 1, "Moon", false)));
    EXPECT_TRUE(list.offer(candidate(2, 0, "Keep", 3, "Sun", true)));
    EXPECT_EQ(tagsOf(list.takeEntries()), (std::vector<std::string>{"1", "2"}));
}

TEST(LocationCandidateList, SecondCandidateWithSamePrimaryFormIsDroppedUnlessItReplacesAMarker) {
    LocationCandidateList list;
    EXPECT_TRUE(list.offer(candidate(0, 0, "Keep", 1, "Moon", true)));
    EXPECT_FALSE(list.offer(candidate(1, 0, "Other", 3, "Sun", true)));
    EXPECT_FALSE(list.offer(candidate(2, 0, "Other", 3, "Sun", false)));
    EXPECT_TRUE(list.offer(candidate(3, -1, "", 3, "Sun", false)));
    EXPECT_FALSE(list.offer(candidate(4, -1, "X", 4, "Y", false)));  // two null primary forms are the same
    EXPECT_EQ(tagsOf(list.takeEntries()), (std::vector<std::string>{"0", "3"}));
}

TEST(LocationCandidateList, SamePrimaryNameDropsOnSameTargetFormOrSameTargetNameOnly) {
    LocationCandidateList list;
    EXPECT_TRUE(list.offer(candidate(0, 0, "Keep", 1, "Moon", false)));
    EXPECT_FALSE(list.offer(candidate(1, 2, "Keep", 1, "Other", false)));  // same target form
    EXPECT_FALSE(list.offer(candidate(2, 3, "Keep", 4, "Moon", false)));   // same target name
    EXPECT_TRUE(list.offer(candidate(3, 5, "Keep", 4, "Sun", false)));     // both differ
    EXPECT_TRUE(list.offer(candidate(4, 6, "keep", 1, "Moon", false)));    // names compare case-sensitively
    EXPECT_EQ(tagsOf(list.takeEntries()), (std::vector<std::string>{"0", "3", "4"}));
}

TEST(LocationCandidateList, ReplacementThenLaterDuplicateRemovesTheMarkerAndDropsTheCandidate) {
    LocationCandidateList list;
    EXPECT_TRUE(list.offer(candidate(0, 0, "Keep", 1, "Moon", false)));
    EXPECT_TRUE(list.offer(candidate(1, 2, "Gate", 3, "Sun", false)));
    EXPECT_FALSE(list.offer(candidate(2, 0, "Gate", 3, "Sun", true)));
    EXPECT_EQ(tagsOf(list.takeEntries()), (std::vector<std::string>{"1"}));
}

}  // namespace
