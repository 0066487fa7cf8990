#pragma once

namespace lumora {

// Starts from the built-in settings and texts, then reads the settings file
// and the language file. Runs once, before the polling thread starts.
void loadConfiguration();

}  // namespace lumora
