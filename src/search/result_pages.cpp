#include "search/result_pages.h"

#include <optional>
#include <span>

#include "search/host_layout.h"
#include "search/section_lines.h"

namespace lumora {

namespace {

std::optional<SectionLineParts> keptLineParts(const PageLineSource& source) {
    return SectionLineParts{source.listedForm, source.formId, source.name, source.detail, false, false, {}};
}

// What the section rule takes of each entry that makes a line, names moved
// out of the entries, repeats of a form included (they are passed over when
// reached).
PageSection keepSection(std::vector<ResultEntry>& entries, const SectionRule& rule) {
    PageSection section;
    // Room for every entry at once: the vector never moves what it holds, and
    // the pages that no source reaches are never touched.
    section.sources.reserve(entries.size());
    for (ResultEntry& e : entries)
        if (rule.makesLine(e))
            section.sources.push_back({e.*rule.listedForm, hostFormId(e.targetForm), std::move(e.*rule.name),
                                       std::move(e.*rule.detail)});
    return section;
}

// The section's next line, with `next` left on the source of the line after
// it, so that exhausted() tells whether one is left.
std::optional<SectionLine> takeKeptLine(PageSection& section, const SectionRule& rule) {
    const std::span<const PageLineSource> sources(section.sources);
    const auto partsWithTarget = [&rule](const PageLineSource& source) {
        std::optional<SectionLineParts> parts = keptLineParts(source);
        parts->targetName = rule.targetIsDetail ? source.detail : source.name;
        return parts;
    };
    std::optional<SectionLine> line = takeSectionLine(sources, section.next, section.listed, partsWithTarget);
    reachSectionLine(sources, section.next, section.listed, keptLineParts);
    return line;
}

// Passes over the lines an earlier page printed.
void passLines(PageSection& section, const SectionRule& rule, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) takeKeptLine(section, rule);
    reachSectionLine(std::span<const PageLineSource>(section.sources), section.next, section.listed, keptLineParts);
}

}  // namespace

ResultPagesRecord keepLaterPages(std::vector<ResultEntry>& ordered, std::vector<ResultEntry>& collected,
                                 ResultsListing& firstPage, const UiTextsRecord& texts) {
    ResultPagesRecord pages;
    pages.locations = keepSection(ordered, kLocationSection);
    pages.planets = keepSection(collected, kPlanetSection);
    passLines(pages.locations, kLocationSection, firstPage.locationLinesPrinted);
    passLines(pages.planets, kPlanetSection, firstPage.planetLinesPrinted);
    if (!pages.linesRemain()) return {};
    pages.header = firstPage.header;
    pages.countLine = firstPage.countLine;
    firstPage.text += "\n\n" + texts.nextPageHint;
    return pages;
}

ResultsListing buildNextResultsPage(ResultPagesRecord& pages, const UiTextsRecord& texts) {
    std::vector<ResultLine> locations, planets;
    while (locations.size() < kMaxResultLines)
        if (std::optional<SectionLine> line = takeKeptLine(pages.locations, kLocationSection))
            locations.push_back(std::move(line->line));
        else break;
    while (locations.size() + planets.size() < kMaxResultLines)
        if (std::optional<SectionLine> line = takeKeptLine(pages.planets, kPlanetSection))
            planets.push_back(std::move(line->line));
        else break;

    ResultsListing page;
    page.text = pages.header;
    printPageLines(page, locations, planets, texts);
    page.text += "\n" + pages.countLine;
    if (pages.linesRemain()) page.text += "\n\n" + texts.nextPageHint;
    return page;
}

}  // namespace lumora
