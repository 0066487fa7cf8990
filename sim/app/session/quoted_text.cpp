#include "quoted_text.h"

namespace demo {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::string> readQuoted(std::string_view line, std::size_t& pos) {
    if (pos >= line.size() || line[pos] != '"') return std::nullopt;
    std::string text;
    for (std::size_t i = pos + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            pos = i + 1;
            return text;
        }
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i >= line.size()) return std::nullopt;
        switch (line[i]) {
            case 'n': text += '\n'; break;
            case 't': text += '\t'; break;
            case '"': text += '"'; break;
            case '\\': text += '\\'; break;
            case 'x': {
                if (i + 2 >= line.size()) return std::nullopt;
                const int high = hexValue(line[i + 1]);
                const int low = hexValue(line[i + 2]);
                if (high < 0 || low < 0) return std::nullopt;
                text += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default: return std::nullopt;
        }
    }
    return std::nullopt;  // no closing quote
}

std::vector<std::string> quotedFields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t pos = 0;
    while ((pos = line.find('"', pos)) != std::string_view::npos) {
        auto text = readQuoted(line, pos);
        if (!text) return {};
        fields.push_back(std::move(*text));
    }
    return fields;
}

}  // namespace demo
