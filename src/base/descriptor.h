#pragma once
// The record the loader reads from the library before it loads anything.
#include <cstddef>
#include <cstdint>

#include "base/descriptor_strings.h"
#include "base/plugin_version.h"

namespace lumora {

struct PluginDescriptor {
    std::uint32_t recordVersion;
    std::uint32_t pluginVersion;
    char name[256];
    char author[256];
    std::uint32_t addressIndependence;
    std::uint32_t structureIndependence;
    std::uint32_t compatibleRuntimes[16];
    std::uint32_t minimumLoaderVersion;
    std::uint32_t reserved1;
    std::uint32_t reserved2;
};
static_assert(sizeof(PluginDescriptor) == 604);
static_assert(offsetof(PluginDescriptor, pluginVersion) == 4);
static_assert(offsetof(PluginDescriptor, name) == 8);
static_assert(offsetof(PluginDescriptor, author) == 264);
static_assert(offsetof(PluginDescriptor, addressIndependence) == 520);
static_assert(offsetof(PluginDescriptor, structureIndependence) == 524);
static_assert(offsetof(PluginDescriptor, compatibleRuntimes) == 528);
static_assert(offsetof(PluginDescriptor, minimumLoaderVersion) == 592);
static_assert(offsetof(PluginDescriptor, reserved1) == 596);
static_assert(offsetof(PluginDescriptor, reserved2) == 600);

// Packed major.minor.build.subbuild: 8, 8, 12 and 4 bits.
constexpr std::uint32_t packVersion(std::uint32_t major, std::uint32_t minor, std::uint32_t build, std::uint32_t sub) {
    return (major << 24) | (minor << 16) | ((build & 0xFFF) << 4) | (sub & 0xF);
}
inline constexpr std::uint32_t kPluginVersion =
    packVersion(LUMORA_VERSION_MAJOR, LUMORA_VERSION_MINOR, LUMORA_VERSION_BUILD, LUMORA_VERSION_SUB);
inline constexpr std::uint32_t kSupportedRuntime =
    packVersion(LUMORA_RUNTIME_MAJOR, LUMORA_RUNTIME_MINOR, LUMORA_RUNTIME_BUILD, 0);
static_assert(packVersion(3, 1, 0, 0) == 0x03010000);
static_assert(packVersion(1, 14, 74, 0) == 0x010E04A0);

}  // namespace lumora

extern "C" const lumora::PluginDescriptor ObrixPlugin_Version;
