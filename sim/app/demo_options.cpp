#include "demo_options.h"

#include <charconv>
#include <string_view>

namespace demo {

const char* const kDemoUsage =
    "usage: halcyra_demo [--galaxy FILE] [--script FILE] [--workdir DIR] [--hold MS] [--help]\n"
    "  Plays the Lumora Search Engine plugin inside the simulated game Halcyra.\n"
    "  --galaxy FILE   the game's galaxy (default: the sample galaxy)\n"
    "  --script FILE   run the commands of FILE and print the transcript ('-': standard input);\n"
    "                  without it, a terminal gets an interactive session and anything else\n"
    "                  on standard input is read as a script\n"
    "  --workdir DIR   the game's folder, holding Data/Obrix/Plugins/ (default: a temporary one)\n"
    "  --hold MS       how long a pressed key stays down (default 150)\n";

std::optional<DemoOptions> parseDemoOptions(int argc, char** argv, std::string& error) {
    DemoOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--galaxy") {
            if (!value(options.galaxyPath)) return std::nullopt;
        } else if (arg == "--script") {
            if (!value(options.scriptPath)) return std::nullopt;
        } else if (arg == "--workdir") {
            if (!value(options.workdir)) return std::nullopt;
        } else if (arg == "--hold") {
            std::string text;
            if (!value(text)) return std::nullopt;
            const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), options.keyHoldMs);
            if (problem != std::errc() || end != text.data() + text.size() || options.keyHoldMs < 1) {
                error = "--hold needs a number of milliseconds";
                return std::nullopt;
            }
        } else {
            error = "unknown option " + std::string(arg);
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace demo
