#pragma once
// What the load found, kept without formatting a line until the log is known
// to be wanted: with bWriteLogFile absent the load reads no version resource
// and formats nothing.
#include "hook/hook_chain.h"

namespace lumora {

struct LoadReport {
    HookSites sites{};
    bool sitesInspected = false;
    bool patched = false;
};

// Written by the load entry on the loader's thread, read by the same thread
// (a refused load) or by the data-loaded listener, which the loader calls
// after the load entry has returned.
extern LoadReport g_loadReport;

// When the log takes lines: the versions, then a line per inspected call site.
void logLoadReport() noexcept;

// Settles the log from bWriteLogFile in the settings file alone (nothing is
// written back; without memory to read it the log stays off), then logs the
// load report. Does nothing once the log is settled.
void settleLogFromSettingsKey() noexcept;

}  // namespace lumora
