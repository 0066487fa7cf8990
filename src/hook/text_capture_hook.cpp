#include <mutex>
#include <string>

#include "base/entry_guard.h"
#include "hook/hook_chain.h"
#include "hook/search_hooks.h"
#include "search/run_search.h"
#include "state/clock.h"
#include "state/plugin_state.h"

namespace lumora {

namespace {
void* createEngineString(EngineString* out, const char* text, std::uint8_t flag) {
    return textCaptureCallee()(out, text, flag);
}
}  // namespace

HOST_ABI void* textCaptureHook(EngineString* out, const char* text, std::uint8_t flag) noexcept {
    if (text == nullptr) return createEngineString(out, text, flag);

    std::unique_lock<std::recursive_mutex> lock(PluginState.mutex, std::defer_lock);
    bool searched = false;
    // Whatever the search could not handle itself ends here: the game's own
    // call below is made on every path, with or without the lock.
    runGuardedEntry("text capture hook", [&] {
        lock.lock();
        if (NowNs() - PluginState.textEditEndedAtNs > kCaptureWindowNs - 1) return;
        searched = true;
        runSearch(std::string(text));
    });
    // Outside the window the game's call is made while the lock is still held.
    if (searched && lock.owns_lock()) lock.unlock();
    void* result = createEngineString(out, text, flag);
    if (lock.owns_lock()) lock.unlock();
    return result;
}

}  // namespace lumora
