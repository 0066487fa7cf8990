#pragma once
// The game's lightweight locks (the all-forms lock, each extra-data
// container's lock). HostLock_Acquire/HostLock_Release take a pointer to one.
#include <atomic>
#include <cstdint>

namespace hostsim {

struct HostLockObject {
    std::atomic<std::uint32_t> ownerThread{0};  // 0: free
    std::uint32_t depth = 0;                    // the same thread may take it again
    std::atomic<std::uint64_t> acquisitions{0};
    std::atomic<std::uint64_t> releases{0};
};
static_assert(sizeof(HostLockObject) == 24);

// True when every acquisition of the lock has been matched by a release.
inline bool isBalanced(const HostLockObject& lock) { return lock.acquisitions.load() == lock.releases.load(); }

}  // namespace hostsim

#include "hostsim/abi.h"

namespace hostsim {

// The game's HostLock_Acquire and HostLock_Release as they sit behind the
// stubs (Microsoft x64). A release by a thread that does not own the lock is
// reported as a violation and changes nothing.
SIM_ABI void acquireHostLock(HostLockObject* lock);
SIM_ABI void releaseHostLock(HostLockObject* lock);

// The game's all-forms lock, at its fixed place in the image (a zeroed lock is
// a free one).
HostLockObject& allFormsLock();

}  // namespace hostsim
