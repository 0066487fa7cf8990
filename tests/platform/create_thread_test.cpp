#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <future>

#include "win32_controls.h"

namespace {

struct DeepStackProbe {
    std::promise<std::size_t> stackSize;
    std::promise<int> deepestSum;
};

// Uses about 4 KiB of stack per level; the array is volatile so the frames
// cannot be folded away.
int recurse(int depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    frame[sizeof frame - 1] = 1;
    if (depth == 0) return frame[sizeof frame - 1];
    return recurse(depth - 1) + frame[sizeof frame - 1];
}

DWORD probeStack(LPVOID parameter) {
    auto* probe = static_cast<DeepStackProbe*>(parameter);
    pthread_attr_t attr;
    std::size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        pthread_attr_getstacksize(&attr, &size);
        pthread_attr_destroy(&attr);
    }
    probe->stackSize.set_value(size);
    probe->deepestSum.set_value(recurse(192));  // about 800 KiB deep
    return 0;
}

TEST(CreateThread, InitialCommitOf8192StillGetsADeepStack) {
    DeepStackProbe probe;
    auto size = probe.stackSize.get_future();
    auto sum = probe.deepestSum.get_future();
    HANDLE thread = CreateThread(nullptr, 8192, probeStack, &probe, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(size.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_GE(size.get(), 1024u * 1024);
    ASSERT_EQ(sum.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(sum.get(), 193);
}

TEST(CreateThread, RecordsRequestedStackSizeOfEachThreadAndGivesDistinctHandles) {
    const std::size_t before = win32layer::createdThreads().size();
    std::atomic<int> ran{0};
    auto count = [](LPVOID p) -> DWORD {
        static_cast<std::atomic<int>*>(p)->fetch_add(1);
        return 0;
    };
    DWORD firstId = 0, secondId = 0;
    HANDLE first = CreateThread(nullptr, 8192, count, &ran, 0, &firstId);
    HANDLE second = CreateThread(nullptr, 0, count, &ran, 0, &secondId);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_NE(firstId, 0u);
    EXPECT_NE(firstId, secondId);
    const auto records = win32layer::createdThreads();
    ASSERT_EQ(records.size(), before + 2);
    EXPECT_EQ(records[before].requestedStackSize, 8192u);
    EXPECT_EQ(records[before + 1].requestedStackSize, 0u);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ran.load() < 2 && std::chrono::steady_clock::now() < deadline) Sleep(1);
    EXPECT_EQ(ran.load(), 2);
}

TEST(CreateThread, RefusedRequestsStartNothing) {
    auto never = [](LPVOID p) -> DWORD {
        static_cast<std::atomic<bool>*>(p)->store(true);
        return 0;
    };
    std::atomic<bool> started{false};
    const std::size_t before = win32layer::createdThreads().size();

    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(CreateThread(nullptr, 0, never, &started, CREATE_SUSPENDED, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    win32layer::failCreateThread(ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(CreateThread(nullptr, 8192, never, &started, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    win32layer::failCreateThread(0);

    Sleep(20);
    EXPECT_FALSE(started.load());
    EXPECT_EQ(win32layer::createdThreads().size(), before);
}

TEST(LastError, IsKeptPerThread) {
    SetLastError(ERROR_ACCESS_DENIED);
    std::promise<DWORD> seenByOther;
    auto other = seenByOther.get_future();
    auto body = [](LPVOID p) -> DWORD {
        auto* result = static_cast<std::promise<DWORD>*>(p);
        const DWORD initial = GetLastError();
        SetLastError(ERROR_INVALID_ADDRESS);
        result->set_value(initial == 0 ? GetLastError() : 0xFFFFFFFF);
        return 0;
    };
    ASSERT_NE(CreateThread(nullptr, 0, body, &seenByOther, 0, nullptr), nullptr);
    ASSERT_EQ(other.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(other.get(), ERROR_INVALID_ADDRESS) << "a new thread starts with 0 and keeps its own code";
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(Sleep, WaitsAtLeastTheRequestedTimeUnlessReplaced) {
    const auto start = std::chrono::steady_clock::now();
    Sleep(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));

    std::vector<DWORD> asked;
    win32layer::setSleepOverride([&](DWORD ms) { asked.push_back(ms); });
    Sleep(50);
    Sleep(0);
    win32layer::setSleepOverride({});
    EXPECT_EQ(asked, (std::vector<DWORD>{50, 0}));
}

}  // namespace
