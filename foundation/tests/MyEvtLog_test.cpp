#include "MyEvtLog.h"

#include <gtest/gtest.h>

#include <string>

TEST(MyEvtLog, ThreadNameTable)
{
    FdMisc::CMyEvtLog log;
    EXPECT_STREQ(log.lpszGetThreadName(17), "17");
    log.vSetThreadName(17, std::string(80, 'n').c_str());
    EXPECT_EQ(std::string(log.lpszGetThreadName(17)), std::string(64, 'n'));
    EXPECT_STREQ(log.lpszGetThreadName(3999), "3999");
    log.vSetThreadName(4000, "ignored");
    EXPECT_STREQ(log.lpszGetThreadName(4000), "THRDIDOUTOFRANGE");
    EXPECT_STREQ(log.lpszGetThreadName(0xFFFFFFFF), "THRDIDOUTOFRANGE");
}
