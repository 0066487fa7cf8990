#pragma once
// Fixed offsets of the game's functions and globals from its image base, for
// the one runtime build the plugin supports, and typed access to them.
#include <cstdint>

#include "host/host_abi.h"

namespace lumora {

namespace HostOffset {
// Shared
inline constexpr std::uintptr_t EngineString_Create = 0x344D670;
inline constexpr std::uintptr_t EngineString_Release = 0x79C118;
inline constexpr std::uintptr_t HostForms_LookupById = 0x1534CD0;
inline constexpr std::uintptr_t HostUi_Singleton = 0x682A928;
inline constexpr std::uintptr_t HostUi_IsMenuOpen = 0x316C414;
inline constexpr std::uintptr_t HostUiMessageQueue_Singleton = 0x6A2EC80;
inline constexpr std::uintptr_t HostUiMessageQueue_AddMessage = 0x3176DFC;
inline constexpr std::uintptr_t HostAudio_PlayUiSound = 0x2B21B70;
inline constexpr std::uintptr_t HostAudio_UiSoundContext = 0x43A4908;
inline constexpr std::uintptr_t HostCallSite_PromptHook = 0x2414575;
inline constexpr std::uintptr_t HostCallSite_TextCaptureHook = 0x13E661C;
// Event sources
inline constexpr std::uintptr_t HostEventSource_RegisterSink = 0x5CB5AC;
inline constexpr std::uintptr_t HostEventSource_TextInputMenuEndEditText = 0x245E1A4;
inline constexpr std::uintptr_t HostEventSource_TextInputMenuInputCanceled = 0x245E234;
inline constexpr std::uintptr_t HostEventSource_TextInputMenuStartEditText = 0x245E2C4;
// Search prompt
inline constexpr std::uintptr_t HostCall_PromptHookTarget = 0x316C8A8;
inline constexpr std::uintptr_t HostUi_OpenTextInputMenu = 0x245E480;
inline constexpr std::uintptr_t HostPatch_TextInputCompare = 0x245E4D8;
// Results box and focus
inline constexpr std::uintptr_t HostUiMessageQueue_SendRequest = 0x2293B78;
inline constexpr std::uintptr_t HostUi_ShowMessageBox = 0x2C5B170;
inline constexpr std::uintptr_t HostUi_MessageBoxTitleText = 0x5564254;
// Forms
inline constexpr std::uintptr_t HostRuntime_DynamicCast = 0x38CD020;
inline constexpr std::uintptr_t HostForms_AllFormsMap = 0x6A30978;
inline constexpr std::uintptr_t HostForms_AllFormsLock = 0x6A309A8;
inline constexpr std::uintptr_t HostLock_Acquire = 0x2F4AFC0;
inline constexpr std::uintptr_t HostLock_Release = 0x2F4B188;
inline constexpr std::uintptr_t HostExtraData_FindByType = 0x1471BF0;
inline constexpr std::uintptr_t HostForm_GetFullName = 0x1538B10;
inline constexpr std::uintptr_t HostLocation_GetNamedForm = 0x1A8B650;
inline constexpr std::uintptr_t HostLocation_GetLinkedForm = 0x2D105D0;
inline constexpr std::uintptr_t HostLocation_GetAltForm = 0x2CEFE30;
inline constexpr std::uintptr_t HostLocation_IsFiltered = 0x2CEFFE0;
inline constexpr std::uintptr_t HostForm_GetParentForm = 0x2B549A0;
inline constexpr std::uintptr_t HostLocation_MatchesContext = 0x13E50F8;
inline constexpr std::uintptr_t HostLocation_MatchesForm = 0x1AC1560;
inline constexpr std::uintptr_t HostGlobal_LocationContext = 0x668C9B0;
inline constexpr std::uintptr_t HostGlobal_PlayerCharacter = 0x66C53F8;
inline constexpr std::uintptr_t HostGlobal_NamedEntryRegistry = 0x65E03D0;
inline constexpr std::uintptr_t HostTypeDescriptor_CastSource = 0x618E0D8;
inline constexpr std::uintptr_t HostTypeDescriptor_KeywordList = 0x61900E8;
}  // namespace HostOffset

// The game's pointer-sized handle to an interned string; equal texts give
// equal handles. Null means "no string".
using EngineString = void*;

// Signatures of the game functions we call.
using EngineStringCreateFn = void*(HOST_ABI*)(EngineString* out, const char* text, std::uint8_t flag);
using EngineStringReleaseFn = void(HOST_ABI*)(EngineString* handle);
using LookupByIdFn = void*(HOST_ABI*)(std::uint32_t formId);
using IsMenuOpenFn = bool(HOST_ABI*)(void* ui, const EngineString* name);
using AddMessageFn = void(HOST_ABI*)(void* queue, const EngineString* name, std::uint32_t kind);
using PlayUiSoundFn = void(HOST_ABI*)(std::uint32_t* soundId, const char* name, void* context, float volume);
using RegisterSinkFn = void(HOST_ABI*)(void* source, void* sink);
using EventSourceGetterFn = void*(HOST_ABI*)();
using PromptHookTargetFn = std::uint64_t(HOST_ABI*)(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t);
using OpenTextInputMenuFn = void(HOST_ABI*)(const char* header, const char* defaultText, std::uint32_t mode);
using SendRequestFn = void(HOST_ABI*)(void* queue, EngineString menu, bool open, EngineString request,
                                      const std::uint32_t* payload);
using ShowMessageBoxFn = void(HOST_ABI*)(void* owner, std::uint32_t a, std::uint32_t b, EngineString text);
using DynamicCastFn = void*(HOST_ABI*)(void* object, std::int32_t offset, const void* source, const void* target,
                                       std::int32_t isReference);
using HostLockFn = void(HOST_ABI*)(void* lock);
using FindExtraDataFn = void*(HOST_ABI*)(void* list, std::uint8_t type);
using GetFullNameFn = const char*(HOST_ABI*)(void* form);
using FormQueryFn = void*(HOST_ABI*)(void* unused, std::uint32_t zero, void* form);
using NamedFormFn = void*(HOST_ABI*)(void* placed);
using IsFilteredFn = bool(HOST_ABI*)(void* unused, std::uint32_t zero, void* placed);
using MatchesFn = bool(HOST_ABI*)(void* placed, void* other);
using FormTypeFn = std::uint8_t(HOST_ABI*)(void* form);

// Image base of the game executable, bound at library start.
extern std::uintptr_t HostImageBase;

// Bindings computed once at library start.
struct StartupBindings {
    EngineStringCreateFn engineStringCreate;
    EngineStringReleaseFn engineStringRelease;
    LookupByIdFn lookupById;
    DynamicCastFn dynamicCast;
};
extern StartupBindings HostStartup;

// Recomputes HostImageBase and the start-up bindings from GetModuleHandleA.
// Runs during static initialisation; tests call it again for a fresh image.
void bindHostImage();

// Address of a binding, computed from the image base at each call.
inline std::uintptr_t hostAddress(std::uintptr_t offset) { return HostImageBase + offset; }

template <typename Fn>
inline Fn hostFunction(std::uintptr_t offset) {
    return reinterpret_cast<Fn>(hostAddress(offset));
}

// Reads a pointer global of the game afresh.
inline void* readHostPointer(std::uintptr_t offset) { return *reinterpret_cast<void* const*>(hostAddress(offset)); }

}  // namespace lumora
