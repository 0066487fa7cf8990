#pragma once
// The game's hold on the real plugin DLL: it loads it from the loader's
// plugin folder and then, as a host process may, points three entries of the
// DLL's import table at its own functions. QueryPerformanceCounter and
// QueryPerformanceFrequency (which the C++ runtime's steady clock reads) go to
// the session's clock when one is installed; Sleep (the polling thread's
// pause) is counted, so the session knows when a pass has ended, and can be
// told to never return.
#include "session_clock.h"

namespace demo {

// A ClockInstaller for the Windows game: the plugin's steady clock reads
// `reader` in nanoseconds; nullptr gives it Windows' own counter back.
void installClockThroughImports(ClockReader reader);

// Loads Data\Obrix\Plugins\LumoraSearchEngine.dll from the working folder and
// redirects its imports; null when Windows cannot load it (the error is in
// GetLastError).
void* loadPluginLibrary();

// How often the plugin has called Sleep so far.
unsigned long long pluginSleepCount();
// From now on the plugin's next Sleep never returns; true once a thread is
// parked there.
bool parkInPluginSleep(unsigned timeoutMs);

}  // namespace demo
