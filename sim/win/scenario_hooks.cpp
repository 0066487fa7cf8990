#include "scenario_hooks.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

#include "hostsim/boot.h"
#include "hostsim/call_sites.h"
#include "hostsim/engine_strings.h"
#include "hostsim/events.h"
#include "hostsim/galaxy.h"
#include "hostsim/image.h"
#include "hostsim/loader.h"
#include "hostsim/menus.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "plugin_library.h"

namespace hostsim {
namespace {

std::string hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

// Counts failed checks; every check prints one line.
struct Checks {
    int failed = 0;
    void expect(bool ok, const std::string& what) {
        recordTranscriptLine("hooks: " + what + (ok ? " ok" : " FAILED"));
        if (!ok) ++failed;
    }
};

struct SiteFinding {
    bool isCall = false;
    std::uintptr_t entry = 0;
};

SiteFinding readSite(std::uintptr_t offset) {
    const std::uint8_t* site = at(offset);
    std::int32_t displacement;
    std::memcpy(&displacement, site + 1, 4);
    return {site[0] == 0xE8, reinterpret_cast<std::uintptr_t>(site) + 5 + static_cast<std::intptr_t>(displacement)};
}

// Checks one site and its entry; returns the entry's jump target.
void checkSite(Checks& checks, const char* name, std::uintptr_t offset, HMODULE plugin) {
    const auto image = reinterpret_cast<std::uintptr_t>(imageBase());
    const SiteFinding site = readSite(offset);
    checks.expect(site.isCall, std::string(name) + " site holds E8 rel32");
    if (!site.isCall) return;
    checks.expect(site.entry < image && image - site.entry <= 0x78000000,
                  std::string(name) + " entry at image-" + hex(image - site.entry) + " below the image within reach");

    const auto* entry = reinterpret_cast<const std::uint8_t*>(site.entry);
    const std::uint8_t jump[6] = {0xFF, 0x25, 0, 0, 0, 0};  // jmp qword ptr [rip+0]
    checks.expect(std::memcmp(entry, jump, 6) == 0, std::string(name) + " entry starts FF 25 00000000");
    std::uintptr_t target;
    std::memcpy(&target, entry + 6, 8);
    MEMORY_BASIC_INFORMATION info{};
    const bool queried = VirtualQuery(reinterpret_cast<void*>(target), &info, sizeof info) != 0;
    checks.expect(queried && info.AllocationBase == plugin, std::string(name) + " entry jumps into the plugin");
}

void checkBlock(Checks& checks) {
    const SiteFinding prompt = readSite(offsets::HostCallSite_PromptHook);
    const SiteFinding capture = readSite(offsets::HostCallSite_TextCaptureHook);
    checks.expect(capture.entry == prompt.entry + 14, "entries 14 bytes apart, prompt first");
    MEMORY_BASIC_INFORMATION info{};
    const bool queried = VirtualQuery(reinterpret_cast<void*>(prompt.entry), &info, sizeof info) != 0;
    checks.expect(queried && info.State == MEM_COMMIT && info.Protect == PAGE_EXECUTE_READWRITE,
                  "entry block committed and executable");
    checks.expect(queried && reinterpret_cast<std::uintptr_t>(info.AllocationBase) == prompt.entry,
                  "first entry at the start of the block");
}

int runScenario(const char* galaxyPath) {
    bootGame();
    installGalaxy(loadGalaxyFile(galaxyPath));
    recordTranscriptLine(std::string("game: galaxy ") + quoted(galaxyPath));

    const std::optional<PluginLibrary> plugin = loadPluginLibrary();
    if (!plugin) return 2;
    if (!loadPlugin(plugin->descriptor, plugin->load).loadReturned) return 3;
    sendLoaderMessage(2);

    Checks checks;
    checkSite(checks, "prompt", offsets::HostCallSite_PromptHook, plugin->module);
    checkSite(checks, "capture", offsets::HostCallSite_TextCaptureHook, plugin->module);
    checkBlock(checks);

    // The game's frames pass the prompt site; the hook makes the game's call.
    for (std::uint64_t frame = 0; frame < 3; ++frame) {
        const PromptSitePass pass = passPromptSite(0x1000 + frame, ~frame, 0x8000000000000000ull | frame, frame);
        checks.expect(pass.targetCalls == 1 && pass.argumentsIntact &&
                          pass.returned ==
                              promptTargetResult(0x1000 + frame, ~frame, 0x8000000000000000ull | frame, frame),
                      "prompt pass " + std::to_string(frame) + " through the hook");
    }

    recordTranscriptLine("scenario: text made right after editing ended on the star map");
    openMenu("GalaxyStarMapMenu");
    deliverTextInputEvent(EventSourceKind::EndEditText);
    passCaptureSite("Harrow");
    processUiQueue();

    recordTranscriptLine("scenario: text made 200 ms after editing ended");
    deliverTextInputEvent(EventSourceKind::EndEditText);
    Sleep(200);
    passCaptureSite("Harrow");
    recordTranscriptLine("scenario: done");

    const bool balanced = engineStringLedgerBalanced();
    recordTranscriptLine(std::string("game: engine strings ") + (balanced ? "balanced" : "unbalanced"));
    const bool clean = checks.failed == 0 && violations().empty() && balanced;
    recordTranscriptLine(clean ? "game: session ended cleanly" : "game: session ended with problems");
    return clean ? 0 : 4;
}

}  // namespace

int runHooksScenario(const char* galaxyPath) {
    setTranscriptEcho([](const std::string& line) {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    });
    try {
        return runScenario(galaxyPath);
    } catch (const std::exception& error) {
        recordTranscriptLine(std::string("game: scenario stopped: ") + error.what());
        return 5;
    }
}

}  // namespace hostsim
