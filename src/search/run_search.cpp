#include "search/run_search.h"

#include <cstdint>
#include <mutex>
#include <new>
#include <optional>
#include <variant>

#include "config/placeholder.h"
#include "config/settings.h"
#include "config/ui_texts.h"
#include "host/bindings.h"
#include "host/game_names.h"
#include "host/ui.h"
#include "search/candidate_collection.h"
#include "search/close_name_suggestions.h"
#include "search/form_queries.h"
#include "search/host_lock_guard.h"
#include "search/message_box.h"
#include "search/recent_destinations_listing.h"
#include "search/result_ordering.h"
#include "search/result_pages.h"
#include "search/results_listing.h"
#include "search/search_log_line.h"
#include "search/search_messages.h"
#include "state/clock.h"
#include "state/plugin_state.h"

namespace lumora {

namespace {

// The fixed forms and the context object, or the text of the box that reports
// the first one missing.
using ResolvedSearchForms = std::variant<SearchForms, const char*>;

ResolvedSearchForms resolveSearchForms() {
    SearchForms forms;
    forms.ancestorKeyword = HostStartup.lookupById(kAncestorKeywordFormId);
    if (forms.ancestorKeyword == nullptr) return kMissingAncestorKeywordMessage;
    forms.context = readHostPointer(HostOffset::HostGlobal_LocationContext);
    if (forms.context == nullptr) return kMissingLocationContextMessage;
    forms.firstEligibility = HostStartup.lookupById(kFirstEligibilityFormId);
    if (forms.firstEligibility == nullptr) return kMissingFirstEligibilityFormMessage;
    forms.secondEligibility = HostStartup.lookupById(kSecondEligibilityFormId);
    if (forms.secondEligibility == nullptr) return kMissingSecondEligibilityFormMessage;
    return forms;
}

// A text that cannot be stored leaves the one remembered before: the search
// itself does not need it.
void rememberSearchText(const std::string& text) {
    std::lock_guard state(PluginState.mutex);
    try {
        PluginState.lastSearchText = text;
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace

void runSearch(std::string text) {
    SearchLogLine searchLog(text);
    {
        // Whatever this search shows, the pages of the one before are gone.
        std::lock_guard state(PluginState.mutex);
        dropResultPages();
    }
    PlayUiSound(kConfirmSound);
    if (text.empty()) {
        if (Settings.recentDestinations) {
            if (const std::size_t listed = showRecentDestinations(); listed != 0) {
                searchLog.listedRecentDestinations(listed);
                return;
            }
        }
        searchLog.endedWithBox(kSearchTextEmptyMessage);
        showMessageBox(UiTexts.searchResults, kSearchTextEmptyMessage);
        return;
    }
    if (Settings.rememberLastSearch) rememberSearchText(text);
    SplitSearchTerms terms = splitSearchText(text);
    if (Settings.foldAccentedLetters) terms.lowered = foldedTerms(terms.lowered);
    PlaceholderParts countParts;
    splitAtPlaceholder(UiTexts.foundMatches, countParts);

    const ResolvedSearchForms resolved = resolveSearchForms();
    if (const auto* missingMessage = std::get_if<const char*>(&resolved)) {
        searchLog.endedWithBox(*missingMessage);
        showMessageBox(UiTexts.searchResults, *missingMessage);
        return;
    }
    const SearchForms& forms = std::get<SearchForms>(resolved);

    // Held until the box call has returned, on every path.
    HostLockGuard allFormsLock(reinterpret_cast<void*>(hostAddress(HostOffset::HostForms_AllFormsLock)));

    CollectedCandidates collected;
    std::optional<ResultsListing> listing;
    ResultPagesRecord laterPages;
    try {
        std::optional<CloseNameSuggestions> closeNames;
        if (Settings.suggestSimilarNames) closeNames.emplace(terms.lowered.includeTerm, Settings.foldAccentedLetters);
        const SearchAdditions additions{Settings.foldAccentedLetters, closeNames ? &*closeNames : nullptr};
        const PreparedTerms prepared(terms.lowered);
        collectLocationCandidates(prepared, forms, Settings.skipNonStarMapVisibleMapMarkers, collected, additions);
        // The game must never see an exception: one out of the planet walk,
        // the ordering or the text ends the search the same way as one out of
        // the location walk.
        collectPlanetCandidates(prepared, forms, collected, additions);
        if (!collected.entries.empty()) {
            // The location lines follow the order, the planet lines the
            // collection order: the entries stay where they were collected,
            // and the order points at them, so none is moved or copied.
            const std::vector<std::uint32_t> order =
                resultOrder(collected.entries, collected.anyKeywordMatched, findNameHitGroups(collected.entries));
            std::vector<const ResultEntry*> ordered;
            ordered.reserve(order.size());
            for (const std::uint32_t index : order) ordered.push_back(&collected.entries[index]);
            listing = buildResultsListing(ordered, collected.entries, terms, text, countParts, UiTexts);
            if (Settings.pageResultsWithHotkey)
                laterPages = keepLaterPages(collected.entries, order, *listing, UiTexts);
        } else if (closeNames) {
            // Close names are chosen with a digit exactly like results.
            if (const std::vector<ResultLine> lines = closeNames->lines(); !lines.empty())
                listing = buildCloseNamesListing(lines, UiTexts);
        }
    } catch (...) {
        collected.entries.clear();
        searchLog.endedWithBox(kLocationWalkFailedMessage);
        showMessageBox(UiTexts.searchResults, kLocationWalkFailedMessage);
        return;
    }

    if (!listing) {
        searchLog.endedWithBox(UiTexts.noMatchesFound);
        showMessageBox(UiTexts.searchResults, UiTexts.noMatchesFound);
        return;
    }
    searchLog.listed(collected.entries.size(), listing->keys.size(), collected.entries.empty());
    {
        std::lock_guard state(PluginState.mutex);
        PluginState.resultKeys = std::move(listing->keys);
        PluginState.resultPages = std::move(laterPages);
        PluginState.resultsShownAtNs = NowNs();
    }
    showMessageBox(UiTexts.searchResults, listing->text);
}

}  // namespace lumora
