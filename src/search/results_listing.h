#pragma once
// The text of the results box and the digit that selects each printed line.
#include <cstdint>
#include <span>
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
    std::string targetName = {};  // the name of the body the line selects, as the line shows it
};

inline constexpr std::size_t kMaxResultLines = 10;
inline constexpr std::size_t kReducedLocationLines = 5;

struct ResultsListing {
    std::string text;
    ResultKeyMap keys;  // one per printed line, in print order
    // What later pages repeat and where they go on.
    std::string header;     // the header line and the empty line below it
    std::string countLine;  // the count line, without the empty line above it
    std::size_t locationLinesPrinted = 0;
    std::size_t planetLinesPrinted = 0;
};

// Whether an entry makes a line of the "Locations" section (once per primary
// form) or of the "Planets" section (once per target form).
bool makesLocationLine(const ResultEntry& entry);
bool makesPlanetLine(const ResultEntry& entry);

// Appends the numbered lines of one page, from [0]: each section's heading
// before its first line, and an empty line between the two sections.
void printPageLines(ResultsListing& page, std::span<const ResultLine> locations, std::span<const ResultLine> planets,
                    const UiTextsRecord& texts);

// Appends "[number] " and the line to the text, and the line's key.
void appendResultLine(ResultsListing& listing, std::int32_t number, const ResultLine& line);

// `ordered` is the list after ordering, `collected` the same entries in
// collection order; the location lines follow the first, the planet lines the
// second. `searchText` is the text as received.
ResultsListing buildResultsListing(const std::vector<ResultEntry>& ordered, const std::vector<ResultEntry>& collected,
                                   const SplitSearchTerms& terms, std::string_view searchText,
                                   const PlaceholderParts& countParts, const UiTextsRecord& texts);

// The same with the list after ordering given as pointers to the entries of
// `collected`, so that a search orders its entries without moving or copying
// them.
ResultsListing buildResultsListing(std::span<const ResultEntry* const> ordered,
                                   const std::vector<ResultEntry>& collected, const SplitSearchTerms& terms,
                                   std::string_view searchText, const PlaceholderParts& countParts,
                                   const UiTextsRecord& texts);

}  // namespace lumora
