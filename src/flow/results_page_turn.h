#pragma once
// Turning the results box to its next page. The polling thread asks for it
// (the hotkey while the box is open and lines remain) and closes the box; the
// menu sink sees the box close, so that its close empties the old page's
// keys; then the game's thread shows the next page from the first hook.
#include <cstdint>

namespace lumora {

// A page turn that has not seen the box close after this long is given up.
inline constexpr std::int64_t kPageTurnCloseWaitNs = 1'000'000'000;

// Called by the menu sink with PluginState.mutex held when the message box
// closes: a page turn goes on to showing the next page; any other close (the
// box's own button, a choice, another box) drops the remaining pages.
void onMessageBoxClosedForPages();

// Called by the menu sink with PluginState.mutex held when a message box
// opens: during a page turn that is another box, and the pages are dropped.
void onMessageBoxOpenedForPages();

// Called on the game's thread with PluginState.mutex held while a page turn
// is under way. Once the closed box's event has come and the box has left the
// game's list of open menus (in whichever order the two happen), shows the
// next page, with its keys and stamp, through the message box with our title;
// drops the pages instead when the star map has closed or the text input or
// the console is open. While the close is awaited it does nothing, unless
// kPageTurnCloseWaitNs have passed since the hotkey, which drops the pages.
void showRequestedResultsPage();

}  // namespace lumora
