#include "search/close_name_suggestions.h"

#include <algorithm>

#include "search/host_layout.h"
#include "search/section_lines.h"

namespace lumora {

namespace {

bool holdsText(const std::vector<ResultLine>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(), [&](const ResultLine& line) { return line.text == text; });
}

}  // namespace

CloseNameSuggestions::CloseNameSuggestions(std::string_view includeTerm, bool foldNames)
    : m_test(includeTerm, foldNames) {}

int CloseNameSuggestions::editLimit() const {
    if (m_stopped || m_test.allowedEdits() < 0) return -1;
    // A stripped term never occurs unchanged in a name the search did not
    // hit, so one edit is the closest a candidate comes.
    if (isFull(1)) return -1;
    if (m_test.allowedEdits() >= 2 && isFull(2)) return 1;
    return m_test.allowedEdits();
}

void CloseNameSuggestions::offer(int edits, std::string lineText, std::uint32_t formId, std::string_view targetName) {
    if (edits < 0 || edits > std::min(editLimit(), kMostEdits)) return;
    std::vector<ResultLine>& lines = m_byEdits[static_cast<std::size_t>(edits)];
    if (lines.size() == kMostCloseNames || holdsText(lines, lineText)) return;
    lines.push_back({std::move(lineText), formId, std::string(targetName)});
}

std::vector<ResultLine> CloseNameSuggestions::lines() const {
    std::vector<ResultLine> ranked;
    for (const std::vector<ResultLine>& lines : m_byEdits)
        for (const ResultLine& line : lines) {
            if (ranked.size() == kMostCloseNames) return ranked;
            if (!holdsText(ranked, line.text)) ranked.push_back(line);
        }
    return ranked;
}

void offerLocationCloseName(CloseNameSuggestions& suggestions, const CandidateCloseness& closeness,
                            const void* primaryForm, std::string_view primaryName, const void* targetForm,
                            std::string_view targetName) {
    const std::optional<int> edits = closeness.closeEdits();
    // Only a candidate that would print a location line is offered.
    if (edits && targetForm != nullptr && !targetName.empty() && primaryForm != nullptr && !primaryName.empty())
        suggestions.offer(*edits, sectionLineText(primaryName, targetName), hostFormId(targetForm), targetName);
}

void offerPlanetCloseName(CloseNameSuggestions& suggestions, const CandidateCloseness& closeness, const void* planet,
                          std::string_view planetName, std::string_view ancestorName) {
    if (const std::optional<int> edits = closeness.closeEdits())
        suggestions.offer(*edits, sectionLineText(planetName, ancestorName), hostFormId(planet), planetName);
}

ResultsListing buildCloseNamesListing(const std::vector<ResultLine>& lines, const UiTextsRecord& texts) {
    ResultsListing listing;
    listing.text = texts.noMatchesFound + "\n\n" + texts.suggestionsHeading + "\n";
    std::int32_t number = 0;
    for (const ResultLine& line : lines) appendResultLine(listing, number++, line);
    return listing;
}

}  // namespace lumora
