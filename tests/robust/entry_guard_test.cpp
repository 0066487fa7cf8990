// Every function that the game, the loader or Windows calls into, made to
// meet an exception: each returns its safest outcome, says so on standard
// output, and leaves the game whole.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "base/plugin_log.h"
#include "flow/event_sinks.h"
#include "flow/poll_thread.h"
#include "hook/branch_trampoline.h"
#include "hook/search_hooks.h"
#include "hostsim/call_sites.h"
#include "hostsim/engine_strings.h"
#include "hostsim/events.h"
#include "hostsim/galaxy.h"
#include "hostsim/image.h"
#include "hostsim/loader.h"
#include "hostsim/menus.h"
#include "hostsim/offsets.h"
#include "hostsim/ui_records.h"
#include "plugin/loader_interface.h"
#include "robust/plugin_invariants.h"
#include "state/clock.h"
#include "state/plugin_state.h"
#include "support/allocator/test_allocator.h"
#include "support/simulated_game.h"
#include "win32_controls.h"

using namespace lumora;

namespace {

using namespace hostsim;

constexpr std::int64_t kNowNs = 90'000'000'000;
std::int64_t fixedClock() { return kNowNs; }
// A tenth of a second passes at each reading: every interval of the polling
// thread has passed by its next pass.
std::atomic<std::int64_t> steppingNow{kNowNs};
std::int64_t steppingClock() { return steppingNow += 100'000'000; }

void withState(const std::function<void()>& change) {
    std::lock_guard lock(PluginState.mutex);
    change();
}

// How the exception is raised inside the entry.
enum class Raise { FirstAllocation, GameStringCall };

struct GuardCase {
    const char* entry;
    Raise raise;
    std::function<void()> prepare;
    // Calls the entry and checks what it returned and left behind.
    std::function<void()> callAndCheck;
};

const LoaderInterface* loader() { return reinterpret_cast<const LoaderInterface*>(loaderInterface()); }

void focusGameWindowOnTheStarMap() {
    win32layer::setForegroundWindow(win32layer::createWindow("Halcyra"));
    openMenu("GalaxyStarMapMenu");
}

const GuardCase kCases[] = {
    {"ObrixPlugin_Load", Raise::FirstAllocation, [] { setMessagingInterfaceAvailable(false); },
     [] {
         std::uint8_t sites[2][5];
         std::memcpy(sites[0], at(offsets::HostCallSite_PromptHook), 5);
         std::memcpy(sites[1], at(offsets::HostCallSite_TextCaptureHook), 5);
         EXPECT_FALSE(ObrixPlugin_Load(loader()));
         lumora_test::stopCountingAllocations();
         EXPECT_EQ(0, std::memcmp(sites[0], at(offsets::HostCallSite_PromptHook), 5));
         EXPECT_EQ(0, std::memcmp(sites[1], at(offsets::HostCallSite_TextCaptureHook), 5));
         EXPECT_EQ(g_branchTrampoline.base(), nullptr);
         EXPECT_TRUE(listenerRegistrations().empty());
     }},
    // The data-loaded message: reading the settings fails on its first
    // allocation, and the polling thread and the sinks start all the same.
    {"loadConfiguration", Raise::FirstAllocation, [] {},
     [] {
         LoaderMessage dataLoaded{{}, kDataLoadedMessage};
         PluginMessageListener(&dataLoaded);
         lumora_test::stopCountingAllocations();
         EXPECT_EQ(win32layer::createdThreads().size(), 1u);
         EXPECT_EQ(sinkRegistrations().size(), 4u);
     }},
    {"menu open/close sink", Raise::GameStringCall, [] {},
     [] {
         const lumora::MenuOpenCloseEvent opened{internEngineString("GalaxyStarMapMenu"), true};
         EXPECT_EQ(Events::g_menuOpenCloseSink.OnEvent(&opened, nullptr), 0u);
         withState([] { EXPECT_EQ(PluginState.starMapOpenedAtNs, 0); });
     }},
    {"start edit text sink", Raise::GameStringCall, [] { openMenu("GalaxyStarMapMenu"); },
     [] {
         EXPECT_EQ(Events::g_startEditTextSink.OnEvent(nullptr, nullptr), 0u);
         withState([] { EXPECT_FALSE(PluginState.textInputActive); });
     }},
    {"end edit text sink", Raise::GameStringCall, [] { openMenu("GalaxyStarMapMenu"); },
     [] {
         EXPECT_EQ(Events::g_endEditTextSink.OnEvent(nullptr, nullptr), 0u);
         withState([] { EXPECT_EQ(PluginState.textEditEndedAtNs, 0); });
     }},
    {"input canceled sink", Raise::GameStringCall, [] { openMenu("GalaxyStarMapMenu"); },
     [] {
         EXPECT_EQ(Events::g_inputCanceledSink.OnEvent(nullptr, nullptr), 0u);
         withState([] { EXPECT_EQ(PluginState.textEditEndedAtNs, 0); });
     }},
    {"polling pass", Raise::GameStringCall,
     [] {
         focusGameWindowOnTheStarMap();
         win32layer::pressKey(0x51);
     },
     [] {
         EXPECT_FALSE(runPollingPass());
         withState([] { EXPECT_FALSE(PluginState.promptRequested); });
     }},
    {"prompt hook", Raise::FirstAllocation, [] { withState([] { PluginState.promptRequested = true; }); },
     [] {
         EXPECT_EQ(promptHook(5, 6, 7, 8), promptTargetResult(5, 6, 7, 8));
         lumora_test::stopCountingAllocations();
         withState([] { EXPECT_FALSE(PluginState.promptRequested); });
         EXPECT_TRUE(openedPrompts().empty());
     }},
    {"text capture hook", Raise::GameStringCall,
     [] {
         installGalaxy(loadGalaxyFile(shippedGalaxyDirectory() + "/sample.galaxy"));
         openMenu("GalaxyStarMapMenu");
         withState([] { PluginState.textEditEndedAtNs = kNowNs; });
     },
     [] {
         EngineString made = nullptr;
         textCaptureHook(&made, "Harrow", 0);
         EXPECT_EQ(engineStringText(made), "Harrow");  // the game's own call was still made
         HostStartup.engineStringRelease(&made);
         EXPECT_TRUE(gameMessageBoxes().empty());
     }},
};

class EntryGuard : public lumora_test::SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        setClockSourceForTesting(&fixedClock);
        // The log's own lines allocate too, and drop themselves when they
        // cannot (its tests show that); here the first allocation must be
        // the entry's own, as with the log off.
        settlePluginLog(false);
    }
    void TearDown() override {
        setClockSourceForTesting(nullptr);
        SimulatedGameTest::TearDown();
    }
};

