#include "common/Lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(Lock, ReentersOnOneThreadAndIsFreeAfterMatchingLeaves)
{
    CLock lock;
    lock.Enter();
    lock.Enter();
    lock.Leave();
    lock.Leave();

    std::atomic<bool> taken{false};
    std::thread other(
        [&]
        {
            CLockGuard guard(lock);
            taken = true;
        });
    other.join();
    EXPECT_TRUE(taken);
}

TEST(Lock, GuardHoldsAgainstOtherThreadsUntilScopeEnds)
{
    CLock lock;
    std::atomic<int> stage{0};
    std::thread other;
    {
        CLockGuard guard(lock);
        other = std::thread(
            [&]
            {
                CLockGuard inner(lock);
                stage = 2;
            });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(stage.load(), 0);
        stage = 1;
    }
    other.join();
    EXPECT_EQ(stage.load(), 2);
}
