#include "config/configuration_log.h"

#include <string>

#include "base/plugin_log.h"

namespace lumora {

namespace {

const char* describeOrigin(ValueOrigin origin) {
    switch (origin) {
        case ValueOrigin::File: return "from the file";
        case ValueOrigin::DefaultWritten: return "default, written to the file";
        case ValueOrigin::DefaultNotInFile: return "default, not in the file";
        case ValueOrigin::DefaultUnreadable: return "default; the file's value is no key code";
    }
    return "";
}

int lengthOf(std::string_view text) { return static_cast<int>(text.size()); }

}  // namespace

// The quoted texts allocate; without memory the line is left out, and the
// settings are read on as if the log were off.
void logSettingInEffect(std::string_view key, std::string_view value, ValueOrigin origin,
                        std::string_view fileText) noexcept {
    if (!pluginLogAccepting()) return;
    try {
        const std::string file = origin == ValueOrigin::DefaultUnreadable ? ": " + quotedLogText(fileText) : "";
        appendLogLine("setting %.*s = %.*s (%s%s)", lengthOf(key), key.data(), lengthOf(value), value.data(),
                      describeOrigin(origin), file.c_str());
    } catch (...) {
    }
}

void logTextInEffect(std::string_view key, std::string_view text, ValueOrigin origin) noexcept {
    if (!pluginLogAccepting()) return;
    try {
        appendLogLine("text %.*s = %s (%s)", lengthOf(key), key.data(), quotedLogText(text).c_str(),
                      describeOrigin(origin));
    } catch (...) {
    }
}

void logConfigurationFile(std::string_view fileName, bool found) noexcept {
    appendLogLine("%.*s %s", lengthOf(fileName), fileName.data(), found ? "found" : "absent: defaults in effect");
}

}  // namespace lumora
