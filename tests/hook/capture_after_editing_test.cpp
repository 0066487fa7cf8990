// The whole road from the end of editing to the results box as the game
// drives it: the loader's data-loaded message registers the sinks, the game
// delivers its text input events, and the text reaches the capture site.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "game_instruments.h"
#include "hostsim/call_sites.h"
#include "hostsim/events.h"
#include "hostsim/galaxy.h"
#include "hostsim/loader.h"
#include "hostsim/menus.h"
#include "hostsim/ui_records.h"
#include "support/simulated_game.h"

namespace {

using namespace hook_test;

const char* const kHarrowBox =
    "Search: Harrow\n"
    "\n"
    "Locations:\n"
    "[0] Harrow Point | Ilvane Prime\n"
    "[1] Harrow Point | Kessel Minor\n"
    "\n"
    "Found 2 matches.";

class CaptureAfterEditing : public lumora_test::LoadedPluginTest {
protected:
    void SetUp() override {
        LoadedPluginTest::SetUp();
        // The settings files are looked for relative to the game's folder.
        m_previous = std::filesystem::current_path();
        m_dir = std::filesystem::temp_directory_path() / ("lumora_hooks_" + std::to_string(std::random_device{}()));
        std::filesystem::create_directory(m_dir);
        std::filesystem::current_path(m_dir);
        hostsim::installGalaxy(hostsim::loadGalaxyFile(hostsim::shippedGalaxyDirectory() + "/sample.galaxy"));
        setTestClock(1'000'000'000);
        ASSERT_EQ(hostsim::sendLoaderMessage(2), 1u);
    }
    void TearDown() override {
        restoreRealClock();
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
        LoadedPluginTest::TearDown();
    }
    static std::size_t boxCount() { return hostsim::gameMessageBoxes().size(); }

private:
    std::filesystem::path m_previous, m_dir;
};

TEST_F(CaptureAfterEditing, ConfirmedTextOnTheStarMapIsSearchedUntilTheWindowCloses) {
    hostsim::openMenu("GalaxyStarMapMenu");
    setTestClock(20'000'000'000);
    hostsim::deliverTextInputEvent(hostsim::EventSourceKind::EndEditText);

    setTestClock(20'000'000'000 + 49'999'999);
    hostsim::passCaptureSite("Harrow");
    ASSERT_EQ(boxCount(), 1u);
    EXPECT_EQ(hostsim::gameMessageBoxes()[0].title, "Search");
    EXPECT_EQ(hostsim::gameMessageBoxes()[0].text, kHarrowBox);

    setTestClock(20'000'000'000 + 50'000'000);
    hostsim::passCaptureSite("Harrow");
    EXPECT_EQ(boxCount(), 1u);
}

TEST_F(CaptureAfterEditing, CancelledEditingOpensTheSameWindow) {
    hostsim::openMenu("GalaxyStarMapMenu");
    setTestClock(30'000'000'000);
    hostsim::deliverTextInputEvent(hostsim::EventSourceKind::InputCanceled);
    setTestClock(30'000'000'000 + 5'000'000);
    hostsim::passCaptureSite("Harrow");
    ASSERT_EQ(boxCount(), 1u);
    EXPECT_EQ(hostsim::gameMessageBoxes()[0].text, kHarrowBox);
}

TEST_F(CaptureAfterEditing, EditingEndedAwayFromTheStarMapSearchesNothing) {
    setTestClock(40'000'000'000);
    hostsim::deliverTextInputEvent(hostsim::EventSourceKind::EndEditText);
    setTestClock(40'000'000'000 + 1'000);
    hostsim::passCaptureSite("Harrow");
    EXPECT_EQ(boxCount(), 0u);
}

}  // namespace
