#pragma once
// Reads a module's version resource the way the game's crash reporter and
// the loader's log do, and describes it in transcript lines.
#include <string>
#include <vector>

namespace hostsim {

struct VersionResourceReport {
    bool found = false;
    std::vector<std::string> lines;
};

VersionResourceReport readVersionResource(const char* path);

}  // namespace hostsim
