// The game executable: boots its image, loads the plugin from the loader's
// plugin folder as the loader would, sends the loader's messages and runs a
// few frames through both call sites. Every effect is printed as it happens.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "hostsim/boot.h"
#include "hostsim/call_sites.h"
#include "hostsim/engine_strings.h"
#include "hostsim/game_thread.h"
#include "hostsim/loader.h"
#include "hostsim/transcript.h"
#include "plugin_library.h"
#include "scenario_hooks.h"
#include "scenario_no_messaging.h"
#include "script_session.h"
#include "version_resource.h"

namespace {

int runGame() {
    using namespace hostsim;
    setTranscriptEcho([](const std::string& line) {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    });
    bootGame();

    const std::optional<PluginLibrary> plugin = loadPluginLibrary();
    if (!plugin) return 2;
    recordTranscriptLine("loader: loaded " + quoted(kPluginPath));

    const VersionResourceReport version = readVersionResource(kPluginPath);
    for (const auto& line : version.lines) recordTranscriptLine(line);

    const PluginLoadOutcome outcome = loadPlugin(plugin->descriptor, plugin->load);
    if (!outcome.loadReturned) return 3;
    for (std::uint32_t type : {0u, 1u, 2u, 3u}) sendLoaderMessage(type);

    // A few frames on this thread, the game's main thread, and one string made
    // at the capture site, as the game does all the time.
    for (int frame = 0; frame < 3; ++frame) stepFrame();
    passCaptureSite("Halcyra");

    const bool balanced = engineStringLedgerBalanced();
    recordTranscriptLine(std::string("game: engine strings ") + (balanced ? "balanced" : "unbalanced"));
    const bool clean = violations().empty() && version.found && balanced;
    recordTranscriptLine(clean ? "game: session ended cleanly" : "game: session ended with problems");
    return clean ? 0 : 4;
}

}  // namespace

int main(int argc, char** argv) {
    // "--scenario hooks <galaxy file>" runs the hook scenario instead of the plain session;
    // "--scenario no-messaging" a load without the loader's messaging interface;
    // "--script FILE ..." plays a session of the command language.
    const bool scenario = argc >= 3 && std::string(argv[1]) == "--scenario";
    int code;
    if (scenario && argc == 4 && std::string(argv[2]) == "hooks") code = hostsim::runHooksScenario(argv[3]);
    else if (scenario && argc == 3 && std::string(argv[2]) == "no-messaging") code = hostsim::runNoMessagingScenario();
    else if (argc >= 3 && std::string(argv[1]) == "--script") code = hostsim::runScriptSession(argc, argv);
    else code = runGame();
    std::fflush(stdout);
    // The plugin's threads run until the process ends, as in the game.
    ExitProcess(static_cast<UINT>(code));
}
