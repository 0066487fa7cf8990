#include "key_names.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace demo {
namespace {

struct NamedKey {
    std::string_view name;
    int code;
};

constexpr std::array kNamedKeys{
    NamedKey{"TAB", 0x09},    NamedKey{"ENTER", 0x0D}, NamedKey{"ESC", 0x1B},
    NamedKey{"ESCAPE", 0x1B}, NamedKey{"SPACE", 0x20},
};

std::string upperCased(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::optional<int> parseNumber(std::string_view digits, int base) {
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<int> parseKeyName(std::string_view name) {
    const std::string upper = upperCased(name);
    if (upper.size() == 1) {
        const char c = upper[0];
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;  // VK codes equal the characters
        return std::nullopt;
    }
    for (const auto& key : kNamedKeys)
        if (upper == key.name) return key.code;
    if (upper.starts_with("NUM") && upper.size() == 4 && upper[3] >= '0' && upper[3] <= '9')
        return 0x60 + (upper[3] - '0');
    if (upper.starts_with("F") && upper.size() <= 3) {
        if (auto n = parseNumber(std::string_view(upper).substr(1), 10); n && *n >= 1 && *n <= 12) return 0x6F + *n;
    }
    if (upper.starts_with("0X")) {
        if (auto code = parseNumber(std::string_view(upper).substr(2), 16); code && *code > 0 && *code < 0x100)
            return code;
    }
    return std::nullopt;
}

std::string keyName(int virtualKey) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return std::string(1, static_cast<char>(virtualKey));
    if (virtualKey >= 0x60 && virtualKey <= 0x69) return "NUM" + std::to_string(virtualKey - 0x60);
    if (virtualKey >= 0x70 && virtualKey <= 0x7B) return "F" + std::to_string(virtualKey - 0x6F);
    for (const auto& key : kNamedKeys)
        if (key.code == virtualKey) return std::string(key.name);
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(virtualKey & 0xFF));
    return hex;
}

}  // namespace demo
