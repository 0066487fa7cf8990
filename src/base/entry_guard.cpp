#include "base/entry_guard.h"

#include "base/diagnostics.h"
#include "base/plugin_log.h"

namespace lumora {

void reportEntryFailure(const char* entry, const char* what) noexcept {
    appendLogLine("%s stopped by an exception: %s", entry, what);
    // The line is the only report; if even writing it fails (its lock cannot
    // be taken) the entry still has to return its safe outcome.
    try {
        writeDiagnostic("%s stopped by an exception: %s", entry, what);
    } catch (...) {
    }
}

}  // namespace lumora
