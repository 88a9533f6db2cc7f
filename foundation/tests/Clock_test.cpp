#include "Clock.h"

#include <gtest/gtest.h>

using namespace FdSystem;

TEST(ManualClock, AdvancesAcrossDaysMonthsAndYears)
{
    struct Case
    {
        SLocalTime start;
        uint32_t ms;
        int y, mo, d, h, mi, s, msOut, dow;
    };
    const Case cases[] = {
        {MakeLocalTime(2026, 12, 8, 23, 59, 59, 999), 1, 2026, 12, 9, 0, 0, 0, 0, 3},
        {MakeLocalTime(2026, 12, 31, 23, 0, 0, 0), 3600000, 2027, 1, 1, 0, 0, 0, 0, 5},
        {MakeLocalTime(2028, 2, 28, 12, 0, 0, 0), 86400000, 2028, 2, 29, 12, 0, 0, 0, 2},
        {MakeLocalTime(2027, 2, 28, 12, 0, 0, 0), 86400000, 2027, 3, 1, 12, 0, 0, 0, 1},
        {MakeLocalTime(2026, 1, 8, 10, 0, 0, 0), 31u * 86400000u, 2026, 2, 8, 10, 0, 0, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.y * 10000 + c.mo * 100 + c.d);
        CManualClock clock(c.start);
        clock.vAdvance(c.ms);
        const SLocalTime t = clock.GetLocalTime();
        EXPECT_EQ(t.wYear, c.y);
        EXPECT_EQ(t.wMonth, c.mo);
        EXPECT_EQ(t.wDay, c.d);
        EXPECT_EQ(t.wHour, c.h);
        EXPECT_EQ(t.wMinute, c.mi);
        EXPECT_EQ(t.wSecond, c.s);
        EXPECT_EQ(t.wMilliseconds, c.msOut);
        EXPECT_EQ(t.wDayOfWeek, c.dow);
        EXPECT_EQ(clock.dwTickCount(), c.ms);
    }
}

TEST(ManualClock, TickWrapsLikeTheSystemCount)
{
    CManualClock clock(MakeLocalTime(2026, 12, 8));
    clock.vAdvance(0xFFFFFFF0u);
    clock.vAdvance(0x20);
    EXPECT_EQ(clock.dwTickCount(), 0x10u);
    const SLocalTime t = clock.GetLocalTime(); // 2^32 + 16 ms later
    EXPECT_EQ(t.wYear, 2027);
    EXPECT_EQ(t.wMonth, 1);
    EXPECT_EQ(t.wDay, 26);
    EXPECT_EQ(t.wHour, 17);
    EXPECT_EQ(t.wMinute, 2);
    EXPECT_EQ(t.wSecond, 47);
    EXPECT_EQ(t.wMilliseconds, 312);
}
