#pragma once
// Walks the game's forms for location and planet candidates whose names hit.
#include <vector>

#include "search/result_entry.h"
#include "text/prepared_terms.h"

namespace lumora {

// The fixed forms and the context object resolved at the start of a search.
struct SearchForms {
    void* ancestorKeyword = nullptr;
    void* context = nullptr;
    void* firstEligibility = nullptr;
    void* secondEligibility = nullptr;
};

class CloseNameSuggestions;

// What the walks do beyond the plain matching; nothing by default.
struct SearchAdditions {
    bool foldAccentedLetters = false;  // the terms are folded (foldedTerms); names are folded as they are tested
    CloseNameSuggestions* closeNames = nullptr;  // gathers close names while nothing has been collected
};

struct CollectedCandidates {
    std::vector<ResultEntry> entries;  // all locations, then all planets
    bool anyKeywordMatched = false;
};

// Appends the location candidates of the all-forms map (nothing when the map
// is null). The caller holds the all-forms lock. Host calls and allocations
// may throw.
void collectLocationCandidates(const PreparedTerms& loweredTerms, const SearchForms& forms,
                               bool skipNonStarMapVisibleMapMarkers, CollectedCandidates& collected,
                               const SearchAdditions& additions = {});

// Appends the planet candidates of the planet registry, in registry order.
void collectPlanetCandidates(const PreparedTerms& loweredTerms, const SearchForms& forms,
                             CollectedCandidates& collected, const SearchAdditions& additions = {});

}  // namespace lumora
