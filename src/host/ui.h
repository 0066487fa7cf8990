#pragma once
// Thin wrappers over the game's menu and sound functions.
#include <string>

namespace lumora {

bool IsMenuOpen(const char* menuName);
void CloseMenu(const char* menuName);
void PlayUiSound(const std::string& soundName);

}  // namespace lumora
