#pragma once
// The members of the loader's records that the plugin touches.
#include <cstddef>
#include <cstdint>

#include "host/host_abi.h"

namespace lumora {

struct LoaderMessage {
    std::uint8_t unread[8];
    std::uint32_t type;
};
static_assert(offsetof(LoaderMessage, type) == 8);

using LoaderMessageListener = void(HOST_ABI*)(LoaderMessage* message) noexcept;

struct LoaderMessagingInterface {
    void* unread;
    void(HOST_ABI* registerListener)(std::uint32_t pluginHandle, const char* sender, LoaderMessageListener listener);
};
static_assert(offsetof(LoaderMessagingInterface, registerListener) == 8);

struct LoaderInterface {
    std::uint8_t unread[16];
    void*(HOST_ABI* queryInterface)(std::uint32_t id);
    std::uint32_t(HOST_ABI* getPluginHandle)();
};
static_assert(offsetof(LoaderInterface, queryInterface) == 16);
static_assert(offsetof(LoaderInterface, getPluginHandle) == 24);

inline constexpr std::uint32_t kMessagingInterfaceId = 1;
inline constexpr std::uint32_t kDataLoadedMessage = 2;

// Receives the loader's messages from the sender "Obrix".
HOST_ABI void PluginMessageListener(LoaderMessage* message) noexcept;

}  // namespace lumora

// Exported load entry. Results:
//   true   both call sites patched and the listener registered;
//   false  the game's image or the loader's messaging interface is missing
//          (one error box), or an exception stopped the load; in both cases
//          before any call site was patched or any trampoline was allocated.
// A trampoline that cannot be placed ends the process after its error box.
extern "C" HOST_ABI bool ObrixPlugin_Load(const lumora::LoaderInterface* loader) noexcept;
