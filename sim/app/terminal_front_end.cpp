#include "terminal_front_end.h"

#include <unistd.h>

#include <iostream>
#include <thread>

#include "box_rendering.h"
#include "command_runner.h"
#include "fresh_game_folder.h"
#include "key_names.h"
#include "line_printer.h"
#include "player_input.h"
#include "session.h"

namespace demo {
namespace {

using namespace std::chrono_literals;

const char* const kWelcome =
    "Halcyra (simulated) with the Lumora Search Engine plugin.\n"
    "\n"
    "  map          open the galaxy star map (the search works only there)\n"
    "  q            press the search hotkey (wait a second after opening the map)\n"
    "  <text>       while the prompt is open: your search, Enter confirms\n"
    "  0-9, k0-k9   while the results box is open: choose a line (top row, keypad)\n"
    "  q            while the box ends in \"Press the search hotkey for more.\": the next ten lines\n"
    "  Enter        while a box is open: OK\n"
    "  search TEXT  all of the above in one go (\"thessa--ship\": Thessa, but not ship)\n"
    "  help         every command;  quit  ends the session (or Ctrl-D)\n"
    "\n"
    "The plugin starts with the first command that runs the game and reads its settings then.\n"
    "A fresh game folder holds the installer's Recommended settings, every addition on; before\n"
    "the first game command, `ini settings KEY 0` turns one off: bPageResultsWithHotkey,\n"
    "bSuggestSimilarNames, bFoldAccentedLetters, bRememberLastSearch, bRecentDestinations (an\n"
    "empty search lists the bodies chosen last), bWriteLogFile (the log, in\n"
    "Data/Obrix/Plugins/LumoraSearchEngine.log of the game's folder).\n";

ScreenState screenOf(const Session& session) {
    return {session.menuOpen("GalaxyStarMapMenu"), session.menuOpen("Console"), session.menuOpen("TextInputMenu"),
            session.menuOpen("MessageBoxMenu")};
}

std::string promptFor(const ScreenState& screen, int hotkey) {
    if (screen.textInputOpen) return "search text (Enter confirms, /esc cancels) > ";
    if (screen.messageBoxOpen)
        return "message box: digit or k+digit chooses, " + keyName(hotkey) + " shows more, Enter is OK > ";
    std::string where = screen.starMapOpen ? "star map" : "no menu";
    if (screen.consoleOpen) where += ", console";
    if (screen.starMapOpen) return "[" + where + "] " + keyName(hotkey) + ": search hotkey, help > ";
    return "[" + where + "] map: open the star map, help > ";
}

}  // namespace

int runTerminalSession(const DemoOptions& options) {
    LinePrinter printer;
    SessionOptions sessionOptions;
    sessionOptions.galaxyPath = options.galaxyPath;
    sessionOptions.workdir = options.workdir;
    sessionOptions.keyHold = std::chrono::milliseconds(options.keyHoldMs);
    sessionOptions.captureDiagnostics = true;
    sessionOptions.onLine = [&printer](const std::string& line, std::FILE* out) {
        auto rendered = renderTranscriptLine(line);
        if (!rendered.empty()) printer.print(out, rendered);
    };
    Session session(std::move(sessionOptions));
    if (options.workdir.empty()) placeRecommendedSettings(session.workFolder());
    std::FILE* out = session.output();
    printer.printRaw(out, kWelcome);
    printer.printRaw(out, "\nThe game's folder is " + session.workFolder() + "\n\n");
    // The plugin starts with the first command that runs the game, as in a
    // script, so that settings written before it are the ones it reads.

    CommandRunner runner(session);
    std::string line;
    for (;;) {
        printer.printRaw(out, promptFor(screenOf(session), runner.hotkey()));
        if (!std::getline(std::cin, line)) {
            printer.printRaw(out, "\n");
            break;
        }
        std::vector<Command> commands;
        try {
            commands = commandsForInput(line, screenOf(session));
        } catch (const ScriptError& error) {
            printer.print(out, {std::string("! ") + error.what()});
            continue;
        }
        const ScreenState screen = screenOf(session);
        if (commands.size() == 1 && commands[0].verb == "press" && !commands[0].words.empty() &&
            parseKeyName(commands[0].words[0]) == runner.hotkey() && !screen.starMapOpen && !screen.textInputOpen)
            printer.print(out, {"  (the search hotkey works on the star map: enter map first)"});
        bool quit = false;
        for (const auto& command : commands) {
            const CommandOutcome outcome = runner.run(command);
            if (!outcome.message.empty()) printer.printRaw(out, (outcome.ok ? "" : "! ") + outcome.message + "\n");
            quit |= outcome.quit;
            if (!outcome.ok) break;
        }
        if (quit) break;
        // Let the game's next frames and the plugin's next passes show.
        std::this_thread::sleep_for(200ms);
    }
    const SessionSummary summary = session.finish();
    return summary.clean() ? 0 : 2;
}

}  // namespace demo
