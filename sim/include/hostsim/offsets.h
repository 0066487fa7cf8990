#pragma once
// Where the game (runtime 1.14.74.0) keeps its functions and globals, as
// offsets from its image base. The simulator lays its image out from this
// table alone.
#include <cstdint>

namespace hostsim::offsets {

// Strings, forms and the UI
inline constexpr std::uintptr_t EngineString_Create = 0x344D670;
inline constexpr std::uintptr_t EngineString_Release = 0x79C118;
inline constexpr std::uintptr_t HostForms_LookupById = 0x1534CD0;
inline constexpr std::uintptr_t HostUi_Singleton = 0x682A928;
inline constexpr std::uintptr_t HostUi_IsMenuOpen = 0x316C414;
inline constexpr std::uintptr_t HostUiMessageQueue_Singleton = 0x6A2EC80;
inline constexpr std::uintptr_t HostUiMessageQueue_AddMessage = 0x3176DFC;
inline constexpr std::uintptr_t HostAudio_PlayUiSound = 0x2B21B70;
inline constexpr std::uintptr_t HostAudio_UiSoundContext = 0x43A4908;

// The two call instructions in the game's code that a plugin may redirect
inline constexpr std::uintptr_t HostCallSite_PromptHook = 0x2414575;
inline constexpr std::uintptr_t HostCallSite_TextCaptureHook = 0x13E661C;

// Event sources
inline constexpr std::uintptr_t HostEventSource_RegisterSink = 0x5CB5AC;
inline constexpr std::uintptr_t HostEventSource_TextInputMenuEndEditText = 0x245E1A4;
inline constexpr std::uintptr_t HostEventSource_TextInputMenuInputCanceled = 0x245E234;
inline constexpr std::uintptr_t HostEventSource_TextInputMenuStartEditText = 0x245E2C4;

// Text input menu
inline constexpr std::uintptr_t HostCall_PromptHookTarget = 0x316C8A8;
inline constexpr std::uintptr_t HostUi_OpenTextInputMenu = 0x245E480;
inline constexpr std::uintptr_t HostPatch_TextInputCompare = 0x245E4D8;

// Message box and star map requests
inline constexpr std::uintptr_t HostUiMessageQueue_SendRequest = 0x2293B78;
inline constexpr std::uintptr_t HostUi_ShowMessageBox = 0x2C5B170;
inline constexpr std::uintptr_t HostUi_MessageBoxTitleText = 0x5564254;

// Forms, locations and the game's registries
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

// The part of the image the simulator must provide: every offset above lies
// in [kLowestOffset, kImageEnd).
inline constexpr std::uintptr_t kLowestOffset = 0x5C0000;
inline constexpr std::uintptr_t kImageEnd = 0x6B00000;

}  // namespace hostsim::offsets

namespace hostsim {

// The runtime version this game build reports to plugins (1.14.74.0).
inline constexpr std::uint32_t kGameRuntimeVersion = 0x010E04A0;

// Bytes of the compare instruction in the text input menu's code.
inline constexpr std::uint8_t kTextInputCompareOriginal[3] = {0x48, 0x3B, 0xFB};  // cmp rdi, rbx
inline constexpr std::uint8_t kTextInputCompareForced[3] = {0x48, 0x39, 0xFF};    // cmp rdi, rdi

// The game's own message box title text: "DEBUG" and seven zero bytes.
inline constexpr std::uint8_t kMessageBoxTitleText[12] = {'D', 'E', 'B', 'U', 'G', 0, 0, 0, 0, 0, 0, 0};

}  // namespace hostsim
