#include "text/close_names.h"

#include <algorithm>
#include <vector>

#include "text/accent_folding.h"
#include "text/lower_case_table.h"
#include "text/scratch_text.h"

namespace lumora {

namespace {

constexpr std::size_t kShortestCloseTerm = 4;
constexpr std::size_t kLongestOneEditTerm = 7;
constexpr std::size_t kBitParallelTermBytes = 64;

bool isStrippedByte(char c) { return c == ' ' || c == '\'' || c == '-'; }

using ByteSet = std::array<std::uint64_t, 4>;

bool holds(const ByteSet& set, char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (set[byte >> 6] >> (byte & 63)) & 1;
}

}  // namespace

int allowedCloseNameEdits(std::size_t strippedTermSize) {
    if (strippedTermSize < kShortestCloseTerm) return -1;
    return strippedTermSize <= kLongestOneEditTerm ? 1 : 2;
}

CloseNameTest::CloseNameTest(std::string_view term, bool foldNames) : m_foldNames(foldNames) {
    for (const char c : term)
        if (!isStrippedByte(c)) m_stripped += c;
    m_allowedEdits = allowedCloseNameEdits(m_stripped.size());
    if (m_stripped.size() <= kBitParallelTermBytes)
        for (std::size_t i = 0; i < m_stripped.size(); ++i)
            m_positions[static_cast<unsigned char>(m_stripped[i])] |= std::uint64_t{1} << i;
}

int CloseNameTest::editsWithin(std::string_view name, int limit) const {
    const int beyond = limit + 1;
    if (m_allowedEdits < 0) return beyond;
    ScratchText text(name);
    if (m_foldNames && mayHoldAccentedLetter(name)) text.foldAccentedLetters();

    // Lower-cased and stripped in place, noting which bytes the name holds.
    const std::array<char, 256>& lower = lowerCaseTable();
    ByteSet present{};
    char* bytes = text.data();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < text.view().size(); ++i) {
        const char c = lower[static_cast<unsigned char>(bytes[i])];
        if (isStrippedByte(c)) continue;
        bytes[kept++] = c;
        present[static_cast<unsigned char>(c) >> 6] |= std::uint64_t{1} << (static_cast<unsigned char>(c) & 63);
    }
    text.shrinkTo(kept);
    const std::string_view stripped = text.view();

    // Cheap bounds first. Each edit removes at most one byte of the term, so
    // the part of the name it occurs in is at least m - limit long; and a byte
    // of the term that the name lacks costs an edit of its own.
    const std::size_t m = m_stripped.size();
    if (stripped.size() + static_cast<std::size_t>(limit) < m) return beyond;
    int absent = 0;
    for (const char c : m_stripped)
        if (!holds(present, c) && ++absent > limit) return beyond;
    if (m > kBitParallelTermBytes) return editsOfLongTerm(stripped, limit);

    // The dynamic-programming table of the term against the name, one column
    // per name byte, kept as bit vectors of its vertical and horizontal
    // differences (Myers' algorithm with Hyyro's swap term). Row 0 is zero
    // throughout, so the term may start anywhere in the name; `score` follows
    // the last row, the edits of the whole term ending at this byte.
    const std::uint64_t lastRow = std::uint64_t{1} << (m - 1);
    std::uint64_t verticalUp = ~std::uint64_t{0}, verticalDown = 0, diagonalZero = 0, previousPositions = 0;
    int score = static_cast<int>(m);
    int best = score;
    for (const char c : stripped) {
        const std::uint64_t positions = m_positions[static_cast<unsigned char>(c)];
        const std::uint64_t swapped = ((~diagonalZero & positions) << 1) & previousPositions;
        diagonalZero = (((positions & verticalUp) + verticalUp) ^ verticalUp) | positions | verticalDown | swapped;
        const std::uint64_t horizontalUp = verticalDown | ~(diagonalZero | verticalUp);
        const std::uint64_t horizontalDown = diagonalZero & verticalUp;
        if (horizontalUp & lastRow) ++score;
        else if (horizontalDown & lastRow) --score;
        const std::uint64_t upShifted = horizontalUp << 1;
        verticalUp = (horizontalDown << 1) | ~(diagonalZero | upShifted);
        verticalDown = diagonalZero & upShifted;
        previousPositions = positions;
        best = std::min(best, score);
    }
    return best <= limit ? best : beyond;
}

// Terms longer than a bit vector: the same table, a column at a time.
int CloseNameTest::editsOfLongTerm(std::string_view name, int limit) const {
    const std::size_t m = m_stripped.size();
    std::vector<int> beforePrevious(m + 1), previous(m + 1), current(m + 1);
    for (std::size_t i = 0; i <= m; ++i) previous[i] = static_cast<int>(i);
    int best = static_cast<int>(m);
    for (std::size_t j = 0; j < name.size(); ++j) {
        current[0] = 0;
        for (std::size_t i = 1; i <= m; ++i) {
            const bool same = m_stripped[i - 1] == name[j];
            int edits = std::min({previous[i] + 1, current[i - 1] + 1, previous[i - 1] + (same ? 0 : 1)});
            if (i >= 2 && j >= 1 && m_stripped[i - 1] == name[j - 1] && m_stripped[i - 2] == name[j])
                edits = std::min(edits, beforePrevious[i - 2] + 1);
            current[i] = edits;
        }
        best = std::min(best, current[m]);
        std::swap(beforePrevious, previous);
        std::swap(previous, current);
    }
    return best <= limit ? best : limit + 1;
}

}  // namespace lumora
