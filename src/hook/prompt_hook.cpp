#include <array>
#include <cstring>
#include <mutex>
#include <vector>

#include "base/entry_guard.h"
#include "base/patch_code_bytes.h"
#include "config/settings.h"
#include "config/ui_texts.h"
#include "flow/results_page_turn.h"
#include "hook/hook_chain.h"
#include "hook/search_hooks.h"
#include "state/plugin_state.h"

namespace lumora {

namespace {
// cmp rdi, rbx (48 3B FB) in the text input menu's opening code; while we open
// the menu it reads cmp rdi, rdi (48 39 FF) so the comparison always succeeds.
constexpr std::array<std::uint8_t, 3> kExpectedCompare{0x48, 0x3B, 0xFB};
constexpr std::array<std::uint8_t, 3> kForcedCompare{0x48, 0x39, 0xFF};
// Mode argument of the game's open function; we always pass 0.
constexpr std::uint32_t kTextInputMode = 0;
}  // namespace

bool openSearchPrompt(std::string header, std::string defaultText) {
    auto* compare = reinterpret_cast<std::uint8_t*>(hostAddress(HostOffset::HostPatch_TextInputCompare));
    if (std::memcmp(compare, kExpectedCompare.data(), kExpectedCompare.size()) != 0) return false;
    // Both sequences are made before the game's code changes, so that putting
    // the compare back allocates nothing and happens however the call is left.
    std::vector<std::uint8_t> forced(kForcedCompare.begin(), kForcedCompare.end());
    std::vector<std::uint8_t> expected(kExpectedCompare.begin(), kExpectedCompare.end());
    if (!patchCodeBytes(std::move(forced), compare)) return false;
    struct RestoreCompare {
        std::vector<std::uint8_t>& bytes;
        std::uint8_t* at;
        // A failed restore leaves the forced compare in place; there is
        // nothing better to do from the game's thread than carry on.
        ~RestoreCompare() { patchCodeBytes(std::move(bytes), at); }
    } restore{expected, compare};
    hostFunction<OpenTextInputMenuFn>(HostOffset::HostUi_OpenTextInputMenu)(header.c_str(), defaultText.c_str(),
                                                                            kTextInputMode);
    return true;
}

namespace {
void openRequestedPrompt() {
    std::unique_lock<std::recursive_mutex> lock(PluginState.mutex, std::try_to_lock);
    if (!lock.owns_lock()) return;  // the request stays pending for a later frame
    if (PluginState.resultPages.turn != PageTurn::None) showRequestedResultsPage();
    if (!PluginState.promptRequested) return;
    // A failed attempt, an exception included, drops the request like any other.
    struct ClearRequest {
        ~ClearRequest() { PluginState.promptRequested = false; }
    } clearRequest;
    const bool remembered = Settings.rememberLastSearch && !PluginState.lastSearchText.empty();
    openSearchPrompt(UiTexts.textInputMenuHeader,
                     remembered ? PluginState.lastSearchText : UiTexts.textInputMenuDefaultText);
}
}  // namespace

HOST_ABI std::uint64_t promptHook(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) noexcept {
    const std::uint64_t result = promptHookCallee()(a, b, c, d);
    runGuardedEntry("prompt hook", [] { openRequestedPrompt(); });
    return result;
}

}  // namespace lumora
