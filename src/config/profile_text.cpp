#include "config/profile_text.h"

#include <cstdint>
#include <vector>

namespace lumora {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeByteOrderMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeByteOrderMark = "\xFE\xFF";
constexpr std::string_view kNewLineEnd = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

std::string_view withoutMatchingQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// ---- UTF-16 files: read as UTF-8, written back in their own encoding ----

enum class Encoding { Bytes, Utf16Le, Utf16Be };

Encoding encodingOf(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeByteOrderMark)) return Encoding::Utf16Le;
    if (bytes.starts_with(kUtf16BeByteOrderMark)) return Encoding::Utf16Be;
    return Encoding::Bytes;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The UTF-8 text of UTF-16 bytes behind their byte-order mark; nullopt for an
// odd length or a surrogate without its partner.
std::optional<std::string> decodeUtf16(std::string_view bytes, Encoding encoding) {
    bytes.remove_prefix(2);
    if (bytes.size() % 2 != 0) return std::nullopt;
    auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<std::uint32_t>(encoding == Encoding::Utf16Le ? first | (second << 8)
                                                                        : (first << 8) | second);
    };
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const std::uint32_t unit = unitAt(i);
        if (unit >= 0xDC00 && unit <= 0xDFFF) return std::nullopt;
        if (unit < 0xD800 || unit > 0xDBFF) {
            appendUtf8(text, unit);
            continue;
        }
        if (i + 2 >= bytes.size()) return std::nullopt;
        const std::uint32_t low = unitAt(i + 2);
        if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
        appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
    }
    return text;
}

