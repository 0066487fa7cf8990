#include "hostsim/menus.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

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
    MenuEventOrder order;
    // Closed menus that still read as open, by the UI pass that closed them.
    std::map<std::string, std::uint64_t> lingering;
    std::uint64_t uiPasses = 0;
    std::size_t repeatedMessageBoxCloses = 0;  // due at the start of the next UI pass
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

constexpr const char* kMessageBoxMenu = "MessageBoxMenu";

// Changes the state; true when it changed.
bool setMenuOpen(const std::string& menu, bool open) {
    auto& m = menus();
    std::lock_guard lock(m.mutex);
    bool& state = m.open[menu];
    if (state == open) return false;
    state = open;
    m.lingering.erase(menu);
    if (open) return true;
    // A closed menu may stay listed through its event and up to the UI pass
    // after the one now running (or the next one, when none runs).
    if (m.order.closedMenuLingers) m.lingering[menu] = m.uiPasses;
    if (m.order.messageBoxClosesTwice && menu == kMessageBoxMenu) ++m.repeatedMessageBoxCloses;
    return true;
}

// Counts an event from its menu's change until the sinks have returned.
std::atomic<int> menuEventsInFlight{0};

class MenuEventInFlight {
public:
    MenuEventInFlight() { menuEventsInFlight.fetch_add(1); }
    ~MenuEventInFlight() { menuEventsInFlight.fetch_sub(1); }
    MenuEventInFlight(const MenuEventInFlight&) = delete;
    MenuEventInFlight& operator=(const MenuEventInFlight&) = delete;
};

void changeMenu(const std::string& menu, bool open) {
    // Counted from before the menu's state changes: whoever sees the change
    // can then wait for the event's sinks to have run.
    const MenuEventInFlight inFlight;
    if (!setMenuOpen(menu, open)) return;
    recordTranscriptLine(std::string(open ? "menu opened " : "menu closed ") + quoted(menu));
    deliverMenuOpenClose(menu.c_str(), open);
}

// Starts a UI pass: menus closed before the previous pass leave the list, and
// the repeated close events fall due.
std::size_t beginUiPass() {
    auto& m = menus();
    std::lock_guard lock(m.mutex);
    ++m.uiPasses;
    std::erase_if(m.lingering, [&m](const auto& entry) { return entry.second < m.uiPasses; });
    return std::exchange(m.repeatedMessageBoxCloses, 0);
}

}  // namespace

UiObject* uiObject() { return &theUiObject; }
UiMessageQueueObject* uiMessageQueue() { return &theUiMessageQueue; }

bool isMenuOpen(const char* menuName) {
    auto& m = menus();
    std::lock_guard lock(m.mutex);
    auto found = m.open.find(menuName);
    return (found != m.open.end() && found->second) || m.lingering.contains(menuName);
}

std::vector<std::string> openMenuNames() {
    auto& m = menus();
    std::lock_guard lock(m.mutex);
    std::vector<std::string> names;
    for (const auto& [name, open] : m.open)
        if (open || m.lingering.contains(name)) names.push_back(name);
    return names;
}

void setMenuEventOrder(MenuEventOrder order) {
    auto& m = menus();
    std::lock_guard lock(m.mutex);
    m.order = order;
    m.lingering.clear();
    m.repeatedMessageBoxCloses = 0;
}

MenuEventOrder menuEventOrder() {
    auto& m = menus();
    std::lock_guard lock(m.mutex);
    return m.order;
}

std::optional<MenuEventOrder> parseMenuEventOrder(std::string_view text) {
    MenuEventOrder order;
    if (text == "game") return order;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view word = text.substr(0, comma);
        if (word == "late-leave" && !order.closedMenuLingers) order.closedMenuLingers = true;
        else if (word == "second-close" && !order.messageBoxClosesTwice) order.messageBoxClosesTwice = true;
        else return std::nullopt;
        if (comma == std::string_view::npos) return order;
        text.remove_prefix(comma + 1);
        if (text.empty()) return std::nullopt;
    }
    return std::nullopt;
}

void openMenu(const char* menuName) { changeMenu(menuName, true); }

void awaitMenuEventsDelivered(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (menuEventsInFlight.load() != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
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
    for (std::size_t repeats = beginUiPass(); repeats > 0; --repeats) {
        const MenuEventInFlight inFlight;
        recordTranscriptLine(std::string("menu closed ") + quoted(kMessageBoxMenu) + " again");
        deliverMenuOpenClose(kMessageBoxMenu, false);
    }
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
