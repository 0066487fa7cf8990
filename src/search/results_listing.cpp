#include "search/results_listing.h"

#include <algorithm>
#include <optional>
#include <type_traits>
#include <unordered_set>

#include "search/section_lines.h"

namespace lumora {

namespace {

std::string headerText(const SplitSearchTerms& terms, std::string_view searchText, const UiTextsRecord& texts) {
    std::string header = texts.search + ": ";
    if (terms.lowered.excludeTerm.empty()) header += searchText;
    else header += terms.asTyped.includeTerm + " (" + texts.excludedLabel + ": " + terms.asTyped.excludeTerm + ")";
    return header + "\n\n";
}

struct SectionLines {
    std::vector<ResultLine> lines;
    std::size_t secondaryHits = 0;  // k, counted for the planets
    std::size_t tertiaryHits = 0;   // l, counted for the planets
};

// Up to ten lines of a section, from the first entry on: `Source` is an entry
// or a pointer to one.
template <typename Source>
SectionLines firstSectionLines(std::span<const Source> entries, const SectionRule& rule) {
    SectionLines section;
    std::size_t next = 0;
    std::unordered_set<const void*> listed;
    const auto partsOf = [&rule](const Source& source) {
        if constexpr (std::is_pointer_v<Source>) return sectionLineParts(rule, *source);
        else return sectionLineParts(rule, source);
    };
    while (section.lines.size() < kMaxResultLines) {
        std::optional<SectionLine> line = takeSectionLine(entries, next, listed, partsOf);
        if (!line) break;
        section.lines.push_back(std::move(line->line));
        if (line->secondaryNameHit) ++section.secondaryHits;
        if (line->tertiaryNameHit) ++section.tertiaryHits;
    }
    return section;
}

std::size_t locationSectionLimit(const SectionLines& planets) {
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
    std::vector<const ResultEntry*> orderedEntries;
    orderedEntries.reserve(ordered.size());
    for (const ResultEntry& entry : ordered) orderedEntries.push_back(&entry);
    return buildResultsListing(orderedEntries, collected, terms, searchText, countParts, texts);
}

ResultsListing buildResultsListing(std::span<const ResultEntry* const> ordered,
                                   const std::vector<ResultEntry>& collected, const SplitSearchTerms& terms,
                                   std::string_view searchText, const PlaceholderParts& countParts,
                                   const UiTextsRecord& texts) {
    const std::vector<ResultLine> locations = firstSectionLines(ordered, kLocationSection).lines;
    const SectionLines planets = firstSectionLines(std::span<const ResultEntry>(collected), kPlanetSection);

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
