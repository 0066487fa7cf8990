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
