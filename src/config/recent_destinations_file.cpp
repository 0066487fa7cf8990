#include "config/recent_destinations_file.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "config/file_handle.h"
#include "win/windows_api.h"

namespace lumora {

namespace {

constexpr std::size_t kMostIdDigits = 8;

// Tab separates the fields; every other byte below 0x20, and DEL, would
// reach the game's message box as it stands.
bool isControlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool holdsNoControlByte(std::string_view text) { return std::none_of(text.begin(), text.end(), isControlByte); }

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Plain hex digits only: no sign, no prefix, no blanks.
bool parseFormId(std::string_view text, std::uint32_t& formId) {
    if (text.empty() || text.size() > kMostIdDigits) return false;
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0) return false;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    formId = value;
    return value != 0;
}

// One body line without its line end.
bool parseBodyLine(std::string_view line, RecentDestination& destination) {
    const std::size_t firstTab = line.find('\t');
    if (firstTab == std::string_view::npos) return false;
    const std::size_t secondTab = line.find('\t', firstTab + 1);
    if (secondTab == std::string_view::npos) return false;
    const std::string_view name = line.substr(firstTab + 1, secondTab - firstTab - 1);
    const std::string_view text = line.substr(secondTab + 1);
    if (name.empty() || text.empty()) return false;
    // A third tab lands in the text, where the control-byte test refuses it.
    if (!holdsNoControlByte(name) || !holdsNoControlByte(text)) return false;
    if (!parseFormId(line.substr(0, firstTab), destination.formId)) return false;
    destination.name = std::string(name);
    destination.lineText = std::string(text);
    return true;
}

// The next line and its length with the line end; CR LF and LF both end one.
struct LineCut {
    std::string_view text;
    std::size_t taken = 0;
};

LineCut cutLine(std::string_view bytes) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) return {bytes, bytes.size()};
    std::string_view text = bytes.substr(0, end);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    return {text, end + 1};
}

std::string formatBodyLine(const RecentDestination& destination) {
    std::array<char, kMostIdDigits + 1> id{};
    std::snprintf(id.data(), id.size(), "%08X", static_cast<unsigned>(destination.formId));
    return std::string(id.data()) + "\t" + destination.name + "\t" + destination.lineText + "\r\n";
}

bool isListed(const std::vector<RecentDestination>& destinations, std::uint32_t formId) {
    return std::any_of(destinations.begin(), destinations.end(),
                       [&](const RecentDestination& d) { return d.formId == formId; });
}

bool writeAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE &&
           written == bytes.size();
}

RecentFileWrite writeTemporaryFile(const std::string& bytes) {
    FileHandle file(CreateFileA(kRecentTemporaryPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.valid()) return RecentFileWrite::NotCreated;
    if (!writeAll(file.get(), bytes)) return RecentFileWrite::NotWritten;
    if (FlushFileBuffers(file.get()) == FALSE) return RecentFileWrite::NotFlushed;
    if (!file.close()) return RecentFileWrite::NotWritten;
    return RecentFileWrite::Written;
}

}  // namespace

std::vector<RecentDestination> parseRecentDestinations(std::string_view bytes) {
    std::vector<RecentDestination> destinations;
    const LineCut first = cutLine(bytes);
    if (first.text != kRecentFormatLine) return destinations;
    bytes.remove_prefix(first.taken);
    while (!bytes.empty() && destinations.size() < kMostRecentDestinations) {
        const LineCut line = cutLine(bytes);
        bytes.remove_prefix(line.taken);
        if (line.taken > kMostRecentLineBytes) continue;
        RecentDestination destination;
        if (!parseBodyLine(line.text, destination) || isListed(destinations, destination.formId)) continue;
        destinations.push_back(std::move(destination));
    }
    return destinations;
}

std::string formatRecentDestinations(std::span<const RecentDestination> destinations) {
    std::string bytes = std::string(kRecentFormatLine) + "\r\n";
    std::vector<RecentDestination> written;
    for (const RecentDestination& destination : destinations) {
        if (written.size() == kMostRecentDestinations) break;
        const std::string line = formatBodyLine(destination);
        RecentDestination readBack;
        // Only what the reader takes back: the file never holds a line that
        // would be thrown away, nor one that would hide a later good one.
        if (line.size() > kMostRecentLineBytes ||
            !parseBodyLine(std::string_view(line).substr(0, line.size() - 2), readBack) ||
            isListed(written, destination.formId))
            continue;
        bytes += line;
        written.push_back(destination);
    }
    return bytes;
}

bool recentFileReplaceable(RecentFileState state) {
    return state == RecentFileState::Read || state == RecentFileState::Absent;
}

const char* recentFileKeptReason(RecentFileState state) {
    switch (state) {
        case RecentFileState::Read:
        case RecentFileState::Absent: return "";
        case RecentFileState::NotOpened: return "it could not be opened";
        case RecentFileState::NotRead: return "it could not be read";
        case RecentFileState::TooLarge: return "it is larger than 16 KiB";
        case RecentFileState::OtherHeader: return "its first line is not this version's";
    }
    return "";
}

RecentFileRead readRecentDestinationsFile() {
    RecentFileRead found;
    FileHandle file(CreateFileA(kRecentFilePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        found.error = GetLastError();
        const bool absent = found.error == ERROR_FILE_NOT_FOUND || found.error == ERROR_PATH_NOT_FOUND;
        found.state = absent ? RecentFileState::Absent : RecentFileState::NotOpened;
        return found;
    }
    // One byte more than a file may hold tells a file that is too large.
    std::string bytes(kMostRecentFileBytes + 1, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD read = 0;
        if (ReadFile(file.get(), bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &read, nullptr) ==
            FALSE) {
            found.error = GetLastError();
            found.state = RecentFileState::NotRead;
            return found;
        }
        if (read == 0) break;
        filled += read;
    }
    if (filled > kMostRecentFileBytes) {
        found.state = RecentFileState::TooLarge;
        return found;
    }
    bytes.resize(filled);
    if (cutLine(bytes).text != kRecentFormatLine) {
        found.state = RecentFileState::OtherHeader;
        return found;
    }
    found.bodies = parseRecentDestinations(bytes);
    found.state = RecentFileState::Read;
    return found;
}

RecentFileWrite writeRecentDestinationsFile(std::span<const RecentDestination> destinations) {
    const RecentFileWrite written = writeTemporaryFile(formatRecentDestinations(destinations));
    if (written == RecentFileWrite::Written &&
        MoveFileExA(kRecentTemporaryPath, kRecentFilePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE)
        return RecentFileWrite::Written;
    // A temporary file left behind is never read, and the next write
    // replaces it, so a failed delete is of no consequence.
    if (written != RecentFileWrite::NotCreated) DeleteFileA(kRecentTemporaryPath);
    return written == RecentFileWrite::Written ? RecentFileWrite::NotMoved : written;
}

}  // namespace lumora
