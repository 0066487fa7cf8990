#include "allocation_registry.h"

#include <map>
#include <mutex>

namespace win32layer::detail {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::uintptr_t, Allocation> byBase;
};

// Never destroyed: blocks are still released by other objects' destructors at exit.
Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

}  // namespace

void registerAllocation(const Allocation& allocation) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.byBase[allocation.base] = allocation;
}

std::optional<Allocation> takeAllocationAt(std::uintptr_t base) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.byBase.find(base);
    if (it == r.byBase.end()) return std::nullopt;
    Allocation found = it->second;
    r.byBase.erase(it);
    return found;
}

std::optional<Allocation> findAllocationContaining(std::uintptr_t address) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.byBase.upper_bound(address);
    if (it == r.byBase.begin()) return std::nullopt;
    --it;
    if (address - it->second.base < it->second.size) return it->second;
    return std::nullopt;
}

std::optional<std::uintptr_t> nextAllocationStartAbove(std::uintptr_t address) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.byBase.upper_bound(address);
    if (it == r.byBase.end()) return std::nullopt;
    return it->first;
}

}  // namespace win32layer::detail
