#include <atomic>

#include "base/entry_guard.h"
#include "config/load_configuration.h"
#include "flow/event_sinks.h"
#include "flow/poll_thread.h"
#include "flow/recent_destinations_store.h"
#include "plugin/load_report.h"
#include "plugin/loader_interface.h"

namespace lumora {

namespace {
// The loader sends the data-loaded message once; a repeat must not start a
// second polling thread or register the sinks twice.
std::atomic<bool> g_dataLoadedHandled{false};

// The log's key is read before anything else, so that with it absent not a
// line is formatted. Each step before the thread runs on its own guard: a
// settings or recent-list read that fails (no memory, say) leaves what it
// had read, and the polling thread and the sinks start all the same.
void finishStartup() {
    settleLogFromSettingsKey();
    runGuardedEntry("loadConfiguration", [] { loadConfiguration(); });
    runGuardedEntry("loadRecentDestinations", [] { loadRecentDestinations(); });
    startPollingThread();
    registerEventSinks();
}
}  // namespace

HOST_ABI void PluginMessageListener(LoaderMessage* message) noexcept {
    if (message == nullptr || message->type != kDataLoadedMessage) return;
    if (g_dataLoadedHandled.exchange(true)) return;
    // A failure here leaves the plugin installed but idle for this session:
    // the hooks pass every call straight through while no request is raised.
    runGuardedEntry("PluginMessageListener", [] { finishStartup(); });
}

}  // namespace lumora
