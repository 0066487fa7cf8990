#pragma once
// Names of the keys a script or the player can press, as Windows virtual-key
// codes: letters A-Z, top-row digits 0-9, keypad digits NUM0-NUM9, TAB, ESC,
// ENTER, SPACE, F1-F12, or a code written as 0xNN.
#include <optional>
#include <string>
#include <string_view>

namespace demo {

std::optional<int> parseKeyName(std::string_view name);
// "Q", "NUM3", "TAB", or "0x51" for keys without a name.
std::string keyName(int virtualKey);

}  // namespace demo
