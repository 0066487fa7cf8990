#pragma once
// The text of the results box and the digit that selects each printed line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/placeholder.h"
#include "config/ui_texts.h"
#include "search/result_entry.h"
#include "state/plugin_state.h"
#include "text/search_terms.h"

namespace lumora {

struct ResultLine {
    std::string text;  // ends with a newline
    std::uint32_t formId = 0;
};

inline constexpr std::size_t kMaxResultLines = 10;
inline constexpr std::size_t kReducedLocationLines = 5;

struct ResultsListing {
    std::string text;
    ResultKeyMap keys;  // one per printed line, in print order
};

// The text of a location line (`primaryName | targetName`) and of a planet
// line (`targetName | ancestorName`), with its newline.
std::string locationLineText(std::string_view primaryName, std::string_view targetName);
std::string planetLineText(std::string_view targetName, std::string_view ancestorName);

// Appends "[number] " and the line to the text, and the line's key.
void appendResultLine(ResultsListing& listing, std::int32_t number, const ResultLine& line);

// `ordered` is the list after ordering, `collected` the same entries in
// collection order; the location lines follow the first, the planet lines the
// second. `searchText` is the text as received.
ResultsListing buildResultsListing(const std::vector<ResultEntry>& ordered, const std::vector<ResultEntry>& collected,
                                   const SplitSearchTerms& terms, std::string_view searchText,
                                   const PlaceholderParts& countParts, const UiTextsRecord& texts);

}  // namespace lumora
