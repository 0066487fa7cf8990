// The session's own duties: the game's folder, the INI files, diagnostics,
// galaxies that cannot be read, and scripts that stop at their first failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "command_runner.h"
#include "hostsim/galaxy.h"
#include "hostsim/transcript.h"
#include "session.h"

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool transcriptHas(const std::string& line) {
    for (const auto& recorded : hostsim::transcript())
        if (recorded == line) return true;
    return false;
}

TEST(Session, IniValuesLandInThePluginFolderAndTheTemporaryFolderGoesAtTheEnd) {
    const auto started = std::filesystem::current_path();
    std::filesystem::path folder;
    {
        demo::Session session({});
        folder = session.workFolder();
        EXPECT_EQ(std::filesystem::current_path(), folder);
        demo::CommandRunner runner(session);
        ASSERT_TRUE(runner.run(*demo::parseCommandLine("ini settings iTextInputMenuHotkey 0x54")).ok);
        ASSERT_TRUE(runner.run(*demo::parseCommandLine("ini lang sSearch \"Su che\"")).ok);
        EXPECT_EQ(runner.hotkey(), 0x54);
        const auto plugins = folder / "Data" / "Obrix" / "Plugins";
        EXPECT_NE(readFile(plugins / "LumoraSearchEngine.ini").find("iTextInputMenuHotkey=0x54"), std::string::npos);
        EXPECT_NE(readFile(plugins / "LumoraSearchEngineLang.ini").find("sSearch=Su che"), std::string::npos);
        // The plugin reads what the script wrote.
        ASSERT_TRUE(runner.run(*demo::parseCommandLine("start")).ok);
        EXPECT_TRUE(session.finish().clean());
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_EQ(std::filesystem::current_path(), started);
}

TEST(Session, UnreadableGalaxyStopsTheSessionBeforeItChangesAnything) {
    const auto started = std::filesystem::current_path();
    demo::SessionOptions options;
    options.galaxyPath = "no-such-file.galaxy";
    EXPECT_THROW(demo::Session{options}, hostsim::GalaxyFileError);
    EXPECT_EQ(std::filesystem::current_path(), started);
    EXPECT_TRUE(hostsim::transcript().empty());
}

TEST(Session, GalaxyAmendmentThatDoesNotParseIsReportedAndTheOldGalaxyStays) {
    demo::SessionOptions options;
    options.galaxyPath = hostsim::shippedGalaxyDirectory() + "/sample.galaxy";
    demo::Session session(options);
    demo::CommandRunner runner(session);
    const auto outcome = runner.run(*demo::parseCommandLine("galaxy sample.galaxy \"form 0xE0001 name=\\\"Twin\\\"\""));
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.message.find("0xE0001"), std::string::npos) << outcome.message;
    EXPECT_EQ(session.formName(0xE0001), "Thessa");
    EXPECT_TRUE(session.finish().clean());
}

TEST(Session, StandardOutputBecomesDiagnosticLinesWhileCaptured) {
    demo::SessionOptions options;
    options.captureDiagnostics = true;
    demo::Session session(options);
    std::fputs("first line\nsecond ", stdout);
    std::fputs("half\nno newline at the end", stdout);
    session.finish();
    EXPECT_TRUE(transcriptHas("diagnostic: first line"));
    EXPECT_TRUE(transcriptHas("diagnostic: second half"));
    EXPECT_TRUE(transcriptHas("diagnostic: no newline at the end"));
}

TEST(Session, ScriptStopsAtItsFirstFailureAndNamesTheLine) {
    demo::Session session({});
    const auto commands = demo::parseScript("note one\nkey press NOPE\nnote two\n");
    const auto outcome = demo::runScript(session, commands);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, "line 2: key press NOPE: unknown key NOPE");
    EXPECT_TRUE(transcriptHas("note: one"));
    EXPECT_FALSE(transcriptHas("note: two"));
    session.finish();
}

TEST(Session, CommandsThatNeedArgumentsRefuseWithoutThem) {
    demo::Session session({});
    demo::CommandRunner runner(session);
    for (const char* line : {"wait", "wait -5", "frames x", "timeout", "message", "ini settings key", "window sideways",
                             "ui-object maybe", "open", "key hold Q", "clock advance 5", "expect", "search"}) {
        const auto outcome = runner.run(*demo::parseCommandLine(line));
        EXPECT_FALSE(outcome.ok) << line;
        EXPECT_FALSE(outcome.message.empty()) << line;
    }
    session.finish();
}

}  // namespace
