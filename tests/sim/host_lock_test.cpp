// The game's locks: re-entrant on one thread, exclusive across threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "hostsim/host_lock.h"
#include "hostsim/transcript.h"
#include "support/simulated_game.h"

namespace {

using namespace hostsim;
using lumora_test::SimulatedGameTest;

class HostLock : public SimulatedGameTest {};

TEST_F(HostLock, SameThreadMayTakeTheLockAgainAndFreesItAfterTheLastRelease) {
    HostLockObject lock;
    acquireHostLock(&lock);
    acquireHostLock(&lock);
    releaseHostLock(&lock);
    EXPECT_NE(lock.ownerThread.load(), 0u);
    releaseHostLock(&lock);
    EXPECT_EQ(lock.ownerThread.load(), 0u);
    EXPECT_EQ(lock.acquisitions.load(), 2u);
    EXPECT_TRUE(isBalanced(lock));
}

TEST_F(HostLock, ReleaseByAThreadThatDoesNotHoldItIsReportedAndIgnored) {
    expectViolations();
    HostLockObject lock;
    releaseHostLock(&lock);  // never taken
    acquireHostLock(&lock);
    std::thread([&lock] { releaseHostLock(&lock); }).join();
    EXPECT_NE(lock.ownerThread.load(), 0u);
    EXPECT_EQ(violations().size(), 2u);
    releaseHostLock(&lock);
    EXPECT_TRUE(isBalanced(lock));
}

TEST_F(HostLock, ThreadsNeverHoldTheLockTogether) {
    HostLockObject lock;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 3000; ++i) {
                acquireHostLock(&lock);
                if (inside.fetch_add(1) != 0) overlapped = true;
                inside.fetch_sub(1);
                releaseHostLock(&lock);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_FALSE(overlapped.load());
    EXPECT_EQ(lock.acquisitions.load(), 9000u);
    EXPECT_TRUE(isBalanced(lock));
}

}  // namespace
