#pragma once
// Thin wrappers over the game's menu and sound functions.
#include <string>

bool IsMenuOpen(const char* menuName);
void CloseMenu(const char* menuName);
void PlayUiSound(const std::string& soundName);
