// The plugin loaded by the simulated loader, seen from the loader and the game.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hostsim/boot.h"
#include "hostsim/call_sites.h"
#include "hostsim/events.h"
#include "hostsim/image.h"
#include "hostsim/loader.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "support/simulated_game.h"
#include "win32_controls.h"

namespace {

using namespace hostsim;
using lumora_test::LoadedPluginTest;
using lumora_test::SimulatedGameTest;

const char* const kCaption = "Lumora Search Engine - Obrix Plugin by Lumora Team v3.1";

class PluginLoad : public SimulatedGameTest {};

TEST_F(LoadedPluginTest, ListenerIsRegisteredWithTheLoadersHandleForObrix) {
    const auto registrations = listenerRegistrations();
    ASSERT_EQ(registrations.size(), 1u);
    EXPECT_EQ(registrations[0].pluginHandle, kSimulatedPluginHandle);
    EXPECT_EQ(registrations[0].sender, "Obrix");
    EXPECT_TRUE(win32layer::shownMessageBoxes().empty());
}

TEST_F(LoadedPluginTest, MessagesOtherThanDataLoadedDoNothing) {
    const auto threadsBefore = win32layer::createdThreads().size();
    clearTranscript();
    for (std::uint32_t type : {0u, 1u, 3u, 4u, 0xFFFFFFFFu}) EXPECT_EQ(sendLoaderMessage(type), 1u);
    EXPECT_TRUE(sinkRegistrations().empty());
    EXPECT_EQ(win32layer::createdThreads().size(), threadsBefore);
    EXPECT_TRUE(win32layer::shownMessageBoxes().empty());
    for (const auto& line : transcript()) EXPECT_TRUE(line.starts_with("loader: message ")) << line;
}

TEST_F(LoadedPluginTest, GameKeepsWorkingThroughBothCallSitesAfterTheLoad) {
    const auto prompt = passPromptSite(0x11, 0x22, 0x33, 0x44);
    EXPECT_EQ(prompt.targetCalls, 1u);
    EXPECT_EQ(prompt.returned, promptTargetResult(0x11, 0x22, 0x33, 0x44));
    const auto capture = passCaptureSite("Porrima");
    EXPECT_TRUE(capture.stringMade);
    EXPECT_EQ(capture.text, "Porrima");
}

TEST_F(PluginLoad, NoModuleHandleShowsOneBoxReturnsFalseAndRegistersNothing) {
    std::uint8_t promptSiteBefore[5];
    std::memcpy(promptSiteBefore, at(offsets::HostCallSite_PromptHook), 5);
    win32layer::failModuleHandle(true);
    const auto outcome = loadPlugin(lumora_test::pluginDescriptorExport(), lumora_test::pluginLoadExport());
    win32layer::failModuleHandle(false);

    EXPECT_TRUE(outcome.loadCalled);
    EXPECT_FALSE(outcome.loadReturned);
    const auto boxes = win32layer::shownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Installation error: Halcyra.exe handle couldn't be acquired");
    EXPECT_EQ(boxes[0].caption, kCaption);
    EXPECT_EQ(boxes[0].type, MB_OK);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_TRUE(listenerRegistrations().empty());
    EXPECT_EQ(0, std::memcmp(promptSiteBefore, at(offsets::HostCallSite_PromptHook), 5));
    for (const auto& line : transcript()) EXPECT_NE(line, "loader: interface query 1");
}

TEST_F(PluginLoad, MissingMessagingInterfaceOrRegistrationIsReportedWithTheCaptionAndFails) {
    for (const bool interfaceOffered : {false, true}) {
        win32layer::clearMessageBoxes();
        setMessagingInterfaceAvailable(interfaceOffered);
        setListenerRegistrationAvailable(!interfaceOffered);
        const auto outcome = loadPlugin(lumora_test::pluginDescriptorExport(), lumora_test::pluginLoadExport());
        EXPECT_FALSE(outcome.loadReturned) << interfaceOffered;
        const auto boxes = win32layer::shownMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << interfaceOffered;
        EXPECT_EQ(boxes[0].caption, kCaption);
        EXPECT_EQ(boxes[0].text, "Installation error: Obrix messaging interface couldn't be acquired");
        EXPECT_TRUE(listenerRegistrations().empty());
    }
}

TEST(PluginLoadDeathTest, NoTrampolineBlockEndsTheProcessWithExitCodeZeroAfterTheBox) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            bootGame();
            // The child's only witness is stderr: the box is written there when answered.
            win32layer::setMessageBoxHandler([](const win32layer::MessageBoxRecord& box) {
                std::fprintf(stderr, "box \"%s\" caption \"%s\"\n", box.text.c_str(), box.caption.c_str());
                return IDOK;
            });
            win32layer::failVirtualQuery(ERROR_ACCESS_DENIED);
            loadPlugin(lumora_test::pluginDescriptorExport(), lumora_test::pluginLoadExport());
            std::fprintf(stderr, "load returned\n");
            std::_Exit(3);
        },
        testing::ExitedWithCode(0),
        "box \"cannot create trampoline\" caption \"Lumora Search Engine - Obrix Plugin by Lumora Team v3\\.1\"\n$");
}

}  // namespace
