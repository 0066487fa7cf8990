// Every scenario file runs as a play session of its own (CTest gives each
// test case a fresh process): the plugin loaded into the simulated game, the
// real polling thread and game thread, the plugin's clock under the script's
// control. A scenario passes when all its expectations are met, the game saw
// no violation and every engine string the plugin made was released.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "command_runner.h"
#include "game_process.h"
#include "hostsim/galaxy.h"
#include "hostsim/menus.h"
#include "hostsim/transcript.h"
#include "script_parser.h"
#include "session.h"
#include "state/clock.h"

using namespace lumora;

namespace {

std::vector<std::string> scenarioNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(LUMORA_SCENARIO_DIR))
        if (entry.path().extension() == ".scenario") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string transcriptText() {
    std::string text;
    for (const auto& line : hostsim::transcript()) text += "  " + line + "\n";
    return text;
}

// LUMORA_SCENARIO_MENU_ORDER plays the scenarios again in a game that tells
// of closing menus in another order (hostsim::parseMenuEventOrder); unset,
// the simulated game's own order.
const char* menuOrderName() {
    const char* name = std::getenv("LUMORA_SCENARIO_MENU_ORDER");
    return name != nullptr && *name != '\0' ? name : "game";
}

void writeLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::ofstream out(path, std::ios::binary);
    for (const auto& line : lines) out << line << "\n";
}

// The Windows build plays the same scenarios under Wine and compares its
// transcripts with these; another menu order has transcripts of its own.
void writeTranscript(const std::string& name, const std::vector<std::string>& lines) {
    std::filesystem::create_directories(LUMORA_TRANSCRIPT_DIR);
    const std::string order = menuOrderName();
    const std::string file = order == "game" ? name : name + "." + order;
    writeLines(std::filesystem::path(LUMORA_TRANSCRIPT_DIR) / (file + ".transcript"), lines);
}

// A scenario that starts the game again plays each part in a new process of
// this program (the plugin loaded afresh, as in a new game) over one game
// folder; these name the part, the folder and where its transcript goes.
constexpr const char* kPartVariable = "LUMORA_SCENARIO_PART";
constexpr const char* kFolderVariable = "LUMORA_SCENARIO_FOLDER";
constexpr const char* kPartTranscriptVariable = "LUMORA_SCENARIO_PART_TRANSCRIPT";

std::filesystem::path freshFolder(const std::string& name) {
    std::random_device seed;
    for (;;) {
        const auto folder =
            std::filesystem::temp_directory_path() / ("lumora_scenario_" + name + "_" + std::to_string(seed()));
        if (std::filesystem::create_directory(folder)) return folder;
    }
}

std::vector<std::string> readLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::istringstream in(readFile(path));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class Scenario : public ::testing::TestWithParam<std::string> {};

TEST_P(Scenario, MeetsItsExpectationsWithBalancedStringsAndNoViolation) {
    const auto path = std::filesystem::path(LUMORA_SCENARIO_DIR) / (GetParam() + ".scenario");
    auto commands = demo::parseScript(readFile(path));
    ASSERT_FALSE(commands.empty()) << path;

    const auto parts = demo::splitAtRestarts(commands);
    const char* partText = std::getenv(kPartVariable);
    if (parts.size() > 1 && partText == nullptr) {
        const auto folder = freshFolder(GetParam());
        std::vector<std::string> transcript;
        for (std::size_t part = 0; part < parts.size(); ++part) {
            const auto partTranscript = folder.string() + ".part" + std::to_string(part);
            setenv(kPartVariable, std::to_string(part).c_str(), 1);
            setenv(kFolderVariable, folder.c_str(), 1);
            setenv(kPartTranscriptVariable, partTranscript.c_str(), 1);
            const std::string filter =
                "--gtest_filter=" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) + "." +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
            const int code = demo::runThisProgramAgain({filter});
            const auto lines = readLines(partTranscript);
            transcript.insert(transcript.end(), lines.begin(), lines.end());
            std::filesystem::remove(partTranscript);
            EXPECT_EQ(code, 0) << "part " << part << " of " << GetParam();
            if (code != 0) break;
        }
        unsetenv(kPartVariable);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        writeTranscript(GetParam(), transcript);
        return;
    }
    if (partText != nullptr) commands = parts.at(static_cast<std::size_t>(std::atoi(partText)));

    const auto order = hostsim::parseMenuEventOrder(menuOrderName());
    ASSERT_TRUE(order) << "LUMORA_SCENARIO_MENU_ORDER: " << menuOrderName();
    demo::SessionOptions options;
    options.menuEventOrder = *order;
    options.galaxyPath = hostsim::shippedGalaxyDirectory() + "/sample.galaxy";
    options.clockInstaller = &setClockSourceForTesting;
    options.captureDiagnostics = true;
    options.keyHold = std::chrono::milliseconds(300);  // several passes of the polling thread, even when slowed down
    if (partText != nullptr) options.workdir = std::getenv(kFolderVariable);
    demo::CommandOutcome outcome;
    demo::SessionSummary summary;
    {
        demo::Session session(options);
        outcome = demo::runScript(session, commands);
        summary = session.finish();
    }
    if (partText != nullptr) writeLines(std::getenv(kPartTranscriptVariable), hostsim::transcript());
    else writeTranscript(GetParam(), hostsim::transcript());
    EXPECT_TRUE(outcome.ok) << outcome.message << "\ntranscript:\n" << transcriptText();
    EXPECT_TRUE(summary.ledgerBalanced) << transcriptText();
    for (const auto& violation : hostsim::violations()) ADD_FAILURE() << "game saw: " << violation;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Scenario, ::testing::ValuesIn(scenarioNames()), [](const auto& info) {
    std::string name = info.param;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

}  // namespace
