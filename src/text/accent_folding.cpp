#include "text/accent_folding.h"

#include <array>

#include "text/lower_case_table.h"

namespace lumora {

namespace {

constexpr char32_t kFirstFolded = 0xC0;
constexpr char32_t kLastFolded = 0x17F;

// One row of sixteen code points per line, from U+00C0. A letter whose
// canonical decomposition is a Latin letter and accents folds to that letter;
// the ligatures and the letters without such a decomposition fold as players
// of those languages spell them in plain letters.
// clang-format off
constexpr std::array<std::string_view, kLastFolded - kFirstFolded + 1> kFolds = {
    // U+00C0  À Á Â Ã Ä Å Æ Ç È É Ê Ë Ì Í Î Ï
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    // U+00D0  Ð Ñ Ò Ó Ô Õ Ö × Ø Ù Ú Û Ü Ý Þ ß
    "d", "n", "o", "o", "o", "o", "o", "", "o", "u", "u", "u", "u", "y", "th", "ss",
    // U+00E0  à á â ã ä å æ ç è é ê ë ì í î ï
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    // U+00F0  ð ñ ò ó ô õ ö ÷ ø ù ú û ü ý þ ÿ
    "d", "n", "o", "o", "o", "o", "o", "", "o", "u", "u", "u", "u", "y", "th", "y",
    // U+0100  Ā ā Ă ă Ą ą Ć ć Ĉ ĉ Ċ ċ Č č Ď ď
    "a", "a", "a", "a", "a", "a", "c", "c", "c", "c", "c", "c", "c", "c", "d", "d",
    // U+0110  Đ đ Ē ē Ĕ ĕ Ė ė Ę ę Ě ě Ĝ ĝ Ğ ğ
    "d", "d", "e", "e", "e", "e", "e", "e", "e", "e", "e", "e", "g", "g", "g", "g",
    // U+0120  Ġ ġ Ģ ģ Ĥ ĥ Ħ ħ Ĩ ĩ Ī ī Ĭ ĭ Į į
    "g", "g", "g", "g", "h", "h", "h", "h", "i", "i", "i", "i", "i", "i", "i", "i",
    // U+0130  İ ı Ĳ ĳ Ĵ ĵ Ķ ķ ĸ Ĺ ĺ Ļ ļ Ľ ľ Ŀ
    "i", "i", "ij", "ij", "j", "j", "k", "k", "k", "l", "l", "l", "l", "l", "l", "l",
    // U+0140  ŀ Ł ł Ń ń Ņ ņ Ň ň ŉ Ŋ ŋ Ō ō Ŏ ŏ
    "l", "l", "l", "n", "n", "n", "n", "n", "n", "n", "n", "n", "o", "o", "o", "o",
    // U+0150  Ő ő Œ œ Ŕ ŕ Ŗ ŗ Ř ř Ś ś Ŝ ŝ Ş ş
    "o", "o", "oe", "oe", "r", "r", "r", "r", "r", "r", "s", "s", "s", "s", "s", "s",
    // U+0160  Š š Ţ ţ Ť ť Ŧ ŧ Ũ ũ Ū ū Ŭ ŭ Ů ů
    "s", "s", "t", "t", "t", "t", "t", "t", "u", "u", "u", "u", "u", "u", "u", "u",
    // U+0170  Ű ű Ų ų Ŵ ŵ Ŷ ŷ Ÿ Ź ź Ż ż Ž ž ſ
    "u", "u", "u", "u", "w", "w", "y", "y", "y", "z", "z", "z", "z", "z", "z", "s",
};
// clang-format on

// A letter of the two blocks is two bytes in UTF-8: a lead byte 0xC3, 0xC4 or
// 0xC5 and one continuation byte. Neither byte can be part of another
// well-formed sequence, so the pair is recognised wherever it stands.
constexpr unsigned char kFirstLead = 0xC3;
constexpr unsigned char kLastLead = 0xC5;

bool isLead(unsigned char byte) { return byte >= kFirstLead && byte <= kLastLead; }
bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::string_view foldedLetter(char32_t codePoint) {
    if (codePoint < kFirstFolded || codePoint > kLastFolded) return {};
    return kFolds[codePoint - kFirstFolded];
}

bool mayHoldAccentedLetter(std::string_view text) {
    for (const char c : text)
        if (isLead(static_cast<unsigned char>(c))) return true;
    return false;
}

std::size_t foldAccentedLetters(std::string_view text, char* out) {
    static const std::array<char, 256>& lowered = lowerCaseTable();
    std::size_t written = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (isLead(byte) && i + 1 < text.size() && isContinuation(static_cast<unsigned char>(text[i + 1]))) {
            const char32_t codePoint =
                (static_cast<char32_t>(byte & 0x1F) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F);
            // Two bytes in, at most two letters out: the text never grows.
            if (const std::string_view letters = foldedLetter(codePoint); !letters.empty()) {
                for (const char letter : letters) out[written++] = letter;
                ++i;
                continue;
            }
        }
        out[written++] = lowered[byte];
    }
    return written;
}

std::string foldedAccentedLetters(std::string_view text) {
    std::string folded(text.size(), '\0');
    folded.resize(foldAccentedLetters(text, folded.data()));
    return folded;
}

}  // namespace lumora
