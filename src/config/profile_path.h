#pragma once
// Where a profile file lives, and how its path reaches the file system.
#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace lumora {

inline constexpr const char* kDefaultProfileFolder = ".\\Data\\Obrix\\Plugins\\";

// Folder (the default one when empty) + base name + ".ini", joined as plain text.
std::string buildProfilePath(const std::string& baseName, const std::string& folder);

// The profile functions take the path from a zero-filled 255-byte buffer; a
// path that does not fit leaves nothing to hand over.
using ProfilePathBuffer = std::array<char, 255>;
std::optional<ProfilePathBuffer> copyIntoPathBuffer(const std::string& path);

// The path as the file system sees it: converted with the code page of the
// file functions on Windows; natively, with "/" for "\", relative to the
// current directory. Empty when the path cannot be converted.
std::optional<std::filesystem::path> toFileSystemPath(const std::string& path);

}  // namespace lumora
