#pragma once
// Holds one of the game's locks for the guard's scope, unwinding included.
#include "host/bindings.h"

namespace lumora {

class HostLockGuard {
public:
    explicit HostLockGuard(void* lock) : m_lock(lock) {
        hostFunction<HostLockFn>(HostOffset::HostLock_Acquire)(m_lock);
    }
    ~HostLockGuard() { hostFunction<HostLockFn>(HostOffset::HostLock_Release)(m_lock); }
    HostLockGuard(const HostLockGuard&) = delete;
    HostLockGuard& operator=(const HostLockGuard&) = delete;

private:
    void* m_lock;
};

}  // namespace lumora
