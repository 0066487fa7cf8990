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

// The source of the entry's line under the rule, names moved out of the
// entry; with `copyDetail` the detail is copied, for a section that comes
// later and shows it too.
PageLineSource takeLineSource(ResultEntry& e, const SectionRule& rule, bool copyDetail) {
    return {e.*rule.listedForm, hostFormId(e.targetForm), std::move(e.*rule.name),
            copyDetail ? e.*rule.detail : std::move(e.*rule.detail)};
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
        if (rule.makesLine(e)) section.sources.push_back(takeLineSource(e, rule, false));
    return section;
}

// The same through `order`, indices into `entries`.
PageSection keepSectionInOrder(std::vector<ResultEntry>& entries, std::span<const std::uint32_t> order,
                               const SectionRule& rule, bool copyDetail) {
    PageSection section;
    section.sources.reserve(order.size());
    for (const std::uint32_t index : order)
        if (ResultEntry& e = entries[index]; rule.makesLine(e))
            section.sources.push_back(takeLineSource(e, rule, copyDetail));
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

// Passes over what the first page printed; the record is empty when no line
// remains, else the first page gets the hint.
ResultPagesRecord finishLaterPages(ResultPagesRecord pages, ResultsListing& firstPage, const UiTextsRecord& texts) {
    passLines(pages.locations, kLocationSection, firstPage.locationLinesPrinted);
    passLines(pages.planets, kPlanetSection, firstPage.planetLinesPrinted);
    if (!pages.linesRemain()) return {};
    pages.header = firstPage.header;
    pages.countLine = firstPage.countLine;
    firstPage.text += "\n\n" + texts.nextPageHint;
    return pages;
}

}  // namespace

ResultPagesRecord keepLaterPages(std::vector<ResultEntry>& ordered, std::vector<ResultEntry>& collected,
                                 ResultsListing& firstPage, const UiTextsRecord& texts) {
    ResultPagesRecord pages;
    pages.locations = keepSection(ordered, kLocationSection);
    pages.planets = keepSection(collected, kPlanetSection);
    return finishLaterPages(std::move(pages), firstPage, texts);
}

ResultPagesRecord keepLaterPages(std::vector<ResultEntry>& collected, std::span<const std::uint32_t> order,
                                 ResultsListing& firstPage, const UiTextsRecord& texts) {
    ResultPagesRecord pages;
    // The location lines' detail is the target name, the planet lines' name.
    pages.locations = keepSectionInOrder(collected, order, kLocationSection, true);
    pages.planets = keepSection(collected, kPlanetSection);
    return finishLaterPages(std::move(pages), firstPage, texts);
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
