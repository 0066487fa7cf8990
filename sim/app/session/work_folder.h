#pragma once
// The game's folder for one session: the working directory the plugin's INI
// files are relative to (Data/Obrix/Plugins/ below it). A fresh temporary
// folder is removed again at the end; a folder the user named is kept.
#include <filesystem>
#include <string>

namespace demo {

class WorkFolder {
public:
    // Empty `path`: a fresh temporary folder.
    explicit WorkFolder(const std::string& path);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path pluginFolder() const { return path_ / "Data" / "Obrix" / "Plugins"; }
    // The folder the program was started in, for relative paths the user gave.
    const std::filesystem::path& startFolder() const { return previous_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
    bool temporary_ = false;
};

// "settings" and "lang" name the plugin's two files; any other name is taken
// as a file name in the plugin folder (".ini" added when missing).
std::string iniFileName(const std::string& alias);

}  // namespace demo
