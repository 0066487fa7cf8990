#include "command_runner.h"

#include <charconv>
#include <cstdlib>
#include <functional>
#include <set>

#include "hostsim/galaxy.h"
#include "key_names.h"
#include "session.h"
#include "work_folder.h"

namespace demo {
namespace {

using namespace std::chrono_literals;

struct CommandHelp {
    const char* form;
    const char* meaning;
};

constexpr CommandHelp kHelp[] = {
    {"search TEXT", "the whole road: star map open for a second, hotkey, type TEXT, confirm, wait for the box"},
    {"open MENU / close MENU", "the game opens or closes a menu (map, box, text, console, or any menu name)"},
    {"key down KEY / key up KEY", "hold a key down or let it go (Q, TAB, ESC, 0-9, NUM0-NUM9, F1-F12, 0xNN)"},
    {"key press KEY [MS] / press KEY [MS]", "hold a key for MS milliseconds (default 150) and let it go"},
    {"type TEXT", "replace the text in the prompt's edit field"},
    {"confirm", "the game ends editing, closes the text input menu and captures the field's text"},
    {"cancel", "the game's own cancel: editing cancelled, text input menu closed, nothing captured"},
    {"capture TEXT", "the game makes a string of TEXT at the capture call site"},
    {"ok", "the player answers the game's message box: the box closes"},
    {"wait MS", "let MS milliseconds pass"},
    {"frames N", "wait until the game thread has run N more frames"},
    {"clock freeze|run|advance MS", "the plugin's clock (only where the program can set it)"},
    {"galaxy FILE [LINE...]", "load a galaxy file, amended by the quoted LINEs, and make it the game's"},
    {"ini FILE KEY VALUE", "write KEY=VALUE in [General] of FILE (settings, lang or a file name)"},
    {"window game|other|none", "which window has the focus"},
    {"ui-object absent|present", "whether the game's UI object exists yet"},
    {"load", "the loader loads the plugin (ObrixPlugin_Load)"},
    {"message N", "the loader sends message type N (2: the game's data has loaded)"},
    {"start", "load and send message 2, unless done; every game command does this first"},
    {"expect PATTERN", "wait for a transcript line matching PATTERN (* matches anything)"},
    {"expect-none PATTERN", "let two frames pass; fail if a line since the last match or mark matches"},
    {"expect-any PATTERN", "wait for a matching line anywhere after the last mark (order left open)"},
    {"mark", "expect-none and expect-any look at lines after this point only"},
    {"timeout MS", "how long expect waits (default 5000)"},
    {"note TEXT", "write a note line into the transcript"},
    {"help / quit", "this list / end the session"},
};

// Commands that set the scene or read the transcript without making the game
// run; every other command first has the loader start the plugin.
const std::set<std::string> kSceneCommands = {"galaxy", "ini",  "window", "ui-object", "load",        "message",
                                              "start",  "clock", "timeout", "note",     "expect",      "expect-none", "expect-any",
                                              "mark",   "wait", "help",   "quit",      "exit"};

CommandOutcome failure(std::string message) { return {false, false, std::move(message)}; }

std::optional<long long> parseInteger(const std::string& text) {
    long long value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        begin += 2;
        base = 16;
    }
    const auto [stop, error] = std::from_chars(begin, end, value, base);
    if (error != std::errc() || stop != end || begin == end) return std::nullopt;
    return value;
}

std::optional<std::chrono::milliseconds> parseMilliseconds(const std::string& text) {
    auto value = parseInteger(text);
    if (!value || *value < 0) return std::nullopt;
    return std::chrono::milliseconds(*value);
}

// The words after the verb as one text: a single quoted word is kept
// exactly, several words are joined by one blank.
std::string joinedWords(const std::vector<std::string>& words, std::size_t from = 0) {
    std::string text;
    for (std::size_t i = from; i < words.size(); ++i) {
        if (i > from) text += ' ';
        text += words[i];
    }
    return text;
}

}  // namespace

std::string menuName(const std::string& alias) {
    if (alias == "map" || alias == "starmap") return "GalaxyStarMapMenu";
    if (alias == "box") return "MessageBoxMenu";
    if (alias == "text" || alias == "prompt") return "TextInputMenu";
    if (alias == "console") return "Console";
    return alias;
}

