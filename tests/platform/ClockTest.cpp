#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(Clock, RealTickAdvancesAcrossSleep)
{
    uint32_t start = GetTickCount();
    Sleep(20);
    uint32_t passed = GetTickCount() - start;
    EXPECT_GE(passed, 19u);
}

TEST(Clock, FakeClockDrivesTicksSleepAndCalendar)
{
    {
        platform::FakeClock clock(0xFFFFFFF0u, 42);
        EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
        Sleep(0x20);
        EXPECT_EQ(GetTickCount(), 0x10u) << "the tick wraps like a 32-bit counter";
        EXPECT_EQ(GetTickCount() - 0xFFFFFFF0u, 0x20u);
        clock.Advance(5);
        EXPECT_EQ(GetTickCount(), 0x15u);
        EXPECT_EQ(CalendarSeconds(), 42);
        clock.SetCalendarSeconds(43);
        EXPECT_EQ(CalendarSeconds(), 43);
    }
    EXPECT_GT(CalendarSeconds(), 1600000000) << "the real clock is back";
}
