#include <atomic>
#include <cstdint>

#include "base/entry_guard.h"
#include "base/plugin_error.h"
#include "base/plugin_log.h"
#include "config/settings.h"
#include "hook/branch_trampoline.h"
#include "hook/call_site_log.h"
#include "hook/hook_chain.h"
#include "hook/search_hooks.h"
#include "host/bindings.h"
#include "plugin/loader_interface.h"
#include "plugin/version_log.h"
#include "win/windows_api.h"

namespace lumora {
namespace {
std::uint32_t g_pluginHandle = 0;

bool installPlugin(const LoaderInterface* loader) {
    logVersions();
    g_pluginHandle = loader->getPluginHandle();

    if (GetModuleHandleA(nullptr) == nullptr) {
        ShowPluginError("Installation error: Halcyra.exe handle couldn't be acquired", false);
        return false;
    }

    // Asked for before anything is patched: a loader may unload a plugin whose
    // load failed, and patched sites would then call into a freed trampoline.
    auto* messaging = static_cast<LoaderMessagingInterface*>(loader->queryInterface(kMessagingInterfaceId));
    if (messaging == nullptr || messaging->registerListener == nullptr) {
        ShowPluginError("Installation error: Obrix messaging interface couldn't be acquired", false);
        return false;
    }

    // Both sites are read before either is written: code we do not know is
    // left exactly as it was, and nothing is allocated for it.
    const HookSites sites = inspectHookSites();
    if (!hookSitesUnderstood(sites)) {
        logCallSiteVerdicts(sites, false);
        ShowPluginError("Installation error: unexpected game code at a hook site", false);
        return false;
    }
    chainHookCallees(sites);

    g_branchTrampoline.createBelowImage();
    if (g_branchTrampoline.base() == nullptr) ShowPluginError("cannot create trampoline", true);
    // Nothing of ours from here on allocates or throws: once a site is
    // patched the load must not fail half-way.
    g_branchTrampoline.writeRelCall(hostAddress(HostOffset::HostCallSite_PromptHook),
                                    reinterpret_cast<std::uintptr_t>(&promptHook));
    g_branchTrampoline.writeRelCall(hostAddress(HostOffset::HostCallSite_TextCaptureHook),
                                    reinterpret_cast<std::uintptr_t>(&textCaptureHook));
    logCallSiteVerdicts(sites, true);
    messaging->registerListener(g_pluginHandle, "Obrix", &PluginMessageListener);
    return true;
}

// A refused load never gets the data-loaded message, yet its log is the one a
// player most needs: the key is read from the settings file alone (nothing is
// written back), and the lines are written at once, as no polling thread will.
void writeLogOfRefusedLoad() noexcept {
    bool wanted = false;
    try {
        wanted = readWriteLogFileSetting();
    } catch (...) {
        // Without memory to read the key the log stays off, as when it is absent.
    }
    settlePluginLog(wanted);
    writeQueuedLogLines();
}
}  // namespace
}  // namespace lumora

extern "C" HOST_ABI bool ObrixPlugin_Load(const lumora::LoaderInterface* loader) noexcept {
    const bool installed =
        lumora::runGuardedEntry("ObrixPlugin_Load", false, [loader] { return lumora::installPlugin(loader); });
    if (!installed) lumora::writeLogOfRefusedLoad();
    return installed;
}
