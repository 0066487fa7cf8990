// GetPrivateProfileStringA and WritePrivateProfileStringA for the native
// build: the simulated game's `ini` command writes with them, as the Windows
// game writes with the real ones, and the probe table checks them against a
// recording of those. (The plugin reads and writes its own files itself,
// src/config/profile_text.h.) Reading follows the real functions' parsing (blanks trimmed around
// keys and values, one pair of matching quotes removed, first match wins);
// writing edits the file in place, so every line it does not set keeps its
// bytes, its line end included. New lines end in CR LF.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system_code.h"
#include "win32_layer.h"

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kNewLineEnd = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Windows paths of the plugin use "\"; natively they are relative to the
// current directory with "/" instead.
std::string toNativePath(const char* path) {
    std::string native(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Nothing for a file that cannot be opened or read (a directory, for one);
// `absent` tells whether it simply is not there.
std::optional<std::string> readFileBytes(const std::string& path, bool* absent = nullptr) {
    errno = 0;
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (absent != nullptr) *absent = !file && errno == ENOENT;
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.append(chunk, count);
    if (std::ferror(file.get())) return std::nullopt;
    return bytes;
}

bool writeFileBytes(const std::string& path, const std::string& bytes) {
    FileHandle file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    return std::fclose(file.release()) == 0 && written;
}

enum class LineKind { Blank, Section, Entry };

// One line of the file: [begin, contentEnd) is its text, [contentEnd, end) its line end.
struct ProfileLine {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;
    LineKind kind = LineKind::Blank;
    std::string_view name;                  // section name or key, trimmed
    std::optional<std::string_view> value;  // entry value, trimmed; none without "="
};

struct ParsedProfile {
    std::size_t bodyBegin = 0;  // after a UTF-8 byte-order mark
    std::vector<ProfileLine> lines;
};

ProfileLine classifyLine(std::string_view bytes, std::size_t begin, std::size_t contentEnd, std::size_t end) {
    ProfileLine line;
    line.begin = begin;
    line.contentEnd = contentEnd;
    line.end = end;
    const std::string_view text = trimmed(bytes.substr(begin, contentEnd - begin));
    if (text.empty()) return line;
    if (text.front() == '[') {
        line.kind = LineKind::Section;
        const std::size_t close = text.find(']');
        line.name = trimmed(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        return line;
    }
    line.kind = LineKind::Entry;
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        line.name = text;
        return line;
    }
    line.name = trimmed(text.substr(0, equals));
    line.value = trimmed(text.substr(equals + 1));
    return line;
}

ParsedProfile parseProfile(std::string_view bytes) {
    ParsedProfile profile;
    if (bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        profile.bodyBegin = kUtf8ByteOrderMark.size();
    }
    std::size_t begin = profile.bodyBegin;
    while (begin < bytes.size()) {
        const std::size_t newline = bytes.find('\n', begin);
        const std::size_t end = newline == std::string_view::npos ? bytes.size() : newline + 1;
        std::size_t contentEnd = newline == std::string_view::npos ? bytes.size() : newline;
        if (contentEnd > begin && bytes[contentEnd - 1] == '\r') --contentEnd;
        profile.lines.push_back(classifyLine(bytes, begin, contentEnd, end));
        begin = end;
    }
    return profile;
}

// Lines [first, last) of the first section with the name; the unnamed section
// is the part in front of the first section line.
struct SectionRange {
    std::size_t header = 0;  // index of the section line; unused for the unnamed section
    std::size_t first = 0;
    std::size_t last = 0;
};

std::optional<SectionRange> findSection(const ParsedProfile& profile, std::string_view name) {
    const auto& lines = profile.lines;
    std::size_t start = 0;
    if (name.empty()) {
        start = 0;
    } else {
        std::size_t index = 0;
        while (index < lines.size() &&
               !(lines[index].kind == LineKind::Section && equalsIgnoringCase(lines[index].name, name))) {
            ++index;
        }
        if (index == lines.size()) return std::nullopt;
        start = index + 1;
    }
    std::size_t stop = start;
    while (stop < lines.size() && lines[stop].kind != LineKind::Section) ++stop;
    if (name.empty() && stop == 0) return std::nullopt;
    return SectionRange{start == 0 ? 0 : start - 1, start, stop};
}

std::optional<std::size_t> findKey(const ParsedProfile& profile, const SectionRange& section, std::string_view key) {
    for (std::size_t i = section.first; i < section.last; ++i) {
        const ProfileLine& line = profile.lines[i];
        if (line.kind == LineKind::Entry && equalsIgnoringCase(line.name, key)) return i;
    }
    return std::nullopt;
}

std::string_view withoutMatchingQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

DWORD copyCut(std::string_view text, LPSTR buffer, DWORD size) {
    const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    if (count != 0) std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

std::string entryLine(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    while (!value.empty() && isBlank(value.front())) value.remove_prefix(1);
    line += value;
    return line;
}

// What text put behind the line needs first to start a line of its own. Only
// LF ends a line for the reader, so a last line that ends in a lone CR needs
// the LF, or the new text would run on in that line and be lost in it.
std::string_view missingLineEnd(std::string_view bytes, const ProfileLine& line) {
    if (line.end > line.begin && bytes[line.end - 1] == '\n') return {};
    return line.contentEnd == line.end ? kNewLineEnd : std::string_view("\n");
}

// Position behind the line, completing the line end of a last line first.
std::size_t endOfLineAddingLineEnd(std::string& bytes, const ProfileLine& line) {
    const std::string_view missing = missingLineEnd(bytes, line);
    bytes.insert(line.end, missing);
    return line.end + missing.size();
}

std::string withEntrySet(const std::string& original, std::string_view section, std::string_view key,
                         std::string_view value) {
    std::string bytes = original;
    const ParsedProfile profile = parseProfile(original);
    const std::string newLine = entryLine(key, value) + std::string(kNewLineEnd);

    const auto range = findSection(profile, section);
    if (!range) {
        if (section.empty()) {
            bytes.insert(profile.bodyBegin, newLine);
            return bytes;
        }
        if (!profile.lines.empty()) bytes += missingLineEnd(original, profile.lines.back());
        bytes += "[" + std::string(section) + "]" + std::string(kNewLineEnd) + newLine;
        return bytes;
    }

    if (const auto index = findKey(profile, *range, key)) {
        const ProfileLine& line = profile.lines[*index];
        bytes.replace(line.begin, line.contentEnd - line.begin, entryLine(line.name, value));
        return bytes;
    }

    // Behind the section's last non-blank line, so blank lines that part it
    // from the next section stay where they are.
    std::size_t anchor = range->last;
    while (anchor > range->first && profile.lines[anchor - 1].kind == LineKind::Blank) --anchor;
    if (anchor > range->first || !section.empty()) {
        const ProfileLine& before = profile.lines[anchor > range->first ? anchor - 1 : range->header];
        bytes.insert(endOfLineAddingLineEnd(bytes, before), newLine);
    } else {
        bytes.insert(profile.bodyBegin, newLine);
    }
    return bytes;
}

DWORD readProfileValue(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size, LPCSTR path) {
    // Listing sections or keys (a null section or key) is not provided.
    if (section == nullptr || key == nullptr || path == nullptr) {
        buffer[0] = '\0';
        return 0;
    }
    // The default loses trailing blanks and a pair of quotes, like a value.
    std::string_view fallback = defaultValue == nullptr ? std::string_view() : std::string_view(defaultValue);
    while (!fallback.empty() && isBlank(fallback.back())) fallback.remove_suffix(1);
    fallback = withoutMatchingQuotes(fallback);
    const auto bytes = readFileBytes(toNativePath(path));
    if (!bytes) return copyCut(fallback, buffer, size);

    const ParsedProfile profile = parseProfile(*bytes);
    const auto range = findSection(profile, trimmed(section));
    if (!range) return copyCut(fallback, buffer, size);
    const auto index = findKey(profile, *range, trimmed(key));
    if (!index || !profile.lines[*index].value) return copyCut(fallback, buffer, size);
    return copyCut(withoutMatchingQuotes(*profile.lines[*index].value), buffer, size);
}

BOOL writeProfileValue(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR path) {
    // Deleting a key or a section (a null key or value) is not provided.
    if (section == nullptr || key == nullptr || value == nullptr || path == nullptr) return FALSE;
    const std::string nativePath = toNativePath(path);
    bool absent = false;
    const auto original = readFileBytes(nativePath, &absent);
    // A file that is there but cannot be read is left alone rather than
    // replaced by one holding only this key.
    if (!original && !absent) return FALSE;
    const std::string updated = withEntrySet(original.value_or(std::string()), trimmed(section), trimmed(key), value);
    return writeFileBytes(nativePath, updated) ? TRUE : FALSE;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size, LPCSTR path) {
    win32layer::detail::SystemCodeScope systemCode;
    if (buffer == nullptr || size == 0) return 0;
    try {
        return readProfileValue(section, key, defaultValue, buffer, size, path);
    } catch (...) {  // out of memory: a C interface throws nothing
        buffer[0] = '\0';
        return 0;
    }
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR path) {
    win32layer::detail::SystemCodeScope systemCode;
    try {
        return writeProfileValue(section, key, value, path);
    } catch (...) {
        return FALSE;
    }
}
