#include <gtest/gtest.h>

#include "text/close_names.h"

using namespace lumora;

namespace {

constexpr int kNotClose = -1;

struct CloseCase {
    const char* term;  // as the matching sees it: lower-cased
    const char* name;  // as the game gives it
    bool fold;
    int edits;  // kNotClose: more than the term's edits allow
};

// k edits come close and k + 1 do not, for terms of 4 to 7 bytes (k = 1) and
// longer ones (k = 2), the length counted after stripping blanks, apostrophes
// and hyphens; three bytes never come close.
TEST(CloseNameTest, EditCountsAtTheBoundariesOfBothTermLengths) {
    const CloseCase cases[] = {
        {"vanx", "Ilvane Prime", false, 1},  // replaced
        {"vxnx", "Ilvane Prime", false, kNotClose},
        {"thesa", "Thessa", false, 1},    // inserted
        {"thessap", "Thessa", false, 1},  // deleted
        {"tehssa", "Thessa", false, 1},   // a swap is one edit
        {"tehsas", "Thessa", false, kNotClose},
        {"thessapq", "Thessa", false, 2},
        {"thessapqr", "Thessa", false, kNotClose},
        {"crovnesystem", "Corvane System", false, 2},  // a swap and a deletion
        {"crovnesystm", "Corvane System", false, kNotClose},
        // No byte is edited twice: "ca" swapped to "ac" cannot also take the
        // "b" between them (three edits, where editing freely needs two).
        {"wxyzcaqr", "wxyzabcqr", false, kNotClose},
        {"the ssx", "T'he-ssa", false, 1},
        {"thess a x", "Thessa", false, 1},  // seven bytes once stripped
        {"t-h-e", "Thessa", false, kNotClose},
        {"abc", "abc", false, kNotClose},
        {"thessa", "Thes", false, kNotClose},     // the name may be shorter, not by two
        {"evorx", "\xC3\x89VORA Deep", true, 1},  // folded: "evora deep"
        {"evorx", "\xC3\x89VORA Deep", false, kNotClose},
        // Longer than a 64-bit vector: the column-by-column road.
        {"thequickbrownfoxjumpsoverthelazydogthequickbrownfoxjumpsoverthelazydx",
         "the lazy dog the quick "
         "brown fox jumps over the lazy dog the quick brown fox jumps over the lazy dog",
         false, 1},
        {"thequickbrownfoxjumpsoverthelazydogthequickbrwonfoxjumpsoverthelazydx",
         "the quick brown fox jumps "
         "over the lazy dog the quick brown fox jumps over the lazy dog",
         false, 2},
    };
    for (const CloseCase& c : cases) {
        const CloseNameTest test(c.term, c.fold);
        const int allowed = test.allowedEdits();
        const int edits = test.editsWithin(c.name, allowed < 0 ? 0 : allowed);
        if (c.edits == kNotClose) EXPECT_TRUE(allowed < 0 || edits > allowed) << c.term << " / " << c.name;
        else EXPECT_EQ(edits, c.edits) << c.term << " / " << c.name;
    }
}

}  // namespace
