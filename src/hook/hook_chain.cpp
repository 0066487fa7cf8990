#include "hook/hook_chain.h"

#include "base/diagnostics.h"

namespace lumora {

ChainedCallees HookChain;

HookSites inspectHookSites() {
    return {inspectCallSite(hostAddress(HostOffset::HostCallSite_PromptHook),
                            hostAddress(HostOffset::HostCall_PromptHookTarget), HostImageBase),
            inspectCallSite(hostAddress(HostOffset::HostCallSite_TextCaptureHook),
                            hostAddress(HostOffset::EngineString_Create), HostImageBase)};
}

bool hookSitesUnderstood(const HookSites& sites) {
    // A site that could not be queried was not read: the load goes on as it
    // always did, and the trampoline's own walk meets the same failing
    // VirtualQuery and stops the load with its box.
    return sites.prompt.kind != CallSiteKind::Unknown && sites.capture.kind != CallSiteKind::Unknown;
}

namespace {
void reportChainedSite(std::uintptr_t offset, const CallSiteInspection& site) {
    writeDiagnostic("call site " LUMORA_HEX64 " already leads to " LUMORA_HEX64 "; the hook calls it",
                    static_cast<unsigned long long>(hostAddress(offset)), static_cast<unsigned long long>(site.callee));
}
}  // namespace

void chainHookCallees(const HookSites& sites) {
    if (sites.prompt.kind == CallSiteKind::Chained) {
        HookChain.promptHookTarget.store(reinterpret_cast<PromptHookTargetFn>(sites.prompt.callee),
                                         std::memory_order_release);
        reportChainedSite(HostOffset::HostCallSite_PromptHook, sites.prompt);
    }
    if (sites.capture.kind == CallSiteKind::Chained) {
        HookChain.engineStringCreate.store(reinterpret_cast<EngineStringCreateFn>(sites.capture.callee),
                                           std::memory_order_release);
        reportChainedSite(HostOffset::HostCallSite_TextCaptureHook, sites.capture);
    }
}

}  // namespace lumora
