#pragma once
// Reading the game's memory the way the plugin does: raw offsets from the
// image base and from host objects, calls through the game's entry points.
#include <cstdint>
#include <cstring>
#include <string>

#include "hostsim/abi.h"
#include "hostsim/boot.h"
#include "hostsim/galaxy.h"
#include "hostsim/image.h"

namespace galaxy_test {

inline constexpr std::uintptr_t kHostLockAcquire = 0x2F4AFC0;
inline constexpr std::uintptr_t kHostLockRelease = 0x2F4B188;

template <typename T>
T readAt(const void* object, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const std::uint8_t*>(object) + offset, sizeof(T));
    return value;
}

inline void* globalPointer(std::uintptr_t offset) { return readAt<void*>(hostsim::at(offset), 0); }

template <typename Fn>
Fn gameFunction(std::uintptr_t offset) {
    return reinterpret_cast<Fn>(hostsim::at(offset));
}

inline std::uint32_t formIdOf(const void* form) { return readAt<std::uint32_t>(form, 0x28); }

// The type code through entry 34 (byte 0x110) of the form's virtual table.
inline std::uint8_t typeCodeThroughTable(void* form) {
    using TypeCodeFn = std::uint8_t(SIM_ABI*)(void*);
    void* const* table = readAt<void* const*>(form, 0);
    return reinterpret_cast<TypeCodeFn>(table[0x110 / sizeof(void*)])(form);
}

inline void acquireHostLock(void* lock) { gameFunction<void(SIM_ABI*)(void*)>(kHostLockAcquire)(lock); }
inline void releaseHostLock(void* lock) { gameFunction<void(SIM_ABI*)(void*)>(kHostLockRelease)(lock); }

inline std::string sampleGalaxyPath() { return hostsim::shippedGalaxyDirectory() + "/sample.galaxy"; }

// The all-forms map's slot whose key is the id, read raw; null when absent.
inline void* formInSlots(std::uint32_t key) {
    void* map = globalPointer(hostsim::form_offsets::AllFormsMap);
    if (map == nullptr) return nullptr;
    auto* slots = readAt<std::uint8_t*>(map, 0x10);
    const auto count = readAt<std::uint64_t>(map, 0x18);
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint8_t* slot = slots + i * 24;
        if (readAt<std::uint32_t>(slot, 16) != 0xFFFFFFFF && readAt<std::uint32_t>(slot, 0) == key)
            return readAt<void*>(slot, 8);
    }
    return nullptr;
}

}  // namespace galaxy_test
