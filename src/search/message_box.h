#pragma once
// The game's message box, with our title in place of the game's own.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// The game's title text holds 12 bytes; the box reads it as a C string.
inline constexpr std::size_t kHostTitleCapacity = 12;

// The bytes written over the game's title: printable in the box's font
// (bytes from 0x80 up become "#"), never empty, and with its zero byte never
// longer than the game's 12 bytes: a longer title is cut at its last blank
// within the first 11 bytes, or else after 11 bytes.
std::vector<std::uint8_t> fitMessageBoxTitle(std::string_view title);

// Shows the text in the game's message box under the title; the game's own
// title is written back when the call returns. False when the title could
// not be written (no box shown).
bool showMessageBox(std::string title, std::string text);

}  // namespace lumora
