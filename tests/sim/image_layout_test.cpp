// The game's fixed data and code must not overlap, or one stub would corrupt
// another function or global of the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "hostsim/boot.h"
#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "hostsim/ui_records.h"

namespace {

using namespace hostsim;

struct Span {
    const char* name;
    std::uintptr_t start;
    std::uintptr_t size;
};

constexpr std::uintptr_t kStub = 14;
constexpr std::uintptr_t kPointer = 8;
// A call-site routine: 4 bytes before the site, 10 from it.
constexpr std::uintptr_t kRoutine = 14;

std::vector<Span> occupiedSpans() {
    using namespace offsets;
    return {
        {"EngineString_Create", EngineString_Create, kStub},
        {"EngineString_Release", EngineString_Release, kStub},
        {"HostForms_LookupById", HostForms_LookupById, kStub},
        {"HostUi_Singleton", HostUi_Singleton, kPointer},
        {"HostUi_IsMenuOpen", HostUi_IsMenuOpen, kStub},
        {"HostUiMessageQueue_Singleton", HostUiMessageQueue_Singleton, kPointer},
        {"HostUiMessageQueue_AddMessage", HostUiMessageQueue_AddMessage, kStub},
        {"HostAudio_PlayUiSound", HostAudio_PlayUiSound, kStub},
        {"HostAudio_UiSoundContext", HostAudio_UiSoundContext, kPointer},
        {"prompt routine", HostCallSite_PromptHook - 4, kRoutine},
        {"capture routine", HostCallSite_TextCaptureHook - 4, kRoutine},
        {"HostEventSource_RegisterSink", HostEventSource_RegisterSink, kStub},
        {"HostEventSource_TextInputMenuEndEditText", HostEventSource_TextInputMenuEndEditText, kStub},
        {"HostEventSource_TextInputMenuInputCanceled", HostEventSource_TextInputMenuInputCanceled, kStub},
        {"HostEventSource_TextInputMenuStartEditText", HostEventSource_TextInputMenuStartEditText, kStub},
        {"HostCall_PromptHookTarget", HostCall_PromptHookTarget, kStub},
        {"HostUi_OpenTextInputMenu", HostUi_OpenTextInputMenu, kStub},
        {"HostPatch_TextInputCompare", HostPatch_TextInputCompare, 3},
        {"HostUiMessageQueue_SendRequest", HostUiMessageQueue_SendRequest, kStub},
        {"HostUi_ShowMessageBox", HostUi_ShowMessageBox, kStub},
        {"HostUi_MessageBoxTitleText", HostUi_MessageBoxTitleText, 12 + kTitleGuardSize},
        {"HostRuntime_DynamicCast", HostRuntime_DynamicCast, kStub},
        {"HostForms_AllFormsMap", HostForms_AllFormsMap, 0x30},
        {"HostForms_AllFormsLock", HostForms_AllFormsLock, 24},
        {"HostLock_Acquire", HostLock_Acquire, kStub},
        {"HostLock_Release", HostLock_Release, kStub},
        {"HostExtraData_FindByType", HostExtraData_FindByType, kStub},
        {"HostForm_GetFullName", HostForm_GetFullName, kStub},
        {"HostLocation_GetNamedForm", HostLocation_GetNamedForm, kStub},
        {"HostLocation_GetLinkedForm", HostLocation_GetLinkedForm, kStub},
        {"HostLocation_GetAltForm", HostLocation_GetAltForm, kStub},
        {"HostLocation_IsFiltered", HostLocation_IsFiltered, kStub},
        {"HostForm_GetParentForm", HostForm_GetParentForm, kStub},
        {"HostLocation_MatchesContext", HostLocation_MatchesContext, kStub},
        {"HostLocation_MatchesForm", HostLocation_MatchesForm, kStub},
        {"HostGlobal_LocationContext", HostGlobal_LocationContext, kPointer},
        {"HostGlobal_PlayerCharacter", HostGlobal_PlayerCharacter, kPointer},
        {"HostGlobal_NamedEntryRegistry", HostGlobal_NamedEntryRegistry, 0x20},
        {"HostTypeDescriptor_CastSource", HostTypeDescriptor_CastSource, 0x20},
        {"HostTypeDescriptor_KeywordList", HostTypeDescriptor_KeywordList, 0x20},
    };
}

TEST(ImageLayout, EveryOffsetLiesInsideTheProvidedImage) {
    for (const Span& span : occupiedSpans()) {
        EXPECT_GE(span.start, offsets::kLowestOffset) << span.name;
        EXPECT_LE(span.start + span.size, offsets::kImageEnd) << span.name;
        EXPECT_LE(span.start + span.size, kImageSize) << span.name;
    }
}

TEST(ImageLayout, NoTwoStubsOrGlobalsOverlap) {
    auto spans = occupiedSpans();
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    for (std::size_t i = 1; i < spans.size(); ++i)
        EXPECT_LE(spans[i - 1].start + spans[i - 1].size, spans[i].start)
            << spans[i - 1].name << " runs into " << spans[i].name;
}

TEST(ImageLayout, BootedImageHoldsTitleGuardAndOriginalCompareBytes) {
    bootGame();
    const std::uint8_t* title = at(offsets::HostUi_MessageBoxTitleText);
    EXPECT_EQ(0, std::memcmp(title, "DEBUG\0\0\0\0\0\0\0", 12));
    for (std::size_t i = 0; i < kTitleGuardSize; ++i) EXPECT_EQ(title[12 + i], kTitleGuardByte) << i;
    const std::uint8_t* compare = at(offsets::HostPatch_TextInputCompare);
    EXPECT_EQ(compare[0], 0x48);
    EXPECT_EQ(compare[1], 0x3B);
    EXPECT_EQ(compare[2], 0xFB);
}

TEST(ImageLayout, PointerGlobalsPointAtTheUiObjectAndQueue) {
    bootGame();
    EXPECT_EQ(*dataAt<UiObject*>(offsets::HostUi_Singleton), uiObject());
    EXPECT_EQ(*dataAt<UiMessageQueueObject*>(offsets::HostUiMessageQueue_Singleton), uiMessageQueue());
    setUiObjectPresent(false);
    EXPECT_EQ(*dataAt<UiObject*>(offsets::HostUi_Singleton), nullptr);
}

}  // namespace
