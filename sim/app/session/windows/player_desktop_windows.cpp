// The Windows game's session: real windows on the desktop, keys through
// SendInput, the plugin's MessageBoxA boxes found on the screen and answered.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "player_desktop.h"
#include "plugin_imports.h"

namespace demo {
namespace {

using namespace std::chrono_literals;

constexpr UINT kRunTask = WM_APP + 1;
constexpr const char* kWindowClass = "HalcyraSessionWindow";

// Windows belong to the thread that created them and need its message loop,
// so one thread of the session owns every window and runs the work for them.
class WindowThread {
public:
    WindowThread() {
        std::promise<DWORD> started;
        auto id = started.get_future();
        thread_ = std::thread([this, &started] { loop(started); });
        thread_.detach();  // lives, like the windows, until the process ends
        threadId_ = id.get();
    }

    void run(std::function<void()> work) {
        std::packaged_task<void()> task(std::move(work));
        auto done = task.get_future();
        auto* posted = new std::packaged_task<void()>(std::move(task));
        while (!PostThreadMessageA(threadId_, kRunTask, 0, reinterpret_cast<LPARAM>(posted))) Sleep(1);
        done.get();
    }

private:
    static void loop(std::promise<DWORD>& started) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kWindowClass;
        RegisterClassA(&windowClass);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here on
        started.set_value(GetCurrentThreadId());
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.hwnd == nullptr && message.message == kRunTask) {
                std::unique_ptr<std::packaged_task<void()>> task(
                    reinterpret_cast<std::packaged_task<void()>*>(message.lParam));
                (*task)();
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    std::thread thread_;
    DWORD threadId_ = 0;
};

WindowThread& windowThread() {
    static WindowThread& instance = *new WindowThread;
    return instance;
}

class ErrorBoxAnswerer;

// What the session put on the desktop: its windows and the keys it holds down.
struct DesktopRecord {
    std::mutex mutex;  // guards the two fields below
    std::vector<HWND> windows;
    std::set<int> keysDown;
    std::unique_ptr<ErrorBoxAnswerer> answerer;  // set and reset by the script's thread only
};

DesktopRecord& desktop() {
    static DesktopRecord& instance = *new DesktopRecord;
    return instance;
}

bool isSessionWindow(HWND window) {
    std::lock_guard lock(desktop().mutex);
    for (HWND own : desktop().windows)
        if (own == window) return true;
    return false;
}

// Activation travels through the X server, so it shows a little later.
bool waitForForeground(const std::function<bool(HWND)>& wanted) {
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (!wanted(GetForegroundWindow())) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        Sleep(5);
    }
    return true;
}

// ---- The plugin's error boxes --------------------------------------------------

struct FoundBox {
    HWND window;
    std::string caption;
    std::string text;
};

std::string windowText(HWND window) {
    char text[2048] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK collectStaticText(HWND child, LPARAM into) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) {
        const std::string text = windowText(child);
        if (!text.empty()) *reinterpret_cast<std::string*>(into) = text;
    }
    return TRUE;
}

BOOL CALLBACK collectBox(HWND window, LPARAM into) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::string(className) == "#32770") {
        FoundBox box{window, windowText(window), {}};
        EnumChildWindows(window, collectStaticText, reinterpret_cast<LPARAM>(&box.text));
        reinterpret_cast<std::vector<FoundBox>*>(into)->push_back(box);
    }
    return TRUE;
}

