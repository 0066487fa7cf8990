#pragma once
// Runs a piece of play in a child process: a fresh copy of the game and of the
// plugin for each run, and a crash or a hang there is seen, not suffered.
#include <functional>
#include <string>

namespace lumora_test {

struct ChildReport {
    bool exitedNormally = false;
    std::string text;  // what `work` returned, or how the child ended
};

// Calls `work` in a forked child, which then ends at once; a child that is
// still running after `timeoutSeconds` is killed and reported as hung.
ChildReport runInChild(const std::function<std::string()>& work, int timeoutSeconds = 60);

}  // namespace lumora_test
