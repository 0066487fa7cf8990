#include "host/ui.h"

#include <cstdint>

#include "host/bindings.h"
#include "host/engine_string.h"

namespace lumora {

namespace {
// Message kind that asks the game's UI queue to close the named menu.
constexpr std::uint32_t kCloseMenuMessage = 2;
}  // namespace

// The game's UI object and message queue exist once the game has started; a
// null one (at start-up or on the way out) is not handed to the game, which
// would dereference it.
bool IsMenuOpen(const char* menuName) {
    void* ui = readHostPointer(HostOffset::HostUi_Singleton);
    if (ui == nullptr) return false;
    EngineStringHandle name(menuName);
    return hostFunction<IsMenuOpenFn>(HostOffset::HostUi_IsMenuOpen)(ui, name.address());
}

void CloseMenu(const char* menuName) {
    void* queue = readHostPointer(HostOffset::HostUiMessageQueue_Singleton);
    if (queue == nullptr) return;
    EngineStringHandle name(menuName);
    hostFunction<AddMessageFn>(HostOffset::HostUiMessageQueue_AddMessage)(queue, name.address(), kCloseMenuMessage);
}

void PlayUiSound(const std::string& soundName) {
    if (soundName.empty()) return;
    std::uint32_t soundId = 0;
    void* context = reinterpret_cast<void*>(hostAddress(HostOffset::HostAudio_UiSoundContext));
    hostFunction<PlayUiSoundFn>(HostOffset::HostAudio_PlayUiSound)(&soundId, soundName.c_str(), context, 1.0f);
}

}  // namespace lumora
