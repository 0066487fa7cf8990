// Another mod hooked a site before the plugin loaded: the hook calls the other
// mod's hook where it would call the game's function, with the same arguments
// and at the same moment, and the other mod's hook then calls the game's
// function (the game records a violation when it ran later, or not once).
#include <gtest/gtest.h>

#include <mutex>
#include <ostream>
#include <vector>

#include "game_instruments.h"
#include "hostsim/call_sites.h"
#include "hostsim/image.h"
#include "hostsim/loader.h"
#include "hostsim/offsets.h"
#include "hostsim/site_code.h"
#include "hostsim/ui_records.h"
#include "state/plugin_state.h"
#include "support/simulated_game.h"

using namespace lumora;
using namespace hook_test;
using hostsim::CallSite;

namespace {

constexpr std::int64_t kEditEnded = 9'000'000'000;

struct ChainCase {
    const char* name;
    CallSite site;
    bool promptRequested;           // prompt site
    const char* text;               // capture site
    std::int64_t sinceEditEnded;    // capture site
    std::vector<GameEvent> events;  // what the game saw, in order (boxes are noted apart)
    bool searched;                  // the search's box came, before the chained call
    bool mutexFreeAtGameCall;       // capture site: the plugin's lock released before its call
};
void PrintTo(const ChainCase& c, std::ostream* out) { *out << c.name; }

const char kEmptyText[] = "";
const char kWord[] = "Thessa";

const ChainCase kCases[] = {
    {"prompt_not_requested", CallSite::Prompt, false, nullptr, 0, {GameEvent::PromptTarget}, false, false},
    {"prompt_requested",
     CallSite::Prompt,
     true,
     nullptr,
     0,
     {GameEvent::PromptTarget, GameEvent::OpenTextInputMenu},
     false,
     false},
    // The box's text, then the site's text.
    {"capture_within_window",
     CallSite::Capture,
     false,
     kEmptyText,
     10,
     {GameEvent::Create, GameEvent::Create},
     true,
     true},
    {"capture_after_window", CallSite::Capture, false, kWord, 50'000'000, {GameEvent::Create}, false, false},
    {"capture_null_text", CallSite::Capture, false, nullptr, 10, {GameEvent::Create}, false, true},
};

// Other mod's runs when the game showed its message box.
std::vector<std::uint64_t> g_runsAtBox;

SIM_ABI void boxNotingOtherModsHook(void* owner, std::uint64_t a, std::uint64_t b, hostsim::EngineStringHandle text) {
    g_runsAtBox.push_back(hostsim::otherModHookRuns(CallSite::Capture));
    hostsim::showMessageBoxHost(owner, a, b, text);
}

class ChainedHook : public lumora_test::SimulatedGameTest, public testing::WithParamInterface<ChainCase> {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        hostsim::placeSiteCode(GetParam().site, hostsim::SiteCode::HookedByOther);
        ASSERT_TRUE(
            hostsim::loadPlugin(lumora_test::pluginDescriptorExport(), lumora_test::pluginLoadExport()).loadReturned);
        installGameRecorders();
    }
    void TearDown() override {
        restoreRealClock();
        SimulatedGameTest::TearDown();
    }
};

TEST_P(ChainedHook, OtherModsHookRunsOnceWhereTheGamesFunctionWouldWithTheSameArguments) {
    const ChainCase& c = GetParam();
    const std::uint64_t runsBefore = hostsim::otherModHookRuns(c.site);
    if (c.site == CallSite::Prompt) {
        {
            std::lock_guard lock(PluginState.mutex);
            PluginState.promptRequested = c.promptRequested;
        }
        const auto pass = hostsim::passPromptSite(0xA1, 0xB2, 0xC3, 0xD4);
        EXPECT_TRUE(pass.argumentsIntact);
        EXPECT_EQ(pass.returned, hostsim::promptTargetResult(0xA1, 0xB2, 0xC3, 0xD4));
        EXPECT_EQ(hostsim::openedPrompts().size(), c.promptRequested ? 1u : 0u);
    } else {
        hostsim::placeStub(hostsim::offsets::HostUi_ShowMessageBox,
                           reinterpret_cast<const void*>(&boxNotingOtherModsHook));
        {
            std::lock_guard lock(PluginState.mutex);
            PluginState.textEditEndedAtNs = kEditEnded;
        }
        setTestClock(kEditEnded + c.sinceEditEnded);
        hostsim::passCaptureSite(c.text, 1);
        // The game's call of the site's text, with the flag as the game passed it.
        const auto calls = createsOf(c.text);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].flagRegister, 1u);
        EXPECT_EQ(calls[0].pluginMutexFree, c.mutexFreeAtGameCall);
        EXPECT_EQ(g_runsAtBox, c.searched ? std::vector<std::uint64_t>{runsBefore} : std::vector<std::uint64_t>{});
    }
    EXPECT_EQ(hostsim::otherModHookRuns(c.site), runsBefore + 1);
    EXPECT_EQ(gameEvents(), c.events);
}

INSTANTIATE_TEST_SUITE_P(BothSites, ChainedHook, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ChainCase>& info) { return std::string(info.param.name); });

}  // namespace
