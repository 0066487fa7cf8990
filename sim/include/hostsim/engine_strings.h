#pragma once
// The game's interned strings. A handle is a pointer to an entry:
// length at 0x08 (64 bits), flags at 0x14 (8 bits), NUL-terminated text at 0x18.
#include <cstdint>
#include <string>

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

}  // namespace hostsim
