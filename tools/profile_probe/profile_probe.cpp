// Runs the profile-operation table through the shared probe harness; with
// --read-through FILE... it reads each file's values through the profile
// function instead.
#include <filesystem>
#include <iostream>
#include <string>

#include "probe_main.h"
#include "profile_probe.h"

int main(int argc, char** argv) {
    probe_harness::setBinaryStdout();
    if (argc >= 3 && std::string(argv[1]) == "--read-through") {
        int failed = 0;
        for (int i = 2; i < argc; ++i) {
            const std::string mismatches = profile_probe::readThroughMismatches(argv[i]);
            std::cout << argv[i] << (mismatches.empty() ? ": every value read as written\n" : ":\n") << mismatches;
            failed |= !mismatches.empty();
        }
        return failed;
    }
    // Through the real profile functions, the recorded table.
    return probe_harness::runProbeMain(argc, argv, "profile", [](const std::filesystem::path& workDir) {
        return profile_probe::runProfileCases(workDir);
    });
}
