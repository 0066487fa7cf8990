// Any text as the hotkey value of the settings file: the conversion must
// agree with a plain reading of the C library's base-16 rules.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "config/hotkey_conversion.h"

using namespace lumora;

namespace {

bool isCSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int hexDigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Blanks, an optional sign, an optional 0x/0X before a digit, then digits up
// to the first other byte. No digit: no value. A magnitude above 32 bits: no
// value. A minus sign negates modulo 2^32. The text ends at its first NUL, as
// the C library sees it.
std::optional<std::uint32_t> referenceHotkey(const std::string& text) {
    const std::string c(text.c_str());
    std::size_t i = 0;
    while (i < c.size() && isCSpace(static_cast<unsigned char>(c[i]))) ++i;
    bool negative = false;
    if (i < c.size() && (c[i] == '+' || c[i] == '-')) negative = c[i++] == '-';
    // "0x" counts as a prefix only when a hex digit follows; otherwise the 0
    // is the number and reading stops at the x.
    if (i + 2 < c.size() && c[i] == '0' && (c[i + 1] == 'x' || c[i + 1] == 'X') &&
        hexDigitValue(static_cast<unsigned char>(c[i + 2])) >= 0)
        i += 2;
    std::uint64_t magnitude = 0;
    bool anyDigit = false;
    for (; i < c.size(); ++i) {
        const int digit = hexDigitValue(static_cast<unsigned char>(c[i]));
        if (digit < 0) break;
        anyDigit = true;
        magnitude = magnitude * 16 + static_cast<std::uint64_t>(digit);
        if (magnitude > 0xFFFFFFFFull) return std::nullopt;
    }
    if (!anyDigit) return std::nullopt;
    const auto value = static_cast<std::uint32_t>(magnitude);
    return negative ? static_cast<std::uint32_t>(0u - value) : value;
}

std::string shown(const std::optional<std::uint32_t>& value) {
    if (!value) return "none";
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", *value);
    return buffer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto expected = referenceHotkey(text);
    const auto actual = parseHotkeyText(text);
    if (expected != actual) {
        std::fprintf(stderr, "hotkey text of %zu bytes: expected %s, converted %s\n", size, shown(expected).c_str(),
                     shown(actual).c_str());
        std::abort();
    }
    return 0;
}
