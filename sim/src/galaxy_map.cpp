// The all-forms map's hashing: where a form id lands and how its chain runs.
#include "galaxy_store.h"

namespace hostsim {

std::uint32_t homeSlot(std::uint32_t key, std::uint64_t slotCount, std::uint64_t seed) {
    // A 64-bit finaliser: neighbouring ids land far apart.
    std::uint64_t h = key ^ (seed * 0x9E3779B97F4A7C15ull);
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return static_cast<std::uint32_t>(h & (slotCount - 1));
}

void insertSlot(MapSlot* slots, std::uint64_t slotCount, std::uint64_t seed, std::uint32_t key, FormHeader* form,
                std::uint64_t& freeCursor) {
    const auto endOfChain = static_cast<std::uint32_t>(slotCount);
    const std::uint32_t home = homeSlot(key, slotCount, seed);
    if (slots[home].chain == kEmptySlot) {
        slots[home] = MapSlot{key, 0, form, endOfChain, 0};
        return;
    }
    // Coalesced chaining: take a free slot from the top and hang it on the
    // end of the chain that runs through the home slot.
    while (slots[freeCursor].chain != kEmptySlot) --freeCursor;
    const auto fresh = static_cast<std::uint32_t>(freeCursor);
    std::uint32_t last = home;
    while (slots[last].chain != endOfChain) last = slots[last].chain;
    slots[fresh] = MapSlot{key, 0, form, endOfChain, 0};
    slots[last].chain = fresh;
}

FormHeader* findSlot(const MapSlot* slots, std::uint64_t slotCount, std::uint64_t seed, std::uint32_t key) {
    if (slots == nullptr || slotCount == 0) return nullptr;
    const auto endOfChain = static_cast<std::uint32_t>(slotCount);
    std::uint32_t index = homeSlot(key, slotCount, seed);
    if (slots[index].chain == kEmptySlot) return nullptr;
    while (true) {
        if (slots[index].key == key) return slots[index].form;
        if (slots[index].chain == endOfChain) return nullptr;
        index = slots[index].chain;
    }
}

}  // namespace hostsim
