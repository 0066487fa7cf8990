// Each road of the plugin run again and again with its N-th allocation made
// to fail, N = 1, 2, 3, ... until the road runs through without reaching a
// failure. Every run happens in a child process of its own (a fresh plugin),
// and must leave the game alive and whole.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "base/plugin_log.h"
#include "config/load_configuration.h"
#include "config/settings.h"
#include "flow/event_sinks.h"
#include "flow/poll_thread.h"
#include "flow/recent_destinations_store.h"
#include "hook/search_hooks.h"
#include "hostsim/events.h"
#include "hostsim/galaxy.h"
#include "hostsim/game_code.h"
#include "hostsim/loader.h"
#include "hostsim/menus.h"
#include "hostsim/ui_records.h"
#include "plugin/loader_interface.h"
#include "robust/child_process.h"
#include "robust/plugin_invariants.h"
#include "state/clock.h"
#include "state/plugin_state.h"
#include "support/allocator/test_allocator.h"
#include "support/simulated_game.h"
#include "win32_controls.h"

using namespace lumora;

namespace {

constexpr std::int64_t kFrozenNowNs = 50'000'000'000;
std::int64_t frozenClock() { return kFrozenNowNs; }

void enterFreshGameFolder(bool withIniFiles) {
    char pattern[] = "/tmp/lumora_roads_XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    std::filesystem::current_path(pattern);
    std::filesystem::create_directories("Data/Obrix/Plugins");
    if (!withIniFiles) return;
    std::ofstream("Data/Obrix/Plugins/LumoraSearchEngine.ini")
        << "[General]\niTextInputMenuHotkey=0x51\nbSkipNonStarMapVisibleMapMarkers=1\n";
    std::ofstream("Data/Obrix/Plugins/LumoraSearchEngineLang.ini")
        << "[General]\nsSearch=Suche\nsFoundMatches=Gefunden: % Treffer.\nsNoMatchesFound=Nichts.\n";
}

// The settings file the installer recommends: every addition on and the log
// writing; and a recent list of three bodies to read back.
constexpr const char* kRecentFile = "Data/Obrix/Plugins/LumoraSearchEngineRecent.txt";
const std::string kRecentBytes =
    "LumoraSearchEngine recent destinations 1\r\n"
    "000E0001\tThessa\tThessa | Corvane System\r\n"
    "000E0002\tMarrow\tDuskfall Camp | Marrow\r\n";

void enterRecommendedGameFolder() {
    enterFreshGameFolder(false);
    std::filesystem::copy_file(LUMORA_RECOMMENDED_SETTINGS, "Data/Obrix/Plugins/LumoraSearchEngine.ini");
    std::ofstream(kRecentFile, std::ios::binary) << kRecentBytes;
}

std::string logText() {
    std::ifstream in("Data/Obrix/Plugins/LumoraSearchEngine.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string recentText() {
    std::ifstream in(kRecentFile, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void loadAndStart() {
    ObrixPlugin_Load(reinterpret_cast<const LoaderInterface*>(hostsim::loaderInterface()));
    LoaderMessage dataLoaded{{}, kDataLoadedMessage};
    PluginMessageListener(&dataLoaded);
}

// The search runs inside the capture hook, as the game's call site calls it;
// the game then releases the string its call made.
void captureWithinWindow(const char* text) {
    EngineString made = nullptr;
    textCaptureHook(&made, text, 0);
    if (made != nullptr) HostStartup.engineStringRelease(&made);
}

void prepareSearch() {
    hostsim::installGalaxy(hostsim::loadGalaxyFile(hostsim::shippedGalaxyDirectory() + "/sample.galaxy"));
    setClockSourceForTesting(&frozenClock);
    hostsim::openMenu("GalaxyStarMapMenu");
    std::lock_guard lock(PluginState.mutex);
    PluginState.textEditEndedAtNs = kFrozenNowNs;
}

void prepareChoice() {
    prepareSearch();
    captureWithinWindow("Harrow");
    hostsim::openMenu("MessageBoxMenu");
    win32layer::setForegroundWindow(win32layer::createWindow("Halcyra"));
    win32layer::pressKey('1');
    std::lock_guard lock(PluginState.mutex);
    PluginState.resultsBoxOpen = true;
}

MenuOpenCloseEvent menuEvents[4];

void prepareSinks() {
    setClockSourceForTesting(&frozenClock);
    hostsim::openMenu("GalaxyStarMapMenu");
    const EngineString starMap = hostsim::internEngineString("GalaxyStarMapMenu");
    const EngineString messageBox = hostsim::internEngineString("MessageBoxMenu");
    const EngineString textInput = hostsim::internEngineString("TextInputMenu");
    menuEvents[0] = {starMap, true};
    menuEvents[1] = {messageBox, true};
    menuEvents[2] = {messageBox, false};
    menuEvents[3] = {textInput, false};
}

void deliverToEverySink() {
    for (const MenuOpenCloseEvent& event : menuEvents) Events::g_menuOpenCloseSink.OnEvent(&event, nullptr);
    Events::g_startEditTextSink.OnEvent(nullptr, nullptr);
    Events::g_endEditTextSink.OnEvent(nullptr, nullptr);
    Events::g_inputCanceledSink.OnEvent(nullptr, nullptr);
}

void preparePrompt() {
    std::lock_guard lock(PluginState.mutex);
    PluginState.promptRequested = true;
}

bool started() {
    return hostsim::listenerRegistrations().size() == 1 && hostsim::sinkRegistrations().size() == 4 &&
           win32layer::createdThreads().size() == 1 &&
           std::filesystem::exists("Data/Obrix/Plugins/LumoraSearchEngine.ini") &&
           std::filesystem::exists("Data/Obrix/Plugins/LumoraSearchEngineLang.ini");
}

bool lastBoxReads(const std::string& part) {
    const auto boxes = hostsim::gameMessageBoxes();
    return !boxes.empty() && boxes.back().text.find(part) != std::string::npos;
}

// Where the plugin was installed, the Parts' start went all the way: an
// addition that failed gives up alone.
std::string startedWhereInstalled() {
    if (hostsim::listenerRegistrations().size() != 1) return {};
    if (hostsim::sinkRegistrations().size() != 4 || win32layer::createdThreads().size() != 1)
        return "installed, but the polling thread or a sink did not start\n";
    return {};
}

// The start as message 2 makes it, with the Recommended settings and the
// log's writer on this thread: no polling thread runs beside the road.
void startRecommendedWithoutThread() {
    enterRecommendedGameFolder();
    loadConfiguration();
    settlePluginLog(Settings.writeLogFile);
    loadRecentDestinations();
    win32layer::setForegroundWindow(win32layer::createWindow("Halcyra"));
}

// A first page of results is open; the hotkey turns it.
void prepareOpenFirstPage() {
    startRecommendedWithoutThread();
    prepareSearch();
    captureWithinWindow("a");
    hostsim::openMenu("MessageBoxMenu");
    const MenuOpenCloseEvent opened{hostsim::internEngineString("MessageBoxMenu"), true};
    Events::g_menuOpenCloseSink.OnEvent(&opened, nullptr);
}

void turnPage() {
    {
        // The game's own doings: none of their allocations is the plugin's.
        hostsim::GameCodeScope game;
        win32layer::pressKey(0x51);
    }
    runPollingPass();
    const MenuOpenCloseEvent* closed = nullptr;
    {
        hostsim::GameCodeScope game;
        win32layer::releaseKey(0x51);
        hostsim::closeMenu("MessageBoxMenu");
        static const MenuOpenCloseEvent event{hostsim::internEngineString("MessageBoxMenu"), false};
        closed = &event;
    }
    Events::g_menuOpenCloseSink.OnEvent(closed, nullptr);
    promptHook(1, 2, 3, 4);
    writeQueuedLogLines();
}

void prepareRecommendedChoice() {
    startRecommendedWithoutThread();
    prepareSearch();
    captureWithinWindow("Harrow");
    hostsim::openMenu("MessageBoxMenu");
    win32layer::pressKey('1');
    std::lock_guard lock(PluginState.mutex);
    PluginState.resultsBoxOpen = true;
}

// A choice whose body the game no longer knows: the polling thread's error box.
void prepareChoiceOfAGoneBody() {
    prepareRecommendedChoice();
    std::lock_guard lock(PluginState.mutex);
    PluginState.resultKeys.clear();
    PluginState.resultKeys.append(1, 0x00ABCDEF, "Gone | Nowhere", "Gone");
}

struct Road {
    const char* name;
    void (*prepare)();
    void (*run)();
    bool (*done)();  // what the run without a failure must have achieved
    // What must hold whether or not a failure was reached; "" when it does.
    std::string (*holds)() = [] { return std::string(); };
};

const Road kRoads[] = {
    {"load + message 2, INI files new", [] { enterFreshGameFolder(false); }, loadAndStart, started},
    {"load + message 2, INI files existing", [] { enterFreshGameFolder(true); }, loadAndStart, started},
    {"search with results", prepareSearch, [] { captureWithinWindow("Harrow"); },
     [] { return lastBoxReads("Found 2 matches."); }},
    {"search with an excluded term", prepareSearch, [] { captureWithinWindow("harrow--minor"); },
     [] { return lastBoxReads("(excl.: minor)"); }},
    {"no-match search", prepareSearch, [] { captureWithinWindow("Qwzxv"); },
     [] { return lastBoxReads("No matches."); }},
    {"digit choice", prepareChoice, [] { runPollingPass(); }, [] { return hostsim::focusRequests().size() == 1; }},
    {"the sinks", prepareSinks, deliverToEverySink,
     [] { return PluginState.textEditEndedAtNs == kFrozenNowNs && PluginState.starMapOpenedAtNs == kFrozenNowNs; }},
    {"prompt opening", preparePrompt, [] { promptHook(1, 2, 3, 4); },
     [] { return hostsim::openedPrompts().size() == 1; }},
    // With the Recommended settings: every addition on, the log writing.
    {"load + message 2 + first log write, Recommended settings", enterRecommendedGameFolder,
     [] {
         loadAndStart();
         writeQueuedLogLines();
     },
     [] { return started() && logText().find("sink registered: MenuOpenCloseEvent") != std::string::npos; },
     startedWhereInstalled},
    {"refused load writing its log, Recommended settings",
     [] {
         enterRecommendedGameFolder();
         win32layer::failModuleHandle(true);
     },
     [] { ObrixPlugin_Load(reinterpret_cast<const LoaderInterface*>(hostsim::loaderInterface())); },
     [] { return logText().find("error box: \"Installation error") != std::string::npos; }},
    {"search with every addition, Recommended settings",
     [] {
         startRecommendedWithoutThread();
         prepareSearch();
     },
     [] {
         captureWithinWindow("Harow");
         writeQueuedLogLines();
     },
     [] { return lastBoxReads("Harrow") && logText().find("search \"Harow\"") != std::string::npos; }},
    {"page turn, Recommended settings", prepareOpenFirstPage, turnPage,
     [] { return lastBoxReads("Greywater Yard") && logText().find("results page turned") != std::string::npos; }},
    {"empty search listing recent destinations, Recommended settings",
     [] {
         startRecommendedWithoutThread();
         prepareSearch();
     },
     [] {
         captureWithinWindow("");
         writeQueuedLogLines();
     },
     [] { return lastBoxReads("[1] Duskfall Camp | Marrow"); }},
    {"digit choice saving the recent list, Recommended settings", prepareRecommendedChoice,
     [] {
         runPollingPass();
         writeQueuedLogLines();
     },
     [] {
         return hostsim::focusRequests().size() == 1 && recentText() != kRecentBytes &&
                logText().find("choice [1]") != std::string::npos;
     },
     // The list is replaced whole or not at all.
     [] {
         const std::string now = recentText();
         return now.rfind("LumoraSearchEngine recent destinations 1\r\n", 0) == 0 ? std::string()
                                                                                  : "recent list damaged\n";
     }},
    {"error box with the log writing, Recommended settings", prepareChoiceOfAGoneBody, [] { runPollingPass(); },
     [] { return logText().find("error box: \"Internal error: 0d28") != std::string::npos; }},
};

struct RunOutcome {
    bool failureReached = false;
    std::string problems;  // empty: the game is alive and whole
};

// Runs the road in a child process with its n-th allocation failing.
RunOutcome runWithFailure(const Road& road, std::size_t n) {
    const lumora_test::ChildReport child = lumora_test::runInChild([&road, n] {
        road.prepare();
        lumora_test::failNthAllocation(n);
        road.run();
        lumora_test::stopCountingAllocations();
        const bool injected = lumora_test::allocationFailureInjected();
        std::string report =
            std::string(injected ? "1" : "0") + lumora_test::joinLines(lumora_test::brokenInvariants()) + road.holds();
        if (!injected && !road.done()) report += "the road did not do its work\n";
        return report;
    });
    if (!child.exitedNormally || child.text.empty()) return {true, child.text};
    return {child.text[0] == '1', child.text.substr(1)};
}

class AllocationRoads : public lumora_test::SimulatedGameTest {};

TEST_F(AllocationRoads, EveryFailurePointOfEveryRoadLeavesTheGameAliveAndWhole) {
    std::size_t totalPoints = 0;
    for (const Road& road : kRoads) {
        std::size_t n = 1;
        for (;; ++n) {
            const RunOutcome outcome = runWithFailure(road, n);
            EXPECT_TRUE(outcome.problems.empty()) << road.name << ", allocation " << n << " failing:\n"
                                                  << outcome.problems;
            if (!outcome.failureReached || !outcome.problems.empty()) break;
            ASSERT_LT(n, 5000u) << road.name << " never completes";
        }
        const std::size_t points = n - 1;
        totalPoints += points;
        std::printf("road \"%s\": %zu failure points\n", road.name, points);
    }
    std::printf("%zu roads, %zu failure points\n", std::size(kRoads), totalPoints);
    // The roads that build strings must have been reached at all.
    EXPECT_GT(totalPoints, 0u);
}

}  // namespace
