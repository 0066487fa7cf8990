#include "game_instruments.h"

#include <chrono>
#include <future>
#include <memory>

#include "hostsim/call_sites.h"
#include "hostsim/host_lock.h"
#include "hostsim/image.h"
#include "hostsim/offsets.h"
#include "hostsim/ui_records.h"
#include "state/clock.h"
#include "state/plugin_state.h"

using namespace lumora;

namespace hook_test {
namespace {

std::atomic<std::int64_t> g_testNow{0};

std::int64_t testClock() { return g_testNow.load(); }

void noteEvent(GameEvent event) {
    std::lock_guard lock(recorder().mutex);
    recorder().events.push_back(event);
}

SIM_ABI void* recordingCreate(hostsim::EngineStringHandle* out, const char* text, std::uint64_t flagRegister) {
    const bool mutexFree = pluginMutexFreeForOthers();
    {
        std::lock_guard lock(recorder().mutex);
        recorder().creates.push_back({out, text, flagRegister, std::this_thread::get_id(), mutexFree});
        recorder().events.push_back(GameEvent::Create);
    }
    return hostsim::createEngineString(out, text, static_cast<std::uint8_t>(flagRegister));
}

SIM_ABI void recordingShowMessageBox(void* owner, std::uint64_t reserved1, std::uint64_t reserved2,
                                     hostsim::EngineStringHandle text) {
    const bool mutexFree = pluginMutexFreeForOthers();
    const bool lockHeld =
        hostsim::dataAt<hostsim::HostLockObject>(hostsim::offsets::HostForms_AllFormsLock)->ownerThread.load() != 0;
    {
        std::lock_guard lock(recorder().mutex);
        recorder().boxes.push_back({mutexFree, lockHeld});
        recorder().events.push_back(GameEvent::ShowMessageBox);
    }
    hostsim::showMessageBoxHost(owner, reserved1, reserved2, text);
}

SIM_ABI std::uint64_t recordingPromptTarget(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
    noteEvent(GameEvent::PromptTarget);
    return hostsim::promptHookTarget(a, b, c, d);
}

SIM_ABI void recordingOpenTextInputMenu(const char* header, const char* defaultText, std::uint64_t mode) {
    noteEvent(GameEvent::OpenTextInputMenu);
    hostsim::openTextInputMenuHost(header, defaultText, mode);
}

}  // namespace

GameRecorder& recorder() {
    static GameRecorder instance;
    return instance;
}

void installGameRecorders() {
    using namespace hostsim;
    placeStub(offsets::EngineString_Create, reinterpret_cast<const void*>(&recordingCreate));
    placeStub(offsets::HostUi_ShowMessageBox, reinterpret_cast<const void*>(&recordingShowMessageBox));
    placeStub(offsets::HostCall_PromptHookTarget, reinterpret_cast<const void*>(&recordingPromptTarget));
    placeStub(offsets::HostUi_OpenTextInputMenu, reinterpret_cast<const void*>(&recordingOpenTextInputMenu));
}

std::vector<CreateCall> createsOf(const char* text) {
    std::lock_guard lock(recorder().mutex);
    std::vector<CreateCall> found;
    for (const CreateCall& call : recorder().creates)
        if (call.text == text) found.push_back(call);
    return found;
}

std::vector<GameEvent> gameEvents() {
    std::lock_guard lock(recorder().mutex);
    return recorder().events;
}

bool pluginMutexFreeForOthers() {
    bool free = false;
    std::thread probe([&free] {
        if (PluginState.mutex.try_lock()) {
            free = true;
            PluginState.mutex.unlock();
        }
    });
    probe.join();
    return free;
}

void setTestClock(std::int64_t now) {
    g_testNow = now;
    setClockSourceForTesting(&testClock);
}

void restoreRealClock() { setClockSourceForTesting(nullptr); }

void* callCaptureRoutine(hostsim::EngineStringHandle* out, const char* text, std::uint64_t flagRegister) {
    using Routine = void*(SIM_ABI*)(hostsim::EngineStringHandle*, const char*, std::uint64_t);
    return reinterpret_cast<Routine>(hostsim::captureRoutine())(out, text, flagRegister);
}

MutexHolder::MutexHolder() {
    std::promise<void> locked;
    auto ready = locked.get_future();
    m_thread = std::thread([this, &locked] {
        std::lock_guard lock(PluginState.mutex);
        locked.set_value();
        while (!m_release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    ready.wait();
}

MutexHolder::~MutexHolder() { release(); }

void MutexHolder::release() {
    if (m_released) return;
    m_released = true;
    m_release = true;
    m_thread.join();
}

bool finishesWithin(std::function<void()> work, int timeoutMs) {
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    std::thread([work = std::move(work), done] {
        work();
        done->set_value();
    }).detach();
    return finished.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
}

}  // namespace hook_test
