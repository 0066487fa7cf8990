// Later pages of the results box: which lines each page holds, how it is laid
// out, and when the hint stands below it.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "search/result_pages.h"

using namespace lumora;

namespace {

constexpr const char* kHint = "\n\nPress the search hotkey for more.";

// Just enough of a form for the pages: its id at byte 0x28.
struct IdOnlyForm {
    explicit IdOnlyForm(std::uint32_t id) { std::memcpy(bytes.data() + 0x28, &id, sizeof id); }
    alignas(8) std::array<std::uint8_t, 0x30> bytes{};
};

// One page as the player reads it: lines per section and the hint.
struct PageShape {
    std::size_t locations;
    std::size_t planets;
    bool hint;
    bool operator==(const PageShape&) const = default;
};

std::ostream& operator<<(std::ostream& out, const PageShape& p) {
    return out << "{" << p.locations << "L " << p.planets << "P" << (p.hint ? " hint" : "") << "}";
}

class ResultPagesTest : public ::testing::Test {
protected:
    void* form(std::uint32_t id) { return &m_forms.emplace_back(id); }

    // Location i: "Loc<i> | Body<i>", selecting form 0x1000 + i.
    ResultEntry location(std::uint32_t i) {
        ResultEntry e;
        e.primaryForm = form(0xB000 + i);
        e.primaryName = "Loc" + std::to_string(i);
        e.primaryNameHit = true;
        e.targetForm = form(0x1000 + i);
        e.targetName = "Body" + std::to_string(i);
        return e;
    }
    // Planet i: "P<i> | Sys", selecting form 0x2000 + i.
    ResultEntry planet(std::uint32_t i, bool secondary = true) {
        ResultEntry e;
        e.targetForm = form(0x2000 + i);
        e.targetName = "P" + std::to_string(i);
        e.ancestorName = "Sys";
        e.secondaryNameHit = secondary;
        e.tertiaryNameHit = !secondary;
        return e;
    }
    std::vector<ResultEntry> entries(std::size_t locations, std::size_t planets, bool secondary = true) {
        std::vector<ResultEntry> list;
        for (std::uint32_t i = 0; i < locations; ++i) list.push_back(location(i));
        for (std::uint32_t i = 0; i < planets; ++i) list.push_back(planet(i, secondary));
        return list;
    }

    // Every page of the search, the first included, as the plugin builds them.
    // (The list stands for both the ordered and the collected list.)
    std::vector<ResultsListing> allPages(std::vector<ResultEntry> ordered) {
        std::vector<ResultEntry> collected = ordered;
        std::vector<ResultsListing> pages;
        pages.push_back(buildResultsListing(ordered, collected, splitSearchText("x"), "x", m_count, m_texts));
        ResultPagesRecord kept = keepLaterPages(ordered, collected, pages[0], m_texts);
        while (kept.linesRemain() && pages.size() < 50) pages.push_back(buildNextResultsPage(kept, m_texts));
        return pages;
    }

    static PageShape shapeOf(const ResultsListing& page) {
        PageShape shape{0, 0, page.text.ends_with(kHint)};
        for (const ResultKey& key : page.keys.entries())
            ++((key.formId & 0xF000) == 0x1000 ? shape.locations : shape.planets);
        return shape;
    }

