#include <mutex>
#include <string>

#include "hook/search_hooks.h"
#include "search/run_search.h"
#include "state/clock.h"
#include "state/plugin_state.h"

namespace lumora {

namespace {
void* createEngineString(EngineString* out, const char* text, std::uint8_t flag) {
    return HostStartup.engineStringCreate(out, text, flag);
}
}  // namespace

HOST_ABI void* textCaptureHook(EngineString* out, const char* text, std::uint8_t flag) {
    if (text == nullptr) return createEngineString(out, text, flag);

    std::unique_lock<std::recursive_mutex> lock(PluginState.mutex);
    const std::int64_t elapsed = NowNs() - PluginState.textEditEndedAtNs;
    if (elapsed > kCaptureWindowNs - 1) {
        void* result = createEngineString(out, text, flag);
        lock.unlock();
        return result;
    }
    // Nothing may unwind into the game's frames: whatever the search could not
    // handle itself ends here, and the game's own call is still made.
    try {
        runSearch(std::string(text));
    } catch (...) {
    }
    lock.unlock();
    return createEngineString(out, text, flag);
}

}  // namespace lumora
