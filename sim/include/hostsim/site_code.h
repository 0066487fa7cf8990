#pragma once
// What the game's code holds at the two call sites before a plugin loads:
// the game's own call, a hook that another mod placed there first, or code
// of another game build. The other mod's hook is machine code of its own in
// a block of its own below the image: it counts its runs and jumps on to the
// game's function. Passes through a site check what the game expects of that
// code, and the loader checks the sites around each plugin's load.
#include <cstdint>
#include <string>

namespace hostsim {

enum class CallSite { Prompt, Capture };

enum class SiteCode {
    GameCall,             // the game's own call, as booted
    HookedByOther,        // a call to another mod's hook, which then calls the game's function
    Garbage,              // no call: the 5-byte nop 0F 1F 44 00 00
    OtherGameFunction,    // a call to another function of the image (xor eax,eax / ret)
    NonExecutableTarget,  // a call into committed, readable and writable, non-executable memory
    UnmappedTarget,       // a call into memory that nothing has mapped
    UnreadablePage,       // the game's call, on a page unreadable while the loader loads plugins
};

// "prompt" or "capture".
const char* siteName(CallSite site);
std::uintptr_t siteOffset(CallSite site);
// What the transcript says a site now holds: "a call to another mod's hook"...
std::string describeSiteCode(SiteCode code);

// Puts the code at the site, starting from the game's own call whatever the
// site held. Throws std::runtime_error when no free memory for the other
// mod's block lies within reach below the image.
void placeSiteCode(CallSite site, SiteCode code);
SiteCode siteCode(CallSite site);

// Address of the other mod's hook for the site (placed or not, once the block
// exists; null before) and how often it has run.
const void* otherModHook(CallSite site);
std::uint64_t otherModHookRuns(CallSite site);

// Whether a pass may run the site's routine: false for code that is not a
// call the game can make (a call into unmapped memory would end the game).
// Such a pass only checks that the placed bytes are still there.
bool passRunsSiteCode(CallSite site);
void checkPlacedBytes(CallSite site);
// After a pass that ran the routine: with the other mod's hook placed, it
// must have run exactly once (`runsBefore` + 1) and the game's function must
// have seen that run (`runsAtGameCall`). True when the pass was in order;
// a violation otherwise.
bool checkOtherModHookPass(CallSite site, std::uint64_t runsBefore, std::uint64_t runsAtGameCall);

// Around the loader's call of a plugin's load entry: the sites' bytes are
// noted and pages made unreadable; afterwards the pages are readable again,
// and a site the plugin changed although its load failed, or code the plugin
// could not know overwritten, is a violation.
void siteCodeBeforePluginLoad();
void siteCodeAfterPluginLoad(bool loadReturned);

// One transcript line per site with the other mod's hook: whether it ran on
// every pass, before the game's function.
void reportOtherModHooks();

// A diagnostic line with every 16-digit address the game knows written by
// name: "image+0x2414575", "other mod's prompt hook", "other mod's capture hook".
std::string nameKnownAddresses(const std::string& line);

}  // namespace hostsim
