// The message box title as the game reads it when the search shows a box
// from the capture hook, and the game's memory around its 12-byte title text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/ui_texts.h"
#include "game_instruments.h"
#include "hostsim/call_sites.h"
#include "hostsim/image.h"
#include "hostsim/menus.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"
#include "state/plugin_state.h"
#include "support/simulated_game.h"

using namespace lumora;

namespace {

using namespace hook_test;

constexpr std::int64_t kEditEnded = 5'000'000'000;
// How far past the title text we watch the game's memory: the whole span the
// plugin makes writable, and then some.
constexpr std::size_t kWatchedBytes = 300;

class ResultsBoxTitle : public lumora_test::LoadedPluginTest {
protected:
    void SetUp() override {
        LoadedPluginTest::SetUp();
        std::lock_guard lock(PluginState.mutex);
        PluginState.textEditEndedAtNs = kEditEnded;
        setTestClock(kEditEnded + 1);
    }
    void TearDown() override {
        restoreRealClock();
        LoadedPluginTest::TearDown();
    }
    static std::uint8_t* titleText() { return hostsim::at(hostsim::offsets::HostUi_MessageBoxTitleText); }
    static std::vector<std::uint8_t> watchedMemory() { return {titleText(), titleText() + kWatchedBytes}; }

    // Shows one box (the empty-text box) with `title` and returns the title
    // the game read.
    static std::string showBoxTitled(const std::string& title) {
        UiTexts.searchResults = title;
        hostsim::clearUiRecords();
        hostsim::passCaptureSite("");
        hostsim::processUiQueue();  // the box opens; the game checks its title text
        const auto boxes = hostsim::gameMessageBoxes();
        return boxes.size() == 1 ? boxes[0].title : "<" + std::to_string(boxes.size()) + " boxes>";
    }
};

TEST_F(ResultsBoxTitle, TitlesAsTheGameShowsThem) {
    struct Case {
        std::string title;
        std::string shown;
    };
    const Case cases[] = {
        {"Search results", "Search"},
        {"", " "},
        {"Results", "Results"},
        {"ABCDEFGHIJK", "ABCDEFGHIJK"},          // 11 bytes: fits with its zero byte
        {"ABCDEFGHIJKL", "ABCDEFGHIJK"},         // 12 bytes, no blank: cut at 11
        {"Ergebnisse der Suche", "Ergebnisse"},  // blank at byte 10
        {"ABCDEFGHIJK LMN", "ABCDEFGHIJK"},      // first blank is the 12th byte
        {"A B C D E F G H", "A B C D E"},        // the last blank within 11 bytes
        {"R\xC3\xA9sultats", "R##sultats"},      // bytes from 0x80 up become "#"
        {"Caf\xE9 results", "Caf#"},
        {"\x80\xFF\x7F", "##\x7F"},
        {" Leadingblank", " Leadingbla"},  // a cut at byte 0 would leave nothing
    };
    for (const Case& c : cases) {
        EXPECT_EQ(showBoxTitled(c.title), c.shown) << "title \"" << c.title << "\"";
        EXPECT_EQ(std::memcmp(titleText(), hostsim::kMessageBoxTitleText, 12), 0);
    }
}

TEST_F(ResultsBoxTitle, GameMemoryAfterTheTitleTextNeverChangesForTitlesUpTo300Bytes) {
    const std::vector<std::uint8_t> before = watchedMemory();
    // Blanks and high bytes at shifting places, so cuts fall everywhere.
    const std::string pattern = "Lumora \xE9tendue de recherche galactique \x9F\xFF ";
    for (std::size_t length = 0; length <= 300; ++length) {
        std::string title;
        for (std::size_t i = 0; i < length; ++i) title += pattern[(i * 7 + length) % pattern.size()];
        const std::string shown = showBoxTitled(title);
        ASSERT_EQ(watchedMemory(), before) << "after a title of " << length << " bytes";
        ASSERT_GE(shown.size(), 1u);
        ASSERT_LE(shown.size(), 11u) << "title of " << length << " bytes";
        for (unsigned char c : shown) ASSERT_LT(c, 0x80) << "title of " << length << " bytes";
    }
    // The game checks the guard bytes at the box call and its title after it.
    EXPECT_TRUE(hostsim::violations().empty());
}

}  // namespace
