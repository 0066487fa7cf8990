#include "search/recent_destinations_listing.h"

#include <mutex>

#include "host/bindings.h"
#include "search/form_queries.h"
#include "search/message_box.h"
#include "state/clock.h"
#include "state/plugin_state.h"

namespace lumora {

namespace {

// The name read as the search reads a target's name.
bool isStillThere(const RecentDestination& body) {
    void* form = HostStartup.lookupById(body.formId);
    return form != nullptr && formDisplayNameView(form) == body.name;
}

}  // namespace

std::optional<ResultsListing> buildRecentDestinationsListing(RecentDestinationsRecord& recent,
                                                             const UiTextsRecord& texts) {
    std::vector<RecentDestination> gone;
    ResultsListing listing;
    listing.text = texts.recentDestinationsHeading + "\n";
    std::int32_t number = 0;
    for (const RecentDestination& body : recent.bodies) {
        if (!isStillThere(body)) {
            gone.push_back(body);
            continue;
        }
        appendResultLine(listing, number++, ResultLine{body.lineText + "\n", body.formId, body.name});
    }
    for (const RecentDestination& body : gone) forgetDestination(recent, body.formId);
    if (number == 0) return std::nullopt;
    return listing;
}

std::size_t showRecentDestinations() {
    std::lock_guard state(PluginState.mutex);
    std::optional<ResultsListing> listing;
    try {
        listing = buildRecentDestinationsListing(PluginState.recentDestinations, UiTexts);
    } catch (...) {
        // The game must never see an exception: a list that cannot be built
        // (no memory for its text) gives the box of an empty search.
        return 0;
    }
    if (!listing) return 0;
    const std::size_t listed = listing->keys.size();
    PluginState.resultKeys = std::move(listing->keys);
    PluginState.resultsShownAtNs = NowNs();
    showMessageBox(UiTexts.searchResults, std::move(listing->text));
    return listed;
}

}  // namespace lumora
