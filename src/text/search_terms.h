#pragma once
// The player's search text split into the part to find and the part to leave out.
#include <string>

namespace lumora {

struct SearchTerms {
    std::string includeTerm;  // text before the first "--" (all of it when there is none)
    std::string excludeTerm;  // text after that "--"; empty when there is none
};

// One search works with both spellings: lower-cased for matching, as typed
// for the header of the results box.
struct SplitSearchTerms {
    SearchTerms lowered;
    SearchTerms asTyped;
};

SplitSearchTerms splitSearchText(std::string text);

// Per-byte lower-casing with tolower in the C locale: only A-Z change.
std::string lowerCased(std::string text);

// Both terms with their accented letters folded (see foldAccentedLetters).
SearchTerms foldedTerms(const SearchTerms& terms);

}  // namespace lumora
