#pragma once
// The demo's command line.
#include <optional>
#include <string>

namespace demo {

struct DemoOptions {
    std::string galaxyPath;  // default: the shipped sample galaxy
    std::string scriptPath;  // empty: interactive when standard input is a terminal
    std::string workdir;     // empty: a temporary folder
    int keyHoldMs = 150;
    bool help = false;
};

// nullopt with `error` filled when the command line cannot be used.
std::optional<DemoOptions> parseDemoOptions(int argc, char** argv, std::string& error);
extern const char* const kDemoUsage;

}  // namespace demo
