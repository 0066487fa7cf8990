// The text capture hook as the game runs it: the game makes an engine string
// at the capture site, and a text made within 50 ms of the end of editing is
// searched first.
#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "game_instruments.h"
#include "hostsim/call_sites.h"
#include "hostsim/engine_strings.h"
#include "hostsim/galaxy.h"
#include "hostsim/host_lock.h"
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

// Where editing ended on the test clock.
constexpr std::int64_t kEditEnded = 7'000'000'000;
hostsim::HostLockObject& allFormsLock() {
    return *hostsim::dataAt<hostsim::HostLockObject>(hostsim::offsets::HostForms_AllFormsLock);
}

// A flag byte of 1 as the game leaves it: the rest of the register is garbage.
constexpr std::uint64_t kDirtyFlagRegister = 0xA5A5A5A5A5A5A501ull;

class TextCaptureHook : public lumora_test::LoadedPluginTest {
protected:
    void SetUp() override {
        LoadedPluginTest::SetUp();
        installGameRecorders();
    }
    void TearDown() override {
        restoreRealClock();
        LoadedPluginTest::TearDown();
    }
    static void editingEndedAt(std::int64_t stamp) {
        std::lock_guard lock(PluginState.mutex);
        PluginState.textEditEndedAtNs = stamp;
    }
    // Runs the capture routine as the game does and lets the game go on to
    // its next frame (which opens a requested box and checks the title).
    static void captureAt(std::int64_t sinceEditEnded, const char* text) {
        setTestClock(kEditEnded + sinceEditEnded);
        hostsim::EngineStringHandle handle = nullptr;
        callCaptureRoutine(&handle, text, kDirtyFlagRegister);
        hostsim::releaseEngineString(&handle);
        hostsim::processUiQueue();
    }
};

TEST_F(TextCaptureHook, WindowBoundaryDecidesBetweenSearchAndPassThrough) {
    struct Case {
        std::int64_t sinceEditEnded;
        bool searched;
    };
    const Case cases[] = {
        {0, true},  {1, true}, {49'999'999, true}, {50'000'000, false}, {50'000'001, false}, {3'600'000'000'000, false},
        {-1, true},  // a clock reading before the stamp is still inside the window
    };
    editingEndedAt(kEditEnded);
    for (const Case& c : cases) {
        hostsim::clearUiRecords();
        const char* text = "";
        captureAt(c.sinceEditEnded, text);
        const auto boxes = hostsim::gameMessageBoxes();
        EXPECT_EQ(boxes.size(), c.searched ? 1u : 0u) << "at " << c.sinceEditEnded << " ns";
        EXPECT_EQ(createsOf(text).size(), 1u) << "at " << c.sinceEditEnded << " ns";
        recorder().creates.clear();
    }
}

TEST_F(TextCaptureHook, GameCallGetsExactlyTheArgumentsTheHookReceived) {
    editingEndedAt(kEditEnded);
    struct Case {
        const char* text;
        std::int64_t sinceEditEnded;
        std::uint64_t flagRegister;
    };
    static const char kEmpty[] = "";
    static const char kWord[] = "Thessa";
    const Case cases[] = {
        {kEmpty, 10, kDirtyFlagRegister},            // searched
        {kWord, 60'000'000, kDirtyFlagRegister},     // passed through
        {kWord, 60'000'000, 0xFFFFFFFFFFFFFF00ull},  // flag 0 in a dirty register
        {kWord, 60'000'000, 0x00000000000000FFull},  // flag 0xFF
        {nullptr, 10, kDirtyFlagRegister},           // null text
    };
    for (const Case& c : cases) {
        recorder().creates.clear();
        setTestClock(kEditEnded + c.sinceEditEnded);
        hostsim::EngineStringHandle handle = reinterpret_cast<hostsim::EngineStringHandle>(0x1);
        callCaptureRoutine(&handle, c.text, c.flagRegister);
        const auto calls = createsOf(c.text);
        ASSERT_EQ(calls.size(), 1u) << (c.text ? c.text : "(null)");
        EXPECT_EQ(calls[0].out, &handle);
        EXPECT_EQ(calls[0].thread, std::this_thread::get_id());
        // The flag travels as its low 8 bits, zero-extended.
        EXPECT_EQ(calls[0].flagRegister, c.flagRegister & 0xFF) << std::hex << c.flagRegister;
        if (c.text != nullptr) {
            EXPECT_EQ(hostsim::engineStringText(handle), c.text);
        } else {
            EXPECT_EQ(handle, nullptr);
        }
        hostsim::releaseEngineString(&handle);
        hostsim::processUiQueue();
    }
}

