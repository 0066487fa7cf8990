#include "plugin/load_report.h"

#include "base/plugin_log.h"
#include "config/settings.h"
#include "hook/call_site_log.h"
#include "plugin/version_log.h"

namespace lumora {

LoadReport g_loadReport;

void logLoadReport() noexcept {
    if (!pluginLogAccepting()) return;
    logVersions();
    if (g_loadReport.sitesInspected) logCallSiteVerdicts(g_loadReport.sites, g_loadReport.patched);
}

void settleLogFromSettingsKey() noexcept {
    if (pluginLogSettled()) return;
    bool wanted = false;
    try {
        wanted = readWriteLogFileSetting();
    } catch (...) {
        // Without memory to read the key the log stays off, as when it is absent.
    }
    settlePluginLog(wanted);
    logLoadReport();
}

}  // namespace lumora
