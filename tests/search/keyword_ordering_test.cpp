#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "random_entries.h"
#include "search/result_ordering.h"

using namespace lumora;

namespace {

ResultEntry entry(std::string name, bool eligible, const char* extraName, bool primaryHit = false) {
    ResultEntry e;
    e.primaryName = std::move(name);
    e.keywordEligible = eligible;
    e.extraName = extraName;
    e.primaryNameHit = primaryHit;
    e.wordStartMatch = primaryHit;
    e.firstMatchPos = primaryHit ? 0 : -1;
    return e;
}

TEST(KeywordOrdering, EligibleFirstThenOverlayTemplateThenCollectionOrder) {
    std::vector<ResultEntry> entries = {entry("marker-hit", false, "", true),
                                        entry("e1", true, ""),
                                        entry("overlay-ineligible", false, "Outpost overlay template"),
                                        entry("e2", true, "Outpost overlay template"),
                                        entry("case-differs", true, "outpost overlay template"),
                                        entry("e3", true, "Outpost overlay template"),
                                        entry("marker", false, "")};
    orderResults(entries, true, findNameHitGroups(entries));
    EXPECT_EQ(primaryNamesOf(entries), (std::vector<std::string>{"e2", "e3", "e1", "case-differs", "overlay-ineligible",
                                                                 "marker-hit", "marker"}));
}

TEST(KeywordOrdering, LongListsKeepPriorOrderWithinEachGroup) {
    std::vector<ResultEntry> entries;
    for (int i = 0; i < 200; ++i)
        entries.push_back(entry(std::to_string(i), i % 3 != 0, i % 7 == 0 ? "Outpost overlay template" : ""));
    orderResults(entries, true, findNameHitGroups(entries));
    std::vector<std::string> expected;
    for (int group = 0; group < 4; ++group)
        for (int i = 0; i < 200; ++i) {
            const bool eligible = i % 3 != 0, overlay = i % 7 == 0;
            const int groupOf = eligible ? (overlay ? 0 : 1) : (overlay ? 2 : 3);
            if (groupOf == group) expected.push_back(std::to_string(i));
        }
    EXPECT_EQ(primaryNamesOf(entries), expected);
}

TEST(KeywordOrdering, NameOrderingRunsWhenNoEntryHitByKeyword) {
    // Eligible but not keyword-matched entries are ordered by their name hits.
    std::vector<ResultEntry> entries = {entry("eligible-nohit", true, "Outpost overlay template"),
                                        entry("marker-hit", false, "", true)};
    orderResults(entries, false, findNameHitGroups(entries));
    EXPECT_EQ(primaryNamesOf(entries), (std::vector<std::string>{"marker-hit", "eligible-nohit"}));
}

}  // namespace

namespace {

struct OrderCase {
    const char* what;
    std::size_t count;
    bool anyKeywordMatched;
    std::uint64_t seed;
};

// The order as indices, the entries left in place, reads exactly as the list
// that orderResults moves into order, ties included.
TEST(ResultOrder, IndicesReadAsTheMovedListInBothOrderings) {
    const OrderCase cases[] = {
        {"empty", 0, false, 1},          {"one entry", 1, false, 2},
        {"two entries", 2, false, 3},    {"insertion range", 32, false, 4},
        {"past it", 33, true, 5},        {"many ties", 300, false, 6},
        {"keyword, many", 300, true, 7}, {"keyword, two", 2, true, 8},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<ResultEntry> entries = makeRandomEntries(c.count, {}, c.seed);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            entries[i].keywordEligible = i % 3 != 0;
            if (i % 5 == 0) entries[i].extraName = "Outpost overlay template";
        }
        const NameHitGroups groups = findNameHitGroups(entries);
        const std::vector<std::uint32_t> order = resultOrder(entries, c.anyKeywordMatched, groups);
        std::vector<std::string> throughOrder;
        for (const std::uint32_t index : order) throughOrder.push_back(entries[index].primaryName);
        orderResults(entries, c.anyKeywordMatched, groups);
        EXPECT_EQ(throughOrder, primaryNamesOf(entries));
    }
}

}  // namespace
