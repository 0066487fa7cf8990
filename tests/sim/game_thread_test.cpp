// The game thread runs frames on its own, or the test steps them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "hostsim/game_thread.h"
#include "hostsim/menus.h"
#include "support/simulated_game.h"

namespace {

using namespace hostsim;
using lumora_test::SimulatedGameTest;

class GameThread : public SimulatedGameTest {
protected:
    void TearDown() override {
        stopGameThread();
        SimulatedGameTest::TearDown();
    }
};

TEST_F(GameThread, SteppedFrameRunsPostedWorkBeforeTheQueue) {
    std::vector<std::string> order;
    queueMenuOpen("MessageBoxMenu", [&order] { order.push_back("queue"); });
    postToGameThread([&order] { order.push_back("work"); });
    const auto before = frameCount();
    stepFrame();
    EXPECT_EQ(frameCount(), before + 1);
    EXPECT_EQ(order, (std::vector<std::string>{"work", "queue"}));
    EXPECT_EQ(pendingUiMessages(), 0u);
}

TEST_F(GameThread, RunningThreadDoesTheWorkOnItselfAndKeepsFraming) {
    startGameThread(std::chrono::milliseconds(1));
    std::thread::id ranOn;
    bool sawGameThread = false;
    runOnGameThread([&] {
        ranOn = std::this_thread::get_id();
        sawGameThread = onGameThread();
    });
    EXPECT_NE(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(sawGameThread);
    EXPECT_FALSE(onGameThread());

    openMenu("Console");
    queueMenuClose("Console");
    const auto start = frameCount();
    while (frameCount() < start + 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(isMenuOpen("Console"));
    stopGameThread();
    EXPECT_FALSE(gameThreadRunning());
}

TEST_F(GameThread, WithoutAThreadTheCallerRunsTheFrame) {
    bool ran = false;
    runOnGameThread([&] { ran = true; });
    EXPECT_TRUE(ran);
}

}  // namespace
