#include <atomic>
#include <cstdint>

#include "base/entry_guard.h"
#include "base/plugin_error.h"
#include "base/plugin_log.h"
#include "hook/branch_trampoline.h"
#include "hook/hook_chain.h"
#include "hook/search_hooks.h"
#include "host/bindings.h"
#include "plugin/load_report.h"
#include "plugin/loader_interface.h"
#include "win/windows_api.h"

namespace lumora {
namespace {
std::uint32_t g_pluginHandle = 0;

// A box at load comes before the data-loaded message settles the log: the
// key is read now, so that the box's line and the held ones are on the disk
// before the box shows (and before the process ends after it).
void showLoadError(const char* text, bool exitAfter) {
    settleLogFromSettingsKey();
    ShowPluginError(text, exitAfter);
}

bool installPlugin(const LoaderInterface* loader) {
    g_pluginHandle = loader->getPluginHandle();

    if (GetModuleHandleA(nullptr) == nullptr) {
        showLoadError("Installation error: Halcyra.exe handle couldn't be acquired", false);
        return false;
    }

    // Asked for before anything is patched: a loader may unload a plugin whose
    // load failed, and patched sites would then call into a freed trampoline.
    auto* messaging = static_cast<LoaderMessagingInterface*>(loader->queryInterface(kMessagingInterfaceId));
    if (messaging == nullptr || messaging->registerListener == nullptr) {
        showLoadError("Installation error: Obrix messaging interface couldn't be acquired", false);
        return false;
    }

    // Both sites are read before either is written: code we do not know is
    // left exactly as it was, and nothing is allocated for it.
    const HookSites sites = inspectHookSites();
    g_loadReport.sites = sites;
    g_loadReport.sitesInspected = true;
    if (!hookSitesUnderstood(sites)) {
        showLoadError("Installation error: unexpected game code at a hook site", false);
        return false;
    }
    chainHookCallees(sites);

    g_branchTrampoline.createBelowImage();
    if (g_branchTrampoline.base() == nullptr) showLoadError("cannot create trampoline", true);
    // Nothing of ours from here on allocates or throws: once a site is
    // patched the load must not fail half-way.
    g_branchTrampoline.writeRelCall(hostAddress(HostOffset::HostCallSite_PromptHook),
                                    reinterpret_cast<std::uintptr_t>(&promptHook));
    g_branchTrampoline.writeRelCall(hostAddress(HostOffset::HostCallSite_TextCaptureHook),
                                    reinterpret_cast<std::uintptr_t>(&textCaptureHook));
    g_loadReport.patched = true;
    messaging->registerListener(g_pluginHandle, "Obrix", &PluginMessageListener);
    return true;
}

// A refused load never gets the data-loaded message, yet its log is the one a
// player most needs: the lines are written at once, as no polling thread will.
void writeLogOfRefusedLoad() noexcept {
    settleLogFromSettingsKey();
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
