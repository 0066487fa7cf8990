#include "hostsim/menus.h"

#include <deque>
#include <map>
#include <mutex>

#include "hostsim/game_code.h"
#include "hostsim/transcript.h"

namespace hostsim {
namespace {

struct QueuedMenuChange {
    std::string menu;
    bool open;
    std::function<void()> check;
};

struct MenuRecord {
    std::mutex mutex;
    std::map<std::string, bool> open;
    std::deque<QueuedMenuChange> queue;
};

MenuRecord& menus() {
    // Never destroyed: the plugin's threads may still call into the game at exit.
    static MenuRecord& instance = *new MenuRecord;
    return instance;
}

constexpr UiObject makeUiObject() {
    UiObject ui{};
    ui.menuOpenClose.signature = 0x4556534F55524345;  // "EVSOURCE"
    ui.menuOpenClose.kind = EventSourceKind::MenuOpenClose;
    return ui;
}

constinit UiObject theUiObject = makeUiObject();
constinit UiMessageQueueObject theUiMessageQueue{0x5549515545554521, {}};

// Changes the state; true when it changed.
bool setMenuOpen(const std::string& menu, bool open) {
    auto& m = menus();
    std::lock_guard lock(m.mutex);
    bool& state = m.open[menu];
    if (state == open) return false;
    state = open;
    return true;
}

void changeMenu(const std::string& menu, bool open) {
    if (!setMenuOpen(menu, open)) return;
    recordTranscriptLine(std::string(open ? "menu opened " : "menu closed ") + quoted(menu));
    deliverMenuOpenClose(menu.c_str(), open);
}

}  // namespace

UiObject* uiObject() { return &theUiObject; }
UiMessageQueueObject* uiMessageQueue() { return &theUiMessageQueue; }

bool isMenuOpen(const char* menuName) {
    auto& m = menus();
    std::lock_guard lock(m.mutex);
    auto found = m.open.find(menuName);
    return found != m.open.end() && found->second;
}

std::vector<std::string> openMenuNames() {
    auto& m = menus();
    std::lock_guard lock(m.mutex);
    std::vector<std::string> names;
    for (const auto& [name, open] : m.open)
        if (open) names.push_back(name);
    return names;
}

void openMenu(const char* menuName) { changeMenu(menuName, true); }
void closeMenu(const char* menuName) { changeMenu(menuName, false); }

void queueMenuOpen(const char* menuName, std::function<void()> check) {
    auto& m = menus();
    std::lock_guard lock(m.mutex);
    m.queue.push_back({menuName, true, std::move(check)});
}

void queueMenuClose(const char* menuName) {
    auto& m = menus();
    std::lock_guard lock(m.mutex);
    m.queue.push_back({menuName, false, {}});
}

std::size_t processUiQueue() {
    std::deque<QueuedMenuChange> batch;
    {
        auto& m = menus();
        std::lock_guard lock(m.mutex);
        batch.swap(m.queue);
    }
    for (auto& change : batch) {
        if (change.check) change.check();
        changeMenu(change.menu, change.open);
    }
    return batch.size();
}

std::size_t pendingUiMessages() {
    auto& m = menus();
    std::lock_guard lock(m.mutex);
    return m.queue.size();
}

SIM_ABI bool isMenuOpenHost(UiObject* ui, const EngineStringHandle* menuName) {
    GameCodeScope gameCode;
    if (ui != uiObject()) {
        recordViolation("HostUi_IsMenuOpen called with an object that is not the UI");
        return false;
    }
    if (menuName == nullptr || *menuName == nullptr || !isEngineString(*menuName)) return false;
    return isMenuOpen(engineStringText(*menuName).c_str());
}

SIM_ABI void addUiMessage(UiMessageQueueObject* queue, const EngineStringHandle* menuName, std::uint32_t kind) {
    GameCodeScope gameCode;
    if (queue != uiMessageQueue()) {
        recordViolation("HostUiMessageQueue_AddMessage called with an object that is not the message queue");
        return;
    }
    if (menuName == nullptr || *menuName == nullptr || !isEngineString(*menuName)) {
        recordViolation("HostUiMessageQueue_AddMessage with no menu name");
        return;
    }
    const std::string menu = engineStringText(*menuName);
    recordTranscriptLine("ui message " + quoted(menu) + " kind " + std::to_string(kind));
    if (kind == kUiMessageClose) queueMenuClose(menu.c_str());
}

}  // namespace hostsim
