#include "process_mappings.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace win32layer::detail {

namespace {

bool parseHex(const std::string& text, std::size_t& pos, char terminator, std::uintptr_t& value) {
    const std::size_t start = pos;
    value = 0;
    while (pos < text.size() && text[pos] != terminator) {
        const char c = text[pos];
        unsigned digit;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
        else return false;
        if (value >> 60) return false;
        value = (value << 4) | digit;
        ++pos;
    }
    return pos > start && pos < text.size();
}

void skipField(const std::string& text, std::size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    while (pos < text.size() && text[pos] != ' ') ++pos;
}

}  // namespace

std::optional<ProcessMapping> parseMappingLine(const std::string& line) {
    ProcessMapping mapping{};
    std::size_t pos = 0;
    if (!parseHex(line, pos, '-', mapping.begin)) return std::nullopt;
    ++pos;
    if (!parseHex(line, pos, ' ', mapping.end)) return std::nullopt;
    ++pos;
    if (mapping.end <= mapping.begin || pos + 4 > line.size()) return std::nullopt;
    mapping.readable = line[pos] == 'r';
    mapping.writable = line[pos + 1] == 'w';
    mapping.executable = line[pos + 2] == 'x';
    pos += 4;
    skipField(line, pos);  // offset
    skipField(line, pos);  // device
    skipField(line, pos);  // inode
    while (pos < line.size() && line[pos] == ' ') ++pos;
    mapping.path = line.substr(pos);
    return mapping;
}

std::vector<ProcessMapping> readProcessMappings() {
    std::vector<ProcessMapping> mappings;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (auto mapping = parseMappingLine(line)) mappings.push_back(std::move(*mapping));
    }
    std::sort(mappings.begin(), mappings.end(),
              [](const ProcessMapping& a, const ProcessMapping& b) { return a.begin < b.begin; });
    return mappings;
}

}  // namespace win32layer::detail
