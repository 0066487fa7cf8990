#pragma once
// Thin wrappers over the game's menu and sound functions.
#include <string>

namespace lumora {

// False while the game has no UI object.
bool IsMenuOpen(const char* menuName);
// Does nothing while the game has no UI message queue.
void CloseMenu(const char* menuName);
void PlayUiSound(const std::string& soundName);

}  // namespace lumora
