#pragma once
// The script-extender loader as a plugin sees it: the interface handed to
// ObrixPlugin_Load, the messaging interface (id 1) and the messages it sends.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/abi.h"
#include "hostsim/descriptor.h"

namespace hostsim {

struct LoaderMessageRecord {
    const char* sender;      // 0: "Obrix"
    std::uint32_t type;      // 8
    std::uint32_t dataSize;  // 12
    void* data;              // 16
};
static_assert(offsetof(LoaderMessageRecord, type) == 8);

using LoaderListener = void(SIM_ABI*)(LoaderMessageRecord* message);

struct LoaderMessagingRecord {
    std::uint32_t interfaceVersion;
    std::uint32_t reserved;
    bool(SIM_ABI* registerListener)(std::uint32_t pluginHandle, const char* sender, LoaderListener listener);  // 8
};
static_assert(offsetof(LoaderMessagingRecord, registerListener) == 8);

struct LoaderInterfaceRecord {
    std::uint32_t loaderVersion;                       // 0
    std::uint32_t runtimeVersion;                      // 4
    std::uint32_t editorVersion;                       // 8
    std::uint32_t isEditor;                            // 12
    void*(SIM_ABI* queryInterface)(std::uint32_t id);  // 16
    std::uint32_t(SIM_ABI* getPluginHandle)();         // 24
};
static_assert(offsetof(LoaderInterfaceRecord, queryInterface) == 16);
static_assert(offsetof(LoaderInterfaceRecord, getPluginHandle) == 24);

inline constexpr std::uint32_t kMessagingInterfaceId = 1;
// The handle the loader gives the plugin it loads.
inline constexpr std::uint32_t kSimulatedPluginHandle = 7;

using PluginLoadEntry = bool(SIM_ABI*)(const LoaderInterfaceRecord* loader);

struct ListenerRegistration {
    std::uint32_t pluginHandle;
    std::string sender;
    LoaderListener listener;
};

struct PluginLoadOutcome {
    bool descriptorAccepted = false;
    bool loadCalled = false;
    bool loadReturned = false;
};

// Reads the descriptor, refuses a record it cannot accept, and calls the load
// entry on the calling thread.
PluginLoadOutcome loadPlugin(const PluginDescriptorRecord* descriptor, PluginLoadEntry load);
// Sends a message from "Obrix" to every listener registered for that sender
// by the loaded plugin. Returns how many listeners received it.
std::size_t sendLoaderMessage(std::uint32_t type);
std::vector<ListenerRegistration> listenerRegistrations();
// When false, the loader answers no interface for id 1.
void setMessagingInterfaceAvailable(bool available);
// When false, the interface for id 1 has no listener-registration function.
void setListenerRegistrationAvailable(bool available);
const LoaderInterfaceRecord* loaderInterface();

}  // namespace hostsim
