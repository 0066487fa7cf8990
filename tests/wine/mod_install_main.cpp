// Installs from an unpacked release archive into a game folder as a mod
// manager would, with the tests' reader of the installer: the Windows side of
// the installed-game runs. mod_install ARCHIVE GAME PAGE=OPTION... or, for
// option names beyond ASCII (which the command line brings in the code page
// of Wine's locale), mod_install ARCHIVE GAME @FILE with one PAGE=OPTION line
// per page in UTF-8.
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "mod_installer.h"

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("use: mod_install ARCHIVE GAME [PAGE=OPTION]...\n", stderr);
        return 64;
    }
    std::vector<std::string> lines;
    for (int i = 3; i < argc; ++i) {
        if (argv[i][0] != '@') {
            lines.push_back(argv[i]);
            continue;
        }
        std::ifstream file(argv[i] + 1, std::ios::binary);
        if (!file) return 66;
        for (std::string line; std::getline(file, line);)
            if (!line.empty()) lines.push_back(line.back() == '\r' ? line.substr(0, line.size() - 1) : line);
    }
    std::map<std::string, std::string> choices;
    for (const std::string& choice : lines) {
        const std::size_t equals = choice.find('=');
        if (equals == std::string::npos) return 64;
        choices[choice.substr(0, equals)] = choice.substr(equals + 1);
    }
    const std::filesystem::path archive = argv[1];
    std::string error;
    const auto bytes = release_test::readFileBytes(archive / "fomod" / "ModuleConfig.xml");
    const auto root = release_test::parseXml(bytes.value_or(""), error);
    const auto config = root ? release_test::readModuleConfig(*root, error) : std::nullopt;
    const auto plan = config ? release_test::planInstall(*config, archive, choices, error) : std::nullopt;
    if (!plan) {
        std::fprintf(stderr, "mod_install: %s\n", error.c_str());
        return 1;
    }
#ifdef _WIN32
    // The code page the game's run will have too: the same locale starts both.
    std::printf("ANSI code page %u\n", GetACP());
#endif
    release_test::placeFiles(*plan, argv[2]);
    for (const auto& placement : plan->files) std::printf("installed Data/%s\n", placement.destination.c_str());
    return 0;
}
