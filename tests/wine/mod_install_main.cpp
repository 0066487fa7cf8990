// Installs from an unpacked release archive into a game folder as a mod
// manager would, with the tests' reader of the installer: the Windows side of
// the installed-game runs. mod_install ARCHIVE GAME PAGE=OPTION...
#include <cstdio>
#include <map>
#include <string>

#include "mod_installer.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("use: mod_install ARCHIVE GAME [PAGE=OPTION]...\n", stderr);
        return 64;
    }
    std::map<std::string, std::string> choices;
    for (int i = 3; i < argc; ++i) {
        const std::string choice = argv[i];
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
    release_test::placeFiles(*plan, argv[2]);
    for (const auto& placement : plan->files) std::printf("installed Data/%s\n", placement.destination.c_str());
    return 0;
}
