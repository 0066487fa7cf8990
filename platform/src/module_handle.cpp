#include <atomic>

#include "win32_controls.h"

namespace {
// Constant-initialised, so they are valid before any static constructor runs.
std::atomic<bool> moduleHandleFails{false};
std::atomic<void*> moduleHandleOverride{nullptr};
}  // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    // The only module in the simulated process is the game's executable.
    if (moduleName != nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (moduleHandleFails.load()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (void* base = moduleHandleOverride.load()) return static_cast<HMODULE>(base);
    return reinterpret_cast<HMODULE>(win32layer::simulatedImage());
}

namespace win32layer {

void failModuleHandle(bool fail) { moduleHandleFails.store(fail); }

void overrideModuleHandle(void* base) { moduleHandleOverride.store(base); }

}  // namespace win32layer