TEST_F(TextCaptureHook, NullTextPassesThroughWithoutTakingTheMutex) {
    editingEndedAt(kEditEnded);
    setTestClock(kEditEnded + 10);
    MutexHolder holder;
    hostsim::CaptureSitePass pass;
    ASSERT_TRUE(finishesWithin([&pass] { pass = hostsim::passCaptureSite(nullptr, 1); }, 5000));
    EXPECT_TRUE(pass.stringMade);
    EXPECT_TRUE(hostsim::gameMessageBoxes().empty());
    EXPECT_EQ(createsOf(nullptr).size(), 1u);
}

TEST_F(TextCaptureHook, TextWaitsForTheMutexThenIsSearched) {
    editingEndedAt(kEditEnded);
    setTestClock(kEditEnded + 10);
    auto holder = std::make_unique<MutexHolder>();
    auto capture = std::async(std::launch::async, [] { return hostsim::passCaptureSite(""); });
    EXPECT_EQ(capture.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    EXPECT_TRUE(hostsim::gameMessageBoxes().empty());
    holder.reset();
    ASSERT_EQ(capture.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(capture.get().stringMade);
    EXPECT_EQ(hostsim::gameMessageBoxes().size(), 1u);
}

TEST_F(TextCaptureHook, EmptyTextInTheWindowShowsItsBoxUnderTheMutexThenMakesTheGameCall) {
    editingEndedAt(kEditEnded);
    setTestClock(kEditEnded + 49'999'999);
    const char* text = "";
    hostsim::EngineStringHandle handle = nullptr;
    callCaptureRoutine(&handle, text, kDirtyFlagRegister);

    const auto boxes = hostsim::gameMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Search");
    EXPECT_EQ(boxes[0].text, "Search text is empty.");
    ASSERT_EQ(recorder().boxes.size(), 1u);
    EXPECT_FALSE(recorder().boxes[0].pluginMutexFree) << "the box was shown without the plugin's mutex";

    const auto calls = createsOf(text);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].pluginMutexFree) << "the game's call was made before the mutex was released";
    const auto events = gameEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), GameEvent::Create);  // the game's own call comes last
    const auto sounds = hostsim::playedSounds();
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].name, "UIMenuGeneralOK");
    hostsim::releaseEngineString(&handle);
    hostsim::processUiQueue();
}

TEST_F(TextCaptureHook, TextOutsideTheWindowMakesTheGameCallStillUnderTheMutex) {
    editingEndedAt(kEditEnded);
    setTestClock(kEditEnded + 50'000'000);
    const char* text = "Harrow";
    hostsim::EngineStringHandle handle = nullptr;
    callCaptureRoutine(&handle, text, kDirtyFlagRegister);
    const auto calls = createsOf(text);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(calls[0].pluginMutexFree);
    EXPECT_EQ(gameEvents(), std::vector<GameEvent>{GameEvent::Create});
    EXPECT_TRUE(hostsim::playedSounds().empty());
    hostsim::releaseEngineString(&handle);
}

