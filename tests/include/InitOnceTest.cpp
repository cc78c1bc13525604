// One-time initialisation: the step runs once however many threads ask at
// the same time, and a step that throws is not counted as run: its caller
// gets the exception and the next call runs the step again.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "InitOnce.h"

TEST(InitOnce, RunsOnceForManyThreads)
{
    fx::CInitOnce once;
    std::atomic<int> runs{0}, ranHere{0};
    std::atomic<bool> stepDone{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] {
            const bool ran = once.Run([&] {
                ::Sleep(50);
                ++runs;
                stepDone = true;
            });
            // Whoever returns finds the step finished.
            EXPECT_TRUE(stepDone.load());
            if (ran) ++ranHere;
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(runs.load(), 1);
    EXPECT_EQ(ranHere.load(), 1);
    EXPECT_FALSE(once.Run([&] { ++runs; }));
    EXPECT_EQ(runs.load(), 1);
}

TEST(InitOnce, AThrowingStepReachesTheCallerAndRunsAgain)
{
    fx::CInitOnce once;
    int runs = 0;
    EXPECT_THROW(once.Run([&] {
        ++runs;
        throw std::runtime_error("no");
    }),
                 std::runtime_error);
    EXPECT_TRUE(once.Run([&] { ++runs; }));
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(once.Run([&] { ++runs; }));
}
