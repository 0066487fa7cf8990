// The simulated game Halcyra with the plugin linked in, loaded by the
// simulated loader: an interactive session on a terminal, or a script whose
// transcript is printed.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "demo_options.h"
#include "hostsim/galaxy.h"
#include "script_mode.h"
#include "terminal_front_end.h"

int main(int argc, char** argv) {
    std::string error;
    auto options = demo::parseDemoOptions(argc, argv, error);
    if (!options) {
        std::cerr << "halcyra_demo: " << error << "\n" << demo::kDemoUsage;
        return 64;
    }
    if (options->help) {
        std::cout << demo::kDemoUsage;
        return 0;
    }
    if (options->galaxyPath.empty()) options->galaxyPath = hostsim::shippedGalaxyDirectory() + "/sample.galaxy";

    const bool interactive = options->scriptPath.empty() && isatty(STDIN_FILENO);
    int status = 0;
    try {
        status = interactive ? demo::runTerminalSession(*options) : demo::runScriptMode(*options);
    } catch (const std::exception& problem) {
        std::cerr << "halcyra_demo: " << problem.what() << "\n";
        status = 64;
    }
    std::fflush(stdout);
    // The plugin's polling thread runs until the process ends, as in the game.
    std::_Exit(status);
}
