#include "config/profile_path.h"

#include <algorithm>
#include <cstring>

#include "win/windows_api.h"

namespace lumora {

std::string buildProfilePath(std::string_view baseName, std::string_view folder) {
    std::string path(folder.empty() ? std::string_view(kDefaultProfileFolder) : folder);
    path += baseName;
    path += ".ini";
    return path;
}

std::optional<ProfilePathBuffer> copyIntoPathBuffer(std::string_view path) {
    ProfilePathBuffer buffer{};
    if (path.size() >= buffer.size()) return std::nullopt;
    std::memcpy(buffer.data(), path.data(), path.size());
    return buffer;
}

std::optional<std::filesystem::path> toFileSystemPath(std::string_view path) {
#ifdef _WIN32
    if (path.empty()) return std::filesystem::path();
    const UINT codePage = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
    const int length = MultiByteToWideChar(codePage, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    return std::filesystem::path(wide);
#else
    std::string native(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return std::filesystem::path(native);
#endif
}

}  // namespace lumora
