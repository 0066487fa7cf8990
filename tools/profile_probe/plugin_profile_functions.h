#pragma once
// The plugin's own reading and writing of a profile file
// (config/profile_strings.h) in the shape of GetPrivateProfileStringA and
// WritePrivateProfileStringA, for the probe table and the read-through: what
// the profile functions add around a value (the default when there is none,
// its trailing blanks and quotes dropped; the value cut to the buffer) is
// done here, the value itself comes from the plugin.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "config/profile_strings.h"
#include "profile_probe.h"

namespace profile_probe {

inline DWORD WINAPI pluginReadProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                                            LPCSTR path) {
    if (buffer == nullptr || size == 0) return 0;
    std::string text;
    if (const auto value = lumora::readProfileValueAt(path, section, key)) {
        text = *value;
    } else {
        std::string_view fallback = defaultValue == nullptr ? std::string_view() : std::string_view(defaultValue);
        while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) fallback.remove_suffix(1);
        if (fallback.size() >= 2 && (fallback.front() == '"' || fallback.front() == '\'') &&
            fallback.back() == fallback.front())
            fallback = fallback.substr(1, fallback.size() - 2);
        text = fallback;
    }
    const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

inline BOOL WINAPI pluginWriteProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR path) {
    return lumora::writeProfileValueAt(path, section, key, value) ? TRUE : FALSE;
}

inline ProfileFunctions pluginProfileFunctions() { return {&pluginReadProfileString, &pluginWriteProfileString}; }

}  // namespace profile_probe
