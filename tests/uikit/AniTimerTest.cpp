// The frame clock: frames and intervals by step, wrapping, single frames,
// a zero rate and a rate list shorter than the sequence.
#include "AniTimer.h"

#include <gtest/gtest.h>

#include <utility>

namespace
{
HWND ClockWindow()
{
    static HWND window =
        CreateWindowW(L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    return window;
}

using Steps = std::vector<std::pair<size_t, UINT>>;

// (frame, interval) of the start and the next `count - 1` steps.
Steps Ticks(CAniTimer &clock, int count)
{
    Steps steps = {{0, clock.Interval()}};
    for (int i = 1; i < count; ++i)
    {
        size_t frame = clock.Step();
        steps.push_back({frame, clock.Interval()});
    }
    return steps;
}
} // namespace

TEST(AniTimer, RatesAreIndexedByStepThroughTheSequence)
{
    CAniTimer clock(3, 8, {10, 20, 10, 20}, {0, 1, 0, 2});
    ASSERT_TRUE(clock.Start(ClockWindow()));
    EXPECT_TRUE(clock.IsTimerSet());
    EXPECT_EQ((Steps{{0, 160}, {1, 320}, {0, 160}, {2, 320}, {0, 160}, {1, 320}}), Ticks(clock, 6));
}

TEST(AniTimer, WithoutSequenceTheStepIsTheFrame)
{
    CAniTimer plain(3, 5, {}, {});
    ASSERT_TRUE(plain.Start(ClockWindow()));
    EXPECT_EQ((Steps{{0, 80}, {1, 80}, {2, 80}, {0, 80}}), Ticks(plain, 4));

    // The shorter of rate list and frames decides where the index wraps.
    CAniTimer rated(4, 5, {1, 2}, {});
    ASSERT_TRUE(rated.Start(ClockWindow()));
    EXPECT_EQ((Steps{{0, 16}, {1, 32}, {0, 16}}), Ticks(rated, 3));
}

TEST(AniTimer, SequenceEntriesPastTheLastFrameAreCapped)
{
    CAniTimer clock(2, 4, {}, {0, 7});
    ASSERT_TRUE(clock.Start(ClockWindow()));
    EXPECT_EQ((Steps{{0, 64}, {1, 64}, {0, 64}}), Ticks(clock, 3));
}

TEST(AniTimer, StepsWithoutTheirOwnRateTakeTheDefault)
{
    CAniTimer clock(3, 6, {10, 20}, {0, 1, 2, 1});
    ASSERT_TRUE(clock.Start(ClockWindow()));
    EXPECT_EQ((Steps{{0, 160}, {1, 320}, {2, 96}, {1, 96}, {0, 160}}), Ticks(clock, 5));
}

TEST(AniTimer, OneFrameSetsNoTimerAndZeroRateDoesNotStart)
{
    CAniTimer still(1, 8, {}, {});
    EXPECT_TRUE(still.Start(ClockWindow()));
    EXPECT_FALSE(still.IsTimerSet());

    CAniTimer stopped(4, 0, {}, {});
    EXPECT_FALSE(stopped.Start(ClockWindow()));
    EXPECT_FALSE(stopped.IsTimerSet());

    CAniTimer empty(0, 8, {}, {});
    EXPECT_FALSE(empty.Start(ClockWindow()));
}

TEST(AniTimer, StopKillsTheTimer)
{
    CAniTimer clock(2, 1, {}, {});
    ASSERT_TRUE(clock.Start(ClockWindow()));
    clock.Stop();
    EXPECT_FALSE(clock.IsTimerSet());
    EXPECT_EQ(nullptr, clock.Window());
    Sleep(40);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, ClockWindow(), WM_TIMER, WM_TIMER, PM_REMOVE));
}
