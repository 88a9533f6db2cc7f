#include "PerfCounterNames.h"

#include "TestBuffer.h"

#include <gtest/gtest.h>

namespace
{
TEST(PerfCounterNames, FindsIndexesIgnoringCase)
{
    static const char kTable[] = "1\0"
                                 "1847\0"
                                 "2\0System\0"
                                 "230\0Process\0"
                                 "784\0ID Process\0";
    const std::string table(kTable, sizeof kTable);
    CTestBuffer buffer(table);
    uint32_t dwIndex = 0;
    ASSERT_TRUE(
        PerfCounterNames::boFindIndex(buffer.c(), buffer.size(), PerfCounterNames::kszProcess, &dwIndex));
    EXPECT_EQ(230u, dwIndex);
    ASSERT_TRUE(
        PerfCounterNames::boFindIndex(buffer.c(), buffer.size(), PerfCounterNames::kszIdProcess, &dwIndex));
    EXPECT_EQ(784u, dwIndex);
    EXPECT_FALSE(PerfCounterNames::boFindIndex(buffer.c(), buffer.size(), "thread", &dwIndex));
}

TEST(PerfCounterNames, CutOrMalformedTablesEndTheSearch)
{
    uint32_t dwIndex = 7;
    for (const std::string& table :
         {std::string("230\0Proc", 8), std::string("230", 3), std::string(), std::string("x\0process\0", 10),
          std::string("99999999999\0process\0", 20)})
    {
        CTestBuffer buffer(table);
        EXPECT_FALSE(PerfCounterNames::boFindIndex(buffer.c(), buffer.size(), "process", &dwIndex));
    }
    EXPECT_EQ(7u, dwIndex);
}
} // namespace
