// Soak: thousands of searches while the player's keys, the game's menus, its
// frames and the capture site all move at random moments, across the plugin's
// polling thread, the thread that delivers menu and editing events, and the
// game's own thread. Nothing may deadlock (a watchdog ends the process when
// no progress is made), and at the end every engine string is released and
// every lock free. LUMORA_SOAK_SEARCHES sets how many searches (default 5000).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <span>
#include <string>
#include <thread>

#include "base/plugin_log.h"
#include "config/recent_destinations_file.h"
#include "flow_test_support.h"
#include "hostsim/call_sites.h"
#include "hostsim/events.h"
#include "hostsim/galaxy.h"
#include "hostsim/game_thread.h"
#include "hostsim/host_lock.h"
#include "hostsim/loader.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"
#include "state/plugin_state.h"

namespace {

using namespace flow_test;
using namespace std::chrono_literals;

std::size_t soakSearches() {
    const char* wanted = std::getenv("LUMORA_SOAK_SEARCHES");
    return wanted != nullptr ? std::strtoul(wanted, nullptr, 10) : 5000;
}

// Progress marks of each side; the watchdog needs all of them to move.
std::atomic<std::uint64_t> driverSteps{0};
std::atomic<std::uint64_t> pollPasses{0};
std::atomic<bool> pollingParked{false};

// Ends the process when the driver, the game's frames or the polling thread
// stop moving for `limit`: a deadlock cannot be unwound from a test.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit) : thread_([this, limit] { watch(limit); }) {}
    ~Watchdog() {
        stop_.store(true);
        thread_.join();
    }

private:
    void watch(std::chrono::seconds limit) {
        auto marks = [] { return std::array{driverSteps.load(), hostsim::frameCount(), pollPasses.load()}; };
        auto last = marks();
        auto lastChange = std::chrono::steady_clock::now();
        while (!stop_.load()) {
            std::this_thread::sleep_for(50ms);
            const auto now = marks();
            bool allMoved = true;
            for (std::size_t i = 0; i < now.size(); ++i) allMoved &= now[i] != last[i];
            if (allMoved || pollingParked.load()) {
                last = now;
                lastChange = std::chrono::steady_clock::now();
            } else if (std::chrono::steady_clock::now() - lastChange > limit) {
                std::fprintf(stderr, "soak watchdog: no progress for %lld s (driver %llu, frames %llu, polls %llu)\n",
                             static_cast<long long>(limit.count()), static_cast<unsigned long long>(now[0]),
                             static_cast<unsigned long long>(now[1]), static_cast<unsigned long long>(now[2]));
                std::abort();
            }
        }
    }
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

const char* const kMenus[] = {"GalaxyStarMapMenu", "MessageBoxMenu", "TextInputMenu", "Console"};
const int kKeys[] = {0x51, '0', '1', '2', VK_NUMPAD0 + 1, VK_TAB, VK_ESCAPE};

// How the player behaves in a soak.
struct SoakStyle {
    std::span<const int> keys;
    // The road to a search closes the console, the prompt and any box first,
    // as it does in the game; otherwise whatever the random steps left open
    // stays open.
    bool clearRoadToSearch;
    unsigned answerBoxOneIn;       // chance of closing a search's box a frame later
    unsigned readingMicroseconds;  // up to this long the player reads a box before the next step
};
constexpr SoakStyle kPlainStyle{kKeys, false, 2, 0};
// With results pages the hotkey comes more often and boxes stay open longer,
// so that page turns happen among everything else.
const int kPagingKeys[] = {0x51, 0x51, 0x51, 0x51, '0', '1', '2', VK_NUMPAD0 + 1, VK_TAB, VK_ESCAPE};
constexpr SoakStyle kPagingStyle{kPagingKeys, true, 4, 4000};
const char* const kTexts[] = {
    "thessa", "Corvane", "a", "", "--", "ilvane--prime", "outpost", "Va'ruun", "zzz", "new atlantis -- city", "E"};

class SoakTest : public lumora_test::LoadedPluginTest {
protected:
    void SetUp() override {
        LoadedPluginTest::SetUp();
        win32layer::releaseAllKeys();
        win32layer::setForegroundWindow(win32layer::createWindow("Halcyra"));
        // The polling thread sleeps 0 to 3 ms between passes instead of 50.
        win32layer::setSleepOverride([](DWORD) {
            thread_local std::mt19937 pause(7);
            pollPasses.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::microseconds(pause() % 3000));
        });
        // The game's image is writable and executable already; our VirtualProtect
        // reads the process's mappings on every call, which under the thread
        // sanitizer would take most of each search. The title patching sees a
        // protection change that succeeds.
        win32layer::setVirtualProtectOverride([](LPVOID, SIZE_T, DWORD, PDWORD oldProtect) -> BOOL {
            if (oldProtect != nullptr) *oldProtect = PAGE_EXECUTE_READWRITE;
            return TRUE;
        });
        hostsim::installGalaxy(hostsim::loadGalaxyFile(hostsim::shippedGalaxyDirectory() + "/sample.galaxy"));
        hostsim::sendLoaderMessage(2);
        hostsim::startGameThread(1ms);
    }
    void TearDown() override {
        win32layer::setSleepOverride([](DWORD) {
            pollingParked.store(true);
            for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
        });
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!pollingParked.load() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
        EXPECT_TRUE(pollingParked.load());
        hostsim::stopGameThread();
        win32layer::setVirtualProtectOverride({});
        EXPECT_TRUE(PluginState.mutex.try_lock()) << "PluginState.mutex still held";
        PluginState.mutex.unlock();
        EXPECT_TRUE(hostsim::isBalanced(hostsim::allFormsLock()));
        if (const hostsim::Galaxy* galaxy = hostsim::installedGalaxy()) {
            EXPECT_TRUE(galaxy->containerLocksBalanced());
        }
        LoadedPluginTest::TearDown();  // engine strings balanced, no violation
    }
    // Counts what the game recorded so far and forgets it, so the records stay small.
    void takeRecords() {
        prompts_ += hostsim::openedPrompts().size();
        focuses_ += hostsim::focusRequests().size();
        boxes_ += hostsim::gameMessageBoxes().size();
        hostsim::clearUiRecords();
    }
    std::size_t prompts_ = 0;
    std::size_t focuses_ = 0;
    std::size_t boxes_ = 0;
    ManualClock clock_;
    ScopedGameFolder folder_;

