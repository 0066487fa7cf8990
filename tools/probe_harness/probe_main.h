#pragma once
// The one main of every probe: runs a table of cases in a fresh temporary
// directory and prints the report, or with --compare FILE checks it against
// a recorded report (0: it matches, 1: it differs, 2: no recording).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace probe_harness {

// Runs every case inside `workDir`, the current directory; returns the report.
using RunCases = std::string (*)(const std::filesystem::path& workDir);

inline std::filesystem::path makeFreshDirectory(const std::string& prefix) {
    const auto base = std::filesystem::temp_directory_path();
    for (unsigned attempt = 0;; ++attempt) {
        const auto candidate =
            base /
            (prefix + "_" +
             std::to_string(std::filesystem::file_time_type::clock::now().time_since_epoch().count() % 1000000007) +
             "_" + std::to_string(attempt));
        if (std::filesystem::create_directory(candidate)) return candidate;
    }
}

inline std::optional<std::string> readRecording(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first line that differs, for a readable failure.
inline void printFirstDifference(const std::string& expected, const std::string& actual,
                                 const char* expectedLabel = "recorded: ", const char* actualLabel = "measured: ") {
    std::size_t line = 1, start = 0;
    while (true) {
        const std::size_t endExpected = expected.find('\n', start);
        const std::size_t endActual = actual.find('\n', start);
        const std::string a =
            expected.substr(start, endExpected == std::string::npos ? std::string::npos : endExpected - start);
        const std::string b =
            actual.substr(start, endActual == std::string::npos ? std::string::npos : endActual - start);
        if (a != b || endExpected != endActual) {
            std::cout << "first difference at line " << line << "\n  " << expectedLabel << a << "\n  " << actualLabel
                      << b << "\n";
            return;
        }
        if (endExpected == std::string::npos) return;
        start = endExpected + 1;
        ++line;
    }
}

// Reports are compared byte for byte: no CR inserted before each LF.
inline void setBinaryStdout() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

// `name` is the probe's ("file", "profile"): it names the temporary folder
// and the verdict line.
inline int runProbeMain(int argc, char** argv, const std::string& name, RunCases runCases) {
    setBinaryStdout();
    const std::filesystem::path previous = std::filesystem::current_path();
    const std::filesystem::path workDir = makeFreshDirectory(name + "_probe");
    std::filesystem::current_path(workDir);
    const std::string report = runCases(workDir);
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(workDir, ignored);

    if (argc == 3 && std::string(argv[1]) == "--compare") {
        const auto recorded = readRecording(argv[2]);
        if (!recorded) {
            std::cout << "cannot read " << argv[2] << "\n";
            return 2;
        }
        if (*recorded == report) {
            std::cout << name << " report matches " << argv[2] << "\n";
            return 0;
        }
        printFirstDifference(*recorded, report);
        return 1;
    }
    std::cout << report;
    return 0;
}

}  // namespace probe_harness
