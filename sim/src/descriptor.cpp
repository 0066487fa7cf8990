#include "hostsim/descriptor.h"

#include <cstdio>
#include <cstring>

#include "hostsim/offsets.h"
#include "hostsim/transcript.h"

namespace hostsim {
namespace {

// True when the field holds a NUL and only zero bytes after it.
bool terminatedAndZeroFilled(const char (&field)[256]) {
    const char* end = static_cast<const char*>(std::memchr(field, 0, sizeof field));
    if (end == nullptr) return false;
    for (const char* p = end; p != field + sizeof field; ++p)
        if (*p != 0) return false;
    return true;
}

std::string hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

std::string formatPackedVersion(std::uint32_t packed) {
    return std::to_string(packed >> 24) + "." + std::to_string((packed >> 16) & 0xFF) + "." +
           std::to_string((packed >> 4) & 0xFFF) + "." + std::to_string(packed & 0xF);
}

std::vector<std::string> descriptorProblems(const PluginDescriptorRecord& record) {
    std::vector<std::string> problems;
    if (record.formatVersion != 1) problems.push_back("unknown record format " + std::to_string(record.formatVersion));
    if (!terminatedAndZeroFilled(record.name)) problems.push_back("name field not NUL-terminated and zero-filled");
    if (!terminatedAndZeroFilled(record.author)) problems.push_back("author field not NUL-terminated and zero-filled");
    if (record.addressIndependence == 0) {
        bool listed = false;
        bool zeroSeen = false;
        for (std::uint32_t runtime : record.compatibleRuntimes) {
            if (runtime == 0) {
                zeroSeen = true;
            } else {
                if (zeroSeen) problems.push_back("compatible runtime listed after the list ended");
                if (runtime == kGameRuntimeVersion) listed = true;
            }
        }
        if (!listed) problems.push_back("runtime " + formatPackedVersion(kGameRuntimeVersion) + " not listed");
    }
    if (record.minimumLoaderVersion > kLoaderVersion)
        problems.push_back("needs loader " + formatPackedVersion(record.minimumLoaderVersion));
    if (record.reserved[0] != 0 || record.reserved[1] != 0) problems.push_back("reserved fields not zero");
    return problems;
}

std::vector<std::string> describeDescriptor(const PluginDescriptorRecord& record) {
    std::string runtimes;
    for (std::uint32_t runtime : record.compatibleRuntimes) {
        if (runtime == 0) continue;
        if (!runtimes.empty()) runtimes += ",";
        runtimes += formatPackedVersion(runtime);
    }
    const std::string name(record.name, strnlen(record.name, sizeof record.name));
    const std::string author(record.author, strnlen(record.author, sizeof record.author));
    return {
        "loader: descriptor format " + std::to_string(record.formatVersion) + " version " +
            formatPackedVersion(record.pluginVersion) + " (" + hex32(record.pluginVersion) + ")",
        "loader: descriptor name " + quoted(name) + " author " + quoted(author),
        "loader: descriptor independence address " + hex32(record.addressIndependence) + " structure " +
            hex32(record.structureIndependence) + " runtimes " + (runtimes.empty() ? "none" : runtimes) +
            " minimum loader " + hex32(record.minimumLoaderVersion),
    };
}

}  // namespace hostsim
