#include <cstdio>
#include <optional>
#include <string>

#include "config/configuration_log.h"
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
    {"bWriteLogFile", &SettingsRecord::writeLogFile},
    {"bRecentDestinations", &SettingsRecord::recentDestinations},
};

std::string readSetting(const char* key) { return readProfileString(kSettingsBaseName, kProfileSection, key, ""); }

void writeSetting(const char* key, const char* value) {
    writeProfileString(kSettingsBaseName, kProfileSection, key, value, "");
}

std::string hotkeyText(std::uint32_t hotkey) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(hotkey));
    return text;
}

const char* flagText(bool flag) { return flag ? "1" : "0"; }

}  // namespace

bool readWriteLogFileSetting() {
    return profileFileExists(kSettingsBaseName, "") && readSetting("bWriteLogFile") == "1";
}

void loadSettingsFile() {
    const bool found = profileFileExists(kSettingsBaseName, "");
    logConfigurationFile("LumoraSearchEngine.ini", found);
    if (!found) {
        writeSetting(kHotkeyKey, kHotkeyDefaultText);
        writeSetting(kSkipMarkersKey, kSkipMarkersDefaultText);
        logSettingInEffect(kHotkeyKey, kHotkeyDefaultText, ValueOrigin::DefaultWritten);
        logSettingInEffect(kSkipMarkersKey, kSkipMarkersDefaultText, ValueOrigin::DefaultWritten);
        for (const OptInKey& optIn : kOptInKeys) logSettingInEffect(optIn.key, "0", ValueOrigin::DefaultNotInFile);
        return;
    }

    const std::string hotkeyFileText = readSetting(kHotkeyKey);
    if (hotkeyFileText.empty()) {
        writeSetting(kHotkeyKey, kHotkeyDefaultText);
        logSettingInEffect(kHotkeyKey, kHotkeyDefaultText, ValueOrigin::DefaultWritten);
    } else {
        // Text without hex digits or beyond 32 bits keeps the Q key; the
        // player's text stays in the file untouched.
        const std::optional<std::uint32_t> parsed = parseHotkeyText(hotkeyFileText);
        Settings.textInputMenuHotkey = parsed.value_or(kDefaultHotkey);
        logSettingInEffect(kHotkeyKey, hotkeyText(Settings.textInputMenuHotkey),
                           parsed ? ValueOrigin::File : ValueOrigin::DefaultUnreadable, hotkeyFileText);
    }

    const std::string skipMarkersText = readSetting(kSkipMarkersKey);
    if (skipMarkersText.empty()) {
        writeSetting(kSkipMarkersKey, kSkipMarkersDefaultText);
        logSettingInEffect(kSkipMarkersKey, kSkipMarkersDefaultText, ValueOrigin::DefaultWritten);
    } else {
        Settings.skipNonStarMapVisibleMapMarkers = skipMarkersText == "1";
        logSettingInEffect(kSkipMarkersKey, flagText(Settings.skipNonStarMapVisibleMapMarkers), ValueOrigin::File);
    }

    for (const OptInKey& optIn : kOptInKeys) {
        const std::string text = readSetting(optIn.key);
        Settings.*optIn.field = text == "1";
        logSettingInEffect(optIn.key, flagText(Settings.*optIn.field),
                           text.empty() ? ValueOrigin::DefaultNotInFile : ValueOrigin::File);
    }
}

}  // namespace lumora
