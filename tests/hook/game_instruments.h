#pragma once
// Instruments on the game's side of the two hooks: some of the game's own
// functions are replaced by recorders that note how they were called (raw
// registers included) and then do what the game does. A fixed test clock
// stands in for the plugin's steady clock.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hostsim/abi.h"
#include "hostsim/engine_strings.h"

namespace hook_test {

// One call of EngineString_Create as the game received it.
struct CreateCall {
    hostsim::EngineStringHandle* out;
    const char* text;
    std::uint64_t flagRegister;  // the whole register, not just its low byte
    std::thread::id thread;
    bool pluginMutexFree;  // another thread could lock PluginState.mutex during the call
};

// One call of HostUi_ShowMessageBox (the simulator keeps title and text), with
// the plugin's mutex as another thread finds it and the game's all-forms lock
// during the call.
struct BoxCall {
    bool pluginMutexFree;
    bool allFormsLockHeld;
};

// Order in which the game saw its functions called.
enum class GameEvent { PromptTarget, OpenTextInputMenu, Create, ShowMessageBox };

struct GameRecorder {
    std::mutex mutex;
    std::vector<CreateCall> creates;
    std::vector<BoxCall> boxes;
    std::vector<GameEvent> events;
};
GameRecorder& recorder();

// Replaces EngineString_Create, HostUi_ShowMessageBox, HostCall_PromptHookTarget
// and HostUi_OpenTextInputMenu in the booted image with recorders that
// forward to the game's functions.
void installGameRecorders();

// EngineString_Create calls whose text pointer is `text`.
std::vector<CreateCall> createsOf(const char* text);
std::vector<GameEvent> gameEvents();

// True when a thread other than the caller can take PluginState.mutex now.
bool pluginMutexFreeForOthers();

// The plugin's clock reads `now` until restored.
void setTestClock(std::int64_t now);
void restoreRealClock();

// Runs the game's capture routine with every register as the game sets it:
// the flag byte comes with garbage in the upper bits of its register.
void* callCaptureRoutine(hostsim::EngineStringHandle* out, const char* text, std::uint64_t flagRegister);

// Holds PluginState.mutex on a thread of its own until released.
class MutexHolder {
public:
    MutexHolder();
    ~MutexHolder();
    void release();

private:
    std::thread m_thread;
    std::atomic<bool> m_release{false};
    bool m_released = false;
};

// Runs `work` on a new thread; true when it finished within `timeoutMs`.
// A thread that did not finish is left running (the test has failed).
bool finishesWithin(std::function<void()> work, int timeoutMs);

}  // namespace hook_test
