#include "work_folder.h"

#include <cstdlib>
#include <stdexcept>

namespace demo {

WorkFolder::WorkFolder(const std::string& path) : previous_(std::filesystem::current_path()) {
    if (path.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "halcyra_demo_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
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
