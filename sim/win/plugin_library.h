#pragma once
// The loader's way to the plugin: the DLL in its plugin folder, relative to
// the game's working folder, and the two exports it looks up by name.
#include <windows.h>

#include <optional>

#include "hostsim/loader.h"

namespace hostsim {

inline constexpr const char* kPluginPath = "Data\\Obrix\\Plugins\\LumoraSearchEngine.dll";

struct PluginLibrary {
    HMODULE module;
    const PluginDescriptorRecord* descriptor;  // null when the DLL does not export it
    PluginLoadEntry load;                      // likewise
};

// Loads the plugin's DLL. Results: its module and exports; nullopt when
// Windows cannot load it, after the transcript line saying so.
std::optional<PluginLibrary> loadPluginLibrary();

}  // namespace hostsim
