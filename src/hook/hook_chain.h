#pragma once
// Which function each hook calls where it makes the call it replaced: the
// game's own function, or the hook of another mod that patched the site
// before us (which then calls the game's function itself). Decided once by
// the load, before either site is patched.
#include <atomic>

#include "hook/call_site_inspection.h"
#include "host/bindings.h"

namespace lumora {

// The other mod's hook at each site; null while the site held the game's own
// call, and then the hook calls the game's function through its binding.
struct ChainedCallees {
    std::atomic<PromptHookTargetFn> promptHookTarget{nullptr};
    std::atomic<EngineStringCreateFn> engineStringCreate{nullptr};
};
extern ChainedCallees HookChain;

// What the two sites of this game build hold right now.
struct HookSites {
    CallSiteInspection prompt;
    CallSiteInspection capture;
};
HookSites inspectHookSites();

// Results: true when both sites hold a call we can patch and chain (or could
// not be queried, when the load goes on as if they held the game's call);
// false when either holds code we do not know.
bool hookSitesUnderstood(const HookSites& sites);

// Keeps the other mod's hook of each chained site in HookChain and writes one
// diagnostic line per chained site.
void chainHookCallees(const HookSites& sites);

// The callee of each hook, read on every pass: one load (a plain move on
// x86-64) and a test.
inline PromptHookTargetFn promptHookCallee() {
    const PromptHookTargetFn chained = HookChain.promptHookTarget.load(std::memory_order_acquire);
    return chained != nullptr ? chained : hostFunction<PromptHookTargetFn>(HostOffset::HostCall_PromptHookTarget);
}
inline EngineStringCreateFn textCaptureCallee() {
    const EngineStringCreateFn chained = HookChain.engineStringCreate.load(std::memory_order_acquire);
    return chained != nullptr ? chained : HostStartup.engineStringCreate;
}

}  // namespace lumora
