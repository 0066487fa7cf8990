// The text input menu opens only while the compare instruction in the game's
// code has been forced; the bytes must be the game's own again afterwards.
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

using OpenTextInputFn = void(SIM_ABI*)(const char*, const char*, std::uint64_t);

class TextInput : public SimulatedGameTest {
protected:
    std::uint8_t* compare() { return at(offsets::HostPatch_TextInputCompare); }
    void open(const char* header, const char* text) {
        reinterpret_cast<OpenTextInputFn>(at(offsets::HostUi_OpenTextInputMenu))(header, text, 0);
    }
};

TEST_F(TextInput, ForcedCompareOpensTheMenuWithHeaderAndDefaultText) {
    std::memcpy(compare(), "\x48\x39\xFF", 3);
    open("Search locations", "name -excluded");
    std::memcpy(compare(), "\x48\x3B\xFB", 3);
    stepFrame();
    EXPECT_TRUE(isMenuOpen("TextInputMenu"));
    const auto prompts = openedPrompts();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].header, "Search locations");
    EXPECT_EQ(prompts[0].defaultText, "name -excluded");
    EXPECT_TRUE(prompts[0].compareForced);
    EXPECT_EQ(transcript(),
              (std::vector<std::string>{"prompt header \"Search locations\" text \"name -excluded\" mode 0",
                                        "menu opened \"TextInputMenu\""}));
}

TEST_F(TextInput, OriginalCompareRefusesTheMenu) {
    expectViolations();
    open("Search", "");
    stepFrame();
    EXPECT_FALSE(isMenuOpen("TextInputMenu"));
    ASSERT_EQ(violations().size(), 1u);
    EXPECT_FALSE(openedPrompts().at(0).compareForced);
}

TEST_F(TextInput, CompareLeftForcedAfterTheCallIsReportedOnTheNextFrame) {
    expectViolations();
    std::memcpy(compare(), "\x48\x39\xFF", 3);
    open("Search", "");
    stepFrame();
    ASSERT_EQ(violations().size(), 1u);
    EXPECT_EQ(violations()[0], "text input compare bytes not restored to 48 3B FB after the menu call");
}

}  // namespace
