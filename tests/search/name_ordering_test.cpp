#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "literal_exchange_passes.h"
#include "random_entries.h"
#include "search/result_ordering.h"

using namespace lumora;

namespace {

std::vector<std::string> orderedByUs(std::vector<ResultEntry> entries) {
    orderByNameHits(entries, findNameHitGroups(entries));
    return primaryNamesOf(entries);
}

std::vector<std::string> orderedLiterally(std::vector<ResultEntry> entries) {
    literal::orderByNameHits(entries);
    return primaryNamesOf(entries);
}

ResultEntry entry(const char* name, bool p, bool s, bool t, bool w, std::int32_t pos) {
    ResultEntry e;
    e.primaryName = name;
    e.primaryNameHit = p;
    e.secondaryNameHit = s;
    e.tertiaryNameHit = t;
    e.wordStartMatch = w;
    e.firstMatchPos = pos;
    return e;
}

TEST(NameOrdering, RandomSmallListsWithManyTiesMatchTheExchangePassesExactly) {
    const RandomEntryShape shapes[] = {{40, 3}, {20, 1}, {70, 8}, {50, 0}, {10, 30}, {90, 2}};
    std::uint64_t seed = 1;
    for (const RandomEntryShape& shape : shapes)
        for (std::size_t count = 0; count <= 40; ++count)
            for (int round = 0; round < 25; ++round, ++seed) {
                const auto entries = makeRandomEntries(count, shape, seed);
                ASSERT_EQ(orderedByUs(entries), orderedLiterally(entries))
                    << "count " << count << " seed " << seed << " flags% " << shape.flagPercent;
            }
}

TEST(NameOrdering, RandomLargeListsMatchTheExchangePassesExactly) {
    const RandomEntryShape shapes[] = {{40, 4}, {15, 60}, {60, 1}, {30, 2000}};
    const std::size_t counts[] = {100, 333, 1000, 2500};
    std::uint64_t seed = 1000;
    for (const RandomEntryShape& shape : shapes)
        for (std::size_t count : counts) {
            const auto entries = makeRandomEntries(count, shape, ++seed);
            ASSERT_EQ(orderedByUs(entries), orderedLiterally(entries)) << "count " << count << " seed " << seed;
        }
}

TEST(NameOrdering, ExtremePositionsCompareAsSignedNumbers) {
    std::vector<ResultEntry> entries = {
        entry("max", true, false, false, true, INT32_MAX), entry("min", true, false, false, true, INT32_MIN),
        entry("none", true, false, false, true, -1), entry("zero", true, false, false, true, 0),
        entry("max2", true, false, false, true, INT32_MAX)};
    EXPECT_EQ(orderedByUs(entries), orderedLiterally(entries));
    EXPECT_EQ(orderedByUs(entries), (std::vector<std::string>{"min", "none", "zero", "max", "max2"}));
}

TEST(NameOrdering, SkippingEmptyGroupsGivesTheSameOrderAsRunningEveryPass) {
    for (std::uint64_t seed = 0; seed < 200; ++seed) {
        // Only one of the three groups is present in each list.
        auto entries = makeRandomEntries(30, {35, 4}, seed);
        for (ResultEntry& e : entries) {
            if (seed % 3 != 0) e.primaryNameHit = false;
            if (seed % 3 != 1) e.secondaryNameHit = false;
            if (seed % 3 != 2) e.tertiaryNameHit = false;
        }
        auto skipping = entries;
        orderByNameHits(skipping, findNameHitGroups(skipping));
        auto everyPass = entries;
        orderByNameHits(everyPass, NameHitGroups{true, true, true});
        ASSERT_EQ(primaryNamesOf(skipping), primaryNamesOf(everyPass)) << "seed " << seed;
    }
}

TEST(NameOrdering, PrimaryHitBehindTwoPlainEntriesSwapsThePlainEntries) {
    std::vector<ResultEntry> entries = {entry("A", false, false, false, false, -1),
                                        entry("B", false, false, false, false, -1),
                                        entry("C", true, false, false, false, 0)};
    EXPECT_EQ(orderedByUs(entries), (std::vector<std::string>{"C", "B", "A"}));
}

TEST(NameOrdering, WordStartPrimaryHitsComeInPositionOrder) {
    std::vector<ResultEntry> entries = {entry("at6", true, false, false, true, 6),
                                        entry("at0", true, false, false, true, 0),
                                        entry("at4", true, false, false, true, 4)};
    EXPECT_EQ(orderedByUs(entries), (std::vector<std::string>{"at0", "at4", "at6"}));
}

TEST(NameOrdering, HitsWithoutWordStartFollowWordStartsAndAreNotOrderedByPosition) {
    std::vector<ResultEntry> entries = {
        entry("p-late", true, false, false, false, 9),  entry("p-w5", true, false, false, true, 5),
        entry("p-early", true, false, false, false, 1), entry("s-w0", false, true, false, true, 0),
        entry("t-w2", false, false, true, true, 2),     entry("s-w3", false, true, false, true, 3),
        entry("none", false, false, false, true, 0)};
    const auto ours = orderedByUs(entries);
    EXPECT_EQ(ours, orderedLiterally(entries));
    EXPECT_EQ(ours, (std::vector<std::string>{"p-w5", "p-late", "p-early", "s-w0", "s-w3", "t-w2", "none"}));
}

TEST(NameOrdering, EmptyAndSingleListsAreLeftAlone) {
    std::vector<ResultEntry> none;
    orderByNameHits(none, NameHitGroups{true, true, true});
    EXPECT_TRUE(none.empty());
    std::vector<ResultEntry> one = {entry("only", false, true, false, false, 3)};
    orderByNameHits(one, NameHitGroups{true, true, true});
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].primaryName, "only");
}

TEST(NameOrdering, EntriesMoveWholeWithEveryField) {
    std::vector<ResultEntry> entries = {entry("plain", false, false, false, false, -1),
                                        entry("hit", true, false, false, true, 2)};
    int marker = 0;
    entries[1].targetForm = &marker;
    entries[1].targetName = "Target";
    entries[1].extraName = "Extra";
    entries[1].keywordEligible = true;
    orderByNameHits(entries, findNameHitGroups(entries));
    EXPECT_EQ(entries[0].primaryName, "hit");
    EXPECT_EQ(entries[0].targetForm, &marker);
    EXPECT_EQ(entries[0].targetName, "Target");
    EXPECT_EQ(entries[0].extraName, "Extra");
    EXPECT_TRUE(entries[0].keywordEligible);
    EXPECT_EQ(entries[0].firstMatchPos, 2);
    EXPECT_EQ(entries[1].primaryName, "plain");
    EXPECT_EQ(entries[1].targetForm, nullptr);
}

}  // namespace
