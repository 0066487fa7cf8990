#include <atomic>

#include "config/load_configuration.h"
#include "flow/event_sinks.h"
#include "flow/poll_thread.h"
#include "plugin/loader_interface.h"

namespace lumora {

namespace {
// The loader sends the data-loaded message once; a repeat must not start a
// second polling thread or register the sinks twice.
std::atomic<bool> g_dataLoadedHandled{false};
}  // namespace

HOST_ABI void PluginMessageListener(LoaderMessage* message) {
    if (message == nullptr || message->type != kDataLoadedMessage) return;
    if (g_dataLoadedHandled.exchange(true)) return;
    loadConfiguration();
    startPollingThread();
    registerEventSinks();
}

}  // namespace lumora
