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
#include <sstream>

#include "command_runner.h"
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

// The Windows build plays the same scenarios under Wine and compares its
// transcripts with these; another menu order has transcripts of its own.
void writeTranscript(const std::string& name) {
    std::filesystem::create_directories(LUMORA_TRANSCRIPT_DIR);
    const std::string order = menuOrderName();
    const std::string file = order == "game" ? name : name + "." + order;
    std::ofstream out(std::filesystem::path(LUMORA_TRANSCRIPT_DIR) / (file + ".transcript"), std::ios::binary);
    for (const auto& line : hostsim::transcript()) out << line << "\n";
}

class Scenario : public ::testing::TestWithParam<std::string> {};

TEST_P(Scenario, MeetsItsExpectationsWithBalancedStringsAndNoViolation) {
    const auto path = std::filesystem::path(LUMORA_SCENARIO_DIR) / (GetParam() + ".scenario");
    const auto commands = demo::parseScript(readFile(path));
    ASSERT_FALSE(commands.empty()) << path;

    const auto order = hostsim::parseMenuEventOrder(menuOrderName());
    ASSERT_TRUE(order) << "LUMORA_SCENARIO_MENU_ORDER: " << menuOrderName();
    demo::SessionOptions options;
    options.menuEventOrder = *order;
    options.galaxyPath = hostsim::shippedGalaxyDirectory() + "/sample.galaxy";
    options.clockInstaller = &setClockSourceForTesting;
    options.captureDiagnostics = true;
    options.keyHold = std::chrono::milliseconds(300);  // several passes of the polling thread, even when slowed down
    demo::CommandOutcome outcome;
    demo::SessionSummary summary;
    {
        demo::Session session(options);
        outcome = demo::runScript(session, commands);
        summary = session.finish();
    }
    writeTranscript(GetParam());
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
