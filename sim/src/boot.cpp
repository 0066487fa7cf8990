#include "hostsim/boot.h"

#include <mutex>

#include "hostsim/call_sites.h"
#include "hostsim/engine_strings.h"
#include "hostsim/events.h"
#include "hostsim/host_lock.h"
#include "hostsim/image.h"
#include "hostsim/menus.h"
#include "hostsim/offsets.h"
#include "hostsim/ui_records.h"

namespace hostsim {
namespace {

template <typename Function>
void stub(std::uintptr_t offset, Function* implementation) {
    placeStub(offset, reinterpret_cast<const void*>(implementation));
}

void placeGameFunctions() {
    stub(offsets::EngineString_Create, &createEngineString);
    stub(offsets::EngineString_Release, &releaseEngineString);
    stub(offsets::HostUi_IsMenuOpen, &isMenuOpenHost);
    stub(offsets::HostUiMessageQueue_AddMessage, &addUiMessage);
    stub(offsets::HostAudio_PlayUiSound, &playUiSoundHost);
    stub(offsets::HostEventSource_RegisterSink, &registerEventSink);
    stub(offsets::HostEventSource_TextInputMenuEndEditText, &textInputMenuEndEditTextSource);
    stub(offsets::HostEventSource_TextInputMenuInputCanceled, &textInputMenuInputCanceledSource);
    stub(offsets::HostEventSource_TextInputMenuStartEditText, &textInputMenuStartEditTextSource);
    stub(offsets::HostCall_PromptHookTarget, &promptHookTarget);
    stub(offsets::HostUi_OpenTextInputMenu, &openTextInputMenuHost);
    stub(offsets::HostUiMessageQueue_SendRequest, &sendUiRequest);
    stub(offsets::HostUi_ShowMessageBox, &showMessageBoxHost);
    stub(offsets::HostLock_Acquire, &acquireHostLock);
    stub(offsets::HostLock_Release, &releaseHostLock);
}

void placeGameData() {
    *dataAt<UiObject*>(offsets::HostUi_Singleton) = uiObject();
    *dataAt<UiMessageQueueObject*>(offsets::HostUiMessageQueue_Singleton) = uiMessageQueue();
    placeUiData();
    placeCallSites();
}

}  // namespace

std::uint8_t* bootGame() {
    static std::once_flag booted;
    std::call_once(booted, [] {
        prepareImage();
        placeGameFunctions();
        placeGameData();
    });
    return imageBase();
}

void setUiObjectPresent(bool present) {
    *dataAt<UiObject*>(offsets::HostUi_Singleton) = present ? uiObject() : nullptr;
}

}  // namespace hostsim
