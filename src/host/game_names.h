#pragma once
// Names the game knows its menus and UI sounds by; menus compare by the
// engine string made from these texts.

namespace lumora {

inline constexpr const char* kStarMapMenu = "GalaxyStarMapMenu";
inline constexpr const char* kTextInputMenu = "TextInputMenu";
inline constexpr const char* kMessageBoxMenu = "MessageBoxMenu";
inline constexpr const char* kConsoleMenu = "Console";

inline constexpr const char* kConfirmSound = "UIMenuGeneralOK";
inline constexpr const char* kCancelSound = "UIMenuGeneralActivateFailure";

}  // namespace lumora
