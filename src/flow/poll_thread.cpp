#include "flow/poll_thread.h"

#include <mutex>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/entry_guard.h"
#include "base/plugin_error.h"
#include "base/plugin_log.h"
#include "config/settings.h"
#include "flow/recent_destinations_store.h"
#include "host/bindings.h"
#include "host/game_names.h"
#include "host/ui.h"
#include "search/star_map_focus.h"
#include "state/clock.h"
#include "state/plugin_state.h"

namespace lumora {

namespace {
constexpr std::int64_t kStarMapSettleNs = 1'000'000'000;
constexpr std::int64_t kKeyDebounceNs = 50'000'000;
constexpr std::int64_t kPromptRequestIntervalNs = 500'000'000;
constexpr std::int64_t kChoiceIntervalNs = 200'000'000;
constexpr DWORD kPollIntervalMs = 50;
constexpr SIZE_T kPollThreadStackCommit = 8192;

bool isKeyDown(int virtualKey) { return GetKeyState(virtualKey) < 0; }

// With no game window and nothing in the foreground both calls answer null;
// that is not the game having the focus.
bool gameWindowHasFocus() {
    HWND game = FindWindowA(nullptr, "Halcyra");
    return game != nullptr && game == GetForegroundWindow();
}

// The star map is in front of the player: no text input, no console, and the
// message box open or closed as asked. Tested in this order, up to the first
// menu that decides.
bool isStarMapInFront(bool messageBoxOpen) {
    return !IsMenuOpen(kTextInputMenu) && IsMenuOpen(kStarMapMenu) && !IsMenuOpen(kConsoleMenu) &&
           IsMenuOpen(kMessageBoxMenu) == messageBoxOpen;
}

void requestPromptOnHotkey(std::int64_t now) {
    if (PluginState.textInputActive) return;
    if (now - PluginState.starMapOpenedAtNs < kStarMapSettleNs) return;
    if (now - PluginState.lastKeyPollAtNs < kKeyDebounceNs) return;
    PluginState.lastKeyPollAtNs = now;
    if (now - PluginState.lastPromptRequestAtNs < kPromptRequestIntervalNs) return;
    if (!isStarMapInFront(false)) return;
    PluginState.lastPromptRequestAtNs = now;
    PluginState.promptRequested = true;
}

// The hotkey on an open results box with lines left: the box closes, and the
// game's thread shows the next page once its close has emptied the keys.
void requestNextResultsPage(std::int64_t now) {
    if (now - PluginState.lastKeyPollAtNs < kKeyDebounceNs) return;
    PluginState.lastKeyPollAtNs = now;
    if (now - PluginState.lastPromptRequestAtNs < kPromptRequestIntervalNs) return;
    if (!isStarMapInFront(true)) return;
    PluginState.lastPromptRequestAtNs = now;
    PluginState.resultPages.turn = PageTurn::Closing;
    PluginState.resultPages.turnRequestedAtNs = now;
    // The closing page's digits choose nothing any more.
    PluginState.resultKeys.clear();
    CloseMenu(kMessageBoxMenu);
}

// The error boxes are modal: the mutex is released before one is shown, or
// the game's thread (capture hook, sinks) would wait on it behind the box.
void chooseResult(std::unique_lock<std::recursive_mutex>& lock, std::int64_t now) {
    if (now - PluginState.lastChoiceAtNs < kChoiceIntervalNs) return;
    const DigitKey key = ReadDigitKey();
    if (key.code < 0) return;
    if (!isStarMapInFront(true)) return;
    const std::int32_t digit = key.code - (key.fromKeypad ? VK_NUMPAD0 : 0x30);
    const auto entry = PluginState.resultKeys.find(digit);
    if (!entry) return;
    if (entry->formId == 0) {
        lock.unlock();
        ShowPluginError("Internal error: 85a3", false);
        return;
    }
    PlayUiSound(kConfirmSound);
    PluginState.lastChoiceAtNs = now;
    CloseMenu(kMessageBoxMenu);
    // A choice ends the list: no later page comes up after it.
    dropResultPages();
    void* form = HostStartup.lookupById(entry->formId);
    if (form == nullptr) {
        lock.unlock();
        ShowPluginError("Internal error: 0d28 | " + std::to_string(entry->formId), false);
        return;
    }
    FocusStarMapOnBody(form);
    rememberChosenBody(*entry);
    appendLogLine("choice [%d]: form 0x%08X focused", static_cast<int>(digit), static_cast<unsigned>(entry->formId));
    PluginState.resultKeys.clear();
    PluginState.promptRequested = false;
}

void cancelTextInput(std::int64_t now) {
    if (!PluginState.textInputActive) return;
    if (now - PluginState.lastKeyPollAtNs < kKeyDebounceNs) return;
    PluginState.lastKeyPollAtNs = now;
    if (!isKeyDown(VK_TAB) && !isKeyDown(VK_ESCAPE)) return;
    PlayUiSound(kCancelSound);
    CloseMenu(kTextInputMenu);
    PluginState.resultKeys.clear();
    PluginState.promptRequested = false;
}
}  // namespace

DigitKey ReadDigitKey() {
    for (int code = 0x30; code <= 0x39; ++code)
        if (isKeyDown(code)) return {code, false};
    for (int code = VK_NUMPAD0; code <= VK_NUMPAD0 + 9; ++code)
        if (isKeyDown(code)) return {code, true};
    return {-1, false};
}

namespace {
void pollKeys(std::vector<ResultPagesRecord>& droppedPages) {
    std::unique_lock<std::recursive_mutex> lock(PluginState.mutex, std::try_to_lock);
    if (!lock.owns_lock()) return;
    droppedPages = takeDroppedResultPages();
    if (PluginState.promptRequested) return;
    if (PluginState.resultPages.turn != PageTurn::None) return;  // a page waits for the game's thread
    if (!gameWindowHasFocus()) return;
    const std::int64_t now = NowNs();
    if (isKeyDown(static_cast<int>(Settings.textInputMenuHotkey))) {
        if (PluginState.resultsBoxOpen && PluginState.resultPages.linesRemain()) requestNextResultsPage(now);
        else requestPromptOnHotkey(now);
    } else if (PluginState.resultsBoxOpen && !PluginState.resultKeys.empty()) {
        chooseResult(lock, now);
    } else {
        cancelTextInput(now);
    }
}
}  // namespace

void PollOnce() {
    {
        // Pages dropped on the game's thread are freed here, after the keys'
        // pass has let go of the mutex.
        std::vector<ResultPagesRecord> droppedPages;
        pollKeys(droppedPages);
    }
    // After the keys' pass has let go of the mutex.
    saveChangedRecentDestinations();
}

bool runPollingPass() noexcept {
    return runGuardedEntry("polling pass", [] { PollOnce(); });
}

DWORD WINAPI PollThreadMain(LPVOID) noexcept {
    for (;;) {
        runPollingPass();
        writeQueuedLogLines();  // outside the pass: the mutex is free while the disk is written
        Sleep(kPollIntervalMs);
    }
}

void startPollingThread() {
    // The handle is neither kept nor closed: the thread lives as long as the game.
    if (CreateThread(nullptr, kPollThreadStackCommit, &PollThreadMain, nullptr, 0, nullptr) == nullptr)
        writeDiagnostic("polling thread not started (%08X): the hotkey and the digit keys stay unheard",
                        static_cast<unsigned>(GetLastError()));
    else appendLogLine("polling thread started");
}

}  // namespace lumora
