#pragma once
#include <string>

namespace lumora {

// "<descriptor name> v<major>.<minor>", built afresh at each use.
std::string PluginCaption();

// Modal OK box with PluginCaption; ends the process with code 0 when asked to.
void ShowPluginError(const std::string& text, bool exitAfter);

}  // namespace lumora
