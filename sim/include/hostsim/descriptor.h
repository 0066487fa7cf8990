#pragma once
// The record a plugin exports as ObrixPlugin_Version, as the loader reads it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hostsim {

struct PluginDescriptorRecord {
    std::uint32_t formatVersion;           // 0
    std::uint32_t pluginVersion;           // 4, packed major.minor.build.sub
    char name[256];                        // 8
    char author[256];                      // 264
    std::uint32_t addressIndependence;     // 520
    std::uint32_t structureIndependence;   // 524
    std::uint32_t compatibleRuntimes[16];  // 528
    std::uint32_t minimumLoaderVersion;    // 592
    std::uint32_t reserved[2];             // 596, 600
};
static_assert(sizeof(PluginDescriptorRecord) == 604);
static_assert(offsetof(PluginDescriptorRecord, pluginVersion) == 4);
static_assert(offsetof(PluginDescriptorRecord, name) == 8);
static_assert(offsetof(PluginDescriptorRecord, author) == 264);
static_assert(offsetof(PluginDescriptorRecord, addressIndependence) == 520);
static_assert(offsetof(PluginDescriptorRecord, structureIndependence) == 524);
static_assert(offsetof(PluginDescriptorRecord, compatibleRuntimes) == 528);
static_assert(offsetof(PluginDescriptorRecord, minimumLoaderVersion) == 592);
static_assert(offsetof(PluginDescriptorRecord, reserved) == 596);

// The loader's own version (packed like the others).
inline constexpr std::uint32_t kLoaderVersion = 0x00070200;

// "3.1.0.0" from 0x03010000: major 8 bits, minor 8, build 12, sub-build 4.
std::string formatPackedVersion(std::uint32_t packed);

// Reasons the loader refuses the record; empty when it accepts it.
std::vector<std::string> descriptorProblems(const PluginDescriptorRecord& record);
// The transcript lines that describe the record.
std::vector<std::string> describeDescriptor(const PluginDescriptorRecord& record);

}  // namespace hostsim
