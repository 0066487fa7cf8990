#include "fresh_game_folder.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace demo {

void placeRecommendedSettings(const std::string& gameFolder) {
    const std::filesystem::path source = LUMORA_RECOMMENDED_SETTINGS;
    const std::filesystem::path plugins = std::filesystem::path(gameFolder) / "Data" / "Obrix" / "Plugins";
    std::error_code error;
    std::filesystem::create_directories(plugins, error);
    std::filesystem::copy_file(source, plugins / "LumoraSearchEngine.ini",
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) throw std::runtime_error("cannot place " + source.string() + ": " + error.message());
}

}  // namespace demo
