#include <atomic>
#include <cstdint>

#include "host/bindings.h"
#include "plugin/loader_interface.h"
#include "plugin/plugin_error.h"
#include "win/windows_api.h"

namespace {
std::uint32_t g_pluginHandle = 0;
}  // namespace

extern "C" HOST_ABI bool ObrixPlugin_Load(const LoaderInterface* loader) {
    g_pluginHandle = loader->getPluginHandle();

    if (GetModuleHandleA(nullptr) == nullptr) {
        ShowPluginError("Installation error: Halcyra.exe handle couldn't be acquired", false);
        return false;
    }

    auto* messaging =
        static_cast<LoaderMessagingInterface*>(loader->queryInterface(kMessagingInterfaceId));
    // Without a messaging interface we would never hear that the game's data
    // has loaded; say so rather than dereference null.
    if (messaging == nullptr || messaging->registerListener == nullptr) {
        ShowPluginError("Installation error: Obrix messaging interface couldn't be acquired", false);
        return false;
    }
    messaging->registerListener(g_pluginHandle, "Obrix", &PluginMessageListener);
    return true;
}
