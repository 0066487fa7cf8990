#pragma once
// The demo's fresh game folder starts as a player's does after installing
// with the installer's preselected setup: the Recommended settings file of
// the release, the very file the archive ships, beside the plugin.
#include <string>

namespace demo {

// Copies the Recommended settings file into the plugin folder below
// `gameFolder`; throws std::runtime_error when it cannot.
void placeRecommendedSettings(const std::string& gameFolder);

}  // namespace demo
