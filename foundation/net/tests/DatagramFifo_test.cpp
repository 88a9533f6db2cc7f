#include "DatagramFifo.h"

#include <gtest/gtest.h>

#include <string>

using FdNet::CDatagramFifo;

namespace
{

std::string Front(const CDatagramFifo& q)
{
    uint32_t size = 0;
    const uint8_t* p = q.lpFront(&size);
    return p == nullptr ? std::string("<none>") : std::string(reinterpret_cast<const char*>(p), size);
}

TEST(DatagramFifo, DatagramsLeaveOneByOneWithTheirBounds)
{
    CDatagramFifo q(16, 1024);
    ASSERT_TRUE(q.boPush("abc", 3));
    ASSERT_TRUE(q.boPush("", 0));
    ASSERT_TRUE(q.boPush("head", 4, "+data", 5));
    EXPECT_EQ(q.ulGetCount(), 3u);
    EXPECT_EQ(Front(q), "abc");
    q.vPop();
    EXPECT_EQ(Front(q), "");
    q.vPop();
    EXPECT_EQ(Front(q), "head+data");
    q.vPop();
    EXPECT_TRUE(q.boIsEmpty());
    EXPECT_EQ(Front(q), "<none>");
    q.vPop(); // harmless when empty
    EXPECT_EQ(q.ulGetCount(), 0u);
}

TEST(DatagramFifo, TheMaximumCountsPrefixesAndRefusesWholeDatagrams)
{
    const uint32_t max = 2 * CDatagramFifo::kRecordPrefix + 10;
    CDatagramFifo q(4, max);
    ASSERT_TRUE(q.boPush("12345", 5));
    EXPECT_FALSE(q.boPush("123456", 6)); // one byte too many
    EXPECT_EQ(q.ulGetCount(), 1u);
    EXPECT_EQ(q.ulGetSize(), CDatagramFifo::kRecordPrefix + 5);
    EXPECT_FALSE(q.boPush("123", 3, "456", 3)); // neither half is queued
    ASSERT_TRUE(q.boPush("12", 2, "345", 3));
    EXPECT_EQ(q.ulGetSize(), max);
    q.vClear();
    EXPECT_TRUE(q.boIsEmpty());
    EXPECT_TRUE(q.boPush("1234567890", 10));
}

} // namespace
