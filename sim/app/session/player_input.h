#pragma once
// What a line the player enters at the terminal means, given what the game
// shows: while the prompt is open the line is the search text (typed and
// confirmed); while a message box is open a digit chooses and an empty line
// answers OK; elsewhere one character presses that key and "map" or
// "console" opens or closes that menu. A line starting with "/" is always a
// command of the script language.
#include <string>
#include <vector>

#include "script_parser.h"

namespace demo {

struct ScreenState {
    bool starMapOpen = false;
    bool consoleOpen = false;
    bool textInputOpen = false;
    bool messageBoxOpen = false;
};

// The commands the line stands for (none for a line that does nothing).
// Throws ScriptError for a malformed command.
std::vector<Command> commandsForInput(const std::string& line, const ScreenState& screen);

}  // namespace demo
