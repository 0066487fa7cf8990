#include "flow/recent_destinations_store.h"

#include <mutex>
#include <new>

#include "base/plugin_log.h"
#include "config/recent_destinations_file.h"
#include "config/settings.h"

namespace lumora {

void loadRecentDestinations() {
    if (!Settings.recentDestinations) return;
    {
        // Until the file is known to be ours to replace, it is the player's.
        std::lock_guard state(PluginState.mutex);
        PluginState.recentDestinations.fileKept = true;
    }
    RecentFileRead stored = readRecentDestinationsFile();
    const bool replaceable = recentFileReplaceable(stored.state);
    if (replaceable) appendLogLine("recent destinations: %u bodies read", static_cast<unsigned>(stored.bodies.size()));
    else if (stored.error != 0)
        appendLogLine("recent destinations not saved this session: %s (error %u)", recentFileKeptReason(stored.state),
                      static_cast<unsigned>(stored.error));
    else appendLogLine("recent destinations not saved this session: %s", recentFileKeptReason(stored.state));
    std::lock_guard state(PluginState.mutex);
    PluginState.recentDestinations.bodies = std::move(stored.bodies);
    PluginState.recentDestinations.unsaved = false;
    PluginState.recentDestinations.fileKept = !replaceable;
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
        // A kept file is never written: the choices live in memory only.
        if (!PluginState.recentDestinations.fileKept) bodies = PluginState.recentDestinations.bodies;
        PluginState.recentDestinations.unsaved = false;
        if (PluginState.recentDestinations.fileKept) return false;
    }
    // A list that cannot be written (read-only folder, full disk) stays in
    // memory for the session and the old file stays whole; the next choice
    // tries again. Nothing is shown to the player.
    writeRecentDestinationsFile(bodies);
    return true;
}

}  // namespace lumora
