// Any bytes as the file of recent destinations: the reader must take exactly
// the lines a plain reading of the format accepts, never more than ten; what
// it took must write back to a file that reads back the same; and the file
// read from the game's folder must give the same list, or none when the file
// is larger than 16 KiB.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "config/recent_destinations_file.h"

using namespace lumora;

namespace {

[[noreturn]] void fail(const char* what, std::size_t size) {
    std::fprintf(stderr, "recent destinations file of %zu bytes: %s\n", size, what);
    std::abort();
}

bool plainText(const std::string& text) {
    if (text.empty()) return false;
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

bool plainId(const std::string& text, std::uint32_t& id) {
    if (text.empty() || text.size() > 8) return false;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    id = static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
    return id != 0;
}

// Lines end at LF, a CR before it is part of the line end; the first line
// names the format, every other line is "id TAB name TAB text".
std::vector<RecentDestination> referenceList(const std::string& bytes) {
    std::vector<std::string> lines;
    std::vector<std::size_t> lengths;  // with the line end
    for (std::size_t from = 0; from < bytes.size();) {
        std::size_t end = bytes.find('\n', from);
        const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        std::string line = bytes.substr(from, (end == std::string::npos ? bytes.size() : end) - from);
        if (end != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        lengths.push_back(next - from);
        from = next;
    }
    std::vector<RecentDestination> list;
    if (lines.empty() || lines[0] != "LumoraSearchEngine recent destinations 1") return list;
    std::set<std::uint32_t> seen;
    for (std::size_t i = 1; i < lines.size() && list.size() < 10; ++i) {
        if (lengths[i] > 1024) continue;
        const std::string& line = lines[i];
        const std::size_t a = line.find('\t');
        const std::size_t b = a == std::string::npos ? a : line.find('\t', a + 1);
        if (b == std::string::npos || line.find('\t', b + 1) != std::string::npos) continue;
        RecentDestination d;
        d.name = line.substr(a + 1, b - a - 1);
        d.lineText = line.substr(b + 1);
        if (!plainId(line.substr(0, a), d.formId) || !plainText(d.name) || !plainText(d.lineText)) continue;
        if (!seen.insert(d.formId).second) continue;
        list.push_back(d);
    }
    return list;
}

bool sameList(const std::vector<RecentDestination>& a, const std::vector<RecentDestination>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].formId != b[i].formId || a[i].name != b[i].name || a[i].lineText != b[i].lineText) return false;
    return true;
}

// The reader's file lives below the current folder: one of this process's own.
void enterGameFolder() {
    static const bool entered = [] {
        const auto folder = std::filesystem::temp_directory_path() / ("fuzz_recent_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder / "Data" / "Obrix" / "Plugins");
        std::filesystem::current_path(folder);
        return true;
    }();
    (void)entered;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    enterGameFolder();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<RecentDestination> list = parseRecentDestinations(bytes);
    if (!sameList(list, referenceList(bytes))) fail("the reader differs from the plain reading", size);

    const std::string written = formatRecentDestinations(list);
    if (written.size() > kMostRecentFileBytes) fail("the written list is larger than the reader takes", size);
    if (!sameList(parseRecentDestinations(written), list)) fail("the written list reads back differently", size);

    {
        std::ofstream out("Data/Obrix/Plugins/LumoraSearchEngineRecent.txt", std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    const std::vector<RecentDestination> fromFile = readRecentDestinationsFile().bodies;
    const std::vector<RecentDestination> expected =
        size > kMostRecentFileBytes ? std::vector<RecentDestination>{} : list;
    if (!sameList(fromFile, expected)) fail("the file read differs from the bytes read", size);
    return 0;
}
