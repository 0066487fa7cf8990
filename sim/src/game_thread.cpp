#include "hostsim/game_thread.h"

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "hostsim/call_sites.h"
#include "hostsim/menus.h"

namespace hostsim {
namespace {

struct GameThreadRecord {
    std::mutex mutex;
    std::condition_variable wake;
    std::vector<std::function<void()>> work;
    std::thread thread;
    std::thread::id threadId;
    bool stopRequested = false;
    std::atomic<std::uint64_t> frames{0};
};

GameThreadRecord& record() {
    // Never destroyed: the plugin's threads may still call into the game at exit.
    static GameThreadRecord& instance = *new GameThreadRecord;
    return instance;
}

// The arguments the game passes through the prompt site this frame: a frame
// number, a pointer-like value, a value with the top bit set and a small one.
void passPromptSiteForFrame(std::uint64_t frame) {
    passPromptSite(0x0000'1000'0000'0000ull + frame, 0x0000'7FF6'1234'5678ull ^ (frame << 4), 0x8000'0000'FFFF'0001ull,
                   frame * 3 + 1);
}

}  // namespace

void stepFrame() {
    auto& r = record();
    std::vector<std::function<void()>> work;
    {
        std::lock_guard lock(r.mutex);
        work.swap(r.work);
    }
    for (auto& item : work) item();
    const std::uint64_t frame = r.frames.fetch_add(1);
    passPromptSiteForFrame(frame);
    processUiQueue();
}

std::uint64_t frameCount() { return record().frames.load(); }

void postToGameThread(std::function<void()> work) {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    r.work.push_back(std::move(work));
}

void runOnGameThread(std::function<void()> work) {
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    postToGameThread([work = std::move(work), done] {
        work();
        done->set_value();
    });
    if (!gameThreadRunning()) {
        stepFrame();  // the caller acts as the game thread
        return;
    }
    record().wake.notify_all();
    finished.wait();
}

void startGameThread(std::chrono::milliseconds period) {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    if (r.thread.joinable()) return;
    r.stopRequested = false;
    r.thread = std::thread([period, &r] {
        {
            std::lock_guard lock(r.mutex);
            r.threadId = std::this_thread::get_id();
        }
        for (;;) {
            {
                std::unique_lock lock(r.mutex);
                r.wake.wait_for(lock, period, [&r] { return r.stopRequested || !r.work.empty(); });
                if (r.stopRequested) return;
            }
            stepFrame();
        }
    });
}

void stopGameThread() {
    auto& r = record();
    std::thread thread;
    {
        std::lock_guard lock(r.mutex);
        r.stopRequested = true;
        thread.swap(r.thread);
    }
    r.wake.notify_all();
    if (thread.joinable()) thread.join();
    std::lock_guard lock(r.mutex);
    r.threadId = {};
}

bool gameThreadRunning() {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    return r.thread.joinable();
}

bool onGameThread() {
    auto& r = record();
    std::lock_guard lock(r.mutex);
    return r.thread.joinable() && r.threadId == std::this_thread::get_id();
}

}  // namespace hostsim
