#include "search/candidate_collection.h"

#include <string>
#include <string_view>

#include "host/bindings.h"
#include "search/form_queries.h"
#include "search/host_layout.h"
#include "search/location_candidate_list.h"
#include "text/name_matching.h"

namespace lumora {

namespace {

constexpr std::string_view kPlayerAlias = "<Alias=Player>";
constexpr std::string_view kShipName = "Ship";
// Forms are scattered over the game's heap; asking for a form's first cache
// lines this many slots ahead hides most of the walk's memory latency.
constexpr std::size_t kPrefetchDistance = 24;

// Result of testing one name: whether the candidate survives and whether it hit.
struct NameTest {
    bool dropped;
    bool hit;
};

NameTest testName(const SearchTerms& terms, MatchInfo& info, std::string_view name) {
    const MatchKind kind = matchCandidateName(terms, info, name);
    const bool dropped = kind < MatchKind::NoMatch;
    const bool hit = kind > MatchKind::NoMatch;
    return {dropped, hit};
}

void* queryForm(std::uintptr_t offset, void* placed) { return hostFunction<FormQueryFn>(offset)(nullptr, 0, placed); }

bool isValidFormKey(std::uint32_t id) { return id != 0 && id != 0xFFFFFFFF; }

void prefetchForm(const void* form) {
    if (form == nullptr) return;
    __builtin_prefetch(form);
    __builtin_prefetch(static_cast<const std::uint8_t*>(form) + 0x40);
}

// What the steps before the first name test say about a slot.
struct CheapTestResult {
    bool passed = false;           // false: the slot is skipped
    bool keywordEligible = false;  // the candidate's eligibility, when passed
};

// Steps before the first name test; none of them allocates.
CheapTestResult runCheapTests(const AllFormsSlot& slot, const SearchForms& forms, bool skipHiddenMarkers) {
    constexpr CheapTestResult kSkipped{};
    if (!isValidFormKey(slot.key) || slot.form == nullptr) return kSkipped;
    void* placed = slot.form;
    if (formTypeCode(placed) != HostLayout::TypePlacedObject) return kSkipped;
    void* base = readHostField<void*>(placed, HostLayout::PlacedBase);
    if (base == nullptr || !isValidFormKey(hostFormId(base))) return kSkipped;

    bool keywordEligible = false;
    if (isMapMarkerBase(base)) {
        if (skipHiddenMarkers) {
            if (readHostField<std::uint32_t>(placed, HostLayout::FormFlags) & HostLayout::FlagHiddenMarker)
                return kSkipped;
            if (hostFunction<IsFilteredFn>(HostOffset::HostLocation_IsFiltered)(nullptr, 0, placed)) return kSkipped;
            if (!isStarMapVisibleMarker(placed)) return kSkipped;
        }
    } else {
        keywordEligible =
            isKeywordEligible(base, placed, forms.context, forms.firstEligibility, forms.secondEligibility);
        if (!keywordEligible) return kSkipped;
    }

    if ((hostFormId(placed) >> 24) == 0xFF && queryForm(HostOffset::HostLocation_GetAltForm, placed) == nullptr)
        return kSkipped;
    return {true, keywordEligible};
}

void testLocation(void* placed, bool keywordEligible, const SearchTerms& terms, const SearchForms& forms,
                  LocationCandidateList& list, bool& anyKeywordMatched) {
    MatchInfo info;
    info.keywordEligible = keywordEligible;

    void* primaryForm = hostFunction<NamedFormFn>(HostOffset::HostLocation_GetNamedForm)(placed);
    std::string_view primaryName = formDisplayNameView(primaryForm);
    std::string aliasReplaced;
    bool primaryHit = false;
    if (primaryForm != nullptr && !primaryName.empty()) {
        if (keywordEligible && primaryName == kShipName) return;
        if (primaryName.find(kPlayerAlias) != std::string_view::npos) {
            aliasReplaced = replaceAll(primaryName, kPlayerAlias, playerDisplayName());
            primaryName = aliasReplaced;
        }
        const NameTest test = testName(terms, info, primaryName);
        if (test.dropped) return;
        primaryHit = test.hit;
    }

    void* targetForm = queryForm(HostOffset::HostLocation_GetLinkedForm, placed);
    const std::string_view targetName = formDisplayNameView(targetForm);
    bool secondaryHit = false;
    if (targetForm != nullptr) {
        if (targetName.empty()) return;
        const NameTest test = testName(terms, info, targetName);
        if (test.dropped) return;
        secondaryHit = test.hit;
    }

    void* auxForm = readHostField<void*>(placed, HostLayout::PlacedAux);
    const std::string_view auxName = formDisplayNameView(auxForm);
    void* extraForm = queryForm(HostOffset::HostLocation_GetAltForm, placed);
    const std::string_view extraName = formDisplayNameView(extraForm);

    void* parent = nullptr;
    if (targetForm != nullptr) {
        parent = hostFunction<FormQueryFn>(HostOffset::HostForm_GetParentForm)(nullptr, 0, targetForm);
        if (parent == nullptr) return;
        const std::string_view parentName = formDisplayNameView(parent);
        if (parentName.empty()) return;
        const NameTest test = testName(terms, info, parentName);
        if (test.dropped) return;
        secondaryHit = secondaryHit || test.hit;
    }

    void* ancestorForm = parent != nullptr ? findAncestorWithKeyword(parent, forms.ancestorKeyword) : nullptr;
    if (ancestorForm == nullptr) ancestorForm = findAncestorWithKeyword(primaryForm, forms.ancestorKeyword);
    if (ancestorForm == nullptr) return;
    const std::string_view ancestorName = formDisplayNameView(ancestorForm);
    if (ancestorName.empty()) return;
    const NameTest ancestorTest = testName(terms, info, ancestorName);
    if (ancestorTest.dropped) return;
    const bool tertiaryHit = ancestorTest.hit;

    if (!primaryHit && !secondaryHit && !tertiaryHit) return;

    ResultEntry entry;
    entry.reference = placed;
    entry.keywordEligible = keywordEligible;
    entry.keywordMatched = info.keywordMatched;
    entry.secondaryNameHit = secondaryHit;
    entry.primaryNameHit = primaryHit;
    entry.tertiaryNameHit = tertiaryHit;
    entry.firstMatchPos = info.firstMatchPos;
    entry.wordStartMatch = info.wordStartMatch;
    entry.targetForm = targetForm;
    entry.targetName = targetName;
    entry.primaryForm = primaryForm;
    entry.primaryName = primaryName;
    entry.ancestorForm = ancestorForm;
    entry.ancestorName = ancestorName;
    entry.auxForm = auxForm;
    entry.auxName = auxName;
    entry.extraForm = extraForm;
    entry.extraName = extraName;
    const bool keywordMatched = entry.keywordMatched;
    if (list.offer(std::move(entry)) && !anyKeywordMatched) anyKeywordMatched = keywordMatched;
}

}  // namespace

void collectLocationCandidates(const SearchTerms& loweredTerms, const SearchForms& forms,
                               bool skipNonStarMapVisibleMapMarkers, CollectedCandidates& collected) {
    const void* map = readHostPointer(HostOffset::HostForms_AllFormsMap);
    if (map == nullptr) return;
    const auto* slots = readHostField<const AllFormsSlot*>(map, HostLayout::MapSlots);
    const auto slotCount = readHostField<std::uint64_t>(map, HostLayout::MapSlotCount);
    if (slots == nullptr) return;

    LocationCandidateList list;
    for (std::uint64_t i = 0; i < slotCount; ++i) {
        if (i + kPrefetchDistance < slotCount && slots[i + kPrefetchDistance].chain != kEmptySlotChain)
            prefetchForm(slots[i + kPrefetchDistance].form);
        const AllFormsSlot& slot = slots[i];
        if (slot.chain == kEmptySlotChain) continue;
        const CheapTestResult cheap = runCheapTests(slot, forms, skipNonStarMapVisibleMapMarkers);
        if (!cheap.passed) continue;
        testLocation(slot.form, cheap.keywordEligible, loweredTerms, forms, list, collected.anyKeywordMatched);
    }
    std::vector<ResultEntry> locations = list.takeEntries();
    if (collected.entries.empty()) {
        collected.entries = std::move(locations);
        return;
    }
    collected.entries.insert(collected.entries.end(), std::make_move_iterator(locations.begin()),
                             std::make_move_iterator(locations.end()));
}

void collectPlanetCandidates(const SearchTerms& loweredTerms, const SearchForms& forms,
                             CollectedCandidates& collected) {
    for (void* planet : collectPlanetForms()) {
        MatchInfo info;
        const std::string_view planetName = formDisplayNameView(planet);
        if (planetName.empty()) continue;
        const NameTest planetTest = testName(loweredTerms, info, planetName);
        if (planetTest.dropped) continue;

        void* parent = hostFunction<FormQueryFn>(HostOffset::HostForm_GetParentForm)(nullptr, 0, planet);
        const std::string_view parentName = formDisplayNameView(parent);
        if (parent == nullptr || parentName.empty()) continue;
        const NameTest parentTest = testName(loweredTerms, info, parentName);
        if (parentTest.dropped) continue;

        void* ancestorForm = findAncestorWithKeyword(parent, forms.ancestorKeyword);
        const std::string_view ancestorName = formDisplayNameView(ancestorForm);
        if (ancestorForm == nullptr || ancestorName.empty()) continue;
        const NameTest ancestorTest = testName(loweredTerms, info, ancestorName);
        if (ancestorTest.dropped) continue;

        const bool secondaryHit = planetTest.hit || parentTest.hit;
        if (!secondaryHit && !ancestorTest.hit) continue;

        ResultEntry entry;
        entry.secondaryNameHit = secondaryHit;
        entry.tertiaryNameHit = ancestorTest.hit;
        entry.firstMatchPos = info.firstMatchPos;
        entry.wordStartMatch = info.wordStartMatch;
        entry.targetForm = planet;
        entry.targetName = planetName;
        entry.ancestorForm = ancestorForm;
        entry.ancestorName = ancestorName;
        collected.entries.push_back(std::move(entry));
    }
}

}  // namespace lumora