    // Drives the game and the player at random until `wanted` searches have
    // shown their boxes (or time runs out).
    struct SoakCounts {
        std::size_t searches = 0;     // boxes shown while a search ran
        std::size_t searchCalls = 0;  // texts the game searched: one box each
        std::size_t boxes = 0;        // every box the game showed
    };
    SoakCounts soak(std::size_t wanted, const SoakStyle& style) {
        SoakCounts counts;
        std::mt19937 pick(20261208);  // fixed: the same sequence of actions every run
        auto chance = [&](unsigned outOf) { return pick() % outOf == 0; };
        // Generous: a sanitizer or a busy machine may make each search take a few ms.
        const auto giveUp = std::chrono::steady_clock::now() + std::max<std::chrono::milliseconds>(100s, wanted * 20ms);
        Watchdog watchdog(5s);
        while (counts.searches < wanted && std::chrono::steady_clock::now() < giveUp) {
            driverSteps.fetch_add(1);
            switch (pick() % 8) {
                case 0:  // time passes on the plugin's clock, across its thresholds
                    clock_.advance(static_cast<std::int64_t>(pick() % 700) * kMillisecond);
                    break;
                case 1: {  // the player's keys
                    const int key = style.keys[pick() % style.keys.size()];
                    chance(2) ? win32layer::pressKey(key) : win32layer::releaseKey(key);
                    break;
                }
                case 2: {  // a menu changes, its event delivered on this thread
                    const char* menu = kMenus[pick() % std::size(kMenus)];
                    chance(2) ? hostsim::openMenu(menu) : hostsim::closeMenu(menu);
                    break;
                }
                case 3: {  // a menu changes on the game's thread
                    const char* menu = kMenus[pick() % std::size(kMenus)];
                    const bool open = chance(2);
                    hostsim::postToGameThread([menu, open] {
                        open ? hostsim::openMenu(menu) : hostsim::closeMenu(menu);
                    });
                    break;
                }
                case 4:  // editing starts, ends or is cancelled on this thread
                    hostsim::deliverTextInputEvent(chance(3)   ? hostsim::EventSourceKind::StartEditText
                                                   : chance(2) ? hostsim::EventSourceKind::EndEditText
                                                               : hostsim::EventSourceKind::InputCanceled);
                    break;
                case 5:
                case 6: {  // the player confirms a text on the star map: the game searches it
                    const char* text = kTexts[pick() % std::size(kTexts)];
                    const std::size_t before = hostsim::gameMessageBoxes().size();
                    hostsim::runOnGameThread([text, &style] {
                        if (style.clearRoadToSearch)
                            for (const char* menu : {"Console", "TextInputMenu", "MessageBoxMenu"})
                                hostsim::closeMenu(menu);
                        hostsim::openMenu("GalaxyStarMapMenu");
                        hostsim::deliverTextInputEvent(hostsim::EventSourceKind::EndEditText);
                        hostsim::passCaptureSite(text);
                    });
                    ++counts.searchCalls;
                    // Now and then the player answers the box a frame later.
                    if (chance(style.answerBoxOneIn))
                        hostsim::postToGameThread([] { hostsim::closeMenu("MessageBoxMenu"); });
                    counts.searches += hostsim::gameMessageBoxes().size() - before;
                    if (style.readingMicroseconds > 0)
                        std::this_thread::sleep_for(std::chrono::microseconds(pick() % style.readingMicroseconds));
                    if (hostsim::gameMessageBoxes().size() > 256) takeRecords();
                    break;
                }
                default:  // a moment of real time
                    std::this_thread::sleep_for(std::chrono::microseconds(pick() % 2000));
                    break;
            }
        }
        win32layer::releaseAllKeys();
        hostsim::runOnGameThread([] {});  // the game drains what was posted to it
        takeRecords();
        counts.boxes = boxes_;
        return counts;
    }
    void printSummary(const char* what, const SoakCounts& counts) const {
        std::printf(
            "soak%s: %zu searches (%zu texts searched, %zu boxes), %zu prompts opened, %zu bodies focused in %llu "
            "steps, %llu frames, %llu polling passes\n",
            what, counts.searches, counts.searchCalls, counts.boxes, prompts_, focuses_,
            static_cast<unsigned long long>(driverSteps.load()), static_cast<unsigned long long>(hostsim::frameCount()),
            static_cast<unsigned long long>(pollPasses.load()));
    }
};

