#pragma once
// The log's account of the settings and texts in effect, one line each, and
// where each came from, so that a bug report shows what the player's files
// really did.
#include <string_view>

namespace lumora {

enum class ValueOrigin {
    File,               // the file's value is in effect
    DefaultWritten,     // the key was missing or empty: its default is in effect and was written back
    DefaultNotInFile,   // an addition's key that is absent: off, and never written
    DefaultUnreadable,  // the file's value could not be read as one (the hotkey): the default is in effect
};

// "setting KEY = VALUE (origin)"; `fileText` is the file's text of an
// unreadable value.
void logSettingInEffect(std::string_view key, std::string_view value, ValueOrigin origin,
                        std::string_view fileText = {}) noexcept;

// "text KEY = "TEXT" (origin)".
void logTextInEffect(std::string_view key, std::string_view text, ValueOrigin origin) noexcept;

// "<file> found" or "<file> absent: defaults in effect".
void logConfigurationFile(std::string_view fileName, bool found) noexcept;

}  // namespace lumora
