#include "hook/call_site_log.h"

#include "base/plugin_log.h"

namespace lumora {

namespace {

void logVerdict(const char* name, std::uintptr_t offset, const CallSiteInspection& site, bool patched) {
    const auto imageOffset = static_cast<unsigned long long>(offset);
    switch (site.kind) {
        case CallSiteKind::GameOwn:
            appendLogLine("call site %s (image+0x%llX): the game's call, %s", name, imageOffset,
                          patched ? "patched" : "left alone");
            break;
        case CallSiteKind::Chained:
            appendLogLine("call site %s (image+0x%llX): another mod's hook at 0x%016llX, %s", name, imageOffset,
                          static_cast<unsigned long long>(site.callee),
                          patched ? "patched; our hook calls it" : "left alone");
            break;
        case CallSiteKind::Unknown:
            appendLogLine("call site %s (image+0x%llX): refused: %s", name, imageOffset, site.refusal);
            break;
        case CallSiteKind::NotQueried:
            appendLogLine("call site %s (image+0x%llX): not readable to check (VirtualQuery failed), %s", name,
                          imageOffset, patched ? "patched" : "left alone");
            break;
    }
}

}  // namespace

void logCallSiteVerdicts(const HookSites& sites, bool patched) noexcept {
    if (!pluginLogAccepting()) return;
    logVerdict("prompt", HostOffset::HostCallSite_PromptHook, sites.prompt, patched);
    logVerdict("capture", HostOffset::HostCallSite_TextCaptureHook, sites.capture, patched);
}

}  // namespace lumora