// Bytes of the sequence a UTF-8 lead byte starts; 0 for a byte that starts none.
std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// UTF-16 bytes with their byte-order mark for well-formed UTF-8 text; nullopt
// for anything else (bytes of a value written into such a file, say).
std::optional<std::string> encodeUtf16(std::string_view text, Encoding encoding) {
    std::string bytes(encoding == Encoding::Utf16Le ? kUtf16LeByteOrderMark : kUtf16BeByteOrderMark);
    auto appendUnit = [&](std::uint32_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += encoding == Encoding::Utf16Le ? low : high;
        bytes += encoding == Encoding::Utf16Le ? high : low;
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8SequenceLength(lead);
        if (length == 0 || i + length > text.size()) return std::nullopt;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
        if (code < 0x10000) {
            appendUnit(code);
        } else {
            appendUnit(0xD800 + ((code - 0x10000) >> 10));
            appendUnit(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
        i += length;
    }
    return bytes;
}

// ---- lines, sections and keys ----

enum class LineKind { Blank, Section, Entry };

// One line of the text: [begin, contentEnd) is its text, [contentEnd, end) its line end.
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

ProfileLine classifyLine(std::string_view text, std::size_t begin, std::size_t contentEnd, std::size_t end) {
    ProfileLine line;
    line.begin = begin;
    line.contentEnd = contentEnd;
    line.end = end;
    const std::string_view content = trimmed(text.substr(begin, contentEnd - begin));
    if (content.empty()) return line;
    if (content.front() == '[') {
        line.kind = LineKind::Section;
        const std::size_t close = content.find(']');
        line.name = trimmed(content.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        return line;
    }
    line.kind = LineKind::Entry;
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        line.name = content;
        return line;
    }
    line.name = trimmed(content.substr(0, equals));
    line.value = trimmed(content.substr(equals + 1));
    return line;
}

// Only LF ends a line; a CR in front of it belongs to the line end.
ParsedProfile parseProfile(std::string_view text) {
    ParsedProfile profile;
    if (text.starts_with(kUtf8ByteOrderMark)) profile.bodyBegin = kUtf8ByteOrderMark.size();
    for (std::size_t begin = profile.bodyBegin; begin < text.size();) {
        const std::size_t newline = text.find('\n', begin);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
        std::size_t contentEnd = newline == std::string_view::npos ? text.size() : newline;
        if (contentEnd > begin && text[contentEnd - 1] == '\r') --contentEnd;
        profile.lines.push_back(classifyLine(text, begin, contentEnd, end));
        begin = end;
    }
    return profile;
}

// Lines [first, last) of the first section of the name; the unnamed section
// is the part in front of the first section line.
struct SectionRange {
    std::size_t header = 0;  // index of the section line; unused for the unnamed section
    std::size_t first = 0;
    std::size_t last = 0;
};

std::optional<SectionRange> findSection(const ParsedProfile& profile, std::string_view name) {
    const auto& lines = profile.lines;
    std::size_t start = 0;
    if (!name.empty()) {
        std::size_t index = 0;
        while (index < lines.size() &&
               !(lines[index].kind == LineKind::Section && equalsIgnoringCase(lines[index].name, name)))
            ++index;
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

std::string entryLine(std::string_view key, std::string_view value) {
    while (!value.empty() && isBlank(value.front())) value.remove_prefix(1);
    std::string line(key);
    line += '=';
    line += value;
    return line;
}

// What text put behind the line needs first to start a line of its own: a
// last line without line end gets CR LF, one that ends in a lone CR the LF.
std::string_view missingLineEnd(std::string_view text, const ProfileLine& line) {
    if (line.end > line.begin && text[line.end - 1] == '\n') return {};
    return line.contentEnd == line.end ? kNewLineEnd : std::string_view("\n");
}

std::string withEntrySet(std::string_view original, std::string_view section, std::string_view key,
                         std::string_view value) {
    std::string text(original);
    const ParsedProfile profile = parseProfile(original);
    const std::string newLine = entryLine(key, value) + std::string(kNewLineEnd);

    const auto range = findSection(profile, section);
    if (!range) {
        if (section.empty()) return text.insert(profile.bodyBegin, newLine);
        if (!profile.lines.empty()) text += missingLineEnd(original, profile.lines.back());
        return text + "[" + std::string(section) + "]" + std::string(kNewLineEnd) + newLine;
    }
    if (const auto index = findKey(profile, *range, key)) {
        const ProfileLine& line = profile.lines[*index];
        return text.replace(line.begin, line.contentEnd - line.begin, entryLine(line.name, value));
    }
    // Behind the section's last line that is not blank, so that blank lines
    // parting it from the next section stay where they are.
    std::size_t anchor = range->last;
    while (anchor > range->first && profile.lines[anchor - 1].kind == LineKind::Blank) --anchor;
    if (anchor == range->first && section.empty()) return text.insert(profile.bodyBegin, newLine);
    const ProfileLine& before = profile.lines[anchor > range->first ? anchor - 1 : range->header];
    const std::string_view missing = missingLineEnd(original, before);
    return text.insert(before.end, std::string(missing) + newLine);
}

}  // namespace

std::optional<std::string> findProfileValue(std::string_view fileBytes, std::string_view section,
                                            std::string_view key) {
    const Encoding encoding = encodingOf(fileBytes);
    std::optional<std::string> decoded;
    if (encoding != Encoding::Bytes) {
        decoded = decodeUtf16(fileBytes, encoding);
        if (!decoded) return std::nullopt;
    }
    const std::string_view text = decoded ? std::string_view(*decoded) : fileBytes;
    const ParsedProfile profile = parseProfile(text);
    const auto range = findSection(profile, trimmed(section));
    if (!range) return std::nullopt;
    const auto index = findKey(profile, *range, trimmed(key));
    if (!index || !profile.lines[*index].value) return std::nullopt;
    return std::string(withoutMatchingQuotes(*profile.lines[*index].value));
}

std::optional<std::string> withProfileValue(std::string_view fileBytes, std::string_view section, std::string_view key,
                                            std::string_view value) {
    const Encoding encoding = encodingOf(fileBytes);
    if (encoding == Encoding::Bytes) return withEntrySet(fileBytes, trimmed(section), trimmed(key), value);
    // Edited as UTF-8 and encoded again: only when that gives back every
    // byte the file had does the edit leave the rest of the file alone.
    const auto text = decodeUtf16(fileBytes, encoding);
    if (!text || encodeUtf16(*text, encoding) != fileBytes) return std::nullopt;
    return encodeUtf16(withEntrySet(*text, trimmed(section), trimmed(key), value), encoding);
}

}  // namespace lumora
