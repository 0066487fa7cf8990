#pragma once
// What a play session needs from the system it runs on: the game's windows,
// the keyboard, the plugin's error boxes, the plugin library itself and its
// polling thread. Natively these go to our own Win32 layer with the plugin
// linked in; in the Windows game they are the real Windows API and the real
// DLL loaded from the loader's plugin folder.
#include <cstdint>
#include <functional>
#include <string>

#include "hostsim/loader.h"

namespace demo {

struct PluginEntries {
    const hostsim::PluginDescriptorRecord* descriptor = nullptr;
    hostsim::PluginLoadEntry load = nullptr;
};

// A fresh keyboard: no key down, no toggle set.
void releaseEveryKey();
// A top-level window with this title; it stays until the process ends.
void* createTopWindow(const std::string& title);
// nullptr: no window has the focus. False when the desktop did not follow.
bool bringWindowToFront(void* window);
void sendKeyEvent(int virtualKey, bool down);

// Every message box the plugin shows is reported with its caption and text
// and then answered OK, as a player would. An empty function stops it.
using ErrorBoxRecorder = std::function<void(const std::string& caption, const std::string& text)>;
void answerPluginErrorBoxes(ErrorBoxRecorder record);

// Sets KEY=VALUE in [General] of the INI file at `path`, through the profile
// API the plugin reads it with.
bool writeGeneralSetting(const std::string& path, const std::string& key, const std::string& value);

// The loader finds the plugin's two exports; null entries when it cannot.
PluginEntries bindPluginExports();

// Returns once the plugin's polling thread has ended its first pass, or
// after a short while when no such thread runs.
void awaitFirstPollingPass();
// How many passes the polling thread has ended so far, where the game can
// count them (0 where it cannot).
std::uint64_t endedPollingPasses();
// Returns once the polling thread has ended `passes` more passes than
// `before`, or after a short while when it does not.
void awaitPollingPasses(std::uint64_t before, std::uint64_t passes);
// The polling thread ends its pass and never wakes again; false when it did
// not come to rest within a few seconds (stuck in a box or a host call).
bool parkPollingThread();

}  // namespace demo
