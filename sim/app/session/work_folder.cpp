#include "work_folder.h"

#include <random>
#include <stdexcept>
#include <string>

namespace demo {
namespace {

// create_directory answers false for a name that exists already, so a folder
// made here is ours alone, on every system.
std::filesystem::path freshTemporaryFolder() {
    std::random_device seed;
    std::mt19937_64 names(seed());
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = base / ("halcyra_demo_" + std::to_string(names() % 1000000000u));
        if (std::filesystem::create_directory(candidate)) return candidate;
    }
    throw std::runtime_error("cannot create a temporary folder");
}

}  // namespace

WorkFolder::WorkFolder(const std::string& path) : previous_(std::filesystem::current_path()) {
    if (path.empty()) {
        path_ = freshTemporaryFolder();
        temporary_ = true;
    } else {
        path_ = std::filesystem::absolute(path);
    }
    std::filesystem::create_directories(pluginFolder());
    std::filesystem::current_path(path_);
}

WorkFolder::~WorkFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    if (temporary_) std::filesystem::remove_all(path_, ignored);
}

std::string iniFileName(const std::string& alias) {
    if (alias == "settings") return "LumoraSearchEngine.ini";
    if (alias == "lang") return "LumoraSearchEngineLang.ini";
    if (alias.ends_with(".ini")) return alias;
    return alias + ".ini";
}

}  // namespace demo