// Looks for the plugin's boxes every few milliseconds; each one is reported
// once and answered with its OK button, as a player would.
class ErrorBoxAnswerer {
public:
    explicit ErrorBoxAnswerer(ErrorBoxRecorder record) : record_(std::move(record)) {
        thread_ = std::thread([this] { watch(); });
    }
    ~ErrorBoxAnswerer() {
        stop_.store(true);
        thread_.join();
    }

private:
    void watch() {
        std::set<HWND> answered;
        while (!stop_.load()) {
            std::vector<FoundBox> boxes;
            EnumWindows(collectBox, reinterpret_cast<LPARAM>(&boxes));
            std::set<HWND> stillShown;
            for (const auto& box : boxes) {
                stillShown.insert(box.window);
                if (answered.contains(box.window)) continue;
                answered.insert(box.window);
                record_(box.caption, box.text);
                // The player clicks the box's OK button. A box that closed
                // meanwhile needs no click: the result does not matter.
                HWND ok = GetDlgItem(box.window, IDOK);
                if (ok != nullptr) PostMessageA(ok, BM_CLICK, 0, 0);
                else PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
            std::erase_if(answered, [&](HWND window) { return !stillShown.contains(window); });
            Sleep(5);
        }
    }

    ErrorBoxRecorder record_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace

void releaseEveryKey() {
    std::set<int> down;
    {
        std::lock_guard lock(desktop().mutex);
        down.swap(desktop().keysDown);
    }
    for (int key : down) sendKeyEvent(key, false);
}

void* createTopWindow(const std::string& title) {
    HWND window = nullptr;
    windowThread().run([&] {
        window = CreateWindowExA(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 200,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    });
    std::lock_guard lock(desktop().mutex);
    desktop().windows.push_back(window);
    return window;
}

bool bringWindowToFront(void* window) {
    auto* target = static_cast<HWND>(window);
    if (target == nullptr) {
        // None of the game's windows shown, and the desktop itself in front
        // (Wine answers GetForegroundWindow with the desktop window then).
        windowThread().run([] {
            std::lock_guard lock(desktop().mutex);
            for (HWND own : desktop().windows) ShowWindow(own, SW_HIDE);
            SetForegroundWindow(GetDesktopWindow());
        });
        return waitForForeground([](HWND front) { return !isSessionWindow(front); });
    }
    windowThread().run([target] {
        ShowWindow(target, SW_SHOW);
        SetForegroundWindow(target);
        SetActiveWindow(target);
        SetFocus(target);
    });
    return waitForForeground([target](HWND front) { return front == target; });
}

void sendKeyEvent(int virtualKey, bool down) {
    {
        std::lock_guard lock(desktop().mutex);
        down ? (void)desktop().keysDown.insert(virtualKey) : (void)desktop().keysDown.erase(virtualKey);
    }
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(virtualKey);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    // Blocked input (another desktop in front) would show as a missing line
    // in the transcript, where the scenario catches it.
    SendInput(1, &input, sizeof input);
}

void answerPluginErrorBoxes(ErrorBoxRecorder record) {
    desktop().answerer.reset();
    if (record) desktop().answerer = std::make_unique<ErrorBoxAnswerer>(std::move(record));
}

bool writeGeneralSetting(const std::string& path, const std::string& key, const std::string& value) {
    return WritePrivateProfileStringA("General", key.c_str(), value.c_str(), path.c_str()) != 0;
}

PluginEntries bindPluginExports() {
    auto* plugin = static_cast<HMODULE>(loadPluginLibrary());
    if (plugin == nullptr) return {};
    return {reinterpret_cast<const hostsim::PluginDescriptorRecord*>(GetProcAddress(plugin, "ObrixPlugin_Version")),
            reinterpret_cast<hostsim::PluginLoadEntry>(reinterpret_cast<void*>(GetProcAddress(plugin,
                                                                                              "ObrixPlugin_Load")))};
}

// A thread of Wine sees keys that SendInput sends only if it was already
// reading key states before the press. Waiting for more passes before each
// press would not do: a pass under the script's frozen clock can use up a
// debounce interval the scenario has just opened.
void awaitFirstPollingPass() {
    for (int waited = 0; pluginSleepCount() == 0 && waited < 500; ++waited) Sleep(1);
}

std::uint64_t endedPollingPasses() { return pluginSleepCount(); }

void awaitPollingPasses(std::uint64_t before, std::uint64_t passes) {
    if (pluginSleepCount() == 0) return;  // no polling thread runs
    const ULONGLONG deadline = GetTickCount64() + 2000;
    while (pluginSleepCount() < before + passes && GetTickCount64() < deadline) Sleep(1);
}

bool parkPollingThread() {
    if (pluginSleepCount() == 0) return true;
    return parkInPluginSleep(5000);
}

}  // namespace demo
