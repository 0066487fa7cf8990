#pragma once
// The bodies the player chose last through the plugin, most recent first,
// and whether the stored file still has to catch up with them.
#include <vector>

#include "config/recent_destinations_file.h"

namespace lumora {

struct RecentDestinationsRecord {
    std::vector<RecentDestination> bodies;  // most recent first, at most ten
    bool unsaved = false;                   // changed since the file was last written
    // The file found at start-up could not be read whole, or is of another
    // version: it is the player's, and the list lives in memory only.
    bool fileKept = false;
};

// Puts the body at the top: a body already listed (same form id) moves up
// instead of being listed twice, and the eleventh drops off the end.
void rememberDestination(RecentDestinationsRecord& recent, RecentDestination body);

// Drops the body with this form id, if it is listed.
void forgetDestination(RecentDestinationsRecord& recent, std::uint32_t formId);

}  // namespace lumora
