#include "flow/recent_destinations_store.h"

#include <mutex>
#include <new>

#include "config/recent_destinations_file.h"
#include "config/settings.h"

namespace lumora {

void loadRecentDestinations() {
    if (!Settings.recentDestinations) return;
    std::vector<RecentDestination> stored = readRecentDestinationsFile();
    std::lock_guard state(PluginState.mutex);
    PluginState.recentDestinations.bodies = std::move(stored);
    PluginState.recentDestinations.unsaved = false;
}

void rememberChosenBody(const ResultKey& chosen) {
    if (!Settings.recentDestinations || chosen.targetName.empty() || chosen.lineText.empty()) return;
    try {
        rememberDestination(PluginState.recentDestinations, {chosen.formId, chosen.targetName, chosen.lineText});
    } catch (const std::bad_alloc&) {
        // The body has been focused; a list that cannot grow stays as it
        // was, and the choice finishes as without the addition.
    }
}

bool saveChangedRecentDestinations() {
    if (!Settings.recentDestinations) return false;
    std::vector<RecentDestination> bodies;
    {
        std::unique_lock state(PluginState.mutex, std::try_to_lock);
        if (!state.owns_lock() || !PluginState.recentDestinations.unsaved) return false;
        bodies = PluginState.recentDestinations.bodies;
        PluginState.recentDestinations.unsaved = false;
    }
    // A list that cannot be written (read-only folder, full disk) stays in
    // memory for the session and the old file stays whole; the next choice
    // tries again. Nothing is shown to the player.
    writeRecentDestinationsFile(bodies);
    return true;
}

}  // namespace lumora
