#pragma once
// The terms of one search, with what every name test would otherwise work out
// from them again: built once per search, before the walks.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "text/match_info.h"
#include "text/search_terms.h"

namespace lumora {

class PreparedTerms {
public:
    // `terms` as the matching sees them: lower-cased, or folded.
    explicit PreparedTerms(SearchTerms terms);

    const SearchTerms& terms() const { return m_terms; }

    // True when the name as the game gives it (before lower-casing) lacks, in
    // either letter case, a byte of the include term that no stripping step
    // removes: then no step up to the alias can hit. False when that cannot be
    // told cheaply (more than 64 different bytes in the term).
    bool nameLacksAKeptIncludeByte(std::string_view name) const;

    // The same test, and in the same pass whether the name holds a byte that
    // can begin an accented letter (mayHoldAccentedLetter): without one,
    // folding the name is lower-casing it.
    struct NameScan {
        bool lacksAKeptIncludeByte;
        bool mayHoldAccentedLetter;
    };
    NameScan scanName(std::string_view name) const;

    // The include term's result for a name that lacks such a byte: a keyword
    // hit for an eligible candidate, else no hit. Empty when the term holds
    // "varun" once stripped, where the alias step needs the name.
    std::optional<MatchKind> includeResultWithoutTheName(MatchInfo& info) const;

    // Where the include term first occurs in the name compared as lower-cased;
    // npos when it does not (or the include term is empty).
    std::size_t findIncludeIgnoringCase(std::string_view name) const;

private:
    SearchTerms m_terms;
    const std::array<char, 256>* m_lowerCase;
    // By name byte: the bit of the kept include byte it lower-cases to.
    std::array<std::uint64_t, 256> m_keptByteBits{};
    std::uint64_t m_allKeptBits = 0;
    bool m_keptBytesCounted = false;
    std::uint64_t m_accentLeadBit = 0;  // set in m_keptByteBits for 0xC3-0xC5; 0 when no bit was left
    bool m_aliasNeedsTheName = false;
    MatchKind m_keywordKind = MatchKind::NoMatch;
};

}  // namespace lumora
