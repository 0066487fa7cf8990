#include "state/recent_destinations.h"

#include <algorithm>

namespace lumora {

void rememberDestination(RecentDestinationsRecord& recent, RecentDestination body) {
    forgetDestination(recent, body.formId);
    recent.bodies.insert(recent.bodies.begin(), std::move(body));
    if (recent.bodies.size() > kMostRecentDestinations) recent.bodies.resize(kMostRecentDestinations);
    recent.unsaved = true;
}

void forgetDestination(RecentDestinationsRecord& recent, std::uint32_t formId) {
    const auto before = recent.bodies.size();
    std::erase_if(recent.bodies, [&](const RecentDestination& body) { return body.formId == formId; });
    if (recent.bodies.size() != before) recent.unsaved = true;
}

}  // namespace lumora
