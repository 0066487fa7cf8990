#pragma once
// The search the player starts by confirming the text input menu.
#include <string>

namespace lumora {

// Plays the confirmation sound, collects and orders the matches for the text
// and shows them (or why there are none) in the game's message box. Runs on
// the game's thread with PluginState.mutex held by the caller.
void runSearch(std::string text);

}  // namespace lumora
