// Any content as the settings file and the language file (each may also be
// absent): loading completes them (or leaves a UTF-16 file it cannot edit as
// it was), a second load neither changes them nor
// reads anything else, and the one search that follows shows its box with the
// texts as loaded: header, planet heading and count line built from the
// template's first "%", and a title the game can show.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "config/load_configuration.h"
#include "config/profile_strings.h"
#include "config/settings.h"
#include "config/ui_texts.h"
#include "fuzz_game.h"
#include "hook/search_hooks.h"
#include "hostsim/engine_strings.h"
#include "hostsim/galaxy.h"
#include "hostsim/menus.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"
#include "state/plugin_state.h"

using namespace lumora;

namespace {

namespace fs = std::filesystem;

// One planet under a charted system: the search for "thessa" lists it alone.
constexpr const char* kGalaxy = R"(
form 0x149F   type=keyword name="Charted System"
form 0x3E8651 type=keyword name="Settled Territory"
form 0x24DC8  type=keyword name="Outpost Claim"
form 0xB0001 type=location name="Corvane System" keywords=0x149F
form 0xD0001 type=body name="Corvane" chain=0xB0001
form 0xE0001 type=body name="Thessa" parent=0xD0001
form 0x400001 type=location name="Thessa Orbit"
context 0x400001
planets 0xE0001
)";

const fs::path kPluginFolder = fs::path("Data") / "Obrix" / "Plugins";
const fs::path kSettingsFile = kPluginFolder / "LumoraSearchEngine.ini";
const fs::path kLanguageFile = kPluginFolder / "LumoraSearchEngineLang.ini";
const char* const kSettingsKeys[] = {"iTextInputMenuHotkey", "bSkipNonStarMapVisibleMapMarkers"};
const char* const kLanguageKeys[] = {"sSearch",
                                     "sSearchResults",
                                     "sSearchResultsLocations",
                                     "sSearchResultsPlanets",
                                     "sTextInputMenuHeader",
                                     "sTextInputMenuDefaultText",
                                     "sFoundMatches",
                                     "sNoMatchesFound"};

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "configuration: %s\n", why.c_str());
    std::abort();
}

void placeFile(const fs::path& path, const std::optional<std::string>& content) {
    std::error_code ignored;
    fs::remove(path, ignored);
    if (!content) return;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << *content;
}

