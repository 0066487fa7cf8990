#pragma once
// Per-byte lower-casing as tolower does it in the C locale (only A-Z change).
#include <array>

namespace lumora {

// tolower of every byte value, asked once: every byte of every name passes
// through here.
const std::array<char, 256>& lowerCaseTable();

}  // namespace lumora
