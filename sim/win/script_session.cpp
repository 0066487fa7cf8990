#include "script_session.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "command_runner.h"
#include "game_process.h"
#include "script_parser.h"
#include "session.h"
#include "windows/plugin_imports.h"

namespace hostsim {
namespace {

struct ScriptOptions {
    std::string scriptPath;
    demo::SessionOptions session;
    std::string galaxyArgument;
    std::string holdArgument;
    std::string menuOrderArgument;  // passed on to each part's process
    int part = -1;                  // -1: the whole script; otherwise the part after that many restarts
};

bool parseOptions(int argc, char** argv, ScriptOptions& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--script") options.scriptPath = value;
        else if (name == "--galaxy") options.session.galaxyPath = options.galaxyArgument = value;
        else if (name == "--workdir") options.session.workdir = value;
        else if (name == "--hold") {
            options.holdArgument = value;
            options.session.keyHold = std::chrono::milliseconds(std::atoi(value.c_str()));
        } else if (name == "--part") options.part = std::atoi(value.c_str());
        else if (name == "--menu-order") {
            const auto order = parseMenuEventOrder(value);
            if (!order) return false;
            options.menuOrderArgument = value;
            options.session.menuEventOrder = *order;
        } else return false;
    }
    return argc % 2 == 1 && !options.scriptPath.empty();
}

}  // namespace

int runScriptSession(int argc, char** argv) {
    ScriptOptions options;
    options.session.keyHold = std::chrono::milliseconds(300);
    if (!parseOptions(argc, argv, options)) {
        std::fputs(
            "use: halcyra_sim --script FILE [--galaxy FILE] [--workdir DIR] [--hold MS]\n"
            "       [--menu-order game|late-leave|second-close|late-leave,second-close]\n",
            stderr);
        return 64;
    }
    std::ifstream file(options.scriptPath, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "halcyra_sim: cannot read %s\n", options.scriptPath.c_str());
        return 64;
    }
    std::ostringstream text;
    text << file.rdbuf();
    std::vector<demo::Command> commands;
    try {
        commands = demo::parseScript(text.str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "halcyra_sim: %s: %s\n", options.scriptPath.c_str(), error.what());
        return 64;
    }

    // A script that starts the game again plays each part in a game process
    // of its own, one after the other, over the same folder.
    const auto parts = demo::splitAtRestarts(commands);
    if (parts.size() > 1 && options.part < 0) {
        if (options.session.workdir.empty()) {
            std::fputs("halcyra_sim: a script with restart needs --workdir\n", stderr);
            return 64;
        }
        for (std::size_t part = 0; part < parts.size(); ++part) {
            std::vector<std::string> arguments{"--script", options.scriptPath,  "--workdir", options.session.workdir,
                                               "--part",   std::to_string(part)};
            if (!options.galaxyArgument.empty())
                arguments.insert(arguments.end(), {"--galaxy", options.galaxyArgument});
            if (!options.holdArgument.empty()) arguments.insert(arguments.end(), {"--hold", options.holdArgument});
            if (!options.menuOrderArgument.empty())
                arguments.insert(arguments.end(), {"--menu-order", options.menuOrderArgument});
            const int code = demo::runThisProgramAgain(arguments);
            if (code != 0) return code < 0 ? 2 : code;
        }
        return 0;
    }
    if (options.part >= 0) {
        if (static_cast<std::size_t>(options.part) >= parts.size()) return 64;
        commands = parts[static_cast<std::size_t>(options.part)];
    }

    std::mutex printing;
    auto print = [&printing](std::FILE* out, const std::string& line) {
        std::lock_guard lock(printing);
        std::fputs(line.c_str(), out);
        std::fputc('\n', out);
        std::fflush(out);
    };
    options.session.captureDiagnostics = true;
    options.session.clockInstaller = &demo::installClockThroughImports;
    options.session.onLine = [&print](const std::string& line, std::FILE* out) { print(out, line); };
    try {
        demo::Session session(options.session);
        const demo::CommandOutcome outcome = demo::runScript(session, commands, [&](const demo::Command& command) {
            print(session.output(), "> " + command.source);
        });
        if (!outcome.ok) print(session.output(), "script failed: " + outcome.message);
        const demo::SessionSummary summary = session.finish();
        if (!outcome.ok) return 1;
        return summary.clean() ? 0 : 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "halcyra_sim: %s\n", error.what());
        return 64;
    }
}

}  // namespace hostsim
