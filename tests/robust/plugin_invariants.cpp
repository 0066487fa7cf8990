#include "robust/plugin_invariants.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <future>
#include <thread>

#include "hook/search_hooks.h"
#include "hostsim/call_sites.h"
#include "hostsim/engine_strings.h"
#include "hostsim/galaxy.h"
#include "hostsim/host_lock.h"
#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "state/plugin_state.h"

using namespace lumora;

namespace lumora_test {
namespace {

// The site holds E8 rel32 to either the game's own callee or an entry
// "FF 25 00000000 <hook>"; anything else is a half-written patch.
bool siteIsWhole(std::uintptr_t siteOffset, std::uintptr_t gameCallee, const void* hook) {
    const std::uint8_t* site = hostsim::at(siteOffset);
    if (site[0] != 0xE8) return false;
    std::int32_t displacement;
    std::memcpy(&displacement, site + 1, 4);
    const auto* target = site + 5 + displacement;
    if (target == hostsim::at(gameCallee)) return true;
    const std::uint8_t jump[6] = {0xFF, 0x25, 0, 0, 0, 0};
    if (std::memcmp(target, jump, 6) != 0) return false;
    std::uintptr_t absolute;
    std::memcpy(&absolute, target + 6, 8);
    return absolute == reinterpret_cast<std::uintptr_t>(hook);
}

bool pluginMutexFree() {
    // Another thread, because the mutex is recursive; a polling thread may
    // hold it for a moment, so a few tries.
    for (int attempt = 0; attempt < 50; ++attempt) {
        const bool taken = std::async(std::launch::async, [] {
                               if (!PluginState.mutex.try_lock()) return false;
                               PluginState.mutex.unlock();
                               return true;
                           }).get();
        if (taken) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

}  // namespace

std::vector<std::string> brokenInvariants() {
    std::vector<std::string> broken;
    const auto ledger = hostsim::engineStringLedger();
    if (!hostsim::engineStringLedgerBalanced())
        broken.push_back("engine strings: created " + std::to_string(ledger.created) + ", released " +
                         std::to_string(ledger.released) + ", unknown " + std::to_string(ledger.releasedUnknown));
    const hostsim::HostLockObject& allForms = hostsim::allFormsLock();
    if (allForms.ownerThread.load() != 0 || !hostsim::isBalanced(allForms)) broken.push_back("all-forms lock held");
    if (hostsim::Galaxy* galaxy = hostsim::installedGalaxy(); galaxy && !galaxy->containerLocksBalanced())
        broken.push_back("an extra-data container lock held");
    if (!pluginMutexFree()) broken.push_back("PluginState.mutex held");
    if (!siteIsWhole(hostsim::offsets::HostCallSite_PromptHook, hostsim::offsets::HostCall_PromptHookTarget,
                     reinterpret_cast<const void*>(&promptHook)))
        broken.push_back("prompt call site half-patched");
    if (!siteIsWhole(hostsim::offsets::HostCallSite_TextCaptureHook, hostsim::offsets::EngineString_Create,
                     reinterpret_cast<const void*>(&textCaptureHook)))
        broken.push_back("capture call site half-patched");
    if (std::memcmp(hostsim::at(hostsim::offsets::HostPatch_TextInputCompare), hostsim::kTextInputCompareOriginal, 3) !=
        0)
        broken.push_back("compare instruction not the game's");
    if (std::memcmp(hostsim::at(hostsim::offsets::HostUi_MessageBoxTitleText), hostsim::kMessageBoxTitleText, 12) != 0)
        broken.push_back("message box title text not \"DEBUG\" and seven zeros");
    return broken;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const auto& line : lines) joined += line + "\n";
    return joined;
}

}  // namespace lumora_test
