// Runs the file-operation table in a fresh temporary directory and prints
// the report, or with --compare FILE checks it against a recorded report.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "files_probe.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

std::filesystem::path makeFreshDirectory() {
    const auto base = std::filesystem::temp_directory_path();
    for (unsigned attempt = 0;; ++attempt) {
        const auto candidate =
            base /
            ("files_probe_" +
             std::to_string(std::filesystem::file_time_type::clock::now().time_since_epoch().count() % 1000000007) +
             "_" + std::to_string(attempt));
        if (std::filesystem::create_directory(candidate)) return candidate;
    }
}

// Index of the first differing line, for a readable failure.
void printFirstDifference(const std::string& expected, const std::string& actual) {
    std::size_t line = 1, start = 0;
    while (true) {
        const std::size_t endExpected = expected.find('\n', start);
        const std::size_t endActual = actual.find('\n', start);
        const std::string a =
            expected.substr(start, endExpected == std::string::npos ? std::string::npos : endExpected - start);
        const std::string b =
            actual.substr(start, endActual == std::string::npos ? std::string::npos : endActual - start);
        if (a != b || endExpected != endActual) {
            std::cout << "first difference at line " << line << "\n  recorded: " << a << "\n  measured: " << b << "\n";
            return;
        }
        if (endExpected == std::string::npos) return;
        start = endExpected + 1;
        ++line;
    }
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The report is compared byte for byte: no CR inserted before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::filesystem::path previous = std::filesystem::current_path();
    const std::filesystem::path workDir = makeFreshDirectory();
    std::filesystem::current_path(workDir);
    const std::string report = files_probe::runFileCases(workDir);
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(workDir, ignored);

    if (argc == 3 && std::string(argv[1]) == "--compare") {
        const auto recorded = files_probe::readWholeFile(argv[2]);
        if (!recorded) {
            std::cout << "cannot read " << argv[2] << "\n";
            return 2;
        }
        if (*recorded == report) {
            std::cout << "file report matches " << argv[2] << "\n";
            return 0;
        }
        printFirstDifference(*recorded, report);
        return 1;
    }
    std::cout << report;
    return 0;
}
