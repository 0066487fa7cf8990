#pragma once
// A replaceable, failable entry point: a test may install a stand-in for a
// Windows function or make it fail with an error code.
#include <atomic>
#include <functional>
#include <mutex>

#include "win32_layer.h"

namespace win32layer::detail {

template <typename Signature>
class FunctionSeam {
public:
    void replace(std::function<Signature> stand_in) {
        std::lock_guard lock(mutex_);
        standIn_ = std::move(stand_in);
    }
    // Copied out so the stand-in runs without the lock (it may call back in).
    std::function<Signature> standIn() const {
        std::lock_guard lock(mutex_);
        return standIn_;
    }
    void failWith(DWORD error) { failure_.store(error); }
    DWORD failure() const { return failure_.load(); }

private:
    mutable std::mutex mutex_;
    std::function<Signature> standIn_;
    std::atomic<DWORD> failure_{0};
};

// Seams live for the whole process (never destroyed) so they work during
// static initialisation and destruction of other objects.
template <typename Signature>
FunctionSeam<Signature>& makeSeam() {
    return *new FunctionSeam<Signature>;
}

}  // namespace win32layer::detail
