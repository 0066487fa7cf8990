#pragma once
#include <cstdint>
#include <vector>

namespace lumora {

// Bytes made writable around a patch, counted from its address.
inline constexpr std::size_t kPatchProtectionSpan = 200;

// Writes `bytes` at `address` inside a temporary PAGE_EXECUTE_READWRITE window
// of kPatchProtectionSpan bytes. Results:
//   false  null address, empty sequence, a sequence longer than the span, or
//          the protection could not be changed (nothing written);
//   false  the bytes were written but the old protection was not restored;
//   true   written and the old protection restored.
bool patchCodeBytes(std::vector<std::uint8_t> bytes, void* address);

}  // namespace lumora
