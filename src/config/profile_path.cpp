#include "config/profile_path.h"

#include <algorithm>
#include <cstring>

#include "win/windows_api.h"

namespace lumora {

std::string buildProfilePath(const std::string& baseName, const std::string& folder) {
    return (folder.empty() ? std::string(kDefaultProfileFolder) : folder) + baseName + ".ini";
}

std::optional<ProfilePathBuffer> copyIntoPathBuffer(const std::string& path) {
    ProfilePathBuffer buffer{};
    if (path.size() >= buffer.size()) return std::nullopt;
    std::memcpy(buffer.data(), path.data(), path.size());
    return buffer;
}

std::optional<std::filesystem::path> toFileSystemPath(const std::string& path) {
#ifdef _WIN32
    if (path.empty()) return std::filesystem::path();
    const UINT codePage = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
    const int length = MultiByteToWideChar(codePage, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    return std::filesystem::path(wide);
#else
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    return std::filesystem::path(native);
#endif
}

}  // namespace lumora
