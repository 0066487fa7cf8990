#include "scenario_no_messaging.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "hostsim/boot.h"
#include "hostsim/call_sites.h"
#include "hostsim/engine_strings.h"
#include "hostsim/image.h"
#include "hostsim/loader.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "plugin_library.h"

namespace hostsim {
namespace {

struct SiteBytes {
    std::uint8_t prompt[5];
    std::uint8_t capture[5];
};

SiteBytes readSites() {
    SiteBytes bytes;
    std::memcpy(bytes.prompt, at(offsets::HostCallSite_PromptHook), 5);
    std::memcpy(bytes.capture, at(offsets::HostCallSite_TextCaptureHook), 5);
    return bytes;
}

int failures = 0;
void expect(bool ok, const std::string& what) {
    recordTranscriptLine("no-messaging: " + what + (ok ? " ok" : " FAILED"));
    if (!ok) ++failures;
}

}  // namespace

int runNoMessagingScenario() {
    setTranscriptEcho([](const std::string& line) {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    });
    bootGame();
    const SiteBytes before = readSites();

    const std::optional<PluginLibrary> plugin = loadPluginLibrary();
    if (!plugin) return 2;
    setMessagingInterfaceAvailable(false);
    const PluginLoadOutcome outcome = loadPlugin(plugin->descriptor, plugin->load);
    expect(outcome.loadCalled && !outcome.loadReturned, "load reported failure");

    const SiteBytes after = readSites();
    expect(std::memcmp(before.prompt, after.prompt, 5) == 0, "prompt call site as the game's");
    expect(std::memcmp(before.capture, after.capture, 5) == 0, "capture call site as the game's");

    // A loader may unload a plugin whose load failed.
    expect(FreeLibrary(plugin->module) != 0, "plugin unloaded");
    for (std::uint64_t frame = 0; frame < 3; ++frame) {
        const PromptSitePass pass = passPromptSite(frame, frame + 1, frame + 2, frame + 3);
        expect(pass.targetCalls == 1 && pass.argumentsIntact &&
                   pass.returned == promptTargetResult(frame, frame + 1, frame + 2, frame + 3),
               "prompt site pass " + std::to_string(frame) + " after the unload");
    }
    const CaptureSitePass capture = passCaptureSite("Harrow");
    expect(capture.stringMade && capture.text == "Harrow", "capture site pass after the unload");

    const bool balanced = engineStringLedgerBalanced();
    recordTranscriptLine(std::string("game: engine strings ") + (balanced ? "balanced" : "unbalanced"));
    const bool clean = failures == 0 && violations().empty() && balanced;
    recordTranscriptLine(clean ? "game: session ended cleanly" : "game: session ended with problems");
    return clean ? 0 : 4;
}

}  // namespace hostsim
