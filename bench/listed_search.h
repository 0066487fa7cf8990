#pragma once
// What a benchmark checks before it times a search: that the search, run once
// with the settings in effect, listed results. A search that lists nothing
// (no match, close names in its place, an error box) does far less work than
// the one a benchmark is named for, and its timing would flatter the search.
#include <cctype>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "config/placeholder.h"
#include "config/ui_texts.h"
#include "hostsim/ui_records.h"
#include "search/run_search.h"

namespace lumora_bench {

// The number on the count line of a results box: the last line made of the
// count template's text before "%", decimal digits and its text after. Empty
// for any other box.
inline std::optional<std::size_t> reportedMatchCount(std::string_view boxText, const lumora::PlaceholderParts& count) {
    std::optional<std::size_t> reported;
    while (!boxText.empty()) {
        const std::size_t end = boxText.find('\n');
        const std::string_view line = boxText.substr(0, end);
        boxText = end == std::string_view::npos ? std::string_view() : boxText.substr(end + 1);
        if (line.size() <= count.before.size() + count.after.size()) continue;
        if (!line.starts_with(count.before) || !line.ends_with(count.after)) continue;
        const std::string_view digits =
            line.substr(count.before.size(), line.size() - count.before.size() - count.after.size());
        std::size_t number = 0;
        bool allDigits = true;
        for (const char c : digits) {
            if (!std::isdigit(static_cast<unsigned char>(c))) {
                allDigits = false;
                break;
            }
            number = number * 10 + static_cast<std::size_t>(c - '0');
        }
        if (allDigits) reported = number;
    }
    return reported;
}

// Runs the search once with the settings in effect and returns the matches its
// one box reported; empty when it showed anything but a results box listing
// at least one match.
inline std::optional<std::size_t> matchesListedBySearch(const std::string& text) {
    hostsim::clearUiRecords();
    lumora::runSearch(text);
    const auto boxes = hostsim::gameMessageBoxes();
    if (boxes.size() != 1) return std::nullopt;
    lumora::PlaceholderParts count;
    lumora::splitAtPlaceholder(lumora::UiTexts.foundMatches, count);
    const std::optional<std::size_t> reported = reportedMatchCount(boxes[0].text, count);
    if (!reported || *reported == 0) return std::nullopt;
    return reported;
}

}  // namespace lumora_bench
