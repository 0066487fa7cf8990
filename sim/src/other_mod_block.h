#pragma once
// Another mod's memory: one 64 KiB allocation granule just below the image,
// within rel32 reach of both call sites. Its first page holds the mod's hook
// for each site; its second page is data only. Private to the sim sources.
#include <cstdint>

#include "hostsim/site_code.h"

namespace hostsim {

// The hook for a site, created with the block on first use. Throws
// std::runtime_error when no free granule lies within reach below the image.
std::uintptr_t otherModHookFor(CallSite site);
// The hook for a site once the block exists; 0 before.
std::uintptr_t existingOtherModHook(CallSite site);
// How often the hook ran (0 before the block exists).
std::uint64_t runsOfOtherModHook(CallSite site);
// An address on the block's data page: committed, not executable.
std::uintptr_t otherModDataAddress();
// An address in the nearest free memory below the block.
std::uintptr_t unmappedAddressBelowImage();

}  // namespace hostsim
