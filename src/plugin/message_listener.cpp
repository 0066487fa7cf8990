#include <atomic>

#include "base/entry_guard.h"
#include "base/plugin_log.h"
#include "config/load_configuration.h"
#include "config/settings.h"
#include "flow/event_sinks.h"
#include "flow/poll_thread.h"
#include "flow/recent_destinations_store.h"
#include "plugin/loader_interface.h"

namespace lumora {

namespace {
// The loader sends the data-loaded message once; a repeat must not start a
// second polling thread or register the sinks twice.
std::atomic<bool> g_dataLoadedHandled{false};

void finishStartup() {
    loadConfiguration();
    // The lines held since the load are written or dropped from here on.
    settlePluginLog(Settings.writeLogFile);
    loadRecentDestinations();
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
