#include "config/hotkey_conversion.h"

#include <cctype>
#include <stdexcept>

namespace lumora {

namespace {

bool startsWithMinus(std::string_view text) {
    for (unsigned char c : text) {
        if (std::isspace(c)) continue;
        return c == '-';
    }
    return false;
}

}  // namespace

std::optional<std::uint32_t> parseHotkeyText(std::string_view text) {
    constexpr unsigned long kLargest32 = 0xFFFFFFFFul;
    try {
        const unsigned long converted = std::stoul(std::string(text), nullptr, 16);
        // A minus sign arrives as the wrapped value; its magnitude must fit
        // in 32 bits like any other number, and it wraps modulo 2^32.
        const unsigned long magnitude = startsWithMinus(text) ? 0ul - converted : converted;
        if (magnitude > kLargest32) return std::nullopt;
        return static_cast<std::uint32_t>(converted);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    } catch (const std::out_of_range&) {
        return std::nullopt;
    }
}

}  // namespace lumora
