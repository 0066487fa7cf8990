// The plugin reaches the game only through the stubs at fixed offsets, with
// the Microsoft x64 convention: arguments must arrive through them intact,
// including a float in the fourth slot and a fifth argument on the stack.
#include <gtest/gtest.h>

#include <cstring>

#include "hostsim/host_lock.h"
#include "hostsim/image.h"
#include "hostsim/menus.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"
#include "hostsim/ui_records.h"
#include "support/simulated_game.h"

namespace {

using namespace hostsim;
using lumora_test::SimulatedGameTest;

template <typename Function>
Function gameFunction(std::uintptr_t offset) {
    return reinterpret_cast<Function>(at(offset));
}

using IsMenuOpenFn = bool(SIM_ABI*)(void*, const EngineStringHandle*);
using PlaySoundFn = bool(SIM_ABI*)(std::uint32_t*, const char*, const void*, float);
using SendRequestFn = void(SIM_ABI*)(void*, EngineStringHandle, bool, EngineStringHandle, const std::uint32_t*);
using CreateFn = void*(SIM_ABI*)(EngineStringHandle*, const char*, std::uint8_t);
using ReleaseFn = void(SIM_ABI*)(EngineStringHandle*);
using LockFn = void(SIM_ABI*)(HostLockObject*);

class Stubs : public SimulatedGameTest {};

TEST_F(Stubs, EachStubIsAnAbsoluteJumpToItsImplementation) {
    const std::uint8_t* stub = at(offsets::HostUi_IsMenuOpen);
    const std::uint8_t opcode[6] = {0xFF, 0x25, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(stub, opcode, sizeof opcode));
    std::uint64_t target = 0;
    std::memcpy(&target, stub + 6, sizeof target);
    EXPECT_EQ(target, reinterpret_cast<std::uint64_t>(&isMenuOpenHost));
}

TEST_F(Stubs, StringCreateAndReleaseThroughTheImageKeepTheLedger) {
    EngineStringHandle handle = nullptr;
    gameFunction<CreateFn>(offsets::EngineString_Create)(&handle, "GalaxyStarMapMenu", 0);
    EXPECT_EQ(handle, internEngineString("GalaxyStarMapMenu"));
    EXPECT_EQ(engineStringLedger().created, 1u);
    gameFunction<ReleaseFn>(offsets::EngineString_Release)(&handle);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(engineStringLedger().released, 1u);
}

TEST_F(Stubs, IsMenuOpenReadsTheHandleBehindThePointer) {
    openMenu("GalaxyStarMapMenu");
    UiObject* ui = *dataAt<UiObject*>(offsets::HostUi_Singleton);
    EngineStringHandle open = internEngineString("GalaxyStarMapMenu");
    EngineStringHandle closed = internEngineString("Console");
    auto isOpen = gameFunction<IsMenuOpenFn>(offsets::HostUi_IsMenuOpen);
    EXPECT_TRUE(isOpen(ui, &open));
    EXPECT_FALSE(isOpen(ui, &closed));
}

TEST_F(Stubs, IsMenuOpenOnAnotherObjectIsAViolation) {
    expectViolations();
    openMenu("GalaxyStarMapMenu");
    EngineStringHandle open = internEngineString("GalaxyStarMapMenu");
    UiObject stranger{};
    EXPECT_FALSE(gameFunction<IsMenuOpenFn>(offsets::HostUi_IsMenuOpen)(&stranger, &open));
    ASSERT_EQ(violations().size(), 1u);
}

TEST_F(Stubs, SoundVolumeArrivesAsTheFourthFloatArgument) {
    std::uint32_t soundId = 0;
    auto play = gameFunction<PlaySoundFn>(offsets::HostAudio_PlayUiSound);
    EXPECT_TRUE(play(&soundId, "UIMenuGeneralOK", at(offsets::HostAudio_UiSoundContext), 0.75f));
    const auto sounds = playedSounds();
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].name, "UIMenuGeneralOK");
    EXPECT_FLOAT_EQ(sounds[0].volume, 0.75f);
    EXPECT_NE(soundId, 0u);
    EXPECT_EQ(transcript().back(), "sound \"UIMenuGeneralOK\" volume 0.75");
}

TEST_F(Stubs, SoundWithAnotherContextOrAPresetIdIsAViolation) {
    expectViolations();
    auto play = gameFunction<PlaySoundFn>(offsets::HostAudio_PlayUiSound);
    std::uint32_t soundId = 0;
    EXPECT_FALSE(play(&soundId, "UIMenuGeneralOK", at(offsets::HostAudio_UiSoundContext + 8), 1.0f));
    soundId = 42;
    EXPECT_TRUE(play(&soundId, "UIMenuGeneralOK", at(offsets::HostAudio_UiSoundContext), 1.0f));
    EXPECT_EQ(violations().size(), 2u);
    EXPECT_EQ(playedSounds().size(), 1u);
}

TEST_F(Stubs, FocusRequestCarriesHandlesByValueAndTheFormIdFromTheStackArgument) {
    auto send = gameFunction<SendRequestFn>(offsets::HostUiMessageQueue_SendRequest);
    void* queue = *dataAt<void*>(offsets::HostUiMessageQueue_Singleton);
    const std::uint32_t formId = 0x0012ABCD;
    send(queue, internEngineString("GalaxyStarMapMenu"), true, internEngineString("SetBodyFocusForQuest"), &formId);
    const auto requests = focusRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].menu, "GalaxyStarMapMenu");
    EXPECT_EQ(requests[0].request, "SetBodyFocusForQuest");
    EXPECT_TRUE(requests[0].open);
    EXPECT_EQ(requests[0].formId, formId);
    EXPECT_EQ(transcript().back(),
              "focus request menu \"GalaxyStarMapMenu\" request \"SetBodyFocusForQuest\" open 1 form 0x0012ABCD");
}

TEST_F(Stubs, FocusRequestWithABadQueueOrNoPayloadIsRefused) {
    expectViolations();
    auto send = gameFunction<SendRequestFn>(offsets::HostUiMessageQueue_SendRequest);
    void* queue = *dataAt<void*>(offsets::HostUiMessageQueue_Singleton);
    const std::uint32_t formId = 1;
    std::uint32_t notAQueue = 0;
    send(&notAQueue, internEngineString("GalaxyStarMapMenu"), false, internEngineString("SetBodyFocusForQuest"),
         &formId);
    send(queue, internEngineString("GalaxyStarMapMenu"), false, internEngineString("SetBodyFocusForQuest"), nullptr);
    EXPECT_TRUE(focusRequests().empty());
    EXPECT_EQ(violations().size(), 2u);
}

TEST_F(Stubs, HostLockThroughTheImageIsBalancedAfterAcquireAndRelease) {
    HostLockObject lock;
    gameFunction<LockFn>(offsets::HostLock_Acquire)(&lock);
    EXPECT_FALSE(isBalanced(lock));
    gameFunction<LockFn>(offsets::HostLock_Release)(&lock);
    EXPECT_TRUE(isBalanced(lock));
    EXPECT_EQ(lock.ownerThread.load(), 0u);
}

}  // namespace
