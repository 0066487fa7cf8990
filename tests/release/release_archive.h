#pragma once
// The release archive as the test run unpacked it (tools/make-dist with a
// stand-in for the DLL), and its installer read once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "mod_installer.h"

namespace release_test {

inline std::filesystem::path archiveRoot() { return LUMORA_ARCHIVE_DIR; }

inline XmlElement readArchiveXml(const std::string& relative) {
    const auto bytes = readFileBytes(archiveRoot() / relative);
    if (!bytes) ADD_FAILURE() << "no " << relative << " in " << archiveRoot();
    std::string error;
    auto root = parseXml(bytes.value_or(""), error);
    if (!root) ADD_FAILURE() << relative << ": " << error;
    return root.value_or(XmlElement{});
}

inline ModuleConfig archiveInstaller() {
    std::string error;
    auto config = readModuleConfig(readArchiveXml("fomod/ModuleConfig.xml"), error);
    if (!config) ADD_FAILURE() << "fomod/ModuleConfig.xml: " << error;
    return config.value_or(ModuleConfig{});
}

// Keys and values of the one section of an INI file as the option files are
// written: "[General]", then key=value lines, CR LF line ends.
struct IniContents {
    std::vector<std::string> sections;
    std::vector<std::pair<std::string, std::string>> entries;  // in file order
    std::vector<std::string> strayLines;                       // neither a section, a key nor blank
};

// A value as the plugin reads it from the text after "=": without blanks at
// either end, and inside a pair of quotes around it (which keep blanks that
// a text needs at an end, the one before a French colon, say).
inline std::string shownValue(std::string value) {
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.erase(0, 1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

inline IniContents readIniLines(const std::string& bytes) {
    IniContents contents;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        if (line.empty()) continue;
        if (line.front() == '[' && line.back() == ']') {
            contents.sections.push_back(line.substr(1, line.size() - 2));
        } else if (const auto equals = line.find('='); equals != std::string::npos && equals > 0) {
            contents.entries.emplace_back(line.substr(0, equals), line.substr(equals + 1));
        } else {
            contents.strayLines.push_back(line);
        }
    }
    return contents;
}

}  // namespace release_test
