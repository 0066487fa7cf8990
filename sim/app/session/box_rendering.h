#pragma once
// How the terminal shows what the game shows: message boxes and the prompt
// framed as on screen, the star map's focus in words, other transcript lines
// as they are.
#include <string>
#include <vector>

namespace demo {

// A frame around the text, the title in its top edge, an optional button row
// at the bottom. Widths count UTF-8 characters, not bytes.
std::vector<std::string> framedBox(const std::string& title, const std::string& text, const std::string& button);

// The terminal's rendering of one transcript line; empty when the line is
// not shown at all (key presses the player made himself).
std::vector<std::string> renderTranscriptLine(const std::string& line);

}  // namespace demo
