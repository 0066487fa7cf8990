// A digit chooses a close name exactly as it chooses a result: the box counts
// as the result box when it opens within 500 ms of being shown, and the
// chosen line's body is focused.
#include <gtest/gtest.h>

#include <mutex>

#include "flow/event_sinks.h"
#include "host/bindings.h"
#include "hostsim/galaxy.h"
#include "poll_fixture.h"
#include "search/run_search.h"

namespace {

using namespace flow_test;

class CloseNameChoice : public PollPassTest {
protected:
    void SetUp() override {
        PollPassTest::SetUp();
        bindHostImage();
        registerEventSinks();
        hostsim::installGalaxy(hostsim::loadGalaxyFile(hostsim::shippedGalaxyDirectory() + "/sample.galaxy"));
        m_settings = Settings;
        Settings.suggestSimilarNames = true;
    }
    void TearDown() override {
        Settings = m_settings;
        hostsim::uninstallGalaxy();
        PollPassTest::TearDown();
    }
    // Searches "harow point", which nothing holds, and opens the box after
    // `delay`: "Harrow Point" on Ilvane Prime and on Kessel Minor come close.
    void showCloseNamesOpenedAfter(std::int64_t delay) {
        {
            std::lock_guard lock(PluginState.mutex);
            runSearch("harow point");
        }
        const auto boxes = hostsim::gameMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        ASSERT_EQ(boxes[0].text,
                  "No matches.\n\nClose names:\n[0] Harrow Point | Ilvane Prime\n[1] Harrow Point | Kessel Minor\n");
        clock_.advance(delay);
        hostsim::openMenu("MessageBoxMenu");
        hostsim::clearUiRecords();
    }
    static std::vector<std::uint32_t> focusedForms() {
        std::vector<std::uint32_t> ids;
        for (const auto& request : hostsim::focusRequests()) ids.push_back(request.formId);
        return ids;
    }

private:
    SettingsRecord m_settings;
};

struct ChoiceRow {
    std::int64_t boxOpenedAfter;
    int digit;
    bool focused;
};

TEST_F(CloseNameChoice, DigitFocusesTheLinesBodyWhenTheBoxOpenedWithinHalfASecond) {
    const ChoiceRow rows[] = {
        {499 * kMillisecond, '1', true},
        {0, 0x60 + 1, true},  // keypad
        {500 * kMillisecond, '1', false},
    };
    for (const ChoiceRow& row : rows) {
        clock_.advance(kSecond);
        showCloseNamesOpenedAfter(row.boxOpenedAfter);
        EXPECT_EQ(PluginState.resultsBoxOpen, row.focused);
        pollHolding({row.digit});
        if (row.focused) {
            EXPECT_EQ(focusedForms(), std::vector<std::uint32_t>{0xE0005});  // Kessel Minor
            EXPECT_EQ(soundNames(), std::vector<std::string>{"UIMenuGeneralOK"});
            EXPECT_TRUE(PluginState.resultKeys.empty());
        } else {
            EXPECT_TRUE(focusedForms().empty());
        }
        hostsim::closeMenu("MessageBoxMenu");
    }
}

}  // namespace
