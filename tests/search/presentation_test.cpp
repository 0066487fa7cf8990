#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/bindings.h"
#include "hostsim/galaxy.h"
#include "hostsim/menus.h"
#include "hostsim/ui_records.h"
#include "search/message_box.h"
#include "search/star_map_focus.h"
#include "support/simulated_game.h"
#include "win32_controls.h"

using namespace lumora;

namespace {

class PresentationTest : public lumora_test::SimulatedGameTest {
protected:
    void SetUp() override {
        SimulatedGameTest::SetUp();
        bindHostImage();
        hostsim::clearUiRecords();
    }
    void TearDown() override {
        win32layer::failVirtualProtect(0);
        SimulatedGameTest::TearDown();
    }
    static const std::uint8_t* titleText() {
        return reinterpret_cast<const std::uint8_t*>(HostImageBase + HostOffset::HostUi_MessageBoxTitleText);
    }
    static void expectGameTitleAndGuardIntact(const std::string& context) {
        EXPECT_EQ(std::memcmp(titleText(), "DEBUG\0\0\0\0\0\0\0", 12), 0) << context;
        for (std::size_t i = 0; i < hostsim::kTitleGuardSize; ++i)
            ASSERT_EQ(titleText()[12 + i], hostsim::kTitleGuardByte) << context << " guard byte " << i;
    }
};

TEST_F(PresentationTest, TitlesOfEveryLengthUpTo300NeverTouchTheGuardBytes) {
    for (std::size_t length = 0; length <= 300; ++length) {
        std::string title;
        for (std::size_t i = 0; i < length; ++i) title += (i % 5 == 4) ? ' ' : static_cast<char>('a' + i % 26);
        hostsim::clearUiRecords();
        ASSERT_TRUE(showMessageBox(title, "Body"));
        const auto boxes = hostsim::gameMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        const auto fitted = fitMessageBoxTitle(title);
        EXPECT_EQ(boxes[0].title, std::string(fitted.begin(), fitted.end() - 1)) << length;
        EXPECT_LE(boxes[0].title.size(), 11u);
        EXPECT_EQ(boxes[0].text, "Body");
        expectGameTitleAndGuardIntact("length " + std::to_string(length));
    }
}

TEST_F(PresentationTest, BoxSeesSearchForTheDefaultTitleAndHashesForHighBytes) {
    ASSERT_TRUE(showMessageBox("Search results", "One"));
    ASSERT_TRUE(showMessageBox("R\xE9sultat", "Two \xE9"));
    ASSERT_TRUE(showMessageBox("", "Three"));
    const auto boxes = hostsim::gameMessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].title, "Search");
    EXPECT_EQ(boxes[1].title, "R#sultat");
    EXPECT_EQ(boxes[1].text, "Two \xE9");
    EXPECT_EQ(boxes[2].title, " ");
    expectGameTitleAndGuardIntact("after three boxes");
}

TEST_F(PresentationTest, UnwritableTitleShowsNoBoxAndReportsFalse) {
    win32layer::failVirtualProtect(5);
    EXPECT_FALSE(showMessageBox("Search results", "Hidden"));
    EXPECT_TRUE(hostsim::gameMessageBoxes().empty());
    win32layer::failVirtualProtect(0);
    expectGameTitleAndGuardIntact("after the failed box");
}

TEST_F(PresentationTest, FocusSendsTheRequestWithTheFormIdAndTheMapsOpenFlag) {
    hostsim::installGalaxy(hostsim::parseGalaxyText("form 0xE0001 type=body name=\"Thessa\"\n", "focus galaxy"));
    void* planet = hostsim::installedGalaxy()->form(0xE0001);
    ASSERT_TRUE(FocusStarMapOnBody(planet));
    hostsim::openMenu("GalaxyStarMapMenu");
    ASSERT_TRUE(FocusStarMapOnBody(planet));
    EXPECT_FALSE(FocusStarMapOnBody(nullptr));
    const auto requests = hostsim::focusRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].menu, "GalaxyStarMapMenu");
    EXPECT_EQ(requests[0].request, "SetBodyFocusForQuest");
    EXPECT_FALSE(requests[0].open);
    EXPECT_EQ(requests[0].formId, 0xE0001u);
    EXPECT_TRUE(requests[1].open);
    EXPECT_EQ(requests[1].formId, 0xE0001u);
}

}  // namespace
