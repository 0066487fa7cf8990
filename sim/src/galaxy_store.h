#pragma once
// What a built galaxy owns. Private to the galaxy sources.
#include <cstddef>
#include <memory>
#include <random>
#include <unordered_map>
#include <vector>

#include "hostsim/galaxy.h"

namespace hostsim {

// Hands out memory in large chunks with random gaps between objects, so that
// objects allocated one after another do not sit next to each other, as in
// a game that allocated its forms over hours. Gaps hold a poison pattern.
class ScatterArena {
public:
    explicit ScatterArena(std::uint64_t seed) : random_(seed) {}
    void* allocate(std::size_t size, std::size_t alignment = 16);
    template <typename T>
    T* make() {
        return new (allocate(sizeof(T), alignof(T) < 16 ? 16 : alignof(T))) T{};
    }

private:
    static constexpr std::size_t kFirstChunkSize = 64u << 10;
    static constexpr std::size_t kLargestChunkSize = 32u << 20;
    std::vector<std::unique_ptr<std::byte[]>> chunks_;
    std::size_t chunkSize_ = 0;
    std::size_t used_ = 0;
    std::mt19937_64 random_;
};

inline constexpr std::uint8_t kPoisonByte = 0xA5;

// The all-forms map's slot order: a chained hash over a power-of-two table.
// Slots of one chain are linked through their chain word; the last one holds
// the slot count. Free slots hold kEmptySlot.
std::uint32_t homeSlot(std::uint32_t key, std::uint64_t slotCount, std::uint64_t seed);
// Enters a key; the table must have a free slot.
void insertSlot(MapSlot* slots, std::uint64_t slotCount, std::uint64_t seed, std::uint32_t key, FormHeader* form,
                std::uint64_t& freeCursor);
FormHeader* findSlot(const MapSlot* slots, std::uint64_t slotCount, std::uint64_t seed, std::uint32_t key);

struct GalaxyStore {
    explicit GalaxyStore(std::uint64_t seed) : arena(seed), seed(seed) {}
    ScatterArena arena;
    std::uint64_t seed;
    std::unordered_map<std::uint32_t, FormHeader*> byId;
    std::unordered_map<std::uint32_t, FullForm*> fullById;
    std::vector<ExtraDataContainer*> containers;
    std::unique_ptr<MapSlot[]> slots;
    AllFormsMap* map = nullptr;
    PlanetRegistry* registry = nullptr;
    std::vector<FormHeader*> registryEntries;
    FormHeader* player = nullptr;
    FormHeader* context = nullptr;
    bool nullAllFormsMap = false;
    bool nullPlanetRegistry = false;
    // Lookup of a map laid out in file order, where keys are not hashed.
    std::unordered_map<std::uint32_t, FormHeader*> orderedIndex;
    bool slotsInFileOrder = false;
};

}  // namespace hostsim

namespace hostsim {
struct GalaxyAccess {
    static const GalaxyStore& store(const Galaxy& galaxy) { return *galaxy.store_; }
};
}  // namespace hostsim
