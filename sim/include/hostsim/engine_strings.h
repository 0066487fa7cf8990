#pragma once
// The game's interned strings. A handle is a pointer to an entry:
// length at 0x08 (64 bits), flags at 0x14 (8 bits), NUL-terminated text at 0x18.
#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/abi.h"

namespace hostsim {

using EngineStringHandle = void*;

// Interns a text and returns its handle (equal texts, equal handles). Used by
// the simulator itself; not counted in the plugin's ledger.
EngineStringHandle internEngineString(const char* text);
// Text of a handle ("" for null).
std::string engineStringText(EngineStringHandle handle);
// Sets flag bits of an entry (bit 0x02: holds no narrow text).
void setEngineStringFlags(EngineStringHandle handle, std::uint8_t flags);

// Ledger of handles the plugin created through EngineString_Create and
// released through EngineString_Release.
struct EngineStringLedger {
    std::uint64_t created = 0;
    std::uint64_t released = 0;
    std::uint64_t releasedUnknown = 0;  // a release of a handle nobody holds
};
EngineStringLedger engineStringLedger();
bool engineStringLedgerBalanced();

// Texts of handles the plugin created and has not yet released, one entry
// per outstanding reference.
std::vector<std::string> outstandingEngineStrings();
// True when the plugin holds at least one reference to the handle.
bool engineStringHeld(EngineStringHandle handle);
// True when the handle is an entry of the game's string pool.
bool isEngineString(EngineStringHandle handle);
void resetEngineStringLedger();

// The next `count` calls of EngineString_Create throw HostFault (form id 0)
// before they touch anything: how tests make an exception come out of a game
// call that every plugin entry makes. 0 stops.
void throwFromEngineStringCreates(std::uint32_t count);

// The game's own EngineString_Create and EngineString_Release as they sit
// behind the stubs (Microsoft x64).
SIM_ABI void* createEngineString(EngineStringHandle* out, const char* text, std::uint8_t flag);
SIM_ABI void releaseEngineString(EngineStringHandle* handle);

}  // namespace hostsim
