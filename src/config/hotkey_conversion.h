#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumora {

// The settings file's hotkey text as a base-16 number, read the way the C
// library's string-to-unsigned conversion reads it (leading blanks, sign,
// optional 0x, up to the first non-digit). Empty when the text has no digits
// or the number does not fit in 32 bits.
std::optional<std::uint32_t> parseHotkeyText(std::string_view text);

}  // namespace lumora
