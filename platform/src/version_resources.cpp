// GetModuleFileNameA and the version functions over resources that tests and
// the simulated game register by path: Linux programs carry none of their own.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

#include "win32_controls.h"

namespace {

struct VersionFiles {
    std::mutex mutex;
    std::string executablePath;
    std::map<std::string, std::vector<std::uint8_t>> resources;
};

// Never destroyed, so that it serves static destructors too.
VersionFiles& versionFiles() {
    static VersionFiles* files = new VersionFiles;
    return *files;
}

std::string runningProgramPath() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

// VS_VERSIONINFO: wLength, wValueLength, wType, the key L"VS_VERSION_INFO",
// padding to 4 bytes, then the VS_FIXEDFILEINFO value.
constexpr char16_t kRootKey[] = u"VS_VERSION_INFO";
constexpr std::size_t kHeaderBytes = 6;
constexpr std::size_t kValueOffset = (kHeaderBytes + sizeof kRootKey + 3) & ~std::size_t{3};
constexpr DWORD kFixedInfoSignature = 0xFEEF04BD;

WORD readWord(const std::uint8_t* bytes) {
    WORD value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// Calls of the four functions, for tests that count them.
std::atomic<std::size_t>& versionCalls() {
    static auto* calls = new std::atomic<std::size_t>{0};
    return *calls;
}

}  // namespace

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    ++versionCalls();
    // The only module of the simulated process is the game's executable.
    if (module != nullptr && module != GetModuleHandleA(nullptr)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::string path;
    {
        std::lock_guard lock(versionFiles().mutex);
        path = versionFiles().executablePath;
    }
    if (path.empty()) path = runningProgramPath();
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Too small a buffer gets the path cut to size - 1 characters, its NUL,
    // the full size as the result and ERROR_INSUFFICIENT_BUFFER.
    const std::size_t copied = std::min<std::size_t>(path.size(), size - 1);
    std::memcpy(fileName, path.data(), copied);
    fileName[copied] = '\0';
    if (copied < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    SetLastError(0);
    return static_cast<DWORD>(copied);
}

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
    ++versionCalls();
    if (handle != nullptr) *handle = 0;
    std::lock_guard lock(versionFiles().mutex);
    const auto found = fileName != nullptr ? versionFiles().resources.find(fileName) : versionFiles().resources.end();
    if (found == versionFiles().resources.end()) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return 0;
    }
    return static_cast<DWORD>(found->second.size());
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD length, LPVOID data) {
    ++versionCalls();
    std::lock_guard lock(versionFiles().mutex);
    const auto found = fileName != nullptr ? versionFiles().resources.find(fileName) : versionFiles().resources.end();
    if (found == versionFiles().resources.end()) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    if (data == nullptr || length == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::memcpy(data, found->second.data(), std::min<std::size_t>(length, found->second.size()));
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length) {
    ++versionCalls();
    if (block == nullptr || subBlock == nullptr || buffer == nullptr || length == nullptr) return FALSE;
    const auto* bytes = static_cast<const std::uint8_t*>(block);
    // Only the root block's value, the fixed part, is served: "\" names it.
    if (std::strcmp(subBlock, "\\") != 0) return FALSE;
    const WORD total = readWord(bytes);
    const WORD valueLength = readWord(bytes + 2);
    if (valueLength == 0 || kValueOffset + valueLength > total) return FALSE;
    if (std::memcmp(bytes + kHeaderBytes, kRootKey, sizeof kRootKey) != 0) return FALSE;
    *buffer = const_cast<std::uint8_t*>(bytes + kValueOffset);
    *length = valueLength;
    return TRUE;
}

namespace win32layer {

std::size_t versionFunctionCalls() { return versionCalls().load(); }

void setExecutablePath(const std::string& path) {
    std::lock_guard lock(versionFiles().mutex);
    versionFiles().executablePath = path;
}

void setFileVersionResource(const std::string& path, std::vector<std::uint8_t> resource) {
    std::lock_guard lock(versionFiles().mutex);
    if (resource.empty()) versionFiles().resources.erase(path);
    else versionFiles().resources[path] = std::move(resource);
}

std::vector<std::uint8_t> makeVersionResource(DWORD fileVersionMS, DWORD fileVersionLS, DWORD productVersionMS,
                                              DWORD productVersionLS) {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = kFixedInfoSignature;
    fixed.dwStrucVersion = 0x10000;
    fixed.dwFileVersionMS = fileVersionMS;
    fixed.dwFileVersionLS = fileVersionLS;
    fixed.dwProductVersionMS = productVersionMS;
    fixed.dwProductVersionLS = productVersionLS;
    fixed.dwFileFlagsMask = 0x3F;
    fixed.dwFileOS = 0x40004;
    fixed.dwFileType = 1;  // an application
    std::vector<std::uint8_t> resource(kValueOffset + sizeof fixed, 0);
    const WORD header[3] = {static_cast<WORD>(resource.size()), static_cast<WORD>(sizeof fixed), 0};
    std::memcpy(resource.data(), header, sizeof header);
    std::memcpy(resource.data() + kHeaderBytes, kRootKey, sizeof kRootKey);
    std::memcpy(resource.data() + kValueOffset, &fixed, sizeof fixed);
    return resource;
}

}  // namespace win32layer
