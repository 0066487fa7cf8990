#include <pthread.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "function_seam.h"
#include "system_code.h"
#include "win32_controls.h"

namespace win32layer {

namespace {

struct ThreadLog {
    std::mutex mutex;
    std::vector<ThreadRecord> records;
};

ThreadLog& threadLog() {
    static ThreadLog* log = new ThreadLog;
    return *log;
}

detail::FunctionSeam<HANDLE(SIZE_T)>& createThreadSeam() {
    static auto& seam = detail::makeSeam<HANDLE(SIZE_T)>();
    return seam;
}

// Never destroyed, like the seams: a polling thread may still sleep at exit.
std::atomic<std::uint64_t>& sleepCallCount() {
    static auto* count = new std::atomic<std::uint64_t>(0);
    return *count;
}

detail::FunctionSeam<void(DWORD)>& sleepSeam() {
    static auto& seam = detail::makeSeam<void(DWORD)>();
    return seam;
}

struct StartRequest {
    LPTHREAD_START_ROUTINE start;
    LPVOID parameter;
};

void* runThread(void* raw) {
    const StartRequest request = *static_cast<StartRequest*>(raw);
    delete static_cast<StartRequest*>(raw);
    request.start(request.parameter);
    return nullptr;
}

// Windows' default stack reservation; the system default here is usually larger.
constexpr std::size_t kMinimumStackSize = 1024 * 1024;

// Handles are never closed by their owners, so they are plain tokens.
std::atomic<std::uintptr_t> nextThreadToken{0x1000};
std::atomic<DWORD> nextThreadId{0x100};

}  // namespace

std::vector<ThreadRecord> createdThreads() {
    ThreadLog& log = threadLog();
    std::lock_guard lock(log.mutex);
    return log.records;
}

void failCreateThread(DWORD error) { createThreadSeam().failWith(error); }

void setSleepOverride(std::function<void(DWORD)> fake) { sleepSeam().replace(std::move(fake)); }

std::uint64_t sleepCalls() { return sleepCallCount().load(); }

}  // namespace win32layer

// A stack size without STACK_SIZE_PARAM_IS_A_RESERVATION is only the initial
// commit on Windows; the reservation stays the default, so the thread gets
// the system's normal stack here.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId) {
    win32layer::detail::SystemCodeScope systemCode;
    using namespace win32layer;
    if (DWORD error = createThreadSeam().failure()) {
        SetLastError(error);
        return nullptr;
    }
    if (start == nullptr || (creationFlags & ~STACK_SIZE_PARAM_IS_A_RESERVATION) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    std::size_t reservation = 0;
    pthread_attr_getstacksize(&attr, &reservation);
    if (reservation < kMinimumStackSize) reservation = kMinimumStackSize;
    if ((creationFlags & STACK_SIZE_PARAM_IS_A_RESERVATION) != 0 && stackSize > reservation) reservation = stackSize;
    if (pthread_attr_setstacksize(&attr, reservation) != 0) {
        pthread_attr_destroy(&attr);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* request = new StartRequest{start, parameter};
    pthread_t thread;
    const int result = pthread_create(&thread, &attr, runThread, request);
    pthread_attr_destroy(&attr);
    if (result != 0) {
        delete request;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    {
        ThreadLog& log = threadLog();
        std::lock_guard lock(log.mutex);
        log.records.push_back({stackSize});
    }
    if (threadId != nullptr) *threadId = nextThreadId.fetch_add(1);
    return reinterpret_cast<HANDLE>(nextThreadToken.fetch_add(4));
}

void Sleep(DWORD milliseconds) {
    win32layer::sleepCallCount().fetch_add(1);
    if (auto fake = win32layer::sleepSeam().standIn()) {
        fake(milliseconds);
        return;
    }
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
