#include "host/game_executable_version.h"

#include <vector>

#include "win/windows_api.h"

namespace lumora {

namespace {

constexpr DWORD kPathRoom = 1024;
constexpr DWORD kFixedInfoSignature = 0xFEEF04BD;

std::string dottedVersion(DWORD high, DWORD low) {
    return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16) + "." +
           std::to_string(low & 0xFFFF);
}

std::optional<std::string> readFileVersion(const char* path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> resource(size);
    if (!GetFileVersionInfoA(path, 0, size, resource.data())) return std::nullopt;
    void* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(resource.data(), "\\", &fixed, &length) || fixed == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    if (info->dwSignature != kFixedInfoSignature) return std::nullopt;
    return dottedVersion(info->dwFileVersionMS, info->dwFileVersionLS);
}

}  // namespace

GameExecutableVersion readGameExecutableVersion() {
    char path[kPathRoom] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, kPathRoom);
    // A path cut at the end of the buffer names some other file.
    if (length == 0 || length >= kPathRoom) return {};
    const std::string full(path, length);
    const std::size_t slash = full.find_last_of("\\/");
    return {slash == std::string::npos ? full : full.substr(slash + 1), readFileVersion(path)};
}

}  // namespace lumora
