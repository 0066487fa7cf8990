#pragma once
// The recent destinations between the game's thread, the polling thread and
// the file that keeps them across sessions. Nothing here runs unless
// bRecentDestinations is on.
#include "state/plugin_state.h"

namespace lumora {

// At start-up, after the settings: the stored list becomes the session's.
void loadRecentDestinations();

// The polling thread, after a digit focused the body of `chosen`: the body
// goes to the top of the list. A key without a name or text (no line of ours
// made it) is not remembered, nor one that finds no memory to grow the list.
// PluginState.mutex must be held.
void rememberChosenBody(const ResultKey& chosen);

// The polling thread, after its pass: when the list changed since it was
// last written, a copy of it replaces the file. The mutex is held only for
// the copy, never while the file is written, so the game's thread does not
// wait on the disk. Results: true when a write was attempted.
bool saveChangedRecentDestinations();

}  // namespace lumora
