#include "search/result_pages.h"

#include "search/host_layout.h"

namespace lumora {

namespace {

PageLineSource locationSource(ResultEntry& e) {
    return {e.primaryForm, hostFormId(e.targetForm), std::move(e.primaryName), std::move(e.targetName)};
}

PageLineSource planetSource(ResultEntry& e) {
    return {e.targetForm, hostFormId(e.targetForm), std::move(e.targetName), std::move(e.ancestorName)};
}

template <typename MakesLine, typename MakeSource>
PageSection keepSection(std::vector<ResultEntry>& entries, MakesLine makesLine, MakeSource makeSource) {
    PageSection section;
    // Room for every entry at once: the vector never moves what it holds, and
    // the pages that no source reaches are never touched.
    section.sources.reserve(entries.size());
    for (ResultEntry& e : entries)
        if (makesLine(e)) section.sources.push_back(makeSource(e));
    return section;
}

// Moves on to the first source whose form has no line in the section yet.
void skipListedForms(PageSection& section) {
    while (!section.exhausted() && section.listed.contains(section.sources[section.next].listedForm)) ++section.next;
}

// The section's next line; the section must not be exhausted.
ResultLine takeLine(PageSection& section, bool targetIsDetail) {
    const PageLineSource& source = section.sources[section.next++];
    section.listed.insert(source.listedForm);
    ResultLine line{source.name + " | " + source.detail + "\n", source.formId,
                    targetIsDetail ? source.detail : source.name};
    skipListedForms(section);
    return line;
}

// Passes over the lines an earlier page printed.
void passLines(PageSection& section, std::size_t count) {
    for (std::size_t i = 0; i < count && !section.exhausted(); ++i) {
        section.listed.insert(section.sources[section.next++].listedForm);
        skipListedForms(section);
    }
}

}  // namespace

ResultPagesRecord keepLaterPages(std::vector<ResultEntry>& ordered, std::vector<ResultEntry>& collected,
                                 ResultsListing& firstPage, const UiTextsRecord& texts) {
    ResultPagesRecord pages;
    pages.locations = keepSection(ordered, makesLocationLine, locationSource);
    pages.planets = keepSection(collected, makesPlanetLine, planetSource);
    passLines(pages.locations, firstPage.locationLinesPrinted);
    passLines(pages.planets, firstPage.planetLinesPrinted);
    if (!pages.linesRemain()) return {};
    pages.header = firstPage.header;
    pages.countLine = firstPage.countLine;
    firstPage.text += "\n\n" + texts.nextPageHint;
    return pages;
}

ResultsListing buildNextResultsPage(ResultPagesRecord& pages, const UiTextsRecord& texts) {
    std::vector<ResultLine> locations, planets;
    while (locations.size() < kMaxResultLines && !pages.locations.exhausted())
        locations.push_back(takeLine(pages.locations, true));
    while (locations.size() + planets.size() < kMaxResultLines && !pages.planets.exhausted())
        planets.push_back(takeLine(pages.planets, false));

    ResultsListing page;
    page.text = pages.header;
    printPageLines(page, locations, planets, texts);
    page.text += "\n" + pages.countLine;
    if (pages.linesRemain()) page.text += "\n\n" + texts.nextPageHint;
    return page;
}

}  // namespace lumora
