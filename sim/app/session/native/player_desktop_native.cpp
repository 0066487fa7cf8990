// The native session: the plugin is linked into the program and the
// "Windows" it calls is our own layer, whose desktop the session drives.
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "player_desktop.h"
#include "win32_controls.h"

namespace demo {
namespace {

using namespace std::chrono_literals;

// Set by the polling thread once it has gone to sleep for good.
std::atomic<bool> pollingParked{false};

}  // namespace

void releaseEveryKey() { win32layer::releaseAllKeys(); }

void* createTopWindow(const std::string& title) { return win32layer::createWindow(title); }

bool bringWindowToFront(void* window) {
    win32layer::setForegroundWindow(static_cast<HWND>(window));
    return true;
}

void sendKeyEvent(int virtualKey, bool down) {
    down ? win32layer::pressKey(virtualKey) : win32layer::releaseKey(virtualKey);
}

void answerPluginErrorBoxes(ErrorBoxRecorder record) {
    if (!record) {
        win32layer::setMessageBoxHandler({});
        return;
    }
    win32layer::setMessageBoxHandler([record](const win32layer::MessageBoxRecord& box) {
        record(box.caption, box.text);
        return IDOK;
    });
}

bool writeGeneralSetting(const std::string& path, const std::string& key, const std::string& value) {
    return WritePrivateProfileStringA("General", key.c_str(), value.c_str(), path.c_str()) != 0;
}

PluginEntries bindPluginExports() {
    return {static_cast<const hostsim::PluginDescriptorRecord*>(dlsym(RTLD_DEFAULT, "ObrixPlugin_Version")),
            reinterpret_cast<hostsim::PluginLoadEntry>(dlsym(RTLD_DEFAULT, "ObrixPlugin_Load"))};
}

// Our layer's keyboard is one shared table: every thread sees a key at once.
void awaitFirstPollingPass() {}

// A busy machine can keep the polling thread from running for longer than a
// key is held: its Sleep after each pass counts the passes that saw the key.
std::uint64_t endedPollingPasses() { return win32layer::sleepCalls(); }

void awaitPollingPasses(std::uint64_t before, std::uint64_t passes) {
    if (win32layer::createdThreads().empty()) return;  // no polling thread runs
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (win32layer::sleepCalls() < before + passes && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
}

bool parkPollingThread() {
    if (win32layer::createdThreads().empty()) return true;
    win32layer::setSleepOverride([](DWORD) {
        pollingParked.store(true);
        for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    });
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!pollingParked.load() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    return pollingParked.load();
}

}  // namespace demo
