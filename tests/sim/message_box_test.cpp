// The game reads the box title from its 12-byte title text when the box is
// requested; after the box the text must be the game's own again and the
// bytes after it untouched.
#include <gtest/gtest.h>

#include <cstring>

#include "hostsim/game_thread.h"
#include "hostsim/image.h"
#include "hostsim/menus.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"
#include "support/simulated_game.h"

namespace {

using namespace hostsim;
using lumora_test::SimulatedGameTest;

using ShowBoxFn = void(SIM_ABI*)(void*, std::uint64_t, std::uint64_t, EngineStringHandle);

class MessageBox : public SimulatedGameTest {
protected:
    std::uint8_t* title() { return at(offsets::HostUi_MessageBoxTitleText); }
    void writeTitle(const char* text, std::size_t bytes) { std::memcpy(title(), text, bytes); }
    void restoreTitle() { std::memcpy(title(), "DEBUG\0\0\0\0\0\0\0", 12); }
    // Shows a box as the plugin does: a string it holds for the call.
    void showBox(const char* text) {
        EngineStringHandle handle = nullptr;
        createEngineString(&handle, text, 0);
        reinterpret_cast<ShowBoxFn>(at(offsets::HostUi_ShowMessageBox))(nullptr, 0, 0, handle);
        releaseEngineString(&handle);
    }
};

TEST_F(MessageBox, TitleIsReadAtCallTimeAndTheBoxOpensOnTheNextFrame) {
    writeTitle("Results\0", 8);
    showBox("[0] Jemison | Alpha Centauri\n");
    restoreTitle();
    EXPECT_FALSE(isMenuOpen("MessageBoxMenu"));
    stepFrame();
    EXPECT_TRUE(isMenuOpen("MessageBoxMenu"));
    const auto boxes = gameMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Results");
    EXPECT_EQ(boxes[0].text, "[0] Jemison | Alpha Centauri\n");
    EXPECT_EQ(transcript(),
              (std::vector<std::string>{"message box title \"Results\" text \"[0] Jemison | Alpha Centauri\\n\"",
                                        "menu opened \"MessageBoxMenu\""}));
}

TEST_F(MessageBox, ElevenByteTitleFillsTheTextExactly) {
    writeTitle("Search 0123\0", 12);
    showBox("x");
    restoreTitle();
    stepFrame();
    EXPECT_EQ(gameMessageBoxes().at(0).title, "Search 0123");
}

TEST_F(MessageBox, TitleWrittenPastTwelveBytesIsReportedAtTheCall) {
    expectViolations();
    writeTitle("Search results", 15);  // 14 bytes and a NUL: 3 bytes too many
    showBox("x");
    const auto seen = violations();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "bytes after the message box title text were changed");
}

TEST_F(MessageBox, TitleNotRestoredBeforeTheNextFrameIsReported) {
    expectViolations();
    writeTitle("Results\0", 8);
    showBox("x");
    stepFrame();
    ASSERT_EQ(violations().size(), 1u);
    EXPECT_EQ(violations()[0], "message box title text not restored to \"DEBUG\" after the box");
}

TEST_F(MessageBox, TextHandleReleasedBeforeTheCallIsReported) {
    expectViolations();
    EngineStringHandle handle = nullptr;
    createEngineString(&handle, "gone", 0);
    EngineStringHandle stale = handle;
    releaseEngineString(&handle);
    reinterpret_cast<ShowBoxFn>(at(offsets::HostUi_ShowMessageBox))(nullptr, 0, 0, stale);
    ASSERT_EQ(violations().size(), 1u);
    EXPECT_EQ(violations()[0], "HostUi_ShowMessageBox with a text handle nobody holds");
}

TEST_F(MessageBox, PointerToTheHandleInsteadOfTheHandleIsReported) {
    expectViolations();
    EngineStringHandle handle = nullptr;
    createEngineString(&handle, "by value", 0);
    reinterpret_cast<ShowBoxFn>(at(offsets::HostUi_ShowMessageBox))(nullptr, 0, 0, &handle);
    releaseEngineString(&handle);
    EXPECT_EQ(violations().at(0), "HostUi_ShowMessageBox with a text that is not a string handle");
}

}  // namespace
