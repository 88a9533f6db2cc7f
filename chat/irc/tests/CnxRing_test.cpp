#include "CnxRing.h"

#include <gtest/gtest.h>

using ChatIrc::CCnxRing;
using ChatIrc::CTextAccumulator;

TEST(CnxRing, OneSlotStaysEmpty)
{
    CCnxRing ring;
    ASSERT_EQ(ring.uCapacity(), 150u);
    for (int i = 0; i < 149; ++i)
        ASSERT_TRUE(ring.boPush("x", 1)) << i;
    EXPECT_FALSE(ring.boPush("150th", 5));
    std::string b;
    ASSERT_TRUE(ring.boPop(b));
    EXPECT_EQ(b, "x");
    EXPECT_TRUE(ring.boPush("again", 5));
    EXPECT_EQ(ring.uCount(), 149u);
    CCnxRing small(0);
    EXPECT_EQ(small.uCapacity(), 2u);
    EXPECT_TRUE(small.boPush("a", 1));
    EXPECT_FALSE(small.boPush("b", 1));
}

TEST(CnxRing, WrapsOldestFirst)
{
    CCnxRing ring(3);
    std::string b;
    for (int round = 0; round < 5; ++round)
    {
        const std::string one = "a" + std::to_string(round), two = "b" + std::to_string(round);
        ASSERT_TRUE(ring.boPush(one.data(), one.size()));
        ASSERT_TRUE(ring.boPush(two.data(), two.size()));
        ASSERT_TRUE(ring.boPop(b));
        EXPECT_EQ(b, one);
        ASSERT_TRUE(ring.boPop(b));
        EXPECT_EQ(b, two);
        EXPECT_FALSE(ring.boPop(b));
    }
}

TEST(CnxRing, TextsEndAtNul)
{
    CTextAccumulator acc;
    std::vector<std::string> texts;
    auto on = [&](const char* t, size_t n) { texts.push_back(std::string(t, n)); };
    acc.vFeed("ab\0c", 4, on);
    acc.vFeed("d\0", 2, on);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], std::string("ab\0", 3));
    EXPECT_EQ(texts[1], std::string("cd\0", 3));
    acc.vFeed("tail", 4, on);
    EXPECT_EQ(acc.uPending(), 4u);
}
