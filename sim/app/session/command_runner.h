#pragma once
// Runs the commands of the demo's language on a session: one table of verbs
// holds each verb's handler, whether it makes the game run, and its line of
// `commandHelp()`. The README describes the language too.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "script_parser.h"

namespace demo {

class Session;

struct CommandOutcome {
    bool ok = true;
    bool quit = false;    // the command asked to end the session
    std::string message;  // why it failed, or what `help` prints
};

class CommandRunner {
public:
    explicit CommandRunner(Session& session) : session_(session) {}
    CommandOutcome run(const Command& command);
    // The hotkey the plugin was configured with (changed by `ini settings
    // iTextInputMenuHotkey ...`), which `search` presses.
    int hotkey() const { return hotkey_; }
    // `search TEXT`: the whole road from the star map to the results box.
    CommandOutcome search(const std::string& text);
    // Follows a value written to iTextInputMenuHotkey, read as the plugin
    // reads it (0x51 when it names no key).
    void setHotkeyFromSetting(const std::string& value);
    // Files that `file hold` holds open, by the name the script gave.
    std::map<std::string, void*>& heldFiles() { return heldFiles_; }

private:
    Session& session_;
    int hotkey_ = 0x51;
    std::map<std::string, void*> heldFiles_;
};

// One line per command: its form and what it does.
std::string commandHelp();
// Runs a whole script; stops at the first command that fails and says where.
CommandOutcome runScript(Session& session, const std::vector<Command>& commands,
                         const std::function<void(const Command&)>& beforeEach = {});

// "map" -> "GalaxyStarMapMenu", "box" -> "MessageBoxMenu", "text" ->
// "TextInputMenu", "console" -> "Console"; other names stay as written.
std::string menuName(const std::string& alias);

}  // namespace demo
