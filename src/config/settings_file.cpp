#include <string>

#include "config/hotkey_conversion.h"
#include "config/profile_strings.h"
#include "config/settings.h"

namespace lumora {

SettingsRecord Settings;

namespace {

constexpr const char* kSettingsBaseName = "LumoraSearchEngine";
constexpr const char* kHotkeyKey = "iTextInputMenuHotkey";
constexpr const char* kHotkeyDefaultText = "0x51";
constexpr std::uint32_t kDefaultHotkey = 0x51;
constexpr const char* kSkipMarkersKey = "bSkipNonStarMapVisibleMapMarkers";
constexpr const char* kSkipMarkersDefaultText = "1";

struct OptInKey {
    const char* key;
    bool SettingsRecord::*field;
};

// Never written back: a settings file without them stays as it always was.
constexpr OptInKey kOptInKeys[] = {
    {"bPageResultsWithHotkey", &SettingsRecord::pageResultsWithHotkey},
    {"bSuggestSimilarNames", &SettingsRecord::suggestSimilarNames},
    {"bFoldAccentedLetters", &SettingsRecord::foldAccentedLetters},
    {"bRememberLastSearch", &SettingsRecord::rememberLastSearch},
    {"bRecentDestinations", &SettingsRecord::recentDestinations},
};

std::string readSetting(const char* key) { return readProfileString(kSettingsBaseName, kProfileSection, key, ""); }

void writeSetting(const char* key, const char* value) {
    writeProfileString(kSettingsBaseName, kProfileSection, key, value, "");
}

}  // namespace

void loadSettingsFile() {
    if (!profileFileExists(kSettingsBaseName, "")) {
        writeSetting(kHotkeyKey, kHotkeyDefaultText);
        writeSetting(kSkipMarkersKey, kSkipMarkersDefaultText);
        return;
    }

    const std::string hotkeyText = readSetting(kHotkeyKey);
    if (hotkeyText.empty()) {
        writeSetting(kHotkeyKey, kHotkeyDefaultText);
    } else {
        // Text without hex digits or beyond 32 bits keeps the Q key; the
        // player's text stays in the file untouched.
        Settings.textInputMenuHotkey = parseHotkeyText(hotkeyText).value_or(kDefaultHotkey);
    }

    const std::string skipMarkersText = readSetting(kSkipMarkersKey);
    if (skipMarkersText.empty()) {
        writeSetting(kSkipMarkersKey, kSkipMarkersDefaultText);
    } else {
        Settings.skipNonStarMapVisibleMapMarkers = skipMarkersText == "1";
    }

    for (const OptInKey& optIn : kOptInKeys) Settings.*optIn.field = readSetting(optIn.key) == "1";
}

}  // namespace lumora