TEST_F(EntryGuard, EveryEntryTurnsAnExceptionIntoItsSafestOutcome) {
    for (const GuardCase& guardCase : kCases) {
        SCOPED_TRACE(guardCase.entry);
        // Each case in a child process: a fresh plugin and game state.
        EXPECT_EXIT(
            {
                guardCase.prepare();
                testing::internal::CaptureStdout();
                if (guardCase.raise == Raise::FirstAllocation) lumora_test::failNthAllocation(1);
                else throwFromEngineStringCreates(1);
                guardCase.callAndCheck();
                lumora_test::stopCountingAllocations();
                const std::string printed = testing::internal::GetCapturedStdout();
                const bool raised =
                    guardCase.raise == Raise::FirstAllocation ? lumora_test::allocationFailureInjected() : true;
                const std::string expectedLine = std::string(guardCase.entry) + " stopped by an exception: ";
                const auto broken = lumora_test::brokenInvariants();
                const bool ok = raised && printed.find(expectedLine) != std::string::npos && broken.empty() &&
                                !testing::Test::HasFailure();
                if (!ok)
                    std::fprintf(stderr, "printed: %s\n%s", printed.c_str(), lumora_test::joinLines(broken).c_str());
                std::exit(ok ? 0 : 1);
            },
            testing::ExitedWithCode(0), "");
    }
}

TEST_F(EntryGuard, PollingThreadGoesOnAfterAPassStoppedByAnException) {
    setClockSourceForTesting(&steppingClock);
    focusGameWindowOnTheStarMap();
    win32layer::pressKey(0x51);
    // Outlives the test: the polling thread stays parked in its second sleep
    // until the process ends, and must not read the test's frame after it.
    struct SleepWatch {
        std::atomic<int> sleeps{0};
        std::promise<void> secondSleep;
    };
    auto* watch = new SleepWatch;
    std::future<void> secondSleepTaken = watch->secondSleep.get_future();
    win32layer::setSleepOverride([watch](DWORD) {
        const int sleep = ++watch->sleeps;
        if (sleep == 2) watch->secondSleep.set_value();
        if (sleep >= 2) std::this_thread::sleep_for(std::chrono::hours(1));  // ends with the process
    });
    throwFromEngineStringCreates(1);
    testing::internal::CaptureStdout();
    ASSERT_NE(CreateThread(nullptr, 8192, &PollThreadMain, nullptr, 0, nullptr), nullptr);
    ASSERT_EQ(secondSleepTaken.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("polling pass stopped by an exception"), std::string::npos);
    // The pass after the failed one raised the request.
    withState([] { EXPECT_TRUE(PluginState.promptRequested); });
}

}  // namespace
