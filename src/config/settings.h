#pragma once
// The plugin's user settings, read from the settings file once at start-up.
#include <cstdint>

namespace lumora {

struct SettingsRecord {
    std::uint32_t textInputMenuHotkey = 0x51;  // Windows virtual-key code, the Q key by default
    bool skipNonStarMapVisibleMapMarkers = true;
    // The hotkey turns an open results box to its next ten lines. Opt-in: a
    // missing key is not written back.
    bool pageResultsWithHotkey = false;
    // Additions a player turns on by adding their key; off when it is absent.
    bool suggestSimilarNames = false;
    bool foldAccentedLetters = false;
    bool rememberLastSearch = false;
    // The log for bug reports (LumoraSearchEngine.log); also opt-in.
    bool writeLogFile = false;
    bool recentDestinations = false;  // an empty search lists the bodies chosen last
};

extern SettingsRecord Settings;

// Reads LumoraSearchEngine.ini into Settings, writing back missing or empty keys.
void loadSettingsFile();

// Whether bWriteLogFile is "1" in the settings file, read alone and without
// writing anything back: for a load that stops before the settings are read.
bool readWriteLogFileSetting();

}  // namespace lumora
