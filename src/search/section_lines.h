#pragma once
// The one statement of how a results section makes its lines, for the first
// page and for every later one: which entries make a line, the form a section
// lists only once, and the line's text, "name | detail".
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

#include "search/result_entry.h"
#include "search/results_listing.h"

namespace lumora {

struct SectionRule {
    bool (*makesLine)(const ResultEntry&);
    void* ResultEntry::*listedForm;  // compared by identity, never read
    std::string ResultEntry::*name;
    std::string ResultEntry::*detail;
    bool targetIsDetail;  // the body the line selects is named by its detail, else by its name
};

// "Locations": primaryName | targetName, once per primary form.
inline constexpr SectionRule kLocationSection{&makesLocationLine, &ResultEntry::primaryForm, &ResultEntry::primaryName,
                                              &ResultEntry::targetName, true};
// "Planets": targetName | ancestorName, once per target form.
inline constexpr SectionRule kPlanetSection{&makesPlanetLine, &ResultEntry::targetForm, &ResultEntry::targetName,
                                            &ResultEntry::ancestorName, false};

// What one line is made of, read from an entry or from what a search kept.
// Every line selects its entry's target form.
struct SectionLineParts {
    const void* listedForm = nullptr;
    std::uint32_t formId = 0;
    std::string_view name;
    std::string_view detail;
    bool secondaryNameHit = false;
    bool tertiaryNameHit = false;
    std::string_view targetName;  // the name of the body the line selects, as the line shows it
};

// The parts of the entry's line under the rule; nullopt when it makes none.
std::optional<SectionLineParts> sectionLineParts(const SectionRule& rule, const ResultEntry& entry);

// "name | detail" and its newline.
std::string sectionLineText(std::string_view name, std::string_view detail);

struct SectionLine {
    ResultLine line;
    bool secondaryNameHit = false;
    bool tertiaryNameHit = false;
};

// Moves `next` on to the first source from there that makes a line whose
// form the section has not listed yet; false when none is left.
template <typename Source, typename PartsOf>
bool reachSectionLine(std::span<Source> sources, std::size_t& next, const std::unordered_set<const void*>& listed,
                      PartsOf partsOf) {
    for (; next < sources.size(); ++next) {
        const std::optional<SectionLineParts> parts = partsOf(sources[next]);
        if (parts && !listed.contains(parts->listedForm)) return true;
    }
    return false;
}

// The section's next line from `next` on, its form listed and `next` past it.
template <typename Source, typename PartsOf>
std::optional<SectionLine> takeSectionLine(std::span<Source> sources, std::size_t& next,
                                           std::unordered_set<const void*>& listed, PartsOf partsOf) {
    if (!reachSectionLine(sources, next, listed, partsOf)) return std::nullopt;
    const SectionLineParts parts = *partsOf(sources[next++]);
    listed.insert(parts.listedForm);
    return SectionLine{{sectionLineText(parts.name, parts.detail), parts.formId, std::string(parts.targetName)},
                       parts.secondaryNameHit,
                       parts.tertiaryNameHit};
}

}  // namespace lumora
