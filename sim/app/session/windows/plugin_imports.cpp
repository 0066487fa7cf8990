#include "plugin_imports.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>

namespace demo {
namespace {

constexpr const char* kPluginPath = "Data\\Obrix\\Plugins\\LumoraSearchEngine.dll";
constexpr LONGLONG kNanosecondsPerSecond = 1'000'000'000;

// Read by the plugin's threads through the redirected imports, for the
// whole life of the process.
struct ImportsRecord {
    std::atomic<ClockReader> installedClock{nullptr};
    std::atomic<unsigned long long> sleepCalls{0};
    std::atomic<bool> parkRequested{false};
    std::atomic<bool> parked{false};
};

ImportsRecord& imports() {
    static ImportsRecord& instance = *new ImportsRecord;
    return instance;
}

// The session's clock counts nanoseconds, so it ticks at 1 GHz; the plugin's
// runtime divides the counter by the frequency and gets the same nanoseconds.
BOOL WINAPI sessionPerformanceCounter(LARGE_INTEGER* counter) {
    const ClockReader reader = imports().installedClock.load();
    if (reader == nullptr) {
        LARGE_INTEGER ticks, frequency;
        QueryPerformanceCounter(&ticks);
        QueryPerformanceFrequency(&frequency);
        counter->QuadPart = static_cast<LONGLONG>(static_cast<long double>(ticks.QuadPart) * kNanosecondsPerSecond /
                                                  frequency.QuadPart);
        return TRUE;
    }
    counter->QuadPart = reader();
    return TRUE;
}

BOOL WINAPI sessionPerformanceFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = kNanosecondsPerSecond;
    return TRUE;
}

void WINAPI countedSleep(DWORD milliseconds) {
    if (imports().parkRequested.load()) {
        imports().parked.store(true);
        for (;;) Sleep(INFINITE);
    }
    imports().sleepCalls.fetch_add(1);  // the pass before this pause has ended
    Sleep(milliseconds);
}

// Points every import of `name`, from whichever DLL, at `replacement`;
// returns how many entries were changed.
int redirectImport(HMODULE module, const char* name, void* replacement) {
    auto* base = reinterpret_cast<std::uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return 0;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return 0;
    int changed = 0;
    for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); dll->Name != 0;
         ++dll) {
        // The names live in the original thunks; the bound table holds addresses.
        if (dll->OriginalFirstThunk == 0) continue;
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA64*>(base + dll->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL64(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
            DWORD previous = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &previous)) continue;
            slots->u1.Function = reinterpret_cast<ULONGLONG>(replacement);
            // The table was read-only before; leaving it writable would be harmless.
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, previous, &previous);
            ++changed;
        }
    }
    return changed;
}

}  // namespace

void installClockThroughImports(ClockReader reader) { imports().installedClock.store(reader); }

void* loadPluginLibrary() {
    HMODULE plugin = LoadLibraryA(kPluginPath);
    if (plugin == nullptr) return nullptr;
    redirectImport(plugin, "QueryPerformanceCounter", reinterpret_cast<void*>(&sessionPerformanceCounter));
    redirectImport(plugin, "QueryPerformanceFrequency", reinterpret_cast<void*>(&sessionPerformanceFrequency));
    redirectImport(plugin, "Sleep", reinterpret_cast<void*>(&countedSleep));
    return plugin;
}

unsigned long long pluginSleepCount() { return imports().sleepCalls.load(); }

bool parkInPluginSleep(unsigned timeoutMs) {
    imports().parkRequested.store(true);
    for (unsigned waited = 0; !imports().parked.load() && waited < timeoutMs; ++waited) Sleep(1);
    return imports().parked.load();
}

}  // namespace demo
