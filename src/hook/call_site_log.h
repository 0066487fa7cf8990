#pragma once
// The log's line for each call site: what the load found there and what it
// made of it.
#include "hook/hook_chain.h"

namespace lumora {

// One line per site: "patched" (the game's call, or another mod's hook that
// our hook now calls, with its address) when `patched`, otherwise why the
// load left the site alone.
void logCallSiteVerdicts(const HookSites& sites, bool patched) noexcept;

}  // namespace lumora
