#include "text/name_matching.h"

#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "text/accent_folding.h"
#include "text/scratch_text.h"

namespace lumora {

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

std::size_t findTerm(std::string_view term, std::string_view name) {
    if (term.size() > name.size()) return kNotFound;
    return name.find(term);
}

void recordHit(MatchInfo& info, std::size_t position, bool beginsWord) {
    if (beginsWord) info.wordStartMatch = true;
    if (info.firstMatchPos < 0) info.firstMatchPos = static_cast<std::int32_t>(position);
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != kNotFound; }

struct RemovalStep {
    char removed;
    MatchKind kind;
};
// Cumulative: each step works on the strings the previous steps stripped.
constexpr RemovalStep kRemovalSteps[] = {
    {' ', MatchKind::IgnoringSpaces},
    {'\'', MatchKind::IgnoringApostrophes},
    {'-', MatchKind::IgnoringHyphens},
};

// Steps 5 and 6, on the term and the name stripped of all three bytes.
MatchKind matchAliasOrKeyword(std::string_view t, std::string_view n, MatchInfo& info) {
    if (const std::size_t p = n.find("varuun"); p != kNotFound && contains(t, "varun")) {
        recordHit(info, p, p == 0);
        return MatchKind::KnownAlias;
    }

    if (info.keywordEligible) {
        MatchKind keyword = MatchKind::NoMatch;
        if (contains(t, "beaco")) keyword = MatchKind::BeaconKeyword;
        else if (contains(t, "outp")) keyword = MatchKind::OutpostKeyword;
        else if (contains(t, "decor")) keyword = MatchKind::DecorKeyword;
        if (keyword != MatchKind::NoMatch) {
            info.keywordMatched = true;
            return keyword;
        }
    }
    return MatchKind::NoMatch;
}

// Stripping only removes bytes, so a byte of the term that no step removes
// and that the name lacks keeps every stripping step from hitting. Most names
// of a search fail this way, without the stripped copies being made.
bool nameLacksAKeptTermByte(std::string_view term, std::string_view name) {
    for (const char c : term) {
        if (c == ' ' || c == '\'' || c == '-') continue;
        if (name.find(c) == kNotFound) return true;
    }
    return false;
}

// The bytes that lower-case to a given byte: the byte itself and, in the C
// locale, its capital.
struct LowerCasePreimage {
    char bytes[2];
    std::uint8_t count = 0;
    bool more = false;  // more than two; the name then has to be lower-cased
};

const LowerCasePreimage& preimageOf(char lowered) {
    static const std::array<LowerCasePreimage, 256> preimages = [] {
        std::array<LowerCasePreimage, 256> table{};
        for (int c = 0; c < 256; ++c) {
            LowerCasePreimage& p = table[static_cast<unsigned char>(std::tolower(c))];
            if (p.count < 2) p.bytes[p.count++] = static_cast<char>(c);
            else p.more = true;
        }
        return table;
    }();
    return preimages[static_cast<unsigned char>(lowered)];
}

// The same test as nameLacksAKeptTermByte on the name as the game gives it,
// before it is lower-cased: a byte is there when one of the bytes that
// lower-case to it is.
bool unloweredNameLacksAKeptTermByte(std::string_view term, std::string_view name) {
    for (const char c : term) {
        if (c == ' ' || c == '\'' || c == '-') continue;
        const LowerCasePreimage& preimage = preimageOf(c);
        if (preimage.more) continue;
        bool present = false;
        for (std::uint8_t i = 0; i < preimage.count && !present; ++i)
            present = name.find(preimage.bytes[i]) != kNotFound;
        if (!present) return true;
    }
    return false;
}

// matchTerm's result for a name that lacks a byte the stripped term keeps:
// only the alias and keyword steps are left. Empty when the term holds
// "varun", where the alias step needs the name.
std::optional<MatchKind> matchWithoutStripping(std::string_view term, MatchInfo& info) {
    if (term.find_first_of(" '-") == kNotFound) {
        if (contains(term, "varun")) return std::nullopt;
        return matchAliasOrKeyword(term, {}, info);
    }
    ScratchText t(term);
    for (const RemovalStep& step : kRemovalSteps) t.removeAll(step.removed);
    if (contains(t.view(), "varun")) return std::nullopt;
    return matchAliasOrKeyword(t.view(), {}, info);
}

}  // namespace

MatchKind matchTerm(std::string_view term, std::string_view name, MatchInfo& info) {
    if (std::size_t p = findTerm(term, name); p != kNotFound) {
        recordHit(info, p, p == 0 || name[p - 1] == ' ');
        return MatchKind::Substring;
    }

    if (nameLacksAKeptTermByte(term, name)) {
        if (const std::optional<MatchKind> kind = matchWithoutStripping(term, info)) return *kind;
    }

    ScratchText strippedTerm(term);
    ScratchText strippedName(name);
    for (const RemovalStep& step : kRemovalSteps) {
        const bool termChanged = strippedTerm.removeAll(step.removed);
        const bool nameChanged = strippedName.removeAll(step.removed);
        // Unchanged strings give the same miss as the step before.
        if (!termChanged && !nameChanged) continue;
        if (std::size_t p = findTerm(strippedTerm.view(), strippedName.view()); p != kNotFound) {
            recordHit(info, p, p == 0);
            return step.kind;
        }
    }
    return matchAliasOrKeyword(strippedTerm.view(), strippedName.view(), info);
}

namespace {

// The exclude term, then the include term, against a name already lower-cased
// (and folded, when the terms are).
MatchKind matchPreparedName(const SearchTerms& terms, MatchInfo& info, std::string_view name) {
    if (!terms.excludeTerm.empty() && matchTerm(terms.excludeTerm, name, info) != MatchKind::NoMatch)
        return MatchKind::Excluded;
    if (!terms.includeTerm.empty()) return matchTerm(terms.includeTerm, name, info);
    return MatchKind::NoMatch;
}

}  // namespace

MatchKind matchCandidateName(const SearchTerms& loweredTerms, MatchInfo& info, std::string_view name) {
    // Without an exclude term, most names of a search are settled here,
    // before the lower-cased copy is made.
    if (loweredTerms.excludeTerm.empty() && !loweredTerms.includeTerm.empty() &&
        unloweredNameLacksAKeptTermByte(loweredTerms.includeTerm, name)) {
        if (const std::optional<MatchKind> kind = matchWithoutStripping(loweredTerms.includeTerm, info)) return *kind;
    }
    ScratchText loweredName(name);
    loweredName.lowerCase();
    return matchPreparedName(loweredTerms, info, loweredName.view());
}

MatchKind matchFoldedCandidateName(const SearchTerms& foldedTerms, MatchInfo& info, std::string_view name) {
    // Without a byte that can begin an accented letter, folding the name is
    // lower-casing it.
    if (!mayHoldAccentedLetter(name)) return matchCandidateName(foldedTerms, info, name);
    ScratchText foldedName(name);
    foldedName.foldAccentedLetters();
    return matchPreparedName(foldedTerms, info, foldedName.view());
}

}  // namespace lumora
