#include "search/candidate_collection.h"

#include <optional>
#include <string>
#include <string_view>

#include "host/bindings.h"
#include "search/close_name_suggestions.h"
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

template <bool kFold>
NameTest testName(const PreparedTerms& terms, MatchInfo& info, std::string_view name) {
    const MatchKind kind = kFold ? matchFoldedCandidateName(terms, info, name) : matchCandidateName(terms, info, name);
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

// What the steps before the first name test say about a slot. A plain
// enumeration, not a record: it stays in a register in the walk's loop.
enum class SlotVerdict : std::uint8_t { Skipped, Candidate, EligibleCandidate };

// Steps before the first name test; none of them allocates. Every slot of
// the map passes through here, so it stays inside each walk's loop, however
// many walks call it.
[[gnu::always_inline]] inline SlotVerdict runCheapTests(const AllFormsSlot& slot, const SearchForms& forms,
                                                        bool skipHiddenMarkers) {
    if (!isValidFormKey(slot.key) || slot.form == nullptr) return SlotVerdict::Skipped;
    void* placed = slot.form;
    if (formTypeCode(placed) != HostLayout::TypePlacedObject) return SlotVerdict::Skipped;
    void* base = readHostField<void*>(placed, HostLayout::PlacedBase);
    if (base == nullptr || !isValidFormKey(hostFormId(base))) return SlotVerdict::Skipped;

    bool keywordEligible = false;
    if (isMapMarkerBase(base)) {
        if (skipHiddenMarkers) {
            if (readHostField<std::uint32_t>(placed, HostLayout::FormFlags) & HostLayout::FlagHiddenMarker)
                return SlotVerdict::Skipped;
            if (hostFunction<IsFilteredFn>(HostOffset::HostLocation_IsFiltered)(nullptr, 0, placed))
                return SlotVerdict::Skipped;
            if (!isStarMapVisibleMarker(placed)) return SlotVerdict::Skipped;
        }
    } else {
        keywordEligible =
            isKeywordEligible(base, placed, forms.context, forms.firstEligibility, forms.secondEligibility);
        if (!keywordEligible) return SlotVerdict::Skipped;
    }

    if ((hostFormId(placed) >> 24) == 0xFF && queryForm(HostOffset::HostLocation_GetAltForm, placed) == nullptr)
        return SlotVerdict::Skipped;
    return keywordEligible ? SlotVerdict::EligibleCandidate : SlotVerdict::Candidate;
}

// The walk's state shared by every slot.
struct LocationWalk {
    const AllFormsSlot* slots;
    std::uint64_t slotCount;
    const PreparedTerms& terms;
    const SearchForms& forms;
    bool skipHiddenMarkers;
    LocationCandidateList& list;
    bool& anyKeywordMatched;
};

// Tests one placed object that passed the cheap tests; true when it was
// appended to the list. With kGather, a candidate that no name hits is
// offered as a close name.
template <bool kFold, bool kGather>
[[gnu::always_inline]] inline bool testLocation(void* placed, bool keywordEligible, const LocationWalk& walk,
                                                CloseNameSuggestions* suggestions) {
    const PreparedTerms& terms = walk.terms;
    const SearchForms& forms = walk.forms;
    MatchInfo info;
    info.keywordEligible = keywordEligible;
    [[maybe_unused]] std::optional<CandidateCloseness> closeness;
    if constexpr (kGather) closeness.emplace(*suggestions);

    void* primaryForm = hostFunction<NamedFormFn>(HostOffset::HostLocation_GetNamedForm)(placed);
    std::string_view primaryName = formDisplayNameView(primaryForm);
    std::string aliasReplaced;
    bool primaryHit = false;
    if (primaryForm != nullptr && !primaryName.empty()) {
        if (keywordEligible && primaryName == kShipName) return false;
        if (primaryName.find(kPlayerAlias) != std::string_view::npos) {
            aliasReplaced = replaceAll(primaryName, kPlayerAlias, playerDisplayName());
            primaryName = aliasReplaced;
        }
        const NameTest test = testName<kFold>(terms, info, primaryName);
        if (test.dropped) return false;
        primaryHit = test.hit;
        if constexpr (kGather) closeness->note(primaryName, test.hit);
    }

    void* targetForm = queryForm(HostOffset::HostLocation_GetLinkedForm, placed);
    const std::string_view targetName = formDisplayNameView(targetForm);
    bool secondaryHit = false;
    if (targetForm != nullptr) {
        if (targetName.empty()) return false;
        const NameTest test = testName<kFold>(terms, info, targetName);
        if (test.dropped) return false;
        secondaryHit = test.hit;
        if constexpr (kGather) closeness->note(targetName, test.hit);
    }

    void* auxForm = readHostField<void*>(placed, HostLayout::PlacedAux);
    const std::string_view auxName = formDisplayNameView(auxForm);
    void* extraForm = queryForm(HostOffset::HostLocation_GetAltForm, placed);
    const std::string_view extraName = formDisplayNameView(extraForm);

    void* parent = nullptr;
    if (targetForm != nullptr) {
        parent = hostFunction<FormQueryFn>(HostOffset::HostForm_GetParentForm)(nullptr, 0, targetForm);
        if (parent == nullptr) return false;
        const std::string_view parentName = formDisplayNameView(parent);
        if (parentName.empty()) return false;
        const NameTest test = testName<kFold>(terms, info, parentName);
        if (test.dropped) return false;
        secondaryHit = secondaryHit || test.hit;
        if constexpr (kGather) closeness->note(parentName, test.hit);
    }

    void* ancestorForm = parent != nullptr ? findAncestorWithKeyword(parent, forms.ancestorKeyword) : nullptr;
    if (ancestorForm == nullptr) ancestorForm = findAncestorWithKeyword(primaryForm, forms.ancestorKeyword);
    if (ancestorForm == nullptr) return false;
    const std::string_view ancestorName = formDisplayNameView(ancestorForm);
    if (ancestorName.empty()) return false;
    const NameTest ancestorTest = testName<kFold>(terms, info, ancestorName);
    if (ancestorTest.dropped) return false;
    const bool tertiaryHit = ancestorTest.hit;

    if (!primaryHit && !secondaryHit && !tertiaryHit) {
        if constexpr (kGather) {
            closeness->note(ancestorName, ancestorTest.hit);
            offerLocationCloseName(*suggestions, *closeness, primaryForm, primaryName, targetForm, targetName);
        }
        return false;
    }

    // The duplicate rules come first: the entry is made in its place in the
    // list, or not at all.
    ResultEntry* entry = walk.list.append({primaryForm, primaryName, targetForm, targetName, keywordEligible});
    if (entry == nullptr) return false;
    entry->reference = placed;
    entry->keywordEligible = keywordEligible;
    entry->keywordMatched = info.keywordMatched;
    entry->secondaryNameHit = secondaryHit;
    entry->primaryNameHit = primaryHit;
    entry->tertiaryNameHit = tertiaryHit;
    entry->firstMatchPos = info.firstMatchPos;
    entry->wordStartMatch = info.wordStartMatch;
    entry->targetForm = targetForm;
    entry->targetName = targetName;
    entry->primaryForm = primaryForm;
    entry->primaryName = primaryName;
    entry->ancestorForm = ancestorForm;
    entry->ancestorName = ancestorName;
    entry->auxForm = auxForm;
    entry->auxName = auxName;
    entry->extraForm = extraForm;
    entry->extraName = extraName;
    if (!walk.anyKeywordMatched) walk.anyKeywordMatched = info.keywordMatched;
    return true;
}

// Walks the slots from `first` on. With kGather it returns at the slot after
// which close names can no longer change (something was appended, or enough
// lines came close), so that the rest of the walk runs the plain code. Each
// kind of walk is a function of its own, so that the plain one compiles as if
// the others did not exist.
template <bool kFold, bool kGather>
[[gnu::noinline]] std::uint64_t walkSlots(const LocationWalk& walk, std::uint64_t first,
                                          CloseNameSuggestions* suggestions) {
    // Held in locals: the game's calls could change any memory the walk
    // record points into, so its fields would be read again for every slot.
    const AllFormsSlot* slots = walk.slots;
    const std::uint64_t slotCount = walk.slotCount;
    const SearchForms& forms = walk.forms;
    const bool skipHiddenMarkers = walk.skipHiddenMarkers;
    for (std::uint64_t i = first; i < slotCount; ++i) {
        if (i + kPrefetchDistance < slotCount && slots[i + kPrefetchDistance].chain != kEmptySlotChain)
            prefetchForm(slots[i + kPrefetchDistance].form);
        const AllFormsSlot& slot = slots[i];
        if (slot.chain == kEmptySlotChain) continue;
        const SlotVerdict verdict = runCheapTests(slot, forms, skipHiddenMarkers);
        if (verdict == SlotVerdict::Skipped) continue;
        const bool appended =
            testLocation<kFold, kGather>(slot.form, verdict == SlotVerdict::EligibleCandidate, walk, suggestions);
        if constexpr (kGather) {
            if (appended) suggestions->stop();
            if (suggestions->editLimit() < 0) return i + 1;
        }
    }
    return slotCount;
}

template <bool kFold>
void walkAllSlots(const LocationWalk& walk, CloseNameSuggestions* suggestions) {
    std::uint64_t next = 0;
    if (suggestions != nullptr && suggestions->editLimit() >= 0) next = walkSlots<kFold, true>(walk, 0, suggestions);
    walkSlots<kFold, false>(walk, next, nullptr);
}

template <bool kFold>
void walkPlanets(const PreparedTerms& loweredTerms, const SearchForms& forms, CollectedCandidates& collected,
                 CloseNameSuggestions* suggestions) {
    const std::vector<void*> planets = collectPlanetForms();
    // Room for every planet at once: growing the list one entry at a time
    // would move every location entry before it, again and again.
    collected.entries.reserve(collected.entries.size() + planets.size());
    for (void* planet : planets) {
        MatchInfo info;
        std::optional<CandidateCloseness> closeness;
        if (suggestions != nullptr && suggestions->editLimit() >= 0) closeness.emplace(*suggestions);
        const std::string_view planetName = formDisplayNameView(planet);
        if (planetName.empty()) continue;
        const NameTest planetTest = testName<kFold>(loweredTerms, info, planetName);
        if (planetTest.dropped) continue;
        if (closeness) closeness->note(planetName, planetTest.hit);

        void* parent = hostFunction<FormQueryFn>(HostOffset::HostForm_GetParentForm)(nullptr, 0, planet);
        const std::string_view parentName = formDisplayNameView(parent);
        if (parent == nullptr || parentName.empty()) continue;
        const NameTest parentTest = testName<kFold>(loweredTerms, info, parentName);
        if (parentTest.dropped) continue;
        if (closeness) closeness->note(parentName, parentTest.hit);

        void* ancestorForm = findAncestorWithKeyword(parent, forms.ancestorKeyword);
        const std::string_view ancestorName = formDisplayNameView(ancestorForm);
        if (ancestorForm == nullptr || ancestorName.empty()) continue;
        const NameTest ancestorTest = testName<kFold>(loweredTerms, info, ancestorName);
        if (ancestorTest.dropped) continue;

        const bool secondaryHit = planetTest.hit || parentTest.hit;
        if (!secondaryHit && !ancestorTest.hit) {
            if (closeness) {
                closeness->note(ancestorName, ancestorTest.hit);
                offerPlanetCloseName(*suggestions, *closeness, planet, planetName, ancestorName);
            }
            continue;
        }

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
        if (suggestions != nullptr) suggestions->stop();
    }
}

}  // namespace

