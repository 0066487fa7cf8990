// The choice path (a digit in the result box) and the digit reader.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>

#include "hostsim/galaxy.h"
#include "poll_fixture.h"

namespace {

using namespace flow_test;

constexpr int kNumpad0 = 0x60;

struct DigitRow {
    std::vector<int> down;
    std::int32_t code;
    bool fromKeypad;
};

TEST(ReadDigitKey, TopRowBeforeKeypadAndLowerBeforeHigher) {
    const DigitRow rows[] = {
        {{}, -1, false},
        {{0x30}, 0x30, false},
        {{0x39}, 0x39, false},
        {{0x60}, 0x60, true},
        {{0x69}, 0x69, true},
        {{0x35, 0x33}, 0x33, false},
        {{0x61, 0x39}, 0x39, false},
        {{0x69, 0x62, 0x61}, 0x61, true},
        {{0x2F, 0x3A, 0x5F, 0x6A}, -1, false},  // the neighbours of both ranges
        {{0x6A, 0x36}, 0x36, false},
    };
    for (const auto& row : rows) {
        win32layer::releaseAllKeys();
        DigitKey key{};
        withKeysDown(row.down, [&] { key = ReadDigitKey(); });
        SCOPED_TRACE(testing::PrintToString(row.down));
        EXPECT_EQ(key.code, row.code);
        EXPECT_EQ(key.fromKeypad, row.fromKeypad);
    }
}

constexpr const char* kGalaxy =
    "form 0xE0001 type=body name=\"Thessa\"\n"
    "form 0xE0002 type=body name=\"Marrow\"\n"
    "form 0xE0003 type=body name=\"Orun\"\n";

class ResultChoice : public PollPassTest {
protected:
    void SetUp() override {
        PollPassTest::SetUp();
        hostsim::installGalaxy(hostsim::parseGalaxyText(kGalaxy));
        hostsim::openMenu("MessageBoxMenu");
        showResults({{0, 0xE0001}, {1, 0xE0002}, {2, 0xE0003}});
    }
    void TearDown() override {
        win32layer::setMessageBoxHandler({});
        hostsim::uninstallGalaxy();
        PollPassTest::TearDown();
    }
    void showResults(std::initializer_list<ResultKey> keys) {
        PluginState.resultKeys.clear();
        for (const auto& key : keys) PluginState.resultKeys.append(key.key, key.formId);
        PluginState.resultsBoxOpen = true;
    }
    static std::vector<std::uint32_t> focusedForms() {
        std::vector<std::uint32_t> ids;
        for (const auto& request : hostsim::focusRequests()) ids.push_back(request.formId);
        return ids;
    }
    void expectNothingChosen() {
        EXPECT_TRUE(soundNames().empty());
        EXPECT_TRUE(uiMessages().empty());
        EXPECT_TRUE(focusedForms().empty());
        EXPECT_EQ(PluginState.resultKeys.size(), 3u);
        EXPECT_EQ(PluginState.lastChoiceAtNs, 0);
    }
};

TEST_F(ResultChoice, TopRowDigitClosesTheBoxAndFocusesTheBodyOfThatLine) {
    pollHolding({'1'});
    EXPECT_EQ(soundNames(), std::vector<std::string>{"UIMenuGeneralOK"});
    EXPECT_EQ(uiMessages(), std::vector<std::string>{"ui message \"MessageBoxMenu\" kind 2"});
    const auto requests = hostsim::focusRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].formId, 0xE0002u);
    EXPECT_EQ(requests[0].menu, "GalaxyStarMapMenu");
    EXPECT_EQ(requests[0].request, "SetBodyFocusForQuest");
    EXPECT_TRUE(PluginState.resultKeys.empty());
    EXPECT_EQ(PluginState.lastChoiceAtNs, clock_.now());
    const auto asked = takeMenuQueries();
    ASSERT_GE(asked.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(asked.begin(), asked.begin() + 4),
              (std::vector<std::string>{"TextInputMenu", "GalaxyStarMapMenu", "Console", "MessageBoxMenu"}));
    EXPECT_TRUE(win32layer::shownMessageBoxes().empty());
}

TEST_F(ResultChoice, KeypadDigitChoosesTheSameLineAsTheTopRow) {
    pollHolding({kNumpad0 + 2});
    EXPECT_EQ(focusedForms(), std::vector<std::uint32_t>{0xE0003});
}

TEST_F(ResultChoice, DigitWithoutALineDoesNothing) {
    pollHolding({'7'});
    expectNothingChosen();
    EXPECT_EQ(takeMenuQueries(), kAllFourMenuQueries);  // looked up only after the menus
    pollHolding({kNumpad0 + 9});
    expectNothingChosen();
}

TEST_F(ResultChoice, LaterDigitIsTakenOnlyTwoHundredMillisecondsAfterAChoice) {
    pollHolding({'0'});
    ASSERT_EQ(focusedForms().size(), 1u);
    const std::int64_t choseAt = clock_.now();
    showResults({{0, 0xE0001}, {1, 0xE0002}, {2, 0xE0003}});
    hostsim::clearUiRecords();

    clock_.set(choseAt + 199'999'999);
    pollHolding({'1'});
    EXPECT_TRUE(focusedForms().empty());
    EXPECT_TRUE(takeMenuQueries().empty());  // stopped before reading the digits

    clock_.set(choseAt + 200'000'000);
    pollHolding({'1'});
    EXPECT_EQ(focusedForms(), std::vector<std::uint32_t>{0xE0002});
    EXPECT_EQ(PluginState.lastChoiceAtNs, clock_.now());
}

