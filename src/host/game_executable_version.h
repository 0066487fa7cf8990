#pragma once
// The game executable's own account of itself: its file name and the file
// version of its version resource, for the log of a bug report.
#include <optional>
#include <string>

namespace lumora {

struct GameExecutableVersion {
    std::string fileName;                // without its folder: the player's paths stay out of reports
    std::optional<std::string> version;  // "1.14.74.0"; empty when the executable has no readable resource
};

// Results: the file name (empty when Windows does not give the executable's
// path) and the dotted file version of the fixed part of its version
// resource, or no version when the resource is missing, unreadable or has no
// fixed part.
GameExecutableVersion readGameExecutableVersion();

}  // namespace lumora
