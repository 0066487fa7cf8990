// The simulated game with the plugin linked in: the loader finds the plugin's
// two exports, reads the descriptor, calls the load entry and sends its
// messages; then the game runs a few frames through both call sites. Every
// effect is printed as it happens.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "hostsim/boot.h"
#include "hostsim/call_sites.h"
#include "hostsim/engine_strings.h"
#include "hostsim/game_thread.h"
#include "hostsim/loader.h"
#include "hostsim/transcript.h"

int main() {
    using namespace hostsim;
    setTranscriptEcho([](const std::string& line) {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    });
    const std::uint8_t* image = bootGame();
    std::printf("game: image at %p\n", static_cast<const void*>(image));

    auto* descriptor = static_cast<const PluginDescriptorRecord*>(dlsym(RTLD_DEFAULT, "ObrixPlugin_Version"));
    auto load = reinterpret_cast<PluginLoadEntry>(dlsym(RTLD_DEFAULT, "ObrixPlugin_Load"));
    const PluginLoadOutcome outcome = loadPlugin(descriptor, load);
    if (!outcome.loadReturned) return 1;
    for (std::uint32_t type : {0u, 1u, 2u, 3u}) sendLoaderMessage(type);

    for (int frame = 0; frame < 3; ++frame) stepFrame();
    passCaptureSite("Halcyra");

    const bool balanced = engineStringLedgerBalanced();
    recordTranscriptLine(std::string("game: engine strings ") + (balanced ? "balanced" : "unbalanced"));
    const bool clean = violations().empty() && balanced;
    recordTranscriptLine(clean ? "game: session ended cleanly" : "game: session ended with problems");
    std::fflush(stdout);
    // The plugin's polling thread runs until the process ends, as in the game.
    std::_Exit(clean ? 0 : 1);
}
