// A game folder holding exactly what one combination of the installer's
// choices installs, and the simulated game started from it: the prompt and
// two searches show what the installed files say. The script each case plays
// and its transcript are kept for the same run with the real DLL under Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>

#include "command_runner.h"
#include "config/ui_texts.h"
#include "hostsim/galaxy.h"
#include "hostsim/transcript.h"
#include "release_archive.h"
#include "script_parser.h"
#include "session.h"
#include "state/clock.h"

using namespace release_test;

namespace {

struct InstalledGameRow {
    const char* name;  // of the kept script and transcript
    const char* setup;
    const char* language;
    // The archive's files whose texts and settings the game must show; empty
    // for the plugin's own defaults.
    const char* settingsFile;
    const char* languageFile;
    // A key taken out of the installed language file before the game starts,
    // and the default the plugin writes back for it: the file then gains that
    // one line and keeps every other byte (the run under Wine on code page
    // 932 must leave the same bytes).
    const char* missingKey = "";
    const char* missingKeyDefault = "";
};

const char* const kRecommended = "options/setup/recommended/LumoraSearchEngine.ini";
const char* const kClassic = "options/setup/classic/LumoraSearchEngine.ini";
const char* const kJapanese = "options/languages/ja/LumoraSearchEngineLang.ini";

// Under Wine the Japanese runs play on code page 932, the Chinese on 936.
const InstalledGameRow kRows[] = {
    {"installed_recommended_deutsch", "Recommended", "Deutsch", kRecommended,
     "options/languages/de/LumoraSearchEngineLang.ini"},
    {"installed_classic_english", "Classic", "English", kClassic, "options/languages/en/LumoraSearchEngineLang.ini"},
    {"installed_recommended_japanese", "Recommended", "日本語", kRecommended, kJapanese},
    {"installed_classic_chinese", "Classic", "简体中文", kClassic,
     "options/languages/zh-CN/LumoraSearchEngineLang.ini"},
    {"installed_recommended_japanese_missing_key", "Recommended", "日本語", kRecommended, kJapanese, "sFoundMatches",
     "Found % matches."},
};

// Named in test listings by its row, not by its bytes.
void PrintTo(const InstalledGameRow& row, std::ostream* out) { *out << row.name; }

std::filesystem::path freshFolder() {
    std::random_device seed;
    for (;;) {
        auto candidate = std::filesystem::temp_directory_path() / ("lumora_installed_" + std::to_string(seed()));
        if (std::filesystem::create_directory(candidate)) return candidate;
    }
}

std::map<std::string, std::string> iniEntries(const std::string& archiveFile) {
    std::map<std::string, std::string> entries;
    if (archiveFile.empty()) return entries;
    const auto bytes = readFileBytes(archiveRoot() / archiveFile);
    EXPECT_TRUE(bytes) << archiveFile;
    if (bytes)
        for (const auto& [key, value] : readIniLines(*bytes).entries) entries[key] = shownValue(value);
    return entries;
}

// The title as the game's message box shows it: 11 bytes of room, a longer
// title cut at its last blank within them.
std::string shownTitle(const std::string& title) {
    if (title.size() <= 11) return title;
    const std::size_t blank = title.rfind(' ', 11);
    return blank == std::string::npos || blank == 0 ? title.substr(0, 11) : title.substr(0, blank);
}

// What the option files make the game show, in the command language.
std::string scriptFor(const InstalledGameRow& row) {
    lumora::UiTextsRecord texts;
    auto language = iniEntries(row.languageFile);
    language.erase(row.missingKey);
    auto text = [&](const char* key, const std::string& fallback) {
        return language.count(key) ? language.at(key) : fallback;
    };
    const std::string header = text("sTextInputMenuHeader", texts.textInputMenuHeader);
    const std::string hint = text("sTextInputMenuDefaultText", texts.textInputMenuDefaultText);
    const std::string title = hostsim::quoted(shownTitle(text("sSearchResults", texts.searchResults)));
    const std::string count = text("sFoundMatches", texts.foundMatches);
    const std::size_t percent = count.find('%');
    const std::string results =
        text("sSearch", texts.search) + ": Marrow\n\n" + text("sSearchResultsLocations", texts.searchResultsLocations) +
        ":\n[0] Ship | Marrow\n[1] Duskfall Camp | Marrow\n[2] Teodora Vance's Base | Marrow\n\n" +
        text("sSearchResultsPlanets", texts.searchResultsPlanets) + ":\n[3] Marrow | Corvane System\n\n" +
        count.substr(0, percent) + "4" + count.substr(percent + 1);
    const auto settings = iniEntries(row.settingsFile);
    auto on = [&](const char* key) { return settings.count(key) && settings.at(key) == "1"; };
    const std::string noMatches = text("sNoMatchesFound", texts.noMatchesFound);
    const std::string closeNames = on("bSuggestSimilarNames")
                                       ? noMatches + "\n\n" + text("sSuggestionsHeading", texts.suggestionsHeading) +
                                             "\n[0] Harrow Point | Ilvane Prime\n[1] Harrow Point | Kessel Minor\n"
                                       : noMatches;
    return "clock freeze\n"
           "open map\n"
           "clock advance 1000\n"
           "key press Q\n"
           "expect prompt header " +
           hostsim::quoted(header) + " text " + hostsim::quoted(hint) +
           " mode 0\n"
           "type Marrow\n"
           "confirm\n"
           "expect message box title " +
           title + " text " + hostsim::quoted(results) +
           "\n"
           "expect menu opened \"MessageBoxMenu\"\n"
           "ok\n"
           "clock advance 500\n"
           "key press Q\n"
           "expect prompt header " +
           hostsim::quoted(header) + " text " + hostsim::quoted(on("bRememberLastSearch") ? "Marrow" : hint) +
           " mode 0\n"
           "type \"harow point\"\n"
           "confirm\n"
           "expect message box title " +
           title + " text " + hostsim::quoted(closeNames) +
           "\n"
           "expect menu opened \"MessageBoxMenu\"\n"
           "ok\n";
}

void keep(const std::string& name, const std::string& extension, const std::string& text) {
    std::filesystem::create_directories(LUMORA_TRANSCRIPT_DIR);
    std::ofstream out(std::filesystem::path(LUMORA_TRANSCRIPT_DIR) / (name + extension), std::ios::binary);
    out << text;
}

class InstalledGame : public ::testing::TestWithParam<InstalledGameRow> {};

TEST_P(InstalledGame, StartsFromExactlyTheInstalledFilesAndSearchesShowWhatTheySay) {
    const InstalledGameRow& row = GetParam();
    std::string error;
    const auto plan =
        planInstall(archiveInstaller(), archiveRoot(), {{"Setup", row.setup}, {"Language", row.language}}, error);
    ASSERT_TRUE(plan) << error;
    const std::filesystem::path game = freshFolder();
    placeFiles(*plan, game);
    std::set<std::string> inFolder, planned;
    for (const auto& item : std::filesystem::recursive_directory_iterator(game))
        if (item.is_regular_file()) inFolder.insert(std::filesystem::relative(item.path(), game).generic_string());
    for (const Placement& placement : plan->files) planned.insert("Data/" + placement.destination);
    EXPECT_EQ(inFolder, planned);
    const std::filesystem::path languageFile = game / "Data/Obrix/Plugins/LumoraSearchEngineLang.ini";
    std::string before;
    if (*row.missingKey != '\0') {
        before = readFileBytes(languageFile).value_or("");
        const std::size_t line = before.find("\n" + std::string(row.missingKey) + "=");
        ASSERT_NE(line, std::string::npos);
        before.erase(line + 1, before.find('\n', line + 1) - line);
        std::ofstream(languageFile, std::ios::binary) << before;
        keep(row.name, ".lang_before.ini", before);
    }

    const std::string script = scriptFor(row);
    keep(row.name, ".script", script);
    demo::SessionOptions options;
    options.galaxyPath = hostsim::shippedGalaxyDirectory() + "/sample.galaxy";
    options.workdir = game.string();
    options.clockInstaller = &lumora::setClockSourceForTesting;
    options.captureDiagnostics = true;
    options.keyHold = std::chrono::milliseconds(300);
    demo::CommandOutcome outcome;
    demo::SessionSummary summary;
    {
        demo::Session session(options);
        outcome = demo::runScript(session, demo::parseScript(script));
        summary = session.finish();
    }
    std::string transcript;
    for (const auto& line : hostsim::transcript()) transcript += line + "\n";
    keep(row.name, ".transcript", transcript);
    EXPECT_TRUE(outcome.ok) << outcome.message << "\nscript:\n" << script << "\ntranscript:\n" << transcript;
    EXPECT_TRUE(summary.clean()) << transcript;
    if (*row.missingKey != '\0') {
        const std::string after = readFileBytes(languageFile).value_or("");
        EXPECT_EQ(after, before + row.missingKey + "=" + row.missingKeyDefault + "\r\n");
        keep(row.name, ".lang_after.ini", after);
    }
    std::error_code ignored;
    std::filesystem::remove_all(game, ignored);
}

INSTANTIATE_TEST_SUITE_P(Combinations, InstalledGame, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
