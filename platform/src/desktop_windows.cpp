#include <algorithm>
#include <cstring>
#include <mutex>

#include "system_code.h"
#include "win32_controls.h"

namespace win32layer {

namespace {

struct SimulatedWindow {
    HWND handle;
    std::string title;
};

struct Desktop {
    std::mutex mutex;
    std::vector<SimulatedWindow> zOrder;  // front is the topmost window
    HWND foreground = nullptr;
    std::uintptr_t nextHandle = 0x10010;
};

Desktop& desktop() {
    static Desktop* instance = new Desktop;
    return *instance;
}

}  // namespace

HWND createWindow(const std::string& title) {
    Desktop& d = desktop();
    std::lock_guard lock(d.mutex);
    HWND handle = reinterpret_cast<HWND>(d.nextHandle);
    d.nextHandle += 0x10;
    d.zOrder.insert(d.zOrder.begin(), SimulatedWindow{handle, title});
    return handle;
}

void destroyWindow(HWND window) {
    Desktop& d = desktop();
    std::lock_guard lock(d.mutex);
    std::erase_if(d.zOrder, [window](const SimulatedWindow& w) { return w.handle == window; });
    if (d.foreground == window) d.foreground = nullptr;
}

void destroyAllWindows() {
    Desktop& d = desktop();
    std::lock_guard lock(d.mutex);
    d.zOrder.clear();
    d.foreground = nullptr;
}

// Bringing a window to the foreground also raises it to the top.
void setForegroundWindow(HWND window) {
    Desktop& d = desktop();
    std::lock_guard lock(d.mutex);
    if (window == nullptr) {
        d.foreground = nullptr;
        return;
    }
    auto it = std::find_if(d.zOrder.begin(), d.zOrder.end(),
                           [window](const SimulatedWindow& w) { return w.handle == window; });
    if (it == d.zOrder.end()) return;
    std::rotate(d.zOrder.begin(), it, it + 1);
    d.foreground = window;
}

}  // namespace win32layer

// Simulated windows have no class, so only a search by title alone can match.
HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
    win32layer::detail::SystemCodeScope systemCode;
    using namespace win32layer;
    if (className != nullptr) return nullptr;
    Desktop& d = desktop();
    std::lock_guard lock(d.mutex);
    for (const SimulatedWindow& window : d.zOrder) {
        if (windowName == nullptr || window.title == windowName) return window.handle;
    }
    return nullptr;
}

HWND GetForegroundWindow() {
    using namespace win32layer;
    Desktop& d = desktop();
    std::lock_guard lock(d.mutex);
    return d.foreground;
}
