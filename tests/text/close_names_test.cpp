#include <gtest/gtest.h>

#include <string>

#include "text/close_names.h"

using namespace lumora;

namespace {

constexpr int kNotClose = -1;

struct CloseCase {
    const char* term;  // as the matching sees it: lower-cased
    const char* name;  // as the game gives it
    int edits;         // kNotClose: more than the term's edits allow
};

// Edits at the boundaries: k edits come close, k + 1 do not, for terms of 4 to
// 7 bytes (k = 1) and longer ones (k = 2); the length counts after stripping.
TEST(CloseNameTest, EditCountsAtTheBoundariesOfBothTermLengths) {
    const CloseCase cases[] = {
        // 4 to 7 bytes: one edit.
        {"vanx", "Ilvane Prime", 1},  // replaced
        {"vxnx", "Ilvane Prime", kNotClose},
        {"thesa", "Thessa", 1},           // inserted
        {"thessxa", "Thessa", 1},         // deleted
        {"thexssxa", "Thessa", 2},        // 8 bytes: two
        {"tehssa", "Thessa", 1},          // a swap is one edit
        {"tehsas", "Thessa", kNotClose},  // two swaps
        {"thessap", "Thessa", 1},
        // 8 bytes and more: two edits.
        {"thessapq", "Thessa", 2},
        {"thessapqr", "Thessa", kNotClose},
        {"corvnesystm", "Corvane System", 2},
        {"crovnesystem", "Corvane System", 2},  // a swap and a deletion
        {"crovnesystm", "Corvane System", kNotClose},
        // No byte is edited twice: "ca" swapped to "ac" cannot also take the
        // "b" between them (three edits, where editing freely needs two).
        {"wxyzcaqr", "wxyzabcqr", kNotClose},
        // Stripped before counting and comparing: blanks, apostrophes, hyphens.
        {"t-h-e", "Thessa", kNotClose},  // three bytes once stripped
        {"the ssx", "T'he-ssa", 1},
        {"thess a x", "Thessa", 1},
        // Three bytes never come close, whatever the name.
        {"ths", "Thessa", kNotClose},
        {"abc", "abc", kNotClose},
        // The name may be shorter than the term.
        {"thessa", "Thess", 1},
        {"thessa", "Thes", kNotClose},
        {"abcd", "", kNotClose},
    };
    for (const CloseCase& c : cases) {
        const CloseNameTest test(c.term, false);
        const int allowed = test.allowedEdits();
        const int edits = test.editsWithin(c.name, allowed < 0 ? 0 : allowed);
        if (c.edits == kNotClose) {
            EXPECT_TRUE(allowed < 0 || edits > allowed) << c.term << " in " << c.name << ": " << edits;
        } else {
            EXPECT_EQ(edits, c.edits) << c.term << " in " << c.name;
        }
    }
}

TEST(CloseNameTest, ExactOccurrenceCountsNoEdits) {
    EXPECT_EQ(CloseNameTest("varu", false).editsWithin("Va'ruun Drift", 1), 0);
    EXPECT_EQ(CloseNameTest("thessa", false).editsWithin("THESSA", 1), 0);
}

TEST(CloseNameTest, AllowedEditsFollowTheStrippedLength) {
    const std::pair<std::size_t, int> rows[] = {{0, -1}, {3, -1}, {4, 1}, {7, 1}, {8, 2}, {64, 2}, {200, 2}};
    for (const auto& [length, allowed] : rows) EXPECT_EQ(allowedCloseNameEdits(length), allowed) << length;
}

TEST(CloseNameTest, LimitCapsTheAnswer) {
    const CloseNameTest test("thessapq", false);  // two edits from "Thessa"
    EXPECT_EQ(test.editsWithin("Thessa", 2), 2);
    EXPECT_EQ(test.editsWithin("Thessa", 1), 2);
    EXPECT_EQ(test.editsWithin("Thessa", 0), 1);
}

// Terms longer than 64 bytes take another road through the same table.
TEST(CloseNameTest, TermsLongerThanABitVectorCountTheSame) {
    const std::string name =
        std::string(40, 'a') + "the quick brown fox jumps over the lazy dog" + std::string(40, 'z');
    const std::string exact = "thequickbrownfoxjumpsoverthelazydog" + std::string(30, 'z');  // 65 bytes
    ASSERT_GT(exact.size(), 64u);
    std::string swapped = exact;
    std::swap(swapped[3], swapped[4]);
    std::string twoEdits = swapped;
    twoEdits[20] = 'X';
    std::string threeEdits = twoEdits;
    threeEdits.erase(30, 1);
    EXPECT_EQ(CloseNameTest(exact, false).editsWithin(name, 2), 0);
    EXPECT_EQ(CloseNameTest(swapped, false).editsWithin(name, 2), 1);
    EXPECT_EQ(CloseNameTest(twoEdits, false).editsWithin(name, 2), 2);
    EXPECT_EQ(CloseNameTest(threeEdits, false).editsWithin(name, 2), 3);
}

TEST(CloseNameTest, FoldedNamesComeCloseToPlainTerms) {
    // "\xC3\x89" is an E with an acute accent, "\xC3\xB8" an o with a stroke.
    EXPECT_EQ(CloseNameTest("evorx", true).editsWithin("\xC3\x89VORA Deep", 1), 1);
    EXPECT_EQ(CloseNameTest("evorx", false).editsWithin("\xC3\x89VORA Deep", 1), 2);
    EXPECT_EQ(CloseNameTest("aerox", true).editsWithin("\xC3\x86r\xC3\xB8 Harbour", 1), 1);
}

}  // namespace
