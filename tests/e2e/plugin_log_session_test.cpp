// The log file as a player would attach it, from a whole play session: every
// line of the start in its order, no file at all with the key off, and a log
// that cannot be written leaves the game's side exactly as without it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "command_runner.h"
#include "hostsim/galaxy.h"
#include "hostsim/transcript.h"
#include "session.h"
#include "state/clock.h"

namespace {

std::filesystem::path pluginFolder(const demo::Session& session) {
    return std::filesystem::path(session.workFolder()) / "Data" / "Obrix" / "Plugins";
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The log's lines without their "[seconds.ms] " prefixes and line ends.
std::vector<std::string> logLinesOf(const std::string& bytes) {
    static const std::regex line(R"(\[[0-9]+\.[0-9]{3}\] ([^\r\n]*)\r\n)");
    std::vector<std::string> lines;
    std::size_t consumed = 0;
    for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), line); it != std::sregex_iterator(); ++it) {
        EXPECT_EQ(static_cast<std::size_t>(it->position()), consumed) << "a line without its time: " << bytes;
        consumed = it->position() + it->length();
        lines.push_back((*it)[1]);
    }
    EXPECT_EQ(consumed, bytes.size()) << bytes;
    return lines;
}

demo::SessionOptions sampleGalaxy() {
    demo::SessionOptions options;
    options.galaxyPath = hostsim::shippedGalaxyDirectory() + "/sample.galaxy";
    options.clockInstaller = &lumora::setClockSourceForTesting;
    options.captureDiagnostics = true;
    return options;
}

void run(demo::CommandRunner& runner, const std::string& line) {
    const auto outcome = runner.run(*demo::parseCommandLine(line));
    ASSERT_TRUE(outcome.ok) << line << ": " << outcome.message;
}

TEST(PluginLogSession, StartWritesEveryLineOfTheLoadInItsOrder) {
    demo::Session session(sampleGalaxy());
    demo::CommandRunner runner(session);
    run(runner, "ini settings bWriteLogFile 1");
    run(runner, "ini settings iTextInputMenuHotkey Q");
    run(runner, "ini settings bFoldAccentedLetters true");
    run(runner, "ini lang sSearchResults Treffer");
    run(runner, "ini lang sSuggestionsHeading \"Meinten Sie:\"");
    run(runner, "start");
    run(runner, "expect-log [*] sink registered: MenuOpenCloseEvent");
    const std::vector<std::string> expected = {
        "Lumora Search Engine 3.1.0.0 for game runtime 1.14.74",
        "game executable \"halcyra_sim.exe\" file version 1.14.74.0",
        "call site prompt (image+0x2414575): the game's call, patched",
        "call site capture (image+0x13E661C): the game's call, patched",
        "LumoraSearchEngine.ini found",
        "setting iTextInputMenuHotkey = 0x51 (default; the file's value is no key code: \"Q\")",
        "setting bSkipNonStarMapVisibleMapMarkers = 1 (default, written to the file)",
        "setting bPageResultsWithHotkey = 0 (default, not in the file)",
        "setting bSuggestSimilarNames = 0 (default, not in the file)",
        "setting bFoldAccentedLetters = 0 (from the file)",
        "setting bRememberLastSearch = 0 (default, not in the file)",
        "setting bWriteLogFile = 1 (from the file)",
        "setting bRecentDestinations = 0 (default, not in the file)",
        "LumoraSearchEngineLang.ini found",
        "text sSearch = \"Search\" (default, written to the file)",
        "text sSearchResults = \"Treffer\" (from the file)",
        "text sSearchResultsLocations = \"Locations\" (default, written to the file)",
        "text sSearchResultsPlanets = \"Planets\" (default, written to the file)",
        "text sTextInputMenuHeader = \"Lumora Search Engine\" (default, written to the file)",
        "text sTextInputMenuDefaultText = \"Enter a location or planet name...\" (default, written to the file)",
        "text sFoundMatches = \"Found % matches.\" (default, written to the file)",
        "text sNoMatchesFound = \"No matches.\" (default, written to the file)",
        "text sNextPageHint = \"Press the search hotkey for more.\" (default, not in the file)",
        "text sSuggestionsHeading = \"Meinten Sie:\" (from the file)",
        "text sRecentDestinationsHeading = \"Recent destinations:\" (default, not in the file)",
        "text excl. = \"excl.\" (default, not in the file)",
        "polling thread started",
        "sink registered: TextInputMenu_EndEditText",
        "sink registered: TextInputMenu_StartEditText",
        "sink registered: TextInputMenu_InputCanceled",
        "sink registered: MenuOpenCloseEvent",
    };
    EXPECT_EQ(logLinesOf(readFile(pluginFolder(session) / "LumoraSearchEngine.log")), expected);
    EXPECT_TRUE(session.finish().clean());
}