struct ChoiceMenuRow {
    const char* situation;
    std::vector<const char*> open;
    std::vector<std::string> asked;
};

TEST_F(ResultChoice, MenusAreAskedInOrderAndTheFirstFailureStops) {
    const ChoiceMenuRow rows[] = {
        {"prompt open over the box", {"GalaxyStarMapMenu", "MessageBoxMenu", "TextInputMenu"}, {"TextInputMenu"}},
        {"off the star map", {"MessageBoxMenu"}, {"TextInputMenu", "GalaxyStarMapMenu"}},
        {"console open",
         {"GalaxyStarMapMenu", "MessageBoxMenu", "Console"},
         {"TextInputMenu", "GalaxyStarMapMenu", "Console"}},
        {"box already closed", {"GalaxyStarMapMenu"}, kAllFourMenuQueries},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.situation);
        closeAllFlowMenus();
        for (const char* menu : row.open) hostsim::openMenu(menu);
        showResults({{0, 0xE0001}, {1, 0xE0002}, {2, 0xE0003}});
        pollHolding({'0'});
        EXPECT_EQ(takeMenuQueries(), row.asked);
        expectNothingChosen();
    }
}

TEST_F(ResultChoice, NoDigitDownStopsBeforeTheMenus) {
    pollHolding({});
    EXPECT_TRUE(takeMenuQueries().empty());
    expectNothingChosen();
}

TEST_F(ResultChoice, HeldHotkeyBlocksTheChoice) {
    pollHolding({kHotkey, '0'});
    expectNothingChosen();
}

TEST_F(ResultChoice, BoxThatIsNotTheResultBoxIgnoresDigits) {
    PluginState.resultsBoxOpen = false;
    pollHolding({'0'});
    expectNothingChosen();
    EXPECT_TRUE(takeMenuQueries().empty());
}

// Whether another thread could take the plugin's lock while the box was up.
std::atomic<int> lockFreeWhileBoxShown{-1};

int answerAfterProbingTheLock(const win32layer::MessageBoxRecord&) {
    const bool free = std::async(std::launch::async, [] {
                          if (!PluginState.mutex.try_lock()) return false;
                          PluginState.mutex.unlock();
                          return true;
                      }).get();
    lockFreeWhileBoxShown.store(free ? 1 : 0);
    return IDOK;
}

TEST_F(ResultChoice, LineWithoutAFormShowsInternalError85a3WithTheLockReleased) {
    showResults({{0, 0xE0001}, {4, 0}, {2, 0xE0003}});
    win32layer::setMessageBoxHandler(&answerAfterProbingTheLock);
    pollHolding({'4'});
    const auto boxes = win32layer::shownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Internal error: 85a3");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(boxes[0].caption.ends_with(" v3.1")) << boxes[0].caption;
    EXPECT_EQ(lockFreeWhileBoxShown.load(), 1);
    // No sound, the box stays, the keys stay.
    expectNothingChosen();
    EXPECT_TRUE(PluginState.resultsBoxOpen);
    // The pass gave the lock up once only: another thread can take it now.
    EXPECT_TRUE(std::async(std::launch::async, [] {
                    if (!PluginState.mutex.try_lock()) return false;
                    PluginState.mutex.unlock();
                    return true;
                }).get());
}

struct UnknownFormRow {
    std::uint32_t formId;
    const char* text;
};

TEST_F(ResultChoice, FormTheGameNoLongerKnowsShowsInternalError0d28WithTheIdInDecimal) {
    const UnknownFormRow rows[] = {
        {0x00ABCDEF, "Internal error: 0d28 | 11259375"},
        {0xFFFFFFF0, "Internal error: 0d28 | 4294967280"},
    };
    win32layer::setMessageBoxHandler(&answerAfterProbingTheLock);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        win32layer::clearMessageBoxes();
        hostsim::clearUiRecords();
        hostsim::clearTranscript();
        lockFreeWhileBoxShown.store(-1);
        clock_.advance(kSecond);
        showResults({{0, 0xE0001}, {1, row.formId}, {2, 0xE0003}});
        pollHolding({'1'});
        const auto boxes = win32layer::shownMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, row.text);
        EXPECT_EQ(lockFreeWhileBoxShown.load(), 1);
        // Sound and close request went out before the lookup; nothing after it.
        EXPECT_EQ(soundNames(), std::vector<std::string>{"UIMenuGeneralOK"});
        EXPECT_EQ(uiMessages(), std::vector<std::string>{"ui message \"MessageBoxMenu\" kind 2"});
        EXPECT_TRUE(focusedForms().empty());
        EXPECT_EQ(PluginState.resultKeys.size(), 3u);
        EXPECT_TRUE(PluginState.resultsBoxOpen);
        EXPECT_EQ(PluginState.lastChoiceAtNs, clock_.now());
    }
}

}  // namespace
