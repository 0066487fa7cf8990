#pragma once
// Where the game keeps what the search reads inside its objects. All integers
// are little-endian; every offset is in bytes from the object's start.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lumora {

namespace HostLayout {
// Any form
inline constexpr std::size_t FormFlags = 0x20;         // 32 bits
inline constexpr std::size_t FormId = 0x28;            // 32 bits
inline constexpr std::size_t TypeCodeVirtual = 0x110;  // slot in the virtual table
// Placed objects
inline constexpr std::size_t PlacedBase = 0x98;
inline constexpr std::size_t PlacedAux = 0xB0;
inline constexpr std::size_t ParentLink = 0xC0;  // followed through ancestor chains
inline constexpr std::size_t ExtraContainer = 0xC8;
// Extra-data container: the list searched by type, and its own lock
inline constexpr std::size_t ContainerList = 8;
inline constexpr std::size_t ContainerLock = 32;
// Extra-data entries
inline constexpr std::size_t ExtraPayload = 0x18;     // marker data pointer / display-name handle
inline constexpr std::size_t MarkerFlagsByte = 0x18;  // inside the marker data
inline constexpr std::uint8_t ExtraTypeMarker = 42;
inline constexpr std::uint8_t ExtraTypeDisplayName = 150;
inline constexpr std::uint8_t MarkerVisibleOnStarMap = 0x10;
// Engine-string entries
inline constexpr std::size_t StringLength = 0x08;  // 64 bits
inline constexpr std::size_t StringFlags = 0x14;   // 8 bits
inline constexpr std::size_t StringText = 0x18;
inline constexpr std::uint8_t StringHasNoNarrowText = 0x02;
// All-forms map
inline constexpr std::size_t MapSlots = 0x10;
inline constexpr std::size_t MapSlotCount = 0x18;
// Keyword list
inline constexpr std::size_t KeywordCount = 0x20;  // 32 bits
inline constexpr std::size_t KeywordArray = 0x28;
// Planet registry
inline constexpr std::size_t PlanetCount = 0x11E8;  // 32 bits
inline constexpr std::size_t PlanetArray = 0x11F0;
// Type codes
inline constexpr std::uint8_t TypePlacedObject = 0x4A;
inline constexpr std::uint8_t TypeMapMarkerBase = 0x29;
inline constexpr std::uint8_t TypeEligibleBase = 0x1E;
// Placed-object flag that hides a marker
inline constexpr std::uint32_t FlagHiddenMarker = 0x20;
}  // namespace HostLayout

// One slot of the all-forms map's slot array.
struct AllFormsSlot {
    std::uint32_t key;
    std::uint32_t padding;
    void* form;
    std::uint32_t chain;  // kEmptySlotChain: the slot is free
    std::uint32_t padding2;
};
static_assert(sizeof(AllFormsSlot) == 24);
static_assert(offsetof(AllFormsSlot, key) == 0);
static_assert(offsetof(AllFormsSlot, form) == 8);
static_assert(offsetof(AllFormsSlot, chain) == 16);
inline constexpr std::uint32_t kEmptySlotChain = 0xFFFFFFFF;

// Reads a field of a game object without assuming anything about alignment.
template <typename T>
inline T readHostField(const void* object, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const std::uint8_t*>(object) + offset, sizeof(T));
    return value;
}

inline std::uint32_t hostFormId(const void* form) { return readHostField<std::uint32_t>(form, HostLayout::FormId); }

}  // namespace lumora
