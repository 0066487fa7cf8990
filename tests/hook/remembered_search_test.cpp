// The prompt opening with the last search, through the game's own road: the
// loader's message reads the settings file, the sinks follow the editing, the
// capture site runs the search and the prompt site opens the prompt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "game_instruments.h"
#include "hostsim/call_sites.h"
#include "hostsim/events.h"
#include "hostsim/galaxy.h"
#include "hostsim/loader.h"
#include "hostsim/menus.h"
#include "hostsim/ui_records.h"
#include "state/plugin_state.h"
#include "support/simulated_game.h"

using namespace lumora;

namespace {

using namespace hook_test;

constexpr const char* kDefaultText = "Enter a location or planet name...";

class RememberedSearch : public lumora_test::LoadedPluginTest {
protected:
    void startWithSettings(const std::string& settings) {
        m_previous = std::filesystem::current_path();
        m_dir = std::filesystem::temp_directory_path() / ("lumora_remember_" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(m_dir / "Data" / "Obrix" / "Plugins");
        std::filesystem::current_path(m_dir);
        std::ofstream(m_dir / "Data" / "Obrix" / "Plugins" / "LumoraSearchEngine.ini", std::ios::binary) << settings;
        hostsim::installGalaxy(hostsim::loadGalaxyFile(hostsim::shippedGalaxyDirectory() + "/sample.galaxy"));
        hostsim::openMenu("GalaxyStarMapMenu");
        setTestClock(m_now);
        ASSERT_EQ(hostsim::sendLoaderMessage(2), 1u);
    }
    void TearDown() override {
        restoreRealClock();
        if (!m_dir.empty()) {
            std::filesystem::current_path(m_previous);
            std::error_code ignored;
            std::filesystem::remove_all(m_dir, ignored);
        }
        LoadedPluginTest::TearDown();
    }
    // The text the prompt's field holds when the hotkey's request is served.
    std::string openPrompt() {
        {
            std::lock_guard lock(PluginState.mutex);
            PluginState.promptRequested = true;
        }
        hostsim::clearUiRecords();
        hostsim::passPromptSite(0, 0, 0, 0);
        const auto prompts = hostsim::openedPrompts();
        EXPECT_EQ(prompts.size(), 1u);
        return prompts.empty() ? "" : prompts.back().defaultText;
    }
    // Editing ends (confirmed or cancelled) and, for a confirmed text, the
    // game makes its string at the capture site.
    void endEditing(hostsim::EventSourceKind how, const char* text) {
        m_now += 1'000'000'000;
        setTestClock(m_now);
        hostsim::deliverTextInputEvent(how);
        setTestClock(m_now + 1'000'000);
        if (text != nullptr) hostsim::passCaptureSite(text);
    }

private:
    std::filesystem::path m_previous, m_dir;
    std::int64_t m_now = 10'000'000'000;
};

TEST_F(RememberedSearch, PromptHoldsTheLastNonEmptySearchAsTyped) {
    startWithSettings("[General]\r\nbRememberLastSearch=1\r\n");
    EXPECT_EQ(openPrompt(), kDefaultText);  // before any search

    endEditing(hostsim::EventSourceKind::EndEditText, "Thessa -- SHIP");
    EXPECT_EQ(openPrompt(), "Thessa -- SHIP");  // the excluded part included

    endEditing(hostsim::EventSourceKind::InputCanceled, nullptr);
    EXPECT_EQ(openPrompt(), "Thessa -- SHIP");  // a cancelled prompt searched nothing

    endEditing(hostsim::EventSourceKind::EndEditText, "");
    EXPECT_EQ(openPrompt(), "Thessa -- SHIP");  // an empty search is not remembered

    endEditing(hostsim::EventSourceKind::EndEditText, "zzzz");
    EXPECT_EQ(openPrompt(), "zzzz");  // a search without matches is
    EXPECT_EQ(openPrompt(), "zzzz");
}

TEST_F(RememberedSearch, WithoutTheKeyThePromptAlwaysHoldsTheDefaultText) {
    startWithSettings("[General]\r\nbRememberLastSearch=0\r\n");
    endEditing(hostsim::EventSourceKind::EndEditText, "Thessa");
    ASSERT_EQ(hostsim::gameMessageBoxes().size(), 1u);
    EXPECT_EQ(openPrompt(), kDefaultText);
    std::lock_guard lock(PluginState.mutex);
    EXPECT_TRUE(PluginState.lastSearchText.empty());
}

}  // namespace