TEST_F(TextCaptureHook, TwoTextsWithinOneWindowAreBothSearched) {
    editingEndedAt(kEditEnded);
    captureAt(1'000'000, "");
    captureAt(40'000'000, "");
    EXPECT_EQ(hostsim::gameMessageBoxes().size(), 2u);
    captureAt(50'000'000, "");
    EXPECT_EQ(hostsim::gameMessageBoxes().size(), 2u);
}

TEST_F(TextCaptureHook, BeforeAnyEndOfEditingEveryTextPassesThrough) {
    // The real steady clock, and the stamp still at its initial 0.
    for (const char* text : {"", "Harrow", "a--b", "x"}) {
        const hostsim::CaptureSitePass pass = hostsim::passCaptureSite(text);
        EXPECT_TRUE(pass.stringMade);
        EXPECT_EQ(pass.text, text);
    }
    EXPECT_TRUE(hostsim::gameMessageBoxes().empty());
    EXPECT_TRUE(hostsim::playedSounds().empty());
}

class SampleGalaxyCapture : public TextCaptureHook {
protected:
    void SetUp() override {
        TextCaptureHook::SetUp();
        hostsim::installGalaxy(hostsim::loadGalaxyFile(hostsim::shippedGalaxyDirectory() + "/sample.galaxy"));
    }
};

TEST_F(SampleGalaxyCapture, CapturedTextInTheWindowShowsTheResultsBox) {
    editingEndedAt(kEditEnded);
    setTestClock(kEditEnded + 20'000'000);
    hostsim::clearTranscript();
    const hostsim::CaptureSitePass pass = hostsim::passCaptureSite("Harrow");
    EXPECT_EQ(pass.text, "Harrow");

    const auto boxes = hostsim::gameMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Search");
    EXPECT_EQ(boxes[0].text,
              "Search: Harrow\n"
              "\n"
              "Locations:\n"
              "[0] Harrow Point | Ilvane Prime\n"
              "[1] Harrow Point | Kessel Minor\n"
              "\n"
              "Found 2 matches.");
    ASSERT_EQ(recorder().boxes.size(), 1u);
    EXPECT_TRUE(recorder().boxes[0].allFormsLockHeld);
    EXPECT_FALSE(recorder().boxes[0].pluginMutexFree);
    EXPECT_TRUE(hostsim::isBalanced(allFormsLock()));
    {
        std::lock_guard lock(PluginState.mutex);
        ASSERT_EQ(PluginState.resultKeys.size(), 2u);
        EXPECT_EQ(PluginState.resultKeys.entries()[0].key, 0);
        EXPECT_EQ(PluginState.resultKeys.entries()[0].formId, 0xE0003u);
        EXPECT_EQ(PluginState.resultKeys.entries()[1].key, 1);
        EXPECT_EQ(PluginState.resultKeys.entries()[1].formId, 0xE0005u);
        EXPECT_EQ(PluginState.resultsShownAtNs, kEditEnded + 20'000'000);
    }
    // The game saw the box before it got its own string.
    const auto lines = hostsim::transcript();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2].rfind("message box title \"Search\"", 0), 0u) << lines[lines.size() - 2];
    EXPECT_EQ(lines.back(), "capture \"Harrow\" flag 0");
    hostsim::processUiQueue();
    EXPECT_TRUE(hostsim::isMenuOpen("MessageBoxMenu"));
}

TEST_F(SampleGalaxyCapture, SameTextOutsideTheWindowOnlyMakesTheGameCall) {
    editingEndedAt(kEditEnded);
    setTestClock(kEditEnded + 50'000'000);
    hostsim::clearTranscript();
    hostsim::passCaptureSite("Harrow");
    EXPECT_EQ(hostsim::transcript(), std::vector<std::string>{"capture \"Harrow\" flag 0"});
    EXPECT_EQ(allFormsLock().acquisitions.load(), 0u);
    std::lock_guard lock(PluginState.mutex);
    EXPECT_TRUE(PluginState.resultKeys.empty());
    EXPECT_EQ(PluginState.resultsShownAtNs, 0);
}

}  // namespace
