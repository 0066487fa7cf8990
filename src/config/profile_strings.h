#pragma once
// Access to one key of a profile (INI) file named by base name and folder;
// an empty folder means the loader's plugin folder.
#include <string>

namespace lumora {

// The one section of both of the plugin's files.
inline constexpr const char* kProfileSection = "General";

// Whether the file exists. A failure of the test itself (for example access
// denied) counts as absent.
bool profileFileExists(std::string baseName, std::string folder);

// The key's value; empty when the key is absent or empty, the file does not
// exist, or base name, section or key is empty.
std::string readProfileString(std::string baseName, std::string section, std::string key, std::string folder);

// Sets the key, creating file and section as needed; true when the value read
// back equals the value written.
bool writeProfileString(std::string baseName, std::string section, std::string key, std::string value,
                        std::string folder);

}  // namespace lumora
