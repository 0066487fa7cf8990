#pragma once

namespace lumora {

// The log's first lines: the plugin's version and the game runtime it is
// built for, then the game executable's name and file version.
void logVersions() noexcept;

}  // namespace lumora
