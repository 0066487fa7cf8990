#include "plugin/version_log.h"

#include "base/plugin_log.h"
#include "base/plugin_version.h"
#include "host/game_executable_version.h"

#define LUMORA_TEXT_OF(value) #value
#define LUMORA_TEXT(value) LUMORA_TEXT_OF(value)

namespace lumora {

void logVersions() noexcept {
    if (!pluginLogAccepting()) return;
    appendLogLine(
        "Lumora Search Engine %s for game runtime %s", LUMORA_VERSION_TEXT,
        LUMORA_TEXT(LUMORA_RUNTIME_MAJOR) "." LUMORA_TEXT(LUMORA_RUNTIME_MINOR) "." LUMORA_TEXT(LUMORA_RUNTIME_BUILD));
    // Reading the resource allocates; without memory the line is left out.
    try {
        const GameExecutableVersion game = readGameExecutableVersion();
        appendLogLine("game executable %s file version %s", quotedLogText(game.fileName).c_str(),
                      game.version ? game.version->c_str() : "unknown (no version resource)");
    } catch (...) {
    }
}

}  // namespace lumora
