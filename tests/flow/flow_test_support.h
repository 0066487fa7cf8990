#pragma once
// Shared pieces of the flow tests: a clock the test moves by hand, the game's
// desktop with its window in front, and a record of the menus the plugin asks
// the game about, taken at the game's own entry point.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "hostsim/abi.h"
#include "hostsim/engine_strings.h"
#include "hostsim/image.h"
#include "hostsim/menus.h"
#include "hostsim/offsets.h"
#include "support/simulated_game.h"
#include "win32_controls.h"

#include "state/clock.h"

using namespace lumora;

namespace flow_test {

// Far from zero, as the steady clock is some time after the machine started:
// stamps that were never set (0) pass every interval test.
inline constexpr std::int64_t kClockStart = 7'000'000'000'000;
inline constexpr std::int64_t kSecond = 1'000'000'000;
inline constexpr std::int64_t kMillisecond = 1'000'000;

inline std::atomic<std::int64_t> manualNow{kClockStart};
inline std::int64_t readManualClock() { return manualNow.load(); }

// Installs the hand-moved clock for the lifetime of the object.
class ManualClock {
public:
    ManualClock() {
        manualNow.store(kClockStart);
        setClockSourceForTesting(&readManualClock);
    }
    ~ManualClock() { setClockSourceForTesting(nullptr); }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;
    std::int64_t now() const { return manualNow.load(); }
    void set(std::int64_t ns) { manualNow.store(ns); }
    void advance(std::int64_t ns) { manualNow.fetch_add(ns); }
};

// The names of the menus the plugin asked HostUi_IsMenuOpen about, in order.
struct MenuQueryLog {
    std::mutex mutex;
    std::vector<std::string> names;
};
inline MenuQueryLog menuQueryLog;

inline SIM_ABI bool recordMenuQuery(hostsim::UiObject* ui, const hostsim::EngineStringHandle* name) {
    {
        std::lock_guard lock(menuQueryLog.mutex);
        menuQueryLog.names.push_back(name != nullptr ? hostsim::engineStringText(*name) : "<null>");
    }
    return hostsim::isMenuOpenHost(ui, name);
}

// Puts the recorder in front of the game's menu query.
inline void recordMenuQueries() {
    hostsim::placeStub(hostsim::offsets::HostUi_IsMenuOpen, reinterpret_cast<const void*>(&recordMenuQuery));
}
inline void stopRecordingMenuQueries() {
    hostsim::placeStub(hostsim::offsets::HostUi_IsMenuOpen, reinterpret_cast<const void*>(&hostsim::isMenuOpenHost));
}
inline std::vector<std::string> takeMenuQueries() {
    std::lock_guard lock(menuQueryLog.mutex);
    std::vector<std::string> names;
    names.swap(menuQueryLog.names);
    return names;
}

// Holds the keys down for the duration of one call.
template <typename Action>
void withKeysDown(const std::vector<int>& keys, Action action) {
    for (int key : keys) win32layer::pressKey(key);
    action();
    for (int key : keys) win32layer::releaseKey(key);
}

// A fresh temporary directory as the game's folder while the object lives:
// loading the configuration writes the plugin's INI files there.
class ScopedGameFolder {
public:
    ScopedGameFolder() : previous_(std::filesystem::current_path()) {
        std::random_device seed;
        do {
            dir_ = std::filesystem::temp_directory_path() / ("lumora_flow_" + std::to_string(seed()));
        } while (!std::filesystem::create_directory(dir_));
        std::filesystem::create_directories(dir_ / "Data" / "Obrix" / "Plugins");
        std::filesystem::current_path(dir_);
    }
    ~ScopedGameFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }
    ScopedGameFolder(const ScopedGameFolder&) = delete;
    ScopedGameFolder& operator=(const ScopedGameFolder&) = delete;

private:
    std::filesystem::path previous_;
    std::filesystem::path dir_;
};

// Every menu that matters to the flow, closed.
inline void closeAllFlowMenus() {
    for (const char* menu : {"GalaxyStarMapMenu", "MessageBoxMenu", "TextInputMenu", "Console"})
        hostsim::closeMenu(menu);
}

}  // namespace flow_test
