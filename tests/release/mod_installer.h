#pragma once
// The installer of a mod archive (fomod/ModuleConfig.xml) read as a mod
// manager reads it: the required files, the pages with their option groups,
// each option's type and files, and what one set of choices installs.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "xml_reader.h"

namespace release_test {

struct InstallEntry {
    bool folder = false;      // a folder's contents rather than one file
    std::string source;       // relative to the archive's root, as written
    std::string destination;  // relative to the game's data folder, as written
    int priority = 0;
};

struct InstallerOption {
    std::string name;
    std::string description;
    std::string type;  // Required, Recommended, Optional, CouldBeUsable, NotUsable
    std::vector<InstallEntry> files;
};

struct OptionGroup {
    std::string name;
    std::string type;  // SelectExactlyOne, SelectAtMostOne, SelectAtLeastOne, SelectAll, SelectAny
    std::vector<InstallerOption> options;
};

struct InstallerPage {
    std::string name;
    std::vector<OptionGroup> groups;
};

struct ModuleConfig {
    std::string moduleName;
    std::vector<InstallEntry> requiredFiles;
    std::vector<InstallerPage> pages;
};

// nullopt with `error` when the document is not an installer of this format.
std::optional<ModuleConfig> readModuleConfig(const XmlElement& root, std::string& error);

// The options a mod manager preselects in a group: the Required ones and,
// where one must be chosen, the Recommended one or else the first usable.
std::vector<const InstallerOption*> defaultChoice(const OptionGroup& group);

// One file the installer places: where below the data folder (with '/'), from
// which file of the unpacked archive.
struct Placement {
    std::string destination;
    std::filesystem::path source;
};

struct InstallPlan {
    std::vector<Placement> files;          // sorted by destination
    std::vector<std::string> overwritten;  // destinations written by more than one entry
};

// `choices` names one option per page (by the page's name); pages not named
// keep their default. Sources are matched without regard to case, as mod
// managers do. nullopt with `error` for a choice the page does not offer, an
// option a group's type forbids, or a source missing from the archive.
std::optional<InstallPlan> planInstall(const ModuleConfig& config, const std::filesystem::path& archiveRoot,
                                       const std::map<std::string, std::string>& choices, std::string& error);

// Copies the planned files into `gameFolder`/Data.
void placeFiles(const InstallPlan& plan, const std::filesystem::path& gameFolder);

// Reads a file whole; nullopt when it cannot be opened.
std::optional<std::string> readFileBytes(const std::filesystem::path& path);

}  // namespace release_test