std::string commandHelp() {
    std::string text;
    for (const auto& help : kHelp) {
        std::string form = help.form;
        form.resize(std::max<std::size_t>(form.size(), 36), ' ');
        text += "  " + form + " " + help.meaning + "\n";
    }
    return text;
}

CommandOutcome CommandRunner::run(const Command& command) {
    const std::string& verb = command.verb;
    const auto& words = command.words;
    if (!kSceneCommands.contains(verb)) session_.start();

    auto needWords = [&](std::size_t count) { return words.size() >= count; };

    if (verb == "help") return {true, false, commandHelp()};
    if (verb == "quit" || verb == "exit") return {true, true, {}};
    if (verb == "search") {
        if (!needWords(1)) return failure("search needs a text");
        return runSearch(joinedWords(words));
    }
    if (verb == "open" || verb == "close") {
        if (words.size() != 1) return failure(verb + " needs one menu name");
        verb == "open" ? session_.openMenu(menuName(words[0])) : session_.closeMenu(menuName(words[0]));
        return {};
    }
    if (verb == "key" || verb == "press") {
        const bool shortForm = verb == "press";
        const std::string action = shortForm ? "press" : (words.empty() ? "" : words[0]);
        const std::size_t keyAt = shortForm ? 0 : 1;
        if (words.size() <= keyAt || (action != "down" && action != "up" && action != "press"))
            return failure("use: key down|up|press KEY [MS]");
        const auto key = parseKeyName(words[keyAt]);
        if (!key) return failure("unknown key " + words[keyAt]);
        if (action == "down") session_.keyDown(*key);
        if (action == "up") session_.keyUp(*key);
        if (action == "press") {
            std::optional<std::chrono::milliseconds> hold;
            if (words.size() > keyAt + 1 && !(hold = parseMilliseconds(words[keyAt + 1])))
                return failure("hold time must be milliseconds");
            session_.pressKey(*key, hold);
        }
        return {};
    }
    if (verb == "type") {
        session_.typeText(joinedWords(words));
        return {};
    }
    if (verb == "confirm") {
        session_.confirmText();
        return {};
    }
    if (verb == "cancel") {
        session_.cancelText();
        return {};
    }
    if (verb == "capture") {
        session_.captureText(joinedWords(words));
        return {};
    }
    if (verb == "ok") {
        session_.dismissMessageBox();
        return {};
    }
    if (verb == "wait") {
        const auto duration = words.size() == 1 ? parseMilliseconds(words[0]) : std::nullopt;
        if (!duration) return failure("use: wait MS");
        session_.waitFor(*duration);
        return {};
    }
    if (verb == "frames") {
        const auto count = words.size() == 1 ? parseInteger(words[0]) : std::nullopt;
        if (!count || *count < 0) return failure("use: frames N");
        if (!session_.runFrames(static_cast<std::uint64_t>(*count))) return failure("the game thread stopped running frames");
        return {};
    }
    if (verb == "clock") {
        if (!session_.clockControllable()) return failure("this program cannot set the plugin's clock");
        if (words.size() == 1 && words[0] == "freeze") session_.freezeClock();
        else if (words.size() == 1 && words[0] == "run") session_.runClock();
        else if (words.size() == 2 && words[0] == "advance" && parseMilliseconds(words[1]))
            session_.advanceClock(parseMilliseconds(words[1])->count() * 1'000'000);
        else return failure("use: clock freeze|run|advance MS");
        return {};
    }
    if (verb == "galaxy") {
        if (words.empty()) return failure("use: galaxy FILE [LINE...]");
        try {
            session_.loadGalaxy(words[0], std::vector<std::string>(words.begin() + 1, words.end()));
        } catch (const std::exception& error) {
            return failure(error.what());
        }
        return {};
    }
    if (verb == "ini") {
        if (words.size() != 3) return failure("use: ini FILE KEY VALUE");
        session_.setIniValue(words[0], words[1], words[2]);
        if (iniFileName(words[0]) == "LumoraSearchEngine.ini" && words[1] == "iTextInputMenuHotkey") {
            char* end = nullptr;
            const unsigned long code = std::strtoul(words[2].c_str(), &end, 16);
            hotkey_ = (end != words[2].c_str() && code > 0 && code < 0x100) ? static_cast<int>(code) : 0x51;
        }
        return {};
    }
    if (verb == "window") {
        if (words.size() != 1) return failure("use: window game|other|none");
        if (words[0] == "game") session_.setWindowInFront(WindowInFront::Game);
        else if (words[0] == "other") session_.setWindowInFront(WindowInFront::Other);
        else if (words[0] == "none") session_.setWindowInFront(WindowInFront::None);
        else return failure("use: window game|other|none");
        return {};
    }
    if (verb == "ui-object") {
        if (words.size() != 1 || (words[0] != "absent" && words[0] != "present"))
            return failure("use: ui-object absent|present");
        session_.setUiObjectPresent(words[0] == "present");
        return {};
    }
    if (verb == "load") {
        if (session_.pluginLoaded()) return failure("the plugin is loaded already");
        session_.loadPlugin();
        return {};
    }
    if (verb == "message") {
        const auto type = words.size() == 1 ? parseInteger(words[0]) : std::nullopt;
        if (!type || *type < 0 || *type > 0xFFFFFFFF) return failure("use: message N");
        if (!session_.pluginLoaded()) return failure("load the plugin first");
        session_.sendLoaderMessage(static_cast<std::uint32_t>(*type));
        return {};
    }
    if (verb == "start") {
        session_.start();
        return {};
    }
    if (verb == "expect") {
        if (command.rest.empty()) return failure("expect needs a pattern");
        if (!session_.expectLine(command.rest)) return failure("no line matched: " + command.rest);
        return {};
    }
    if (verb == "expect-any") {
        if (command.rest.empty()) return failure("expect-any needs a pattern");
        if (!session_.expectLineSinceMark(command.rest)) return failure("no line since the mark matched: " + command.rest);
        return {};
    }
    if (verb == "expect-none") {
        if (command.rest.empty()) return failure("expect-none needs a pattern");
        // What the last key or command set off shows within the next frames.
        session_.runFrames(2);
        if (auto line = session_.findLineSinceCursor(command.rest)) return failure("unexpected line: " + *line);
        return {};
    }
    if (verb == "mark") {
        session_.markCursor();
        return {};
    }
    if (verb == "timeout") {
        const auto duration = words.size() == 1 ? parseMilliseconds(words[0]) : std::nullopt;
        if (!duration) return failure("use: timeout MS");
        session_.setExpectTimeout(*duration);
        return {};
    }
    if (verb == "note") {
        session_.note(command.rest);
        return {};
    }
    return failure("unknown command " + verb + " (try help)");
}

