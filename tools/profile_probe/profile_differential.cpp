// The plugin's own reading and writing of its profile files beside the real
// profile functions, in one Windows process (under Wine in the tests):
//   profile_differential --table
//       the probe table and the cases only this program runs, through the
//       real functions and through the plugin's, each in a fresh folder; the
//       two reports must be the same (on a single-byte code page)
//   profile_differential --read-through FILE...
//       every value of each file through the plugin's reading, which must
//       give the bytes the file holds on every code page; what the real
//       function gives on this one is printed beside it, for the record
// Both name the system's ANSI code page first; with --code-page N in front,
// a run on another code page fails at once (a locale Wine did not take).
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "plugin_profile_functions.h"
#include "probe_main.h"
#include "profile_probe.h"

namespace {

// The report of every case through one pair of functions, run in a folder of
// its own that is removed afterwards.
std::string reportThrough(const std::string& name, const profile_probe::ProfileFunctions& functions) {
    const std::filesystem::path previous = std::filesystem::current_path();
    const std::filesystem::path workDir = probe_harness::makeFreshDirectory("profile_differential_" + name);
    std::filesystem::current_path(workDir);
    std::vector<profile_probe::ProfileCase> cases = profile_probe::profileCases();
    for (auto& more : profile_probe::differentialOnlyCases()) cases.push_back(std::move(more));
    const std::string report = profile_probe::runProfileCases(workDir, functions, cases);
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(workDir, ignored);
    return report;
}

int compareTable() {
    const std::string real = reportThrough("real", profile_probe::systemProfileFunctions());
    const std::string plugin = reportThrough("plugin", profile_probe::pluginProfileFunctions());
    if (real == plugin) {
        std::cout << "the plugin's reading and writing give what the real profile functions give, in every case\n";
        return 0;
    }
    probe_harness::printFirstDifference(real, plugin, "real:   ", "plugin: ");
    return 1;
}

int readThrough(int count, char** files) {
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        const std::string plugin =
            profile_probe::readThroughMismatches(files[i], profile_probe::pluginProfileFunctions());
        const std::string real = profile_probe::readThroughMismatches(files[i]);
        std::cout << files[i] << (plugin.empty() ? ": the plugin reads every value as the file holds it\n" : ":\n")
                  << plugin;
        if (!real.empty()) std::cout << "  (the real GetPrivateProfileStringA on this code page:)\n" << real;
        failed |= !plugin.empty();
    }
    return failed;
}

}  // namespace

int main(int argc, char** argv) {
    probe_harness::setBinaryStdout();
    std::cout << "ANSI code page " << GetACP() << "\n";
    if (argc >= 3 && std::string(argv[1]) == "--code-page") {
        if (std::to_string(GetACP()) != argv[2]) {
            std::cout << "not the code page " << argv[2] << " the run asks for\n";
            return 2;
        }
        argc -= 2;
        argv += 2;
    }
    if (argc == 2 && std::string(argv[1]) == "--table") return compareTable();
    if (argc >= 3 && std::string(argv[1]) == "--read-through") return readThrough(argc - 2, argv + 2);
    std::cerr << "use: profile_differential [--code-page N] --table | --read-through FILE...\n";
    return 64;
}
