// MediaLock: re-entry by its owner and first-come-first-served hand-over between threads.
#include "core/media_lock.h"

#include "platform/system/clock.h"
#include "platform/system/thread_id.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using namespace ror;

namespace {

// Waits (bounded) until `count` threads are queued behind the owner.
bool WaitForQueue(int count)
{
    for (int i = 0; i < 5000; ++i) {
        if (ReadMediaLockStatus().waiting == count) return true;
        SystemSleep(1);
    }
    return false;
}

TEST(MediaLockTest, OwnerReentersAndReleasesAtTheOutermostLevel)
{
    AcquireMediaLock();
    AcquireMediaLock();
    MediaLockStatus status = ReadMediaLockStatus();
    EXPECT_EQ(status.created, 1);
    EXPECT_EQ(status.depth, 2);
    EXPECT_EQ(status.owned, 1);
    EXPECT_EQ(status.owner, CurrentThreadId());

    ReleaseMediaLock();
    EXPECT_EQ(ReadMediaLockStatus().owned, 1);
    ReleaseMediaLock();
    status = ReadMediaLockStatus();
    EXPECT_EQ(status.owned, 0);
    EXPECT_EQ(status.depth, 0);
    EXPECT_EQ(status.owner, 0xFFFFFFFFu);

    ReleaseMediaLock();  // one release too many changes nothing
    EXPECT_EQ(ReadMediaLockStatus().depth, 0);
    DestroyMediaLock();
    EXPECT_EQ(ReadMediaLockStatus().created, 0);
}

TEST(MediaLockTest, WaitingThreadsAreServedInArrivalOrder)
{
    AcquireMediaLock();
    std::mutex orderGuard;
    std::vector<int> order;
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i) {
        threads.emplace_back([&, i] {
            AcquireMediaLock();
            {
                std::lock_guard lock(orderGuard);
                order.push_back(i);
            }
            AcquireMediaLock();  // re-entry while others wait
            ReleaseMediaLock();
            ReleaseMediaLock();
        });
        // The next thread starts only once this one is queued, so arrival order is known.
        ASSERT_TRUE(WaitForQueue(i + 1));
    }
    EXPECT_NE(MediaLockQueuedThread(0), 0u);
    ReleaseMediaLock();
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    const MediaLockStatus status = ReadMediaLockStatus();
    EXPECT_EQ(status.waiting, 0);
    EXPECT_EQ(status.owned, 0);
}

TEST(MediaLockTest, DestroyWaitsForNobodyAndLeavesAWaitedLockAlone)
{
    AcquireMediaLock();
    std::atomic<bool> got{false};
    std::thread waiter([&] {
        AcquireMediaLock();
        got = true;
        ReleaseMediaLock();
    });
    ASSERT_TRUE(WaitForQueue(1));
    DestroyMediaLock();  // held and waited for: must not be torn down
    EXPECT_EQ(ReadMediaLockStatus().created, 1);
    ReleaseMediaLock();
    waiter.join();
    EXPECT_TRUE(got);
}

}  // namespace