CommandOutcome CommandRunner::runSearch(const std::string& text) {
    if (session_.menuOpen("MessageBoxMenu")) session_.dismissMessageBox();
    if (!session_.menuOpen("GalaxyStarMapMenu")) {
        session_.openMenu("GalaxyStarMapMenu");
        // The plugin takes no hotkey in the star map's first second.
        session_.waitFor(1050ms);
    }
    // Waits here leave the script's own expectations where they were.
    if (!session_.menuOpen("TextInputMenu")) {
        const std::size_t from = session_.transcriptSize();
        session_.keyDown(hotkey_);
        const auto opened = session_.waitForLine(from, "menu opened \"TextInputMenu\"", 2500ms);
        session_.keyUp(hotkey_);
        if (!opened) return failure("the search prompt did not open");
        session_.waitForLine(*opened, "event \"TextInputMenu_StartEditText\" *", 1000ms);
    }
    session_.typeText(text);
    const std::size_t from = session_.transcriptSize();
    session_.confirmText();
    const auto box = session_.waitForLine(from, "message box title *", 3000ms);
    if (!box) return failure("no message box came up");
    session_.waitForLine(*box, "menu opened \"MessageBoxMenu\"", 1000ms);
    return {};
}

CommandOutcome runScript(Session& session, const std::vector<Command>& commands,
                         const std::function<void(const Command&)>& beforeEach) {
    CommandRunner runner(session);
    for (const auto& command : commands) {
        if (beforeEach) beforeEach(command);
        CommandOutcome outcome = runner.run(command);
        if (!outcome.ok) {
            outcome.message = "line " + std::to_string(command.line) + ": " + command.source + ": " + outcome.message;
            return outcome;
        }
        if (outcome.quit) return outcome;
    }
    return {};
}

}  // namespace demo
