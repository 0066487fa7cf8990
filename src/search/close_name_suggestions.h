#pragma once
// Close names for a search that collected nothing: the candidates whose
// tested names come within a few edits of the include term, gathered during
// the walks as the lines their results would print, and the box that offers
// them.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/ui_texts.h"
#include "search/results_listing.h"
#include "text/close_names.h"

namespace lumora {

inline constexpr std::size_t kMostCloseNames = 5;

class CloseNameSuggestions {
public:
    // `includeTerm` as the matching sees it (lower-cased, folded with
    // `foldNames`).
    CloseNameSuggestions(std::string_view includeTerm, bool foldNames);

    // The most edits a candidate may need and still be shown; -1 once nothing
    // more can change the lines: something was collected, the term is too
    // short, or five lines have come within one edit.
    int editLimit() const;

    // The edits of one tested name, or limit + 1 when it needs more.
    int editsOf(std::string_view name, int limit) const { return m_test.editsWithin(name, limit); }

    // A candidate of the walk that came within `edits`, as its result line.
    void offer(int edits, std::string lineText, std::uint32_t formId, std::string_view targetName);

    // Something matched: the box lists results, not close names.
    void stop() { m_stopped = true; }

    // By edits, then in walk order; a line text shown once; at most five.
    std::vector<ResultLine> lines() const;

private:
    static constexpr int kMostEdits = 2;
    bool isFull(int edits) const { return m_byEdits[static_cast<std::size_t>(edits)].size() == kMostCloseNames; }

    CloseNameTest m_test;
    bool m_stopped = false;
    // The first five different line texts at each edit count, in walk order:
    // enough for the five lines whatever the other counts hold.
    std::array<std::vector<ResultLine>, kMostEdits + 1> m_byEdits;
};

// The fewest edits any tested name of one candidate needs to come close to
// the include term, while none of its names has hit. The walks note each name
// they test.
class CandidateCloseness {
public:
    explicit CandidateCloseness(const CloseNameSuggestions& suggestions)
        : m_suggestions(suggestions), m_edits(suggestions.editLimit() + 1) {}

    void note(std::string_view name, bool hit) {
        if (hit) m_anyHit = true;
        // One edit is as close as a name the search did not hit can come.
        if (m_anyHit || m_edits <= 1) return;
        m_edits = std::min(m_edits, m_suggestions.editsOf(name, m_edits - 1));
    }
    // The candidate's edits when it came close and no name hit.
    std::optional<int> closeEdits() const {
        if (m_anyHit || m_edits > m_suggestions.editLimit()) return std::nullopt;
        return m_edits;
    }

private:
    const CloseNameSuggestions& m_suggestions;
    int m_edits;
    bool m_anyHit = false;
};

// Offers a location candidate that no name hit, once all its names are
// noted: when it came close and would print a location line, as that line.
void offerLocationCloseName(CloseNameSuggestions& suggestions, const CandidateCloseness& closeness,
                            const void* primaryForm, std::string_view primaryName, const void* targetForm,
                            std::string_view targetName);

// Offers a planet candidate that no name hit, as its planet line, when it
// came close.
void offerPlanetCloseName(CloseNameSuggestions& suggestions, const CandidateCloseness& closeness, const void* planet,
                          std::string_view planetName, std::string_view ancestorName);

// The box text for close names: noMatchesFound, an empty line, the heading,
// then the lines numbered from 0 as result lines are, with their keys.
ResultsListing buildCloseNamesListing(const std::vector<ResultLine>& lines, const UiTextsRecord& texts);

}  // namespace lumora
