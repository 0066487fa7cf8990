#pragma once
// One pass of the polling thread at a time, on the test's thread: the game's
// window in front, the star map open and settled, no sinks registered (the
// test sets the shared state itself), menu queries recorded.
#include <string>
#include <vector>

#include "config/settings.h"
#include "flow/poll_thread.h"
#include "flow_test_support.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"
#include "state/plugin_state.h"

using namespace lumora;

namespace flow_test {

inline constexpr int kHotkey = 0x51;
inline constexpr int kTab = 0x09;
inline constexpr int kEscape = 0x1B;

inline const std::vector<std::string> kAllFourMenuQueries{"TextInputMenu", "GalaxyStarMapMenu", "Console",
                                                          "MessageBoxMenu"};

class PollPassTest : public lumora_test::SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        win32layer::destroyAllWindows();
        win32layer::releaseAllKeys();
        win32layer::clearMessageBoxes();
        gameWindow_ = win32layer::createWindow("Halcyra");
        win32layer::setForegroundWindow(gameWindow_);
        hostsim::openMenu("GalaxyStarMapMenu");
        PluginState.starMapOpenedAtNs = clock_.now() - 2 * kSecond;
        recordMenuQueries();
        hostsim::clearTranscript();
        hostsim::clearUiRecords();
    }
    void TearDown() override {
        stopRecordingMenuQueries();
        SimulatedGameTest::TearDown();
    }
    void pollHolding(const std::vector<int>& keys) {
        takeMenuQueries();
        withKeysDown(keys, [] { PollOnce(); });
    }
    static std::vector<std::string> soundNames() {
        std::vector<std::string> names;
        for (const auto& sound : hostsim::playedSounds()) names.push_back(sound.name);
        return names;
    }
    // UI messages the plugin queued ("ui message ..." transcript lines).
    static std::vector<std::string> uiMessages() {
        std::vector<std::string> lines;
        for (const auto& line : hostsim::transcript())
            if (line.rfind("ui message ", 0) == 0) lines.push_back(line);
        return lines;
    }
    ManualClock clock_;
    HWND gameWindow_ = nullptr;
};

}  // namespace flow_test
