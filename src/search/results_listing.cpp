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
        if (!makesLocationLine(e) || isListed(listed, e.primaryForm)) continue;
        lines.push_back({locationLineText(e.primaryName, e.targetName), hostFormId(e.targetForm), e.targetName});
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
        if (!makesPlanetLine(e) || isListed(listed, e.targetForm)) continue;
        planets.lines.push_back({planetLineText(e.targetName, e.ancestorName), hostFormId(e.targetForm), e.targetName});
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
    std::string_view shown = line.text;
    if (!shown.empty() && shown.back() == '\n') shown.remove_suffix(1);
    listing.keys.append(number, line.formId, std::string(shown), line.targetName);
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

bool makesLocationLine(const ResultEntry& e) {
    return e.targetForm != nullptr && !e.targetName.empty() && e.primaryForm != nullptr && !e.primaryName.empty();
}

bool makesPlanetLine(const ResultEntry& e) {
    return e.targetForm != nullptr && !e.targetName.empty() && (e.secondaryNameHit || e.tertiaryNameHit);
}

void printPageLines(ResultsListing& page, std::span<const ResultLine> locations, std::span<const ResultLine> planets,
                    const UiTextsRecord& texts) {
    std::int32_t number = 0;
    if (!locations.empty()) page.text += texts.searchResultsLocations + ":\n";
    for (const ResultLine& line : locations) printLine(page, number++, line);
    if (planets.empty()) return;
    if (!locations.empty()) page.text += "\n";
    page.text += texts.searchResultsPlanets + ":\n";
    for (const ResultLine& line : planets) printLine(page, number++, line);
}

ResultsListing buildResultsListing(const std::vector<ResultEntry>& ordered, const std::vector<ResultEntry>& collected,
                                   const SplitSearchTerms& terms, std::string_view searchText,
                                   const PlaceholderParts& countParts, const UiTextsRecord& texts) {
    const std::vector<ResultLine> locations = locationLines(ordered);
    const PlanetLines planets = planetLines(collected);

    ResultsListing listing;
    listing.header = headerText(terms, searchText, texts);
    listing.locationLinesPrinted = std::min(locations.size(), locationSectionLimit(planets));
    listing.planetLinesPrinted = std::min(planets.lines.size(), kMaxResultLines - listing.locationLinesPrinted);
    listing.text = listing.header;
    printPageLines(listing, std::span(locations).first(listing.locationLinesPrinted),
                   std::span(planets.lines).first(listing.planetLinesPrinted), texts);

    const std::size_t count = std::max(collected.size(), locations.size() + planets.lines.size());
    listing.countLine = countParts.before + std::to_string(count) + countParts.after;
    listing.text += "\n" + listing.countLine;
    return listing;
}

}  // namespace lumora
