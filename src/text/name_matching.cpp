#include "text/name_matching.h"

#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "text/accent_folding.h"
#include "text/scratch_text.h"
#include "text/term_steps.h"

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
    if (const std::size_t p = n.find("varuun"); p != kNotFound && contains(t, kAliasTermPart)) {
        recordHit(info, p, p == 0);
        return MatchKind::KnownAlias;
    }
    if (!info.keywordEligible) return MatchKind::NoMatch;
    const MatchKind keyword = keywordStepKind(t);
    if (keyword != MatchKind::NoMatch) info.keywordMatched = true;
    return keyword;
}

// Stripping only removes bytes, so a byte of the term that no step removes
// and that the name lacks keeps every stripping step from hitting. Most names
// of a search fail this way, without the stripped copies being made.
bool nameLacksAKeptTermByte(std::string_view term, std::string_view name) {
    for (const char c : term) {
        if (isStrippedByte(c)) continue;
        if (name.find(c) == kNotFound) return true;
    }
    return false;
}

// matchTerm's result for a name that lacks a byte the stripped term keeps:
// only the alias and keyword steps are left. Empty when the term holds
// "varun", where the alias step needs the name.
std::optional<MatchKind> matchWithoutStripping(std::string_view term, MatchInfo& info) {
    const std::string stripped = strippedOfRemovedBytes(term);
    if (contains(stripped, kAliasTermPart)) return std::nullopt;
    return matchAliasOrKeyword(stripped, {}, info);
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

MatchKind matchCandidateName(const PreparedTerms& prepared, MatchInfo& info, std::string_view name) {
    // Without an exclude term, most names of a search are settled here, on
    // the name as the game gives it, before a lower-cased copy is made.
    const SearchTerms& terms = prepared.terms();
    if (terms.excludeTerm.empty() && !terms.includeTerm.empty()) {
        // A one-byte term is found, or is lacking, in one pass; a longer one is
        // more often lacking a byte, which the quicker test tells.
        const bool oneByte = terms.includeTerm.size() == 1;
        if (!oneByte && prepared.nameLacksAKeptIncludeByte(name)) {
            if (const std::optional<MatchKind> kind = prepared.includeResultWithoutTheName(info)) return *kind;
        } else if (const std::size_t p = prepared.findIncludeIgnoringCase(name); p != kNotFound) {
            recordHit(info, p, p == 0 || name[p - 1] == ' ');
            return MatchKind::Substring;
        } else if (oneByte && !isStrippedByte(terms.includeTerm[0])) {
            if (const std::optional<MatchKind> kind = prepared.includeResultWithoutTheName(info)) return *kind;
        }
    }
    ScratchText loweredName(name);
    loweredName.lowerCase();
    return matchPreparedName(terms, info, loweredName.view());
}

MatchKind matchCandidateName(const SearchTerms& loweredTerms, MatchInfo& info, std::string_view name) {
    return matchCandidateName(PreparedTerms(loweredTerms), info, name);
}

namespace {

MatchKind matchFoldingTheName(const PreparedTerms& folded, MatchInfo& info, std::string_view name) {
    ScratchText foldedName(name);
    foldedName.foldAccentedLetters();
    return matchPreparedName(folded.terms(), info, foldedName.view());
}

}  // namespace

MatchKind matchFoldedCandidateName(const PreparedTerms& folded, MatchInfo& info, std::string_view name) {
    // Without a byte that can begin an accented letter, folding a name is
    // lower-casing it. Most names hold none, and the tests that settle most
    // names without lower-casing them tell that on the way.
    const SearchTerms& terms = folded.terms();
    if (terms.excludeTerm.empty() && !terms.includeTerm.empty()) {
        const char first = terms.includeTerm[0];
        if (terms.includeTerm.size() == 1 && static_cast<unsigned char>(first) < 0x80) {
            // Before the first occurrence of a plain letter, a name without
            // accented letters folds to the same bytes, so that occurrence is
            // the folded name's first as well, at the same place.
            if (const std::size_t p = folded.findIncludeIgnoringCase(name); p != kNotFound) {
                if (mayHoldAccentedLetter(name.substr(0, p))) return matchFoldingTheName(folded, info, name);
                recordHit(info, p, p == 0 || name[p - 1] == ' ');
                return MatchKind::Substring;
            }
            if (mayHoldAccentedLetter(name)) return matchFoldingTheName(folded, info, name);
            if (!isStrippedByte(first)) {
                if (const std::optional<MatchKind> kind = folded.includeResultWithoutTheName(info)) return *kind;
            }
            return matchCandidateName(folded, info, name);
        }
        if (terms.includeTerm.size() > 1) {
            const PreparedTerms::NameScan scan = folded.scanName(name);
            if (scan.mayHoldAccentedLetter) return matchFoldingTheName(folded, info, name);
            if (scan.lacksAKeptIncludeByte) {
                if (const std::optional<MatchKind> kind = folded.includeResultWithoutTheName(info)) return *kind;
            }
            return matchCandidateName(folded, info, name);
        }
    }
    if (!mayHoldAccentedLetter(name)) return matchCandidateName(folded, info, name);
    return matchFoldingTheName(folded, info, name);
}

MatchKind matchFoldedCandidateName(const SearchTerms& foldedTerms, MatchInfo& info, std::string_view name) {
    return matchFoldedCandidateName(PreparedTerms(foldedTerms), info, name);
}

std::string strippedOfRemovedBytes(std::string_view text) {
    std::string stripped;
    stripped.reserve(text.size());
    for (const char c : text)
        if (!isStrippedByte(c)) stripped += c;
    return stripped;
}

MatchKind keywordStepKind(std::string_view strippedTerm) {
    if (contains(strippedTerm, "beaco")) return MatchKind::BeaconKeyword;
    if (contains(strippedTerm, "outp")) return MatchKind::OutpostKeyword;
    if (contains(strippedTerm, "decor")) return MatchKind::DecorKeyword;
    return MatchKind::NoMatch;
}

}  // namespace lumora
