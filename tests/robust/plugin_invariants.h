#pragma once
// What must hold in the game after any entry of the plugin has returned,
// however it failed, read from the game's side.
#include <string>
#include <vector>

namespace lumora_test {

// Every broken promise, one line each; empty when all hold:
// the engine-string ledger balances, no host lock is held or unbalanced,
// PluginState.mutex can be taken by another thread, each call site holds
// either the game's own call or a whole call to its hook's trampoline entry,
// the compare instruction is the game's, and the message box title text is
// "DEBUG" and seven zero bytes.
std::vector<std::string> brokenInvariants();

// Joins the lines for a failure message.
std::string joinLines(const std::vector<std::string>& lines);

}  // namespace lumora_test
