#include "search/results_listing.h"

#include <algorithm>

#include "search/host_layout.h"

namespace lumora {

namespace {

bool isListed(const std::vector<const void*>& listed, const void* form) {
    return std::find(listed.begin(), listed.end(), form) != listed.end();
}

std::string headerText(const SplitSearchTerms& terms, std::string_view searchText, const UiTextsRecord& texts) {
    std::string header = texts.search + ": ";
    if (terms.lowered.excludeTerm.empty()) header += searchText;
    else header += terms.asTyped.includeTerm + " (" + texts.excludedLabel + ": " + terms.asTyped.excludeTerm + ")";
    return header + "\n\n";
}

std::vector<ResultLine> locationLines(const std::vector<ResultEntry>& ordered) {
    std::vector<ResultLine> lines;
    std::vector<const void*> listed;
    for (const ResultEntry& e : ordered) {
        if (lines.size() == kMaxResultLines) break;
        if (e.targetForm == nullptr || e.targetName.empty() || e.primaryForm == nullptr || e.primaryName.empty() ||
            isListed(listed, e.primaryForm))
            continue;
        lines.push_back({locationLineText(e.primaryName, e.targetName), hostFormId(e.targetForm)});
        listed.push_back(e.primaryForm);
    }
    return lines;
}

struct PlanetLines {
    std::vector<ResultLine> lines;
    std::size_t secondaryHits = 0;  // k
    std::size_t tertiaryHits = 0;   // l
};

PlanetLines planetLines(const std::vector<ResultEntry>& collected) {
    PlanetLines planets;
    std::vector<const void*> listed;
    for (const ResultEntry& e : collected) {
        if (planets.lines.size() == kMaxResultLines) break;
        if (e.targetForm == nullptr || e.targetName.empty() || !(e.secondaryNameHit || e.tertiaryNameHit) ||
            isListed(listed, e.targetForm))
            continue;
        planets.lines.push_back({planetLineText(e.targetName, e.ancestorName), hostFormId(e.targetForm)});
        listed.push_back(e.targetForm);
        if (e.secondaryNameHit) ++planets.secondaryHits;
        if (e.tertiaryNameHit) ++planets.tertiaryHits;
    }
    return planets;
}

std::size_t locationSectionLimit(const PlanetLines& planets) {
    if (planets.lines.empty()) return kMaxResultLines;
    if (planets.secondaryHits >= kReducedLocationLines || planets.tertiaryHits >= kReducedLocationLines)
        return kReducedLocationLines;
    return kMaxResultLines - std::max(planets.secondaryHits, planets.tertiaryHits);
}

// mingw-w64's GCC 12 reports a -Wrestrict overlap inside its own char_traits.h
// for "[" + std::to_string(...): a known false positive of that compiler, so
// it is silenced here and nowhere else.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
void printLine(ResultsListing& listing, std::int32_t number, const ResultLine& line) {
    listing.text += "[" + std::to_string(number) + "] " + line.text;
    listing.keys.append(number, line.formId);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

}  // namespace

std::string locationLineText(std::string_view primaryName, std::string_view targetName) {
    return std::string(primaryName) + " | " + std::string(targetName) + "\n";
}

std::string planetLineText(std::string_view targetName, std::string_view ancestorName) {
    return std::string(targetName) + " | " + std::string(ancestorName) + "\n";
}

void appendResultLine(ResultsListing& listing, std::int32_t number, const ResultLine& line) {
    printLine(listing, number, line);
}

ResultsListing buildResultsListing(const std::vector<ResultEntry>& ordered, const std::vector<ResultEntry>& collected,
                                   const SplitSearchTerms& terms, std::string_view searchText,
                                   const PlaceholderParts& countParts, const UiTextsRecord& texts) {
    const std::vector<ResultLine> locations = locationLines(ordered);
    const PlanetLines planets = planetLines(collected);
    const std::size_t limit = locationSectionLimit(planets);

    ResultsListing listing;
    listing.text = headerText(terms, searchText, texts);
    std::int32_t number = 0;
    bool locationHeadingWritten = false;
    for (const ResultLine& line : locations) {
        if (static_cast<std::size_t>(number) >= limit) break;
        if (!locationHeadingWritten) {
            listing.text += texts.searchResultsLocations + ":\n";
            locationHeadingWritten = true;
        }
        printLine(listing, number++, line);
    }
    bool planetHeadingWritten = false;
    for (const ResultLine& line : planets.lines) {
        if (static_cast<std::size_t>(number) >= kMaxResultLines) break;
        if (!planetHeadingWritten) {
            if (locationHeadingWritten) listing.text += "\n";
            listing.text += texts.searchResultsPlanets + ":\n";
            planetHeadingWritten = true;
        }
        printLine(listing, number++, line);
    }

    const std::size_t count = std::max(collected.size(), locations.size() + planets.lines.size());
    listing.text += "\n" + countParts.before + std::to_string(count) + countParts.after;
    return listing;
}

}  // namespace lumora
