#include "flow/event_sinks.h"

#include <mutex>
#include <new>
#include <utility>

#include "base/entry_guard.h"
#include "config/settings.h"
#include "flow/results_page_turn.h"
#include "host/engine_string.h"
#include "host/game_names.h"
#include "host/ui.h"
#include "state/clock.h"
#include "state/plugin_state.h"

namespace lumora {

namespace {
// A result box opens this soon after the search showed it, or it is not ours.
constexpr std::int64_t kResultsBoxOpenWindowNs = 500'000'000;

// What every sink hands back to the game's event source.
constexpr std::uint32_t kContinueDispatch = 0;

// Editing started or ended: the star map test is made with the mutex held.
void onEditEnded() {
    std::lock_guard<std::recursive_mutex> lock(PluginState.mutex);
    if (IsMenuOpen(kStarMapMenu)) PluginState.textEditEndedAtNs = NowNs();
    PluginState.textInputActive = false;
}
}  // namespace

HOST_ABI void* BSTEventDetail::SinkBase::scalarDeletingDestructor(unsigned flags) noexcept {
    return runGuardedEntry("sink destructor", static_cast<void*>(this), [this, flags]() -> void* {
        // Qualified: the destructor is not virtual (the sinks have no work of
        // their own to undo), and clang wants that said.
        this->SinkBase::~SinkBase();
        if (flags & 1) ::operator delete(this);
        return this;
    });
}

namespace Events {

constinit LumoraSearchEngine_MenuOpenCloseEventClass g_menuOpenCloseSink;
constinit LumoraSearchEngine_TextInputMenu_StartEditTextClass g_startEditTextSink;
constinit LumoraSearchEngine_TextInputMenu_EndEditTextClass g_endEditTextSink;
constinit LumoraSearchEngine_TextInputMenu_InputCanceledClass g_inputCanceledSink;

namespace {
void onMenuOpenClose(const MenuOpenCloseEvent* event) {
    if (event == nullptr) return;
    {
        EngineStringHandle starMap(kStarMapMenu);
        if (event->menuName == starMap.value()) {
            if (event->opened) {
                std::lock_guard<std::recursive_mutex> lock(PluginState.mutex);
                PluginState.starMapOpenedAtNs = NowNs();
            } else if (Settings.pageResultsWithHotkey) {
                // Off the star map the pages of its results box are gone.
                std::lock_guard<std::recursive_mutex> lock(PluginState.mutex);
                dropResultPages();
            }
            return;
        }
    }
    {
        EngineStringHandle messageBox(kMessageBoxMenu);
        if (event->menuName == messageBox.value()) {
            std::lock_guard<std::recursive_mutex> lock(PluginState.mutex);
            const bool openBefore = std::exchange(PluginState.messageBoxOpenByEvents, event->opened);
            if (event->opened) {
                if (IsMenuOpen(kStarMapMenu) && NowNs() - PluginState.resultsShownAtNs < kResultsBoxOpenWindowNs)
                    PluginState.resultsBoxOpen = true;
                else dropResultPages();  // another box: the pages are gone
                onMessageBoxOpenedForPages();
            } else if (Settings.pageResultsWithHotkey && !openBefore) {
                // A second close event of a box already closed: the keys and
                // pages now held are those of the page shown after it.
            } else {
                PluginState.resultsBoxOpen = false;
                PluginState.resultKeys.clear();
                onMessageBoxClosedForPages();
            }
            return;
        }
    }
    EngineStringHandle textInput(kTextInputMenu);
    if (event->menuName == textInput.value() && !event->opened) {
        std::lock_guard<std::recursive_mutex> lock(PluginState.mutex);
        PluginState.textInputActive = false;
    }
}

void onEditStarted() {
    std::lock_guard<std::recursive_mutex> lock(PluginState.mutex);
    if (IsMenuOpen(kStarMapMenu)) PluginState.textInputActive = true;
}
}  // namespace

HOST_ABI std::uint32_t LumoraSearchEngine_MenuOpenCloseEventClass::OnEvent(const MenuOpenCloseEvent* event,
                                                                           void*) noexcept {
    runGuardedEntry("menu open/close sink", [event] { onMenuOpenClose(event); });
    return kContinueDispatch;
}

HOST_ABI std::uint32_t LumoraSearchEngine_TextInputMenu_StartEditTextClass::OnEvent(const TextInputMenu_StartEditText*,
                                                                                    void*) noexcept {
    runGuardedEntry("start edit text sink", [] { onEditStarted(); });
    return kContinueDispatch;
}

HOST_ABI std::uint32_t LumoraSearchEngine_TextInputMenu_EndEditTextClass::OnEvent(const TextInputMenu_EndEditText*,
                                                                                  void*) noexcept {
    runGuardedEntry("end edit text sink", [] { onEditEnded(); });
    return kContinueDispatch;
}

HOST_ABI std::uint32_t LumoraSearchEngine_TextInputMenu_InputCanceledClass::OnEvent(const TextInputMenu_InputCanceled*,
                                                                                    void*) noexcept {
    runGuardedEntry("input canceled sink", [] { onEditEnded(); });
    return kContinueDispatch;
}

}  // namespace Events

}  // namespace lumora
