#include <atomic>
#include <cstdint>

#include "base/plugin_error.h"
#include "hook/branch_trampoline.h"
#include "hook/search_hooks.h"
#include "host/bindings.h"
#include "plugin/loader_interface.h"
#include "win/windows_api.h"

namespace lumora {
namespace {
std::uint32_t g_pluginHandle = 0;
}  // namespace
}  // namespace lumora

extern "C" HOST_ABI bool ObrixPlugin_Load(const lumora::LoaderInterface* loader) {
    using namespace lumora;
    g_pluginHandle = loader->getPluginHandle();

    if (GetModuleHandleA(nullptr) == nullptr) {
        ShowPluginError("Installation error: Halcyra.exe handle couldn't be acquired", false);
        return false;
    }

    g_branchTrampoline.createBelowImage();
    if (g_branchTrampoline.base() == nullptr) ShowPluginError("cannot create trampoline", true);
    g_branchTrampoline.writeRelCall(hostAddress(HostOffset::HostCallSite_PromptHook),
                                    reinterpret_cast<std::uintptr_t>(&promptHook));
    g_branchTrampoline.writeRelCall(hostAddress(HostOffset::HostCallSite_TextCaptureHook),
                                    reinterpret_cast<std::uintptr_t>(&textCaptureHook));

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
