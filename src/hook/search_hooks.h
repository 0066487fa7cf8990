#pragma once
// The two hooks patched into the game's code. Each has the signature of the
// call it replaces and makes that call itself: to the game's function, or to
// the hook another mod placed at the site before us (hook/hook_chain.h).
#include <cstdint>
#include <string>

#include "host/bindings.h"

namespace lumora {

// Replaces the game's call of its per-frame UI routine; opens the search
// prompt when the polling thread asked for it. Returns the game's result
// whatever happened to the prompt (an exception drops the request).
HOST_ABI std::uint64_t promptHook(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) noexcept;

// Replaces the game's EngineString_Create call for the text input menu's text;
// runs the search on text that arrives just after editing ended on the map.
// Returns the game's result; its call is made once on every path, also when
// the lock or the search failed.
HOST_ABI void* textCaptureHook(EngineString* out, const char* text, std::uint8_t flag) noexcept;

// Opens the game's text input menu with our texts. Results:
//   false  the compare instruction is not the one this game build has, or it
//          could not be patched: the game's function was not called;
//   true   the game's function was called.
bool openSearchPrompt(std::string header, std::string defaultText);

// Text captured this long after editing ended (or later) is not a search.
inline constexpr std::int64_t kCaptureWindowNs = 50'000'000;

}  // namespace lumora
