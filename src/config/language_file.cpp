#include <string>

#include "config/configuration_log.h"
#include "config/profile_strings.h"
#include "config/ui_texts.h"

namespace lumora {

namespace {

constexpr const char* kLanguageBaseName = "LumoraSearchEngineLang";

struct LanguageKey {
    const char* key;
    std::string UiTextsRecord::*field;
};

// In the order the keys are read and, for a new file, written.
const LanguageKey kLanguageKeys[] = {
    {"sSearch", &UiTextsRecord::search},
    {"sSearchResults", &UiTextsRecord::searchResults},
    {"sSearchResultsLocations", &UiTextsRecord::searchResultsLocations},
    {"sSearchResultsPlanets", &UiTextsRecord::searchResultsPlanets},
    {"sTextInputMenuHeader", &UiTextsRecord::textInputMenuHeader},
    {"sTextInputMenuDefaultText", &UiTextsRecord::textInputMenuDefaultText},
    {"sFoundMatches", &UiTextsRecord::foundMatches},
    {"sNoMatchesFound", &UiTextsRecord::noMatchesFound},
};

// Read like the others, but a missing or empty key is not written back, so
// that a language file stays the eight keys it always was.
const LanguageKey kUnwrittenLanguageKeys[] = {
    {"sNextPageHint", &UiTextsRecord::nextPageHint},
    {"sSuggestionsHeading", &UiTextsRecord::suggestionsHeading},
    {"sRecentDestinationsHeading", &UiTextsRecord::recentDestinationsHeading},
};

// The built-in text of the field, not whatever the record holds now.
void writeDefault(const LanguageKey& entry) {
    const UiTextsRecord defaults;
    writeProfileString(kLanguageBaseName, kProfileSection, entry.key, defaults.*entry.field, "");
}

}  // namespace

void loadLanguageFile() {
    const bool found = profileFileExists(kLanguageBaseName, "");
    logConfigurationFile("LumoraSearchEngineLang.ini", found);
    if (!found) {
        for (const LanguageKey& entry : kLanguageKeys) {
            writeDefault(entry);
            logTextInEffect(entry.key, UiTexts.*entry.field, ValueOrigin::DefaultWritten);
        }
    } else {
        for (const LanguageKey& entry : kLanguageKeys) {
            std::string text = readProfileString(kLanguageBaseName, kProfileSection, entry.key, "");
            const ValueOrigin origin = text.empty() ? ValueOrigin::DefaultWritten : ValueOrigin::File;
            if (text.empty()) {
                writeDefault(entry);
            } else {
                UiTexts.*entry.field = std::move(text);
            }
            logTextInEffect(entry.key, UiTexts.*entry.field, origin);
        }
    }
    for (const LanguageKey& entry : kUnwrittenLanguageKeys) {
        std::string text = found ? readProfileString(kLanguageBaseName, kProfileSection, entry.key, "") : std::string();
        const ValueOrigin origin = text.empty() ? ValueOrigin::DefaultNotInFile : ValueOrigin::File;
        if (!text.empty()) UiTexts.*entry.field = std::move(text);
        logTextInEffect(entry.key, UiTexts.*entry.field, origin);
    }
    logTextInEffect("excl.", UiTexts.excludedLabel, ValueOrigin::DefaultNotInFile);
}

}  // namespace lumora
