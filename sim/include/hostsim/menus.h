#pragma once
// The game's UI: which menus are open, the UI object and the UI message queue.
// Menus change on the game thread when it processes the queue (one frame
// later), or at once through openMenu/closeMenu on the calling thread.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostsim/abi.h"
#include "hostsim/engine_strings.h"
#include "hostsim/events.h"

namespace hostsim {

// The object HostUi_Singleton points to; its menu open/close event source
// lies 16 bytes in.
struct UiObject {
    const void* vtable;
    std::uint64_t reserved;
    EventSourceObject menuOpenClose;
};
static_assert(offsetof(UiObject, menuOpenClose) == 16);

// The object HostUiMessageQueue_Singleton points to.
struct UiMessageQueueObject {
    std::uint64_t signature;
    std::uint8_t reserved[56];
};

UiObject* uiObject();
UiMessageQueueObject* uiMessageQueue();

bool isMenuOpen(const char* menuName);
std::vector<std::string> openMenuNames();
// Open or close now and deliver MenuOpenCloseEvent on the calling thread.
// Opening an open menu, or closing a closed one, changes and delivers nothing.
void openMenu(const char* menuName);
void closeMenu(const char* menuName);
// Waits (at most `limit`) until no open or close event whose transcript line
// is written is still on its way to the sinks. A player cannot press a key
// between a menu's opening and its event; a script that acts on the line can.
void awaitMenuEventsDelivered(std::chrono::milliseconds limit);

// The order in which the game tells of a closing menu. By default a menu
// leaves the list of open menus before its close event is delivered, once.
// Other games may differ, so either can be changed for a run:
// - a closed menu still reads as open until the game thread's next frame has
//   processed its UI messages (the list is updated after the event);
// - the message box's close event is delivered a second time, at the start
//   of the next frame's UI messages (the player's button and a UI message
//   closing the same box in one moment).
struct MenuEventOrder {
    bool closedMenuLingers = false;
    bool messageBoxClosesTwice = false;
};
void setMenuEventOrder(MenuEventOrder order);
MenuEventOrder menuEventOrder();
// "game" (the default), "late-leave", "second-close" or both joined by ",";
// nullopt for anything else.
std::optional<MenuEventOrder> parseMenuEventOrder(std::string_view text);

// Changes the game thread makes on its next frame. The check runs just
// before the change, on the game thread.
void queueMenuOpen(const char* menuName, std::function<void()> check = {});
void queueMenuClose(const char* menuName);
// Applies every queued change, in order; returns how many were applied.
std::size_t processUiQueue();
std::size_t pendingUiMessages();

// The game's functions behind the stubs.
SIM_ABI bool isMenuOpenHost(UiObject* ui, const EngineStringHandle* menuName);
SIM_ABI void addUiMessage(UiMessageQueueObject* queue, const EngineStringHandle* menuName, std::uint32_t kind);

// The kind of UI message that closes the named menu.
inline constexpr std::uint32_t kUiMessageClose = 2;

}  // namespace hostsim
