#include "config/profile_strings.h"

#include <system_error>
#include <vector>

#include "config/profile_path.h"
#include "win/windows_api.h"

namespace lumora {

namespace {

constexpr DWORD kValueBufferSize = 10000;

bool pathExists(const std::string& path) {
    const auto fileSystemPath = toFileSystemPath(path);
    if (!fileSystemPath) return false;
    // Not found, a bad path or name, and failures of the test itself all
    // leave the file unusable: answer absent rather than throw.
    std::error_code error;
    const bool exists = std::filesystem::exists(*fileSystemPath, error);
    return exists && !error;
}

std::string readValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                      const ProfilePathBuffer& path) {
    std::vector<char> buffer(kValueBufferSize, '\0');
    GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(), kValueBufferSize,
                             path.data());
    buffer.back() = '\0';
    return std::string(buffer.data());
}

}  // namespace

bool profileFileExists(std::string baseName, std::string folder) {
    if (baseName.empty()) return false;
    return pathExists(buildProfilePath(baseName, folder));
}

std::string readProfileString(std::string baseName, std::string section, std::string key, std::string folder) {
    if (baseName.empty() || section.empty() || key.empty()) return {};
    const std::string path = buildProfilePath(baseName, folder);
    const auto pathBuffer = copyIntoPathBuffer(path);
    if (!pathBuffer || !pathExists(path)) return {};
    return readValue(section, key, "", *pathBuffer);
}

bool writeProfileString(std::string baseName, std::string section, std::string key, std::string value,
                        std::string folder) {
    if (baseName.empty() || section.empty() || key.empty()) return false;
    const std::string path = buildProfilePath(baseName, folder);
    const auto pathBuffer = copyIntoPathBuffer(path);
    if (!pathBuffer) return false;
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), pathBuffer->data());
    if (!pathExists(path)) return false;
    return readValue(section, key, value, *pathBuffer) == value;
}

}  // namespace lumora