TEST_F(SoakTest, ThousandsOfSearchesAmidRandomKeysMenusFramesAndCapturesEndQuietAndBalanced) {
    const std::size_t wanted = soakSearches();
    const SoakCounts counts = soak(wanted, kPlainStyle);
    printSummary("", counts);
    EXPECT_GE(counts.searches, wanted);
    // The polling thread's roads were taken too, not only the capture's.
    EXPECT_GT(prompts_, 0u);
    EXPECT_GT(focuses_, 0u);
}

// The same, with the hotkey turning results pages: the page turns run among
// the keys, menus and searches, across the same three threads.
class PagedSoakTest : public SoakTest {
protected:
    void SetUp() override {
        std::ofstream(std::filesystem::path("Data/Obrix/Plugins/LumoraSearchEngine.ini"), std::ios::binary)
            << "[General]\r\nbPageResultsWithHotkey=1\r\n";
        SoakTest::SetUp();
    }
};

TEST_F(PagedSoakTest, ThousandsOfSearchesAndPageTurnsEndQuietAndBalanced) {
    const std::size_t wanted = soakSearches();
    const SoakCounts counts = soak(wanted, kPagingStyle);
    printSummary(" with pages", counts);
    EXPECT_GE(counts.searches, wanted);
    EXPECT_GT(prompts_, 0u);
    EXPECT_GT(focuses_, 0u);
    // Every search shows one box; the boxes beyond those are later pages.
    EXPECT_GT(counts.boxes, counts.searchCalls);
}

// Every addition on, as the installer recommends: the log's writer and the
// recent list's saving meet the searches, pages, choices and close names
// under load. A fifth of the searches: the log and the list's file make each
// choice and pass slower, and the sanitizer runs this too.
class RecommendedSoakTest : public SoakTest {
protected:
    void SetUp() override {
        std::filesystem::copy_file(LUMORA_RECOMMENDED_SETTINGS, kPluginFolder / "LumoraSearchEngine.ini");
        std::ofstream(kPluginFolder / "LumoraSearchEngineRecent.txt", std::ios::binary)
            << "LumoraSearchEngine recent destinations 1\r\n000E0002\tMarrow\tDuskfall Camp | Marrow\r\n";
        SoakTest::SetUp();
    }
    static std::string fileText(const char* name) {
        std::ifstream in(kPluginFolder / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    inline static const std::filesystem::path kPluginFolder{"Data/Obrix/Plugins"};
};

TEST_F(RecommendedSoakTest, SearchesPagesChoicesWithTheLogAndTheRecentListEndQuietAndBalanced) {
    const std::size_t wanted = std::max<std::size_t>(soakSearches() / 5, 1);
    const SoakCounts counts = soak(wanted, kPagingStyle);
    printSummary(" with every addition", counts);
    EXPECT_GE(counts.searches, wanted);
    EXPECT_GT(prompts_, 0u);
    EXPECT_GT(focuses_, 0u);
    EXPECT_GT(counts.boxes, counts.searchCalls);

    lumora::writeQueuedLogLines();
    const std::string log = fileText("LumoraSearchEngine.log");
    EXPECT_NE(log.find("] search \""), std::string::npos);
    EXPECT_NE(log.find("] choice ["), std::string::npos);
    // Only whole lines, each with its time, however the threads met.
    std::size_t lines = 0;
    for (std::size_t start = 0; start < log.size(); ++lines) {
        const std::size_t end = log.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "a line without its end";
        ASSERT_EQ(log[start], '[') << log.substr(start, end - start);
        start = end + 2;
    }
    EXPECT_GT(lines, counts.searchCalls / 2);
    // The list was saved after choices, whole: the chosen bodies on top of
    // the one it started with.
    const std::string recent = fileText("LumoraSearchEngineRecent.txt");
    EXPECT_EQ(recent.rfind("LumoraSearchEngine recent destinations 1\r\n", 0), 0u);
    EXPECT_GT(lumora::parseRecentDestinations(recent).size(), 1u);
}

}  // namespace
