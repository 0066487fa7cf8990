#include "config/profile_strings.h"

#include <algorithm>
#include <system_error>

#include "config/file_handle.h"
#include "config/profile_path.h"
#include "config/profile_text.h"
#include "win/windows_api.h"

namespace lumora {

namespace {

// The part of a value that the profile functions' 10000-byte buffer held.
constexpr std::size_t kMostValueBytes = 9999;
constexpr DWORD kReadChunkBytes = 64 * 1024;

bool pathExists(const std::string& path) {
    const auto fileSystemPath = toFileSystemPath(path);
    if (!fileSystemPath) return false;
    // Not found, a bad path or name, and failures of the test itself all
    // leave the file unusable: answer absent rather than throw.
    std::error_code error;
    const bool exists = std::filesystem::exists(*fileSystemPath, error);
    return exists && !error;
}

enum class FileState { Read, Absent, Unreadable };

struct FileBytes {
    FileState state = FileState::Unreadable;
    std::string bytes;
};

// The whole file. Absent only when the system says the file or its folder is
// not there; anything else that keeps it from being read (a folder of that
// name, a file another program locks) leaves it unreadable.
FileBytes readWholeFile(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        const bool absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return {absent ? FileState::Absent : FileState::Unreadable, {}};
    }
    FileBytes result{FileState::Read, {}};
    std::string chunk(kReadChunkBytes, '\0');
    for (;;) {
        DWORD read = 0;
        if (ReadFile(file.get(), chunk.data(), kReadChunkBytes, &read, nullptr) == FALSE) return {};
        if (read == 0) return result;
        result.bytes.append(chunk, 0, read);
    }
}

std::string temporaryPathFor(const std::string& path) {
    constexpr std::string_view kExtension = ".ini";
    if (path.size() > kExtension.size() && path.ends_with(kExtension))
        return path.substr(0, path.size() - kExtension.size()) + ".tmp";
    return path + ".tmp";
}

// Written whole beside the file, flushed, then moved over it; after a
// failure the temporary file is deleted and the file is as it was.
bool replaceWholeFile(const std::string& path, const std::string& bytes) {
    const std::string temporary = temporaryPathFor(path);
    bool written = false;
    {
        FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!file.valid()) return false;
        DWORD count = 0;
        written = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) != FALSE &&
                  count == bytes.size() && FlushFileBuffers(file.get()) != FALSE;
        written = file.close() && written;
    }
    if (written &&
        MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE)
        return true;
    DeleteFileA(temporary.c_str());
    return false;
}

std::string asSeenThroughTheBuffer(std::string value) {
    value.resize(std::min(value.find('\0'), std::min(value.size(), kMostValueBytes)));
    return value;
}

}  // namespace

std::optional<std::string> readProfileValueAt(const std::string& path, const std::string& section,
                                              const std::string& key) {
    const FileBytes file = readWholeFile(path);
    if (file.state != FileState::Read) return std::nullopt;
    return findProfileValue(file.bytes, section, key);
}

bool writeProfileValueAt(const std::string& path, const std::string& section, const std::string& key,
                         const std::string& value) {
    const FileBytes file = readWholeFile(path);
    // A file that is there but cannot be read is never replaced by one
    // holding this key alone.
    if (file.state == FileState::Unreadable) return false;
    const auto edited = withProfileValue(file.bytes, section, key, value);
    if (!edited) return false;
    if (file.state == FileState::Read && *edited == file.bytes) return true;
    return replaceWholeFile(path, *edited);
}

bool profileFileExists(std::string baseName, std::string folder) {
    if (baseName.empty()) return false;
    return pathExists(buildProfilePath(baseName, folder));
}

std::string readProfileString(std::string baseName, std::string section, std::string key, std::string folder) {
    if (baseName.empty() || section.empty() || key.empty()) return {};
    const std::string path = buildProfilePath(baseName, folder);
    if (!copyIntoPathBuffer(path) || !pathExists(path)) return {};
    return asSeenThroughTheBuffer(readProfileValueAt(path, section, key).value_or(""));
}

bool writeProfileString(std::string baseName, std::string section, std::string key, std::string value,
                        std::string folder) {
    if (baseName.empty() || section.empty() || key.empty()) return false;
    const std::string path = buildProfilePath(baseName, folder);
    if (!copyIntoPathBuffer(path)) return false;
    writeProfileValueAt(path, section, key, value);
    if (!pathExists(path)) return false;
    const auto readBack = readProfileValueAt(path, section, key);
    return asSeenThroughTheBuffer(readBack.value_or(value)) == value;
}

}  // namespace lumora
