#include <atomic>
#include <thread>

#include "hostsim/host_lock.h"
#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "hostsim/transcript.h"

namespace hostsim {
namespace {

// Small non-zero ids, one per thread, as the game's locks store them.
std::uint32_t currentThreadId() {
    static std::atomic<std::uint32_t> nextId{1};
    thread_local const std::uint32_t id = nextId.fetch_add(1);
    return id;
}

}  // namespace

SIM_ABI void acquireHostLock(HostLockObject* lock) {
    const std::uint32_t me = currentThreadId();
    if (lock->ownerThread.load(std::memory_order_acquire) == me) {
        ++lock->depth;
    } else {
        std::uint32_t expected = 0;
        while (!lock->ownerThread.compare_exchange_weak(expected, me, std::memory_order_acquire)) {
            expected = 0;
            std::this_thread::yield();
        }
        lock->depth = 1;
    }
    lock->acquisitions.fetch_add(1);
}

SIM_ABI void releaseHostLock(HostLockObject* lock) {
    const std::uint32_t me = currentThreadId();
    if (lock->ownerThread.load(std::memory_order_acquire) != me || lock->depth == 0) {
        recordViolation("HostLock_Release of a lock the thread does not hold");
        return;
    }
    lock->releases.fetch_add(1);
    if (--lock->depth == 0) lock->ownerThread.store(0, std::memory_order_release);
}

}  // namespace hostsim

namespace hostsim {

HostLockObject& allFormsLock() { return *dataAt<HostLockObject>(offsets::HostForms_AllFormsLock); }

}  // namespace hostsim
