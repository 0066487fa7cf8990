#pragma once
// How close a name comes to a term it does not hold: the fewest edits with
// which the term occurs in the name (inserting, deleting or replacing one
// byte, or swapping two adjacent bytes; no byte edited twice). Both are
// compared lower-cased and without blanks, apostrophes and hyphens.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumora {

// The edits a stripped term of this many bytes may be away from a name to
// come close: 1 for 4 to 7 bytes, 2 for longer terms; -1 below 4 bytes, where
// nothing comes close.
int allowedCloseNameEdits(std::size_t strippedTermSize);

class CloseNameTest {
public:
    // `term` as the matching sees it: lower-cased, and folded when `foldNames`
    // (then every name is folded before it is compared).
    CloseNameTest(std::string_view term, bool foldNames);

    // allowedCloseNameEdits of the stripped term.
    int allowedEdits() const { return m_allowedEdits; }

    // The fewest edits with which the stripped term occurs in the stripped
    // name, or limit + 1 when that takes more than `limit` (>= 0) edits. The
    // name is taken as the game gives it.
    int editsWithin(std::string_view name, int limit) const;

private:
    int editsOfLongTerm(std::string_view strippedName, int limit) const;

    std::string m_stripped;
    int m_allowedEdits;
    bool m_foldNames;
    // Bit i of m_positions[c]: byte i of the stripped term is c (terms of up
    // to 64 bytes).
    std::array<std::uint64_t, 256> m_positions{};
};

}  // namespace lumora
