#pragma once
// Where a profile file lives, and how its path reaches the file system.
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lumora {

inline constexpr const char* kDefaultProfileFolder = ".\\Data\\Obrix\\Plugins\\";

// Folder (the default one when empty) + base name + ".ini", joined as plain text.
std::string buildProfilePath(std::string_view baseName, std::string_view folder);

// A path is at most 254 bytes, as when the profile functions took it from a
// zero-filled 255-byte buffer; a path that does not fit is not used.
using ProfilePathBuffer = std::array<char, 255>;
std::optional<ProfilePathBuffer> copyIntoPathBuffer(std::string_view path);

// The path as the file system sees it: converted with the code page of the
// file functions on Windows; natively, with "/" for "\", relative to the
// current directory. Empty when the path cannot be converted.
std::optional<std::filesystem::path> toFileSystemPath(std::string_view path);

}  // namespace lumora
