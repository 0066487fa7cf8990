#pragma once
// Accented Latin letters compared as their plain letters: names and terms read
// as UTF-8, the letters of U+00C0 to U+017F folded to lower-case a-z.
#include <cstddef>
#include <string>
#include <string_view>

namespace lumora {

// The plain lower-case letters a letter of U+00C0..U+017F folds to ("e" for
// U+00C9, "ss" for U+00DF); empty for U+00D7 and U+00F7, which are not
// letters, and for code points outside the two blocks.
std::string_view foldedLetter(char32_t codePoint);

// True when the text holds a byte that can begin a foldable letter (0xC3 to
// 0xC5). Without one, folding the text is plain lower-casing.
bool mayHoldAccentedLetter(std::string_view text);

// Lower-cases A-Z as tolower does in the C locale and replaces each accented
// letter, written as UTF-8, by its plain letters. Other bytes, and bytes that
// are not well-formed UTF-8, stay as they are. The result is never longer than
// the text; `out` must hold text.size() bytes. Returns the folded size.
std::size_t foldAccentedLetters(std::string_view text, char* out);

std::string foldedAccentedLetters(std::string_view text);

}  // namespace lumora
