#include "command_runner.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

#include "file_holder.h"
#include "hostsim/galaxy.h"
#include "hostsim/menus.h"
#include "hostsim/site_code.h"
#include "key_names.h"
#include "session.h"
#include "work_folder.h"

namespace demo {
namespace {

using namespace std::chrono_literals;

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

namespace {

// ---- The verbs ------------------------------------------------------------------
// Each takes the runner (session and hotkey) and the command's words; the
// table below names them, says which make the game run and holds their help.

CommandOutcome runHelp(CommandRunner&, Session&, const Command&) { return {true, false, commandHelp()}; }
CommandOutcome runQuit(CommandRunner&, Session&, const Command&) { return {true, true, {}}; }

CommandOutcome runSearchVerb(CommandRunner& runner, Session&, const Command& command) {
    if (command.words.empty()) return failure("search needs a text");
    return runner.search(joinedWords(command.words));
}

CommandOutcome runOpenOrClose(CommandRunner&, Session& session, const Command& command) {
    if (command.words.size() != 1) return failure(command.verb + " needs one menu name");
    const std::string menu = menuName(command.words[0]);
    command.verb == "open" ? session.openMenu(menu) : session.closeMenu(menu);
    return {};
}

CommandOutcome runKey(CommandRunner&, Session& session, const Command& command) {
    const auto& words = command.words;
    const bool shortForm = command.verb == "press";
    const std::string action = shortForm ? "press" : (words.empty() ? "" : words[0]);
    const std::size_t keyAt = shortForm ? 0 : 1;
    if (words.size() <= keyAt || (action != "down" && action != "up" && action != "press"))
        return failure("use: key down|up|press KEY [MS]");
    const auto key = parseKeyName(words[keyAt]);
    if (!key) return failure("unknown key " + words[keyAt]);
    if (action == "down") session.keyDown(*key);
    if (action == "up") session.keyUp(*key);
    if (action == "press") {
        std::optional<std::chrono::milliseconds> hold;
        if (words.size() > keyAt + 1 && !(hold = parseMilliseconds(words[keyAt + 1])))
            return failure("hold time must be milliseconds");
        session.pressKey(*key, hold);
    }
    return {};
}

CommandOutcome runType(CommandRunner&, Session& session, const Command& command) {
    session.typeText(joinedWords(command.words));
    return {};
}

CommandOutcome runConfirm(CommandRunner&, Session& session, const Command&) {
    session.confirmText();
    return {};
}

CommandOutcome runCancel(CommandRunner&, Session& session, const Command&) {
    session.cancelText();
    return {};
}

CommandOutcome runCapture(CommandRunner&, Session& session, const Command& command) {
    session.captureText(joinedWords(command.words));
    return {};
}

CommandOutcome runOk(CommandRunner&, Session& session, const Command&) {
    session.dismissMessageBox();
    return {};
}

CommandOutcome runWait(CommandRunner&, Session& session, const Command& command) {
    const auto duration = command.words.size() == 1 ? parseMilliseconds(command.words[0]) : std::nullopt;
    if (!duration) return failure("use: wait MS");
    session.waitFor(*duration);
    return {};
}

CommandOutcome runFrames(CommandRunner&, Session& session, const Command& command) {
    const auto count = command.words.size() == 1 ? parseInteger(command.words[0]) : std::nullopt;
    if (!count || *count < 0) return failure("use: frames N");
    if (!session.runFrames(static_cast<std::uint64_t>(*count)))
        return failure("the game thread stopped running frames");
    return {};
}

CommandOutcome runClock(CommandRunner&, Session& session, const Command& command) {
    const auto& words = command.words;
    if (!session.clockControllable()) return failure("this program cannot set the plugin's clock");
    if (words.size() == 1 && words[0] == "freeze") session.freezeClock();
    else if (words.size() == 1 && words[0] == "run") session.runClock();
    else if (words.size() == 2 && words[0] == "advance" && parseMilliseconds(words[1]))
        session.advanceClock(parseMilliseconds(words[1])->count() * 1'000'000);
    else return failure("use: clock freeze|run|advance MS");
    return {};
}

CommandOutcome runGalaxy(CommandRunner&, Session& session, const Command& command) {
    const auto& words = command.words;
    if (words.empty()) return failure("use: galaxy FILE [LINE...]");
    try {
        session.loadGalaxy(words[0], std::vector<std::string>(words.begin() + 1, words.end()));
    } catch (const std::exception& error) {
        return failure(error.what());
    }
    return {};
}

CommandOutcome runIni(CommandRunner& runner, Session& session, const Command& command) {
    const auto& words = command.words;
    if (words.size() != 3) return failure("use: ini FILE KEY VALUE");
    session.setIniValue(words[0], words[1], words[2]);
    if (iniFileName(words[0]) == "LumoraSearchEngine.ini" && words[1] == "iTextInputMenuHotkey")
        runner.setHotkeyFromSetting(words[2]);
    return {};
}

// "recent" names the plugin's recent list; any other name a file in the
// plugin's folder.
std::filesystem::path pluginFile(Session& session, const std::string& name) {
    const std::string fileName = name == "recent" ? "LumoraSearchEngineRecent.txt" : name;
    return std::filesystem::path(session.workFolder()) / "Data" / "Obrix" / "Plugins" / fileName;
}

std::optional<std::string> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CommandOutcome runFile(CommandRunner& runner, Session& session, const Command& command) {
    const auto& words = command.words;
    if (words.size() == 3 && words[0] == "write") {
        std::ofstream out(pluginFile(session, words[1]), std::ios::binary | std::ios::trunc);
        out << words[2];
        return out.good() ? CommandOutcome{} : failure("cannot write " + words[1]);
    }
    if (words.size() == 2 && words[0] == "hold") {
        if (runner.heldFiles().count(words[1]) != 0) return failure(words[1] + " is held already");
        void* handle = holdFileWithoutSharing(pluginFile(session, words[1]).string());
        if (handle == nullptr) return failure("cannot hold " + words[1]);
        runner.heldFiles()[words[1]] = handle;
        return {};
    }
    if (words.size() == 2 && words[0] == "release") {
        const auto held = runner.heldFiles().find(words[1]);
        if (held == runner.heldFiles().end()) return failure(words[1] + " is not held");
        releaseHeldFile(held->second);
        runner.heldFiles().erase(held);
        return {};
    }
    return failure("use: file write NAME TEXT / file hold NAME / file release NAME");
}

CommandOutcome runExpectFile(CommandRunner&, Session& session, const Command& command) {
    const auto& words = command.words;
    if (words.size() != 2) return failure("use: expect-file NAME TEXT");
    const auto bytes = fileBytes(pluginFile(session, words[0]));
    if (!bytes) return failure(words[0] + " does not exist");
    if (*bytes != words[1]) return failure(words[0] + " holds other bytes: " + *bytes);
    return {};
}

CommandOutcome runWindow(CommandRunner&, Session& session, const Command& command) {
    const std::string which = command.words.size() == 1 ? command.words[0] : "";
    if (which == "game") session.setWindowInFront(WindowInFront::Game);
    else if (which == "other") session.setWindowInFront(WindowInFront::Other);
    else if (which == "none") session.setWindowInFront(WindowInFront::None);
    else return failure("use: window game|other|none");
    return {};
}

CommandOutcome runUiObject(CommandRunner&, Session& session, const Command& command) {
    const auto& words = command.words;
    if (words.size() != 1 || (words[0] != "absent" && words[0] != "present"))
        return failure("use: ui-object absent|present");
    session.setUiObjectPresent(words[0] == "present");
    return {};
}

struct SiteCodeWord {
    const char* word;
    hostsim::SiteCode code;
};
constexpr SiteCodeWord kSiteCodeWords[] = {
    {"game", hostsim::SiteCode::GameCall},
    {"hooked-by-other", hostsim::SiteCode::HookedByOther},
    {"garbage", hostsim::SiteCode::Garbage},
    {"other-game-function", hostsim::SiteCode::OtherGameFunction},
    {"non-executable", hostsim::SiteCode::NonExecutableTarget},
    {"unmapped", hostsim::SiteCode::UnmappedTarget},
    {"unreadable", hostsim::SiteCode::UnreadablePage},
};

CommandOutcome runSite(CommandRunner&, Session& session, const Command& command) {
    const auto& words = command.words;
    std::string codes;
    for (const SiteCodeWord& entry : kSiteCodeWords) codes += std::string(codes.empty() ? "" : "|") + entry.word;
    if (words.size() != 2 || (words[0] != "prompt" && words[0] != "capture"))
        return failure("use: site prompt|capture " + codes);
    if (session.pluginLoaded()) return failure("the plugin is loaded already: a site is set before load");
    for (const SiteCodeWord& entry : kSiteCodeWords) {
        if (words[1] != entry.word) continue;
        try {
            session.placeSiteCode(words[0] == "prompt" ? hostsim::CallSite::Prompt : hostsim::CallSite::Capture,
                                  entry.code);
        } catch (const std::exception& error) {
            return failure(error.what());
        }
        return {};
    }
    return failure("unknown site code " + words[1] + " (" + codes + ")");
}

CommandOutcome runLoad(CommandRunner&, Session& session, const Command&) {
    if (session.pluginLoaded()) return failure("the plugin is loaded already");
    session.loadPlugin();
    return {};
}

CommandOutcome runMessage(CommandRunner&, Session& session, const Command& command) {
    const auto type = command.words.size() == 1 ? parseInteger(command.words[0]) : std::nullopt;
    if (!type || *type < 0 || *type > 0xFFFFFFFF) return failure("use: message N");
    if (!session.pluginLoaded()) return failure("load the plugin first");
    session.sendLoaderMessage(static_cast<std::uint32_t>(*type));
    return {};
}

CommandOutcome runStart(CommandRunner&, Session& session, const Command&) {
    session.start();
    return {};
}

CommandOutcome runExpect(CommandRunner&, Session& session, const Command& command) {
    if (command.rest.empty()) return failure("expect needs a pattern");
    if (!session.expectLine(command.rest)) return failure("no line matched: " + command.rest);
    return {};
}

CommandOutcome runExpectAny(CommandRunner&, Session& session, const Command& command) {
    if (command.rest.empty()) return failure("expect-any needs a pattern");
    if (!session.expectLineSinceMark(command.rest)) return failure("no line since the mark matched: " + command.rest);
    return {};
}

CommandOutcome runExpectNone(CommandRunner&, Session& session, const Command& command) {
    if (command.rest.empty()) return failure("expect-none needs a pattern");
    // What the last key or command set off shows within the next frames.
    session.runFrames(2);
    if (auto line = session.findLineSinceCursor(command.rest)) return failure("unexpected line: " + *line);
    return {};
}

CommandOutcome runExpectLog(CommandRunner&, Session& session, const Command& command) {
    if (command.rest.empty()) return failure("expect-log needs a pattern");
    // One quoted word is the pattern unquoted: for lines whose quotes stand
    // before other text than a blank.
    const bool quoted = command.words.size() == 1 && command.rest.front() == '"';
    const std::string& pattern = quoted ? command.words[0] : command.rest;
    if (!session.expectLogLine(pattern)) return failure("no log line matched: " + pattern);
    return {};
}

CommandOutcome runExpectNoLog(CommandRunner&, Session& session, const Command&) {
    // A log the plugin meant to write is there within a few passes of its thread.
    session.waitFor(300ms);
    if (session.logFileExists()) return failure("the plugin wrote a log file");
    return {};
}

CommandOutcome runMark(CommandRunner&, Session& session, const Command&) {
    session.markCursor();
    return {};
}

CommandOutcome runTimeout(CommandRunner&, Session& session, const Command& command) {
    const auto duration = command.words.size() == 1 ? parseMilliseconds(command.words[0]) : std::nullopt;
    if (!duration) return failure("use: timeout MS");
    session.setExpectTimeout(*duration);
    return {};
}

// The programs that can start the game again split the script at `restart`
// before it runs; a session meeting one plays in a program that cannot.
CommandOutcome runRestart(CommandRunner&, Session&, const Command&) {
    return failure(
        "this program plays a script in one game process (halcyra_sim.exe --script and the "
        "end-to-end tests start the game again)");
}

CommandOutcome runNote(CommandRunner&, Session& session, const Command& command) {
    session.note(command.rest);
    return {};
}

enum class Runs { Game, SceneOnly };

struct Verb {
    const char* name;
    Runs runs;  // Game: the loader starts the plugin first, unless done
    CommandOutcome (*handler)(CommandRunner&, Session&, const Command&);
    const char* form;  // null: described with the verb before it
    const char* meaning;
};

constexpr Verb kVerbs[] = {
    {"search", Runs::Game, runSearchVerb, "search TEXT",
     "the whole road: star map open for a second, hotkey, type TEXT, confirm, wait for the box"},
    {"open", Runs::Game, runOpenOrClose, "open MENU / close MENU",
     "the game opens or closes a menu (map, box, text, console, or any menu name)"},
    {"close", Runs::Game, runOpenOrClose, nullptr, nullptr},
    {"key", Runs::Game, runKey, "key down KEY / key up KEY",
     "hold a key down or let it go (Q, TAB, ESC, 0-9, NUM0-NUM9, F1-F12, 0xNN)"},
    {"press", Runs::Game, runKey, "key press KEY [MS] / press KEY [MS]",
     "hold a key for MS milliseconds (default 150) and let it go"},
    {"type", Runs::Game, runType, "type TEXT", "replace the text in the prompt's edit field"},
    {"confirm", Runs::Game, runConfirm, "confirm",
     "the game ends editing, closes the text input menu and captures the field's text"},
    {"cancel", Runs::Game, runCancel, "cancel",
     "the game's own cancel: editing cancelled, text input menu closed, nothing captured"},
    {"capture", Runs::Game, runCapture, "capture TEXT", "the game makes a string of TEXT at the capture call site"},
    {"ok", Runs::Game, runOk, "ok", "the player answers the game's message box: the box closes"},
    {"wait", Runs::SceneOnly, runWait, "wait MS", "let MS milliseconds pass"},
    {"frames", Runs::Game, runFrames, "frames N", "wait until the game thread has run N more frames"},
    {"clock", Runs::SceneOnly, runClock, "clock freeze|run|advance MS",
     "the plugin's clock (only where the program can set it)"},
    {"galaxy", Runs::SceneOnly, runGalaxy, "galaxy FILE [LINE...]",
     "load a galaxy file, amended by the quoted LINEs, and make it the game's"},
    {"ini", Runs::SceneOnly, runIni, "ini FILE KEY VALUE",
     "write KEY=VALUE in [General] of FILE (settings, lang or a file name)"},
    {"file", Runs::SceneOnly, runFile, "file write NAME TEXT / file hold NAME / file release NAME",
     "write a file of the plugin's folder (recent: the recent list), or hold it open sharing nothing, as another "
     "program would, until released"},
    {"expect-file", Runs::SceneOnly, runExpectFile, "expect-file NAME TEXT",
     "fail unless the file of the plugin's folder holds exactly TEXT"},
    {"window", Runs::SceneOnly, runWindow, "window game|other|none", "which window has the focus"},
    {"ui-object", Runs::SceneOnly, runUiObject, "ui-object absent|present", "whether the game's UI object exists yet"},
    {"site", Runs::SceneOnly, runSite, "site prompt|capture CODE",
     "before load: the call site holds CODE (game, hooked-by-other, garbage, other-game-function, non-executable, "
     "unmapped, unreadable)"},
    {"load", Runs::SceneOnly, runLoad, "load", "the loader loads the plugin (ObrixPlugin_Load)"},
    {"message", Runs::SceneOnly, runMessage, "message N",
     "the loader sends message type N (2: the game's data has loaded)"},
    {"start", Runs::SceneOnly, runStart, "start",
     "load and send message 2, unless done; every game command does this first"},
    {"expect", Runs::SceneOnly, runExpect, "expect PATTERN",
     "wait for a transcript line matching PATTERN (* matches anything)"},
    {"expect-none", Runs::SceneOnly, runExpectNone, "expect-none PATTERN",
     "let two frames pass; fail if a line since the last match or mark matches"},
    {"expect-any", Runs::SceneOnly, runExpectAny, "expect-any PATTERN",
     "wait for a matching line anywhere after the last mark (order left open)"},
    {"expect-log", Runs::SceneOnly, runExpectLog, "expect-log PATTERN",
     "wait for a line of the plugin's log file, after the last one matched, matching PATTERN"},
    {"expect-no-log", Runs::SceneOnly, runExpectNoLog, "expect-no-log",
     "wait 300 ms; fail if the plugin's log file exists"},
    {"mark", Runs::SceneOnly, runMark, "mark", "expect-none and expect-any look at lines after this point only"},
    {"timeout", Runs::SceneOnly, runTimeout, "timeout MS", "how long expect waits (default 5000)"},
    {"note", Runs::SceneOnly, runNote, "note TEXT", "write a note line into the transcript"},
    {"restart", Runs::SceneOnly, runRestart, "restart",
     "the game ends and starts again over the same folder: the rest of the script plays in a new game process"},
    {"help", Runs::SceneOnly, runHelp, "help / quit", "this list / end the session"},
    {"quit", Runs::SceneOnly, runQuit, nullptr, nullptr},
    {"exit", Runs::SceneOnly, runQuit, nullptr, nullptr},
};

const Verb* findVerb(const std::string& name) {
    for (const Verb& verb : kVerbs)
        if (name == verb.name) return &verb;
    return nullptr;
}

}  // namespace

std::string commandHelp() {
    std::string text;
    for (const Verb& verb : kVerbs) {
        if (verb.form == nullptr) continue;
        std::string form = verb.form;
        form.resize(std::max<std::size_t>(form.size(), 36), ' ');
        text += "  " + form + " " + verb.meaning + "\n";
    }
    return text;
}

CommandOutcome CommandRunner::run(const Command& command) {
    const Verb* verb = findVerb(command.verb);
    if (verb == nullptr) {
        // An unknown word still makes the game run, as any command that is not a scene command.
        session_.start();
        return failure("unknown command " + command.verb + " (try help)");
    }
    if (verb->runs == Runs::Game) session_.start();
    // A command follows what the script has seen: a menu event whose line is
    // in the transcript has reached the plugin's sinks first (as for a player,
    // who cannot act between a menu's opening and its event).
    hostsim::awaitMenuEventsDelivered(std::chrono::seconds(2));
    return verb->handler(*this, session_, command);
}

void CommandRunner::setHotkeyFromSetting(const std::string& value) {
    char* end = nullptr;
    const unsigned long code = std::strtoul(value.c_str(), &end, 16);
    hotkey_ = (end != value.c_str() && code > 0 && code < 0x100) ? static_cast<int>(code) : 0x51;
}
CommandOutcome CommandRunner::search(const std::string& text) {
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
