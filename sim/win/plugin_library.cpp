#include "plugin_library.h"

#include <string>

#include "hostsim/transcript.h"

namespace hostsim {

std::optional<PluginLibrary> loadPluginLibrary() {
    HMODULE module = LoadLibraryA(kPluginPath);
    if (module == nullptr) {
        recordTranscriptLine("loader: cannot load " + std::string(kPluginPath) + " (" + std::to_string(GetLastError()) +
                             ")");
        return std::nullopt;
    }
    return PluginLibrary{
        module, reinterpret_cast<const PluginDescriptorRecord*>(GetProcAddress(module, "ObrixPlugin_Version")),
        reinterpret_cast<PluginLoadEntry>(reinterpret_cast<void*>(GetProcAddress(module, "ObrixPlugin_Load")))};
}

}  // namespace hostsim
