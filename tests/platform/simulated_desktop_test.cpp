#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "win32_controls.h"

namespace {

class SimulatedDesktopTest : public ::testing::Test {
protected:
    void TearDown() override {
        win32layer::destroyAllWindows();
        win32layer::releaseAllKeys();
    }
};

TEST_F(SimulatedDesktopTest, FindWindowMatchesExactTitleOnly) {
    HWND game = win32layer::createWindow("Halcyra");
    win32layer::createWindow("Halcyra Launcher");
    EXPECT_EQ(FindWindowA(nullptr, "Halcyra"), game);
    const char* misses[] = {"halcyra", "Halcyra ", "Halcyr", "", "Halcyra Launcher2"};
    for (const char* title : misses) EXPECT_EQ(FindWindowA(nullptr, title), nullptr) << '"' << title << '"';
    EXPECT_EQ(FindWindowA("SomeClass", "Halcyra"), nullptr) << "simulated windows have no class";
}

TEST_F(SimulatedDesktopTest, SameTitleFindsTopmostWindow) {
    HWND older = win32layer::createWindow("Halcyra");
    HWND newer = win32layer::createWindow("Halcyra");
    EXPECT_EQ(FindWindowA(nullptr, "Halcyra"), newer);
    win32layer::setForegroundWindow(older);
    EXPECT_EQ(FindWindowA(nullptr, "Halcyra"), older);
    win32layer::destroyWindow(older);
    EXPECT_EQ(FindWindowA(nullptr, "Halcyra"), newer);
}

TEST_F(SimulatedDesktopTest, ForegroundFollowsControlsAndClearsWhenDestroyed) {
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    HWND game = win32layer::createWindow("Halcyra");
    HWND editor = win32layer::createWindow("Notes");
    EXPECT_EQ(GetForegroundWindow(), nullptr) << "creating a window does not focus it";
    win32layer::setForegroundWindow(game);
    EXPECT_EQ(GetForegroundWindow(), game);
    win32layer::setForegroundWindow(reinterpret_cast<HWND>(0xBAD0));
    EXPECT_EQ(GetForegroundWindow(), game) << "unknown handle is ignored";
    win32layer::setForegroundWindow(editor);
    EXPECT_EQ(GetForegroundWindow(), editor);
    win32layer::destroyWindow(editor);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_EQ(FindWindowA(nullptr, "Notes"), nullptr);
}

TEST_F(SimulatedDesktopTest, KeyIsNegativeOnlyWhileDown) {
    const int keys[] = {0x51, VK_TAB, VK_ESCAPE, 0x30, VK_NUMPAD0 + 9, 0xFF};
    for (int key : keys) {
        EXPECT_GE(GetKeyState(key), 0) << key;
        win32layer::pressKey(key);
        EXPECT_LT(GetKeyState(key), 0) << key;
        win32layer::releaseKey(key);
        EXPECT_GE(GetKeyState(key), 0) << key;
    }
}

TEST_F(SimulatedDesktopTest, EachPressFlipsToggleBitButHoldingDoesNot) {
    win32layer::pressKey(0x51);
    EXPECT_EQ(GetKeyState(0x51) & 1, 1);
    win32layer::pressKey(0x51);  // still held
    EXPECT_EQ(GetKeyState(0x51) & 1, 1);
    win32layer::releaseKey(0x51);
    EXPECT_EQ(GetKeyState(0x51), 1);
    win32layer::pressKey(0x51);
    win32layer::releaseKey(0x51);
    EXPECT_EQ(GetKeyState(0x51), 0);
    win32layer::pressKey(0x51);
    win32layer::releaseAllKeys();
    EXPECT_EQ(GetKeyState(0x51), 0);
}

TEST_F(SimulatedDesktopTest, KeyCodesOutsideTableReadAsUpAndAreIgnored) {
    const int codes[] = {-1, 256, 0x10000};
    for (int code : codes) {
        win32layer::pressKey(code);
        EXPECT_EQ(GetKeyState(code), 0) << code;
        EXPECT_EQ(GetKeyState(code & 0xFF), 0) << "no aliasing of " << code;
    }
}

TEST_F(SimulatedDesktopTest, KeyPressedOnOneThreadIsSeenOnAnother) {
    std::atomic<bool> sawDown{false};
    std::atomic<bool> sawUpAgain{false};
    std::thread poller([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!sawDown && std::chrono::steady_clock::now() < deadline) sawDown = GetKeyState(0x51) < 0;
        while (!sawUpAgain && std::chrono::steady_clock::now() < deadline) sawUpAgain = GetKeyState(0x51) >= 0;
    });
    win32layer::pressKey(0x51);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!sawDown && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    win32layer::releaseKey(0x51);
    poller.join();
    EXPECT_TRUE(sawDown);
    EXPECT_TRUE(sawUpAgain);
}

}  // namespace