std::optional<std::string> fileContent(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Loaded {
    SettingsRecord settings;
    UiTextsRecord texts;
    std::optional<std::string> settingsFile, languageFile;
};

Loaded load() {
    loadConfiguration();
    return {Settings, UiTexts, fileContent(kSettingsFile), fileContent(kLanguageFile)};
}

bool sameTexts(const UiTextsRecord& a, const UiTextsRecord& b) {
    return a.search == b.search && a.excludedLabel == b.excludedLabel && a.searchResults == b.searchResults &&
           a.searchResultsLocations == b.searchResultsLocations && a.searchResultsPlanets == b.searchResultsPlanets &&
           a.textInputMenuHeader == b.textInputMenuHeader && a.textInputMenuDefaultText == b.textInputMenuDefaultText &&
           a.foundMatches == b.foundMatches && a.noMatchesFound == b.noMatchesFound;
}

// A file saved as UTF-16 (it starts with a byte-order mark) whose text does
// not survive the plugin's edit unchanged is the player's: it is left exactly
// as it was placed, and its missing keys keep their defaults in memory.
bool leftAsPlayersUtf16File(const std::optional<std::string>& placed, const std::optional<std::string>& loaded) {
    if (!placed || loaded != placed) return false;
    return placed->starts_with("\xFF\xFE") || placed->starts_with("\xFE\xFF");
}

void checkEveryKeyPresent(const std::optional<std::string>& settingsPlaced,
                          const std::optional<std::string>& languagePlaced, const Loaded& loaded) {
    if (!leftAsPlayersUtf16File(settingsPlaced, loaded.settingsFile))
        for (const char* key : kSettingsKeys)
            if (readProfileString("LumoraSearchEngine", "General", key, "").empty())
                fail(std::string("settings key left empty: ") + key);
    if (!leftAsPlayersUtf16File(languagePlaced, loaded.languageFile))
        for (const char* key : kLanguageKeys)
            if (readProfileString("LumoraSearchEngineLang", "General", key, "").empty())
                fail(std::string("language key left empty: ") + key);
}

// The count line from the template: text before the first "%", the number,
// the rest; the error texts in front of the number when there is no "%".
std::string countLine(const std::string& templateText, std::size_t n) {
    if (templateText.empty()) return "[ERROR: empty string]" + std::to_string(n);
    const std::size_t percent = templateText.find('%');
    if (percent == std::string::npos) return "[ERROR: invalid string, missing %]" + std::to_string(n);
    return templateText.substr(0, percent) + std::to_string(n) + templateText.substr(percent + 1);
}

// The title as the game may show it: high bytes as "#", a blank for an empty
// title, and never more than the 11 bytes its title text holds.
void checkTitle(const std::string& shown, const std::string& title) {
    std::string full = title.empty() ? " " : title;
    for (char& c : full)
        if (static_cast<unsigned char>(c) >= 0x80) c = '#';
    full = full.substr(0, full.find('\0'));
    if (shown.empty() || shown.size() > 11) fail("title of " + std::to_string(shown.size()) + " bytes shown");
    if (full.size() <= 11 && shown != full) fail("title \"" + shown + "\" for \"" + full + "\"");
    if (full.compare(0, shown.size(), shown) != 0) fail("title \"" + shown + "\" is no prefix of \"" + full + "\"");
}

void searchThessa() {
    hostsim::clearUiRecords();
    hostsim::clearTranscript();
    {
        std::lock_guard lock(PluginState.mutex);
        PluginState.textEditEndedAtNs = fuzz_game::kNow;
    }
    EngineString handle = nullptr;
    textCaptureHook(&handle, "thessa", 0);
    hostsim::releaseEngineString(&handle);
    hostsim::processUiQueue();
    hostsim::closeMenu("MessageBoxMenu");

    const auto boxes = hostsim::gameMessageBoxes();
    if (boxes.size() != 1) fail(std::to_string(boxes.size()) + " boxes for one search");
    const std::string expected = UiTexts.search + ": thessa\n\n" + UiTexts.searchResultsPlanets +
                                 ":\n[0] Thessa | Corvane System\n\n" + countLine(UiTexts.foundMatches, 1);
    if (boxes[0].text != expected)
        fail("box text differs\n--- expected\n" + expected + "\n--- shown\n" + boxes[0].text);
    checkTitle(boxes[0].title, UiTexts.searchResults);
    for (const std::string& violation : hostsim::violations()) fail("game saw: " + violation);
    if (!hostsim::engineStringLedgerBalanced()) fail("engine strings unbalanced");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_game::bootForFuzzing();
    hostsim::installGalaxy(hostsim::parseGalaxyText(kGalaxy, "fuzz galaxy"));
    // A game folder of our own for the whole run, in memory where the system
    // has a place for it: each run writes and reads both files many times.
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string folder = (base / "lumora_fuzz_config_XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) fail("no temporary folder");
    fs::current_path(folder);
    // Left behind after a finding, for a look at the files; removed otherwise.
    static fs::path created;
    created = folder;
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(created, ignored);
    });
    fs::create_directories(kPluginFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider bytes(data, size);
    const bool settingsPresent = bytes.ConsumeIntegralInRange(0, 7) != 0;
    const bool languagePresent = bytes.ConsumeIntegralInRange(0, 7) != 0;
    const std::string settings = bytes.ConsumeRandomLengthString(512);
    const std::string language = bytes.ConsumeRemainingBytesAsString();
    const auto settingsPlaced = settingsPresent ? std::optional(settings) : std::nullopt;
    const auto languagePlaced = languagePresent ? std::optional(language) : std::nullopt;
    placeFile(kSettingsFile, settingsPlaced);
    placeFile(kLanguageFile, languagePlaced);

    const Loaded first = load();
    checkEveryKeyPresent(settingsPlaced, languagePlaced, first);
    const Loaded second = load();
    if (second.settingsFile != first.settingsFile) fail("a second load changed the settings file");
    if (second.languageFile != first.languageFile) fail("a second load changed the language file");
    if (second.settings.textInputMenuHotkey != first.settings.textInputMenuHotkey ||
        second.settings.skipNonStarMapVisibleMapMarkers != first.settings.skipNonStarMapVisibleMapMarkers ||
        !sameTexts(second.texts, first.texts))
        fail("a second load read other values");
    if (UiTexts.excludedLabel != "excl.") fail("the excluded label changed");
    searchThessa();
    return 0;
}
