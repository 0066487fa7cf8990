#pragma once
// The results box's later pages: what the search keeps of its lists for them,
// and the text of each page when the hotkey asks for it.
#include <cstdint>
#include <span>
#include <vector>

#include "config/ui_texts.h"
#include "search/result_entry.h"
#include "search/results_listing.h"
#include "state/kept_result_lines.h"

namespace lumora {

// Keeps what later pages need of the search's lists (`ordered` gives the
// locations, `collected` the planets), past the lines the first page printed.
// The names are moved out of the entries, and each form id is read now, while
// the search still holds the all-forms lock. When lines remain, the first
// page gets the hint below its count line; otherwise the record is empty.
ResultPagesRecord keepLaterPages(std::vector<ResultEntry>& ordered, std::vector<ResultEntry>& collected,
                                 ResultsListing& firstPage, const UiTextsRecord& texts);

// The same with the locations in the order `order` gives as indices into
// `collected` (resultOrder), the entries left where they were collected. A
// target name both sections show is copied for the locations.
ResultPagesRecord keepLaterPages(std::vector<ResultEntry>& collected, std::span<const std::uint32_t> order,
                                 ResultsListing& firstPage, const UiTextsRecord& texts);

// The next page: up to ten lines, locations first, numbered from 0, under the
// first page's header and above its count line; the hint follows while lines
// remain. The pages move on past the lines it prints.
ResultsListing buildNextResultsPage(ResultPagesRecord& pages, const UiTextsRecord& texts);

}  // namespace lumora
