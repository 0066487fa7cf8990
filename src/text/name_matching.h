#pragma once
// Tests one name of a candidate against the player's terms.
#include <string_view>

#include "text/match_info.h"
#include "text/prepared_terms.h"
#include "text/search_terms.h"

namespace lumora {

// Tests one term (already lower-cased) against one lower-cased name. Works on
// its own copies: neither string is changed for later tests.
MatchKind matchTerm(std::string_view term, std::string_view name, MatchInfo& info);

// Lower-cases its own copy of the name, then: Excluded when the exclude term
// hits it, else the include term's result (NoMatch for an empty include term).
// The search prepares its terms once; the plain terms are prepared per call.
MatchKind matchCandidateName(const PreparedTerms& loweredTerms, MatchInfo& info, std::string_view name);
MatchKind matchCandidateName(const SearchTerms& loweredTerms, MatchInfo& info, std::string_view name);

// The same with accented letters compared as their plain letters: the terms
// folded by foldedTerms, the name folded here (positions then count in the
// folded name).
MatchKind matchFoldedCandidateName(const PreparedTerms& foldedTerms, MatchInfo& info, std::string_view name);
MatchKind matchFoldedCandidateName(const SearchTerms& foldedTerms, MatchInfo& info, std::string_view name);

}  // namespace lumora
