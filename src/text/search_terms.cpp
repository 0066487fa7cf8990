#include "text/search_terms.h"

#include <cctype>

#include "text/accent_folding.h"

namespace lumora {

std::string lowerCased(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

SearchTerms foldedTerms(const SearchTerms& terms) {
    return {foldedAccentedLetters(terms.includeTerm), foldedAccentedLetters(terms.excludeTerm)};
}

SplitSearchTerms splitSearchText(std::string text) {
    SplitSearchTerms terms;
    const std::size_t separator = text.size() >= 2 ? text.find("--") : std::string::npos;
    if (separator == std::string::npos) {
        terms.asTyped.includeTerm = std::move(text);
    } else {
        // Neither part is trimmed, and a later "--" stays in the excluded part.
        terms.asTyped.includeTerm = text.substr(0, separator);
        terms.asTyped.excludeTerm = text.substr(separator + 2);
    }
    terms.lowered.includeTerm = lowerCased(terms.asTyped.includeTerm);
    terms.lowered.excludeTerm = lowerCased(terms.asTyped.excludeTerm);
    return terms;
}

}  // namespace lumora
