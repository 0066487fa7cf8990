#include "support/allocator/test_allocator.h"

#include <cstdlib>
#include <new>

#include "hostsim/game_code.h"
#include "win32_controls.h"

namespace {

struct AllocationPlan {
    bool counting = false;
    std::size_t counted = 0;
    std::size_t failAt = 0;  // 0: never
    bool injected = false;
};
thread_local AllocationPlan plan;

// True when this allocation is to fail.
bool countAllocation() noexcept {
    if (!plan.counting || hostsim::insideGameCode() || win32layer::insideSystemCode()) return false;
    ++plan.counted;
    if (plan.counted != plan.failAt) return false;
    plan.injected = true;
    return true;
}

void* allocate(std::size_t size, std::size_t alignment) noexcept {
    if (size == 0) size = 1;
    if (alignment <= alignof(std::max_align_t)) return std::malloc(size);
    // aligned_alloc wants a size that is a multiple of the alignment.
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}

void* allocateOrThrow(std::size_t size, std::size_t alignment) {
    if (countAllocation()) throw std::bad_alloc();
    if (void* p = allocate(size, alignment)) return p;
    throw std::bad_alloc();
}

void* allocateOrNull(std::size_t size, std::size_t alignment) noexcept {
    return countAllocation() ? nullptr : allocate(size, alignment);
}

constexpr std::size_t kDefault = alignof(std::max_align_t);

}  // namespace

namespace lumora_test {

void startCountingAllocations() { plan = AllocationPlan{true, 0, 0, false}; }

std::size_t stopCountingAllocations() {
    plan.counting = false;
    return plan.counted;
}

void failNthAllocation(std::size_t n) { plan = AllocationPlan{true, 0, n, false}; }

bool allocationFailureInjected() { return plan.injected; }

}  // namespace lumora_test

void* operator new(std::size_t size) { return allocateOrThrow(size, kDefault); }
void* operator new[](std::size_t size) { return allocateOrThrow(size, kDefault); }
void* operator new(std::size_t size, std::align_val_t a) { return allocateOrThrow(size, static_cast<std::size_t>(a)); }
void* operator new[](std::size_t size, std::align_val_t a) {
    return allocateOrThrow(size, static_cast<std::size_t>(a));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull(size, kDefault); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull(size, kDefault); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
