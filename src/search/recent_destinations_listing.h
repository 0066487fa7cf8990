#pragma once
// The box an empty search shows when the player has chosen bodies before:
// the ones still there, numbered from 0 and chosen with a digit like results.
#include <cstddef>
#include <optional>

#include "config/ui_texts.h"
#include "search/results_listing.h"
#include "state/recent_destinations.h"

namespace lumora {

// Results: the box text (the heading, a line break, "[i] text\n" per body)
// with a key per line; nothing when no remembered body is still there. A
// body is still there when its form id gives a form whose name is still the
// remembered one; the others are forgotten, so a changed load order never
// focuses the wrong body.
std::optional<ResultsListing> buildRecentDestinationsListing(RecentDestinationsRecord& recent,
                                                             const UiTextsRecord& texts);

// For an empty search with bRecentDestinations on: shows the list and hands
// its keys to the polling thread. Results: how many bodies the box listed; 0
// when nothing remembered is still there (no box: the caller shows its own).
// Runs on the game's thread and takes PluginState.mutex. A list that cannot
// be built counts as nothing still there.
std::size_t showRecentDestinations();

}  // namespace lumora
