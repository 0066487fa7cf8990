#pragma once
// Wording of the search user interface; all but excludedLabel can be replaced
// through the language file.
#include <string>

namespace lumora {

struct UiTextsRecord {
    std::string search = "Search";
    std::string excludedLabel = "excl.";
    std::string searchResults = "Search results";
    std::string searchResultsLocations = "Locations";
    std::string searchResultsPlanets = "Planets";
    std::string textInputMenuHeader = "Lumora Search Engine";
    std::string textInputMenuDefaultText = "Enter a location or planet name...";
    std::string foundMatches = "Found % matches.";
    std::string noMatchesFound = "No matches.";
    // Below a results page when more lines follow; its key is read but never
    // written back.
    std::string nextPageHint = "Press the search hotkey for more.";
    std::string suggestionsHeading = "Close names:";  // above the close names of a search without matches
    std::string recentDestinationsHeading = "Recent destinations:";  // above the bodies chosen last
};

extern UiTextsRecord UiTexts;

// Puts the built-in English texts back into UiTexts.
void resetUiTextsToDefaults();

// Reads LumoraSearchEngineLang.ini into UiTexts, writing back missing or empty keys.
void loadLanguageFile();

}  // namespace lumora
