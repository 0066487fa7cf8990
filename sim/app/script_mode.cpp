#include "script_mode.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "command_runner.h"
#include "fresh_game_folder.h"
#include "line_printer.h"
#include "session.h"

namespace demo {
namespace {

std::optional<std::string> readScript(const std::string& path) {
    std::ostringstream text;
    if (path.empty() || path == "-") {
        text << std::cin.rdbuf();
        return text.str();
    }
    std::ifstream file(path);
    if (!file) return std::nullopt;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

int runScriptMode(const DemoOptions& options) {
    const auto text = readScript(options.scriptPath);
    if (!text) {
        std::cerr << "halcyra_demo: cannot read " << options.scriptPath << "\n";
        return 64;
    }
    std::vector<Command> commands;
    try {
        commands = parseScript(*text);
    } catch (const ScriptError& error) {
        std::cerr << "halcyra_demo: " << options.scriptPath << ": " << error.what() << "\n";
        return 64;
    }

    LinePrinter printer;
    SessionOptions sessionOptions;
    sessionOptions.galaxyPath = options.galaxyPath;
    sessionOptions.workdir = options.workdir;
    sessionOptions.keyHold = std::chrono::milliseconds(options.keyHoldMs);
    sessionOptions.captureDiagnostics = true;
    sessionOptions.onLine = [&printer](const std::string& line, std::FILE* out) { printer.print(out, {line}); };
    Session session(std::move(sessionOptions));
    if (options.workdir.empty()) placeRecommendedSettings(session.workFolder());

    const CommandOutcome outcome = runScript(session, commands, [&](const Command& command) {
        printer.print(session.output(), {"> " + command.source});
    });
    if (!outcome.ok) printer.print(session.output(), {"script failed: " + outcome.message});
    if (!outcome.ok) std::cerr << "halcyra_demo: " << outcome.message << "\n";
    const SessionSummary summary = session.finish();
    if (!outcome.ok) return 1;
    return summary.clean() ? 0 : 2;
}

}  // namespace demo
