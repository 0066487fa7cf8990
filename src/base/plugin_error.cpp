#include "base/plugin_error.h"

#include <cstdlib>
#include <cstring>

#include "base/descriptor.h"
#include "base/plugin_log.h"
#include "win/windows_api.h"

namespace lumora {

std::string PluginCaption() {
    const PluginDescriptor& d = ObrixPlugin_Version;
    std::string caption(d.name, strnlen(d.name, sizeof d.name));
    caption += " v";
    caption += std::to_string(d.pluginVersion >> 24);
    caption += '.';
    caption += std::to_string((d.pluginVersion >> 16) & 0xFF);
    return caption;
}

void ShowPluginError(const std::string& text, bool exitAfter) {
    const std::string caption = PluginCaption();
    appendLogLine("error box: \"%s\"", text.c_str());
    // The box is modal and may be the game's last moment (the player kills it
    // from there, or the box ends it): its line goes to the disk first.
    writeQueuedLogLines();
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
    if (exitAfter) std::exit(0);
}

}  // namespace lumora