// A load refused at a call site never gets the data-loaded message: its log
// is written at once, from the key in the settings file.
TEST(PluginLogSession, RefusedLoadWritesWhyFromTheSettingsKeyAlone) {
    demo::Session session(sampleGalaxy());
    demo::CommandRunner runner(session);
    run(runner, "ini settings bWriteLogFile 1");
    run(runner, "site prompt garbage");
    run(runner, "site capture other-game-function");
    run(runner, "load");
    run(runner, "expect plugin error box caption * text \"Installation error: unexpected game code at a hook site\"");
    const std::vector<std::string> expected = {
        "Lumora Search Engine 3.1.0.0 for game runtime 1.14.74",
        "game executable \"halcyra_sim.exe\" file version 1.14.74.0",
        "call site prompt (image+0x2414575): refused: no call instruction",
        "call site capture (image+0x13E661C): refused: its call leads to another function of the game",
        "error box: \"Installation error: unexpected game code at a hook site\"",
    };
    EXPECT_EQ(logLinesOf(readFile(pluginFolder(session) / "LumoraSearchEngine.log")), expected);
    // Only the key was read: the settings file is as the script wrote it.
    EXPECT_EQ(readFile(pluginFolder(session) / "LumoraSearchEngine.ini"), "[General]\r\nbWriteLogFile=1\r\n");
    session.finish();
}

TEST(PluginLogSession, RefusedLoadWithTheKeyAbsentWritesNoLog) {
    demo::Session session(sampleGalaxy());
    demo::CommandRunner runner(session);
    run(runner, "site prompt garbage");
    run(runner, "load");
    run(runner, "expect-no-log");
    session.finish();
}

// A value other than "1" is off, as for every addition's key.
TEST(PluginLogSession, KeyNotOneWritesNoLogFile) {
    demo::Session session(sampleGalaxy());
    demo::CommandRunner runner(session);
    run(runner, "ini settings bWriteLogFile yes");
    run(runner, "search a");
    run(runner, "expect-no-log");
    EXPECT_FALSE(std::filesystem::exists(pluginFolder(session) / "LumoraSearchEngine.log"));
    EXPECT_EQ(readFile(pluginFolder(session) / "LumoraSearchEngine.ini"),
              "[General]\r\nbWriteLogFile=yes\r\niTextInputMenuHotkey=0x51\r\nbSkipNonStarMapVisibleMapMarkers=1\r\n");
    EXPECT_TRUE(session.finish().clean());
}

// The game's side of a session: what it showed and received, without the
// lines that carry timing (engine-string counts, key lines of held keys).
std::vector<std::string> gameSideOfTranscript() {
    std::vector<std::string> lines;
    for (const auto& line : hostsim::transcript())
        if (line.rfind("game: engine strings", 0) != 0) lines.push_back(line);
    return lines;
}

TEST(PluginLogSession, LogThatCannotBeOpenedChangesNothingTheGameSees) {
    demo::Session session(sampleGalaxy());
    demo::CommandRunner runner(session);
    // The log's path is taken by a folder: no file can be opened there.
    std::filesystem::create_directories(pluginFolder(session) / "LumoraSearchEngine.log");
    run(runner, "ini settings bWriteLogFile 1");
    run(runner, "search Thessa");
    run(runner, "expect message box title \"Search\" text \"Search: Thessa\\n\\n*Found * matches.\"");
    run(runner, "press 0");
    run(runner, "expect star map focused form *");
    run(runner, "wait 200");
    EXPECT_TRUE(session.finish().clean());
    for (const auto& line : gameSideOfTranscript()) {
        EXPECT_EQ(line.rfind("plugin error box", 0), std::string::npos) << line;
        EXPECT_EQ(line.rfind("diagnostic:", 0), std::string::npos) << line;
        EXPECT_EQ(line.rfind("violation", 0), std::string::npos) << line;
    }
}

}  // namespace
