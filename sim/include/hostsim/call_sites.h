#pragma once
// The two places in the game's code where it makes a 5-byte relative call
// that a plugin may redirect. Each sits in a small routine of real machine
// code in the image that the game thread executes.
#include <cstdint>
#include <string>

#include "hostsim/abi.h"
#include "hostsim/engine_strings.h"

namespace hostsim {

// Writes both routines into the image, their calls aimed at the game's own
// functions.
void placeCallSites();

// What HostCall_PromptHookTarget returns for its four arguments.
std::uint64_t promptTargetResult(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d);

struct PromptSitePass {
    std::uint64_t returned = 0;    // what came back through the site
    unsigned targetCalls = 0;      // calls of HostCall_PromptHookTarget during the pass
    bool argumentsIntact = false;  // the target saw the arguments the game passed
};
// Runs the prompt routine on the calling thread with these arguments; reports
// a violation when the target was not called exactly once with them or its
// result did not come back. A site holding code the game cannot run
// (hostsim/site_code.h) is not run: the pass only checks its bytes.
PromptSitePass passPromptSite(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d);

struct CaptureSitePass {
    bool stringMade = false;  // the game's handle was filled
    std::string text;         // text of the handle the game got
};
// Runs the capture routine on the calling thread: the game makes a string of
// the text through the call at the site, uses it and releases it.
CaptureSitePass passCaptureSite(const char* text, std::uint8_t flag = 0);

// Start of each routine (the site is 4 bytes in).
std::uint8_t* promptRoutine();
std::uint8_t* captureRoutine();

// Called by the game's EngineString_Create: notes when the capture pass under
// way on this thread reaches the game's function.
void noteEngineStringCreate(const EngineStringHandle* out);

// The game's function behind its stub.
SIM_ABI std::uint64_t promptHookTarget(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d);

}  // namespace hostsim