void collectLocationCandidates(const PreparedTerms& loweredTerms, const SearchForms& forms,
                               bool skipNonStarMapVisibleMapMarkers, CollectedCandidates& collected,
                               const SearchAdditions& additions) {
    const void* map = readHostPointer(HostOffset::HostForms_AllFormsMap);
    if (map == nullptr) return;
    const auto* slots = readHostField<const AllFormsSlot*>(map, HostLayout::MapSlots);
    const auto slotCount = readHostField<std::uint64_t>(map, HostLayout::MapSlotCount);
    if (slots == nullptr) return;

    LocationCandidateList list;
    const LocationWalk walk{
        slots, slotCount, loweredTerms, forms, skipNonStarMapVisibleMapMarkers, list, collected.anyKeywordMatched};
    if (additions.foldAccentedLetters) walkAllSlots<true>(walk, additions.closeNames);
    else walkAllSlots<false>(walk, additions.closeNames);
    std::vector<ResultEntry> locations = list.takeEntries();
    if (collected.entries.empty()) {
        collected.entries = std::move(locations);
        return;
    }
    collected.entries.insert(collected.entries.end(), std::make_move_iterator(locations.begin()),
                             std::make_move_iterator(locations.end()));
}

void collectPlanetCandidates(const PreparedTerms& loweredTerms, const SearchForms& forms,
                             CollectedCandidates& collected, const SearchAdditions& additions) {
    if (additions.foldAccentedLetters) walkPlanets<true>(loweredTerms, forms, collected, additions.closeNames);
    else walkPlanets<false>(loweredTerms, forms, collected, additions.closeNames);
}

}  // namespace lumora