    std::deque<IdOnlyForm> m_forms;
    PlaceholderParts m_count{"Found ", " matches."};
    UiTextsRecord m_texts;
};

struct SectionSizesCase {
    const char* what;
    std::size_t locations;
    std::size_t planets;
    bool secondary;  // the planets' hit kind
    std::vector<PageShape> pages;
};

TEST_F(ResultPagesTest, SectionsOfManySizesFillPagesLocationsFirstWithTheHintOnAllButTheLast) {
    const SectionSizesCase cases[] = {
        {"one line", 1, 0, true, {{1, 0, false}}},
        {"locations end at page 1's edge", 10, 0, true, {{10, 0, false}}},
        {"one location more", 11, 0, true, {{10, 0, true}, {1, 0, false}}},
        {"locations end at page 2's edge", 20, 0, true, {{10, 0, true}, {10, 0, false}}},
        {"only locations", 25, 0, true, {{10, 0, true}, {10, 0, true}, {5, 0, false}}},
        {"planets end at page 1's edge", 0, 10, true, {{0, 10, false}}},
        {"only planets", 0, 23, false, {{0, 10, true}, {0, 10, true}, {0, 3, false}}},
        {"planets end at page 2's edge", 0, 20, true, {{0, 10, true}, {0, 10, false}}},
        {"both fit page 1", 4, 6, true, {{4, 6, false}}},
        // Five planet lines of one hit kind hold page 1's locations to five.
        {"limited locations go on", 12, 6, false, {{5, 5, true}, {7, 1, false}}},
        {"both, locations fill page 2", 15, 15, true, {{5, 5, true}, {10, 0, true}, {0, 10, false}}},
        {"both, sections meet inside a page", 9, 14, true, {{5, 5, true}, {4, 6, true}, {0, 3, false}}},
        {"both end at page 2's edge", 8, 12, true, {{5, 5, true}, {3, 7, false}}},
        // Two planets of each kind leave room for eight locations.
        {"planets under five", 14, 2, true, {{8, 2, true}, {6, 0, false}}},
    };
    for (const SectionSizesCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<PageShape> shapes;
        for (const ResultsListing& page : allPages(entries(c.locations, c.planets, c.secondary))) {
            shapes.push_back(shapeOf(page));
            for (std::size_t i = 0; i < page.keys.size(); ++i) {  // every page numbers from [0]
                EXPECT_EQ(page.keys.entries()[i].key, static_cast<std::int32_t>(i));
                EXPECT_NE(page.text.find("[" + std::to_string(i) + "] "), std::string::npos);
            }
        }
        EXPECT_EQ(shapes, c.pages);
    }
}

TEST_F(ResultPagesTest, CountLineKeepsPageOnesNumberEvenWhenThePagesListMore) {
    // Fifteen locations whose bodies hit make fifteen planet lines as well: 30
    // lines in all, while page 1 counts 10 + 10.
    std::vector<ResultEntry> list;
    for (std::uint32_t i = 0; i < 15; ++i) {
        list.push_back(location(i));
        list.back().secondaryNameHit = true;
        list.back().ancestorName = "Sys";
    }
    const std::vector<ResultsListing> pages = allPages(list);
    ASSERT_EQ(pages.size(), 3u);
    std::size_t lines = 0;
    for (const ResultsListing& page : pages) {
        lines += page.keys.size();
        EXPECT_NE(page.text.find("\n\nFound 20 matches."), std::string::npos) << page.text;
    }
    EXPECT_EQ(lines, 30u);
}

TEST_F(ResultPagesTest, LaterPagesAreLaidOutAsTheFirstAndListNoFormOfAnEarlierPageAgain) {
    std::vector<ResultEntry> list;
    for (std::uint32_t i = 0; i < 14; ++i) list.push_back(location(i));
    for (std::uint32_t i : {2u, 11u, 3u, 13u}) {  // repeats of primary forms listed on page 1 or page 2
        list.push_back(location(100 + i));
        list.back().primaryForm = list[i].primaryForm;
    }
    list.push_back(location(14));
    for (std::uint32_t i = 0; i < 12; ++i) list.push_back(planet(i));
    // Its body is planet P3, listed on page 1: a location line, but no second planet line.
    list.push_back(location(50));
    list.back().targetForm = list[19 + 3].targetForm;
    list.back().targetName = "P3";
    list.back().ancestorName = "Sys";
    list.back().secondaryNameHit = true;

    const std::vector<ResultsListing> pages = allPages(list);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_TRUE(pages[0].text.ends_with("[9] P4 | Sys\n\nFound 32 matches." + std::string(kHint)));
    EXPECT_EQ(pages[1].text,
              "Search: x\n\nLocations:\n[0] Loc5 | Body5\n[1] Loc6 | Body6\n[2] Loc7 | Body7\n[3] Loc8 | Body8\n"
              "[4] Loc9 | Body9\n[5] Loc10 | Body10\n[6] Loc11 | Body11\n[7] Loc12 | Body12\n[8] Loc13 | "
              "Body13\n[9] Loc14 | Body14\n\nFound 32 matches.\n\nPress the search hotkey for more.");
    EXPECT_EQ(pages[2].text,
              "Search: x\n\nLocations:\n[0] Loc50 | P3\n\nPlanets:\n[1] P5 | Sys\n[2] P6 | Sys\n[3] P7 | Sys\n"
              "[4] P8 | Sys\n[5] P9 | Sys\n[6] P10 | Sys\n[7] P11 | Sys\n\nFound 32 matches.");
}

// A search orders through indices and keeps its entries where they were
// collected: its pages must read as those built from a moved, ordered list
// and a copy in collection order, also when a location's target name is a
// planet line's name too.
TEST_F(ResultPagesTest, PagesThroughTheOrderReadAsPagesFromAnOrderedCopy) {
    std::vector<ResultEntry> collected;
    for (std::uint32_t i = 0; i < 17; ++i) {
        collected.push_back(location(i));
        collected.back().ancestorName = "Sys";
        collected.back().secondaryNameHit = i % 2 == 0;  // its body makes a planet line
    }
    for (std::uint32_t i = 0; i < 9; ++i) collected.push_back(planet(i, i % 3 != 0));
    std::vector<std::uint32_t> order;
    for (std::uint32_t i = 0; i < collected.size(); ++i) order.push_back((i * 7) % 26);  // 7 and 26 are coprime

    std::vector<ResultEntry> ordered;
    for (const std::uint32_t index : order) ordered.push_back(collected[index]);
    std::vector<ResultEntry> inCollectionOrder = collected;
    std::vector<ResultsListing> expected;
    expected.push_back(buildResultsListing(ordered, inCollectionOrder, splitSearchText("x"), "x", m_count, m_texts));
    ResultPagesRecord expectedKept = keepLaterPages(ordered, inCollectionOrder, expected[0], m_texts);
    while (expectedKept.linesRemain()) expected.push_back(buildNextResultsPage(expectedKept, m_texts));
    ASSERT_GE(expected.size(), 3u);

    std::vector<const ResultEntry*> pointers;
    for (const std::uint32_t index : order) pointers.push_back(&collected[index]);
    std::vector<ResultsListing> pages;
    pages.push_back(buildResultsListing(pointers, collected, splitSearchText("x"), "x", m_count, m_texts));
    ResultPagesRecord kept = keepLaterPages(collected, order, pages[0], m_texts);
    while (kept.linesRemain() && pages.size() < 50) pages.push_back(buildNextResultsPage(kept, m_texts));

    ASSERT_EQ(pages.size(), expected.size());
    for (std::size_t p = 0; p < pages.size(); ++p) {
        EXPECT_EQ(pages[p].text, expected[p].text) << "page " << p;
        ASSERT_EQ(pages[p].keys.size(), expected[p].keys.size());
        for (std::size_t k = 0; k < pages[p].keys.size(); ++k)
            EXPECT_EQ(pages[p].keys.entries()[k].formId, expected[p].keys.entries()[k].formId);
    }
}

}  // namespace
