#include "search/star_map_focus.h"

#include "host/bindings.h"
#include "host/engine_string.h"
#include "host/game_names.h"
#include "host/ui.h"
#include "search/host_layout.h"

namespace lumora {

namespace {
constexpr const char* kBodyFocusRequest = "SetBodyFocusForQuest";
}  // namespace

bool FocusStarMapOnBody(void* form) {
    if (form == nullptr) return false;
    // The game would dereference a null queue; without one there is no one to ask.
    void* queue = readHostPointer(HostOffset::HostUiMessageQueue_Singleton);
    if (queue == nullptr) return false;
    EngineStringHandle menu(kStarMapMenu);
    EngineStringHandle request(kBodyFocusRequest);
    const bool open = IsMenuOpen(kStarMapMenu);
    const auto* formId =
        reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(form) + HostLayout::FormId);
    hostFunction<SendRequestFn>(HostOffset::HostUiMessageQueue_SendRequest)(queue, menu.value(), open, request.value(),
                                                                            formId);
    return true;
}

}  // namespace lumora
