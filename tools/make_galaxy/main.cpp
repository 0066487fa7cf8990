// Writes a large made-up galaxy file for the simulated game.
//   make_galaxy [--forms N] [--planets N] [--placed-share F] [--seed S] [-o FILE]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "hostsim/galaxy.h"

namespace {

void printUsage() {
    std::fputs("usage: make_galaxy [--forms N] [--planets N] [--placed-share F] [--seed S] [-o FILE]\n", stderr);
}

bool readCount(const char* text, std::uint64_t& out) {
    char* end = nullptr;
    out = std::strtoull(text, &end, 10);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    hostsim::SyntheticGalaxyOptions options;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            printUsage();
            return 2;
        }
        const char* value = argv[++i];
        std::uint64_t number = 0;
        if (arg == "-o") {
            output = value;
        } else if (arg == "--placed-share") {
            char* end = nullptr;
            options.placedShare = std::strtod(value, &end);
            if (end == value || *end != '\0' || options.placedShare < 0 || options.placedShare > 1) {
                std::fprintf(stderr, "make_galaxy: --placed-share takes a fraction between 0 and 1\n");
                return 2;
            }
        } else if (!readCount(value, number)) {
            std::fprintf(stderr, "make_galaxy: %s takes a whole number, not '%s'\n", arg.c_str(), value);
            return 2;
        } else if (arg == "--forms") {
            options.formCount = number;
        } else if (arg == "--planets") {
            options.planetCount = number;
        } else if (arg == "--seed") {
            options.seed = number;
        } else {
            printUsage();
            return 2;
        }
    }
    const std::string text = hostsim::formatGalaxyText(hostsim::generateSyntheticGalaxy(options));
    if (output.empty()) {
        std::cout << text;
        return std::cout ? 0 : 1;
    }
    std::ofstream file(output, std::ios::binary);
    file << text;
    if (!file) {
        std::fprintf(stderr, "make_galaxy: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
