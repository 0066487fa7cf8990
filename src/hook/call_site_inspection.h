#pragma once
// What a call site in the game's code holds before we patch it: the game's own
// 5-byte relative call, another mod's hook that reached the site first, or
// code this build of the plugin does not know.
#include <cstdint>

namespace lumora {

enum class CallSiteKind {
    // E8 rel32 to the game function the site is known to call.
    GameOwn,
    // E8 rel32 to committed executable memory outside the game's image: a hook
    // that another mod placed first. `callee` is where it leads.
    Chained,
    // Anything else: a first byte other than E8, a call to other code of the
    // game's image, a call into memory that is not committed and executable,
    // or a site whose bytes are not committed readable memory.
    Unknown,
    // VirtualQuery gave no answer for the site, so its bytes were not read.
    NotQueried,
};

struct CallSiteInspection {
    CallSiteKind kind = CallSiteKind::Unknown;
    std::uintptr_t callee = 0;  // where the site's call leads (GameOwn, Chained); 0 otherwise
    const char* refusal = "";   // why an Unknown site is code we do not know, for the log
};

// Reads the 5 bytes at `site` once VirtualQuery has shown them to be committed
// and readable, and decodes them against `expectedCallee`, the game function
// at that site in this build. `imageBase` is the game executable's base: every
// region of its image reports it as the allocation base.
CallSiteInspection inspectCallSite(std::uintptr_t site, std::uintptr_t expectedCallee, std::uintptr_t imageBase);

inline constexpr std::uint8_t kRelativeCallOpcode = 0xE8;  // E8 rel32: call site + 5 + rel32
inline constexpr std::uintptr_t kRelativeCallSize = 5;

}  // namespace lumora
