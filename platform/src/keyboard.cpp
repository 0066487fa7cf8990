#include <array>
#include <atomic>

#include "win32_controls.h"

namespace win32layer {

namespace {

constexpr int kKeyCount = 256;
constexpr unsigned kDownBit = 0x8000;
constexpr unsigned kToggledBit = 0x0001;

// One word per virtual key: down bit and toggle bit, as GetKeyState reports them.
// Constant-initialised, so usable from any static constructor.
std::array<std::atomic<unsigned>, kKeyCount> keyStates{};

bool isKeyCode(int virtualKey) { return virtualKey >= 0 && virtualKey < kKeyCount; }

}  // namespace

void pressKey(int virtualKey) {
    if (!isKeyCode(virtualKey)) return;
    unsigned state = keyStates[virtualKey].load();
    // Each press (not auto-repeat of a held key) flips the toggle bit.
    while (!(state & kDownBit) &&
           !keyStates[virtualKey].compare_exchange_weak(state, (state ^ kToggledBit) | kDownBit)) {
    }
}

void releaseKey(int virtualKey) {
    if (!isKeyCode(virtualKey)) return;
    keyStates[virtualKey].fetch_and(~kDownBit);
}

void releaseAllKeys() {
    for (auto& state : keyStates) state.store(0);
}

}  // namespace win32layer

SHORT GetKeyState(int virtualKey) {
    if (!win32layer::isKeyCode(virtualKey)) return 0;
    return static_cast<SHORT>(static_cast<unsigned short>(win32layer::keyStates[virtualKey].load()));
}
