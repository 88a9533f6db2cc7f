#include "LogFormat.h"

#include <gtest/gtest.h>

#include <string>

using FdMisc::CLogPeriod;
using FdSystem::MakeLocalTime;
using FdSystem::SLocalTime;

TEST(LogFormat, FileNamesFollowTheFolderDirectly)
{
    CLogPeriod p;
    p.vSet(MakeLocalTime(2026, 12, 8, 7, 30));
    char name[64];
    ASSERT_TRUE(FdMisc::boFormatLogFileName(name, sizeof(name), "c:\\Linkwell", p, false));
    EXPECT_STREQ(name, "c:\\Linkwell20261208.log");
    ASSERT_TRUE(FdMisc::boFormatLogFileName(name, sizeof(name), "c:\\Linkwell\\", p, true));
    EXPECT_STREQ(name, "c:\\Linkwell\\2026120807.log");
    EXPECT_FALSE(FdMisc::boFormatLogFileName(name, 10, "c:\\Linkwell", p, false));
}

TEST(LogFormat, PeriodRollsOnEveryChangeOfItsPeriod)
{
    struct Case
    {
        SLocalTime from, to;
        bool hourly, rolls;
    };
    const Case cases[] = {
        {MakeLocalTime(2026, 12, 8, 10), MakeLocalTime(2026, 12, 8, 10, 59), true, false},
        {MakeLocalTime(2026, 12, 8, 10), MakeLocalTime(2026, 12, 8, 11), true, true},
        {MakeLocalTime(2026, 12, 8, 10), MakeLocalTime(2026, 12, 9, 10), true, true}, // same hour, next day
        {MakeLocalTime(2026, 12, 8, 10), MakeLocalTime(2026, 12, 8, 23), false, false},
        {MakeLocalTime(2026, 12, 8, 23), MakeLocalTime(2026, 12, 9, 0), false, true},
        {MakeLocalTime(2026, 1, 8, 10), MakeLocalTime(2026, 2, 8, 10), false, true}, // same day number
        {MakeLocalTime(2026, 12, 8, 10), MakeLocalTime(2027, 12, 8, 10), true,
         true}, // same everything but year
    };
    int i = 0;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(i++);
        CLogPeriod p;
        EXPECT_FALSE(p.boRolls(c.from, c.hourly)); // unset: the first time only sets it
        p.vSet(c.from);
        EXPECT_EQ(p.boRolls(c.to, c.hourly), c.rolls);
    }
}

TEST(LogFormat, Prefixes)
{
    const SLocalTime t = MakeLocalTime(2026, 12, 8, 9, 5, 7, 42);
    char buf[FdMisc::kLogPrefixMax + 1];
    FdMisc::vFormatBasePrefix(buf, sizeof(buf), true, t, 1234);
    EXPECT_STREQ(buf, "\r\n12/08/26 09:05:07 1234 ");
    FdMisc::vFormatBasePrefix(buf, sizeof(buf), false, t, 1234);
    EXPECT_STREQ(buf, "\r\n");
    FdMisc::vFormatNamedPrefix(buf, sizeof(buf), true, t, 36, "Main            ", 4);
    EXPECT_STREQ(buf, "\r\n12/08/26 09:05:07.042 00036 Main             -     ");
    FdMisc::vFormatNamedPrefix(buf, sizeof(buf), false, t, 36, "Main", 4);
    EXPECT_STREQ(buf, "\r\n");
    FdMisc::vFormatNamedPrefix(buf, sizeof(buf), true, t, 36, "x", 1000);
    const std::string s(buf);
    EXPECT_EQ(s.size(), std::string("\r\n12/08/26 09:05:07.042 00036 x - ").size() + 256);
}
