#pragma once
// Access to one key of a profile (INI) file named by base name and folder;
// an empty folder means the loader's plugin folder. The plugin reads the
// file's bytes itself and hands each value on as the file holds it, whatever
// the system's code page (config/profile_text.h has the rules); a write
// changes nothing in the file but the key's one line.
#include <optional>
#include <string>

namespace lumora {

// The one section of both of the plugin's files.
inline constexpr const char* kProfileSection = "General";

// Whether the file exists. A failure of the test itself (for example access
// denied) counts as absent.
bool profileFileExists(std::string baseName, std::string folder);

// The key's value; empty when the key is absent or empty, the file does not
// exist or cannot be read, or base name, section or key is empty. At most
// 9999 bytes of a value are seen, and nothing from a NUL byte on.
std::string readProfileString(std::string baseName, std::string section, std::string key, std::string folder);

// Sets the key, creating file and section as needed; true when the value read
// back equals the value written. A file that is there but cannot be read is
// left alone.
bool writeProfileString(std::string baseName, std::string section, std::string key, std::string value,
                        std::string folder);

// The same two for a file named by its whole path, as the two above build it
// (folder + base name + ".ini"): the value as the file holds it, nullopt when
// the file, the section or the key is absent or the file cannot be read; and
// whether the write reached the file. The new bytes go to the path with
// ".tmp" for ".ini", which then replaces the file in one step, so a game that
// stops at any moment leaves the old file or the new one.
std::optional<std::string> readProfileValueAt(const std::string& path, const std::string& section,
                                              const std::string& key);
bool writeProfileValueAt(const std::string& path, const std::string& section, const std::string& key,
                         const std::string& value);

}  // namespace lumora
