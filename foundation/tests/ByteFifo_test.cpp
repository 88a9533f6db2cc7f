#include "ByteFifo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using FdMisc::CByteFifo;

namespace
{

std::string Content(const CByteFifo& f)
{
    return std::string(reinterpret_cast<const char*>(f.lpGetData()), f.ulGetSize());
}

std::vector<uint8_t> Bytes(size_t n, uint8_t seed)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = (uint8_t)(seed + i * 7);
    return v;
}

} // namespace

TEST(ByteFifo, StartsEmptyWithOneStep)
{
    CByteFifo f(2048, 655360);
    EXPECT_EQ(f.ulGetSize(), 0u);
    EXPECT_EQ(f.ulGetCapacity(), 2048u);
    EXPECT_EQ(f.ulGetMaxSize(), 655360u);
}

TEST(ByteFifo, GrowsByWholeSteps)
{
    struct Case
    {
        uint32_t first, second, capacity;
    };
    const Case cases[] = {
        {2048, 0, 2048}, {2048, 1, 4096}, {2000, 2096, 4096}, {2000, 2097, 6144}, {1, 10000, 10240},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.first) + " then " + std::to_string(c.second));
        CByteFifo f(2048, 655360);
        auto a = Bytes(c.first, 1), b = Bytes(c.second, 2);
        ASSERT_TRUE(f.boPush(a.data(), (uint32_t)a.size()));
        ASSERT_TRUE(f.boPush(b.data(), (uint32_t)b.size()));
        EXPECT_EQ(f.ulGetCapacity(), c.capacity);
        std::vector<uint8_t> all(a);
        all.insert(all.end(), b.begin(), b.end());
        ASSERT_EQ(f.ulGetSize(), all.size());
        EXPECT_TRUE(std::equal(all.begin(), all.end(), f.lpGetData()));
    }
}

TEST(ByteFifo, RefusesOverTheMaxAndKeepsTheContent)
{
    CByteFifo f(16, 40);
    ASSERT_TRUE(f.boPush("0123456789abcdefghijklmnopqrstuvwxyz", 36));
    const uint32_t capacity = f.ulGetCapacity();
    EXPECT_FALSE(f.boPush("12345", 5));
    EXPECT_EQ(Content(f), "0123456789abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(f.ulGetCapacity(), capacity);
    EXPECT_TRUE(f.boPush("1234", 4)); // exactly the max
    EXPECT_EQ(f.ulGetSize(), 40u);
    EXPECT_FALSE(f.boPush("!", 1));
}

TEST(ByteFifo, MaxHoldsEvenWithRoomLeftInTheBlock)
{
    // Capacity 48 after growth, max 40: room behind the write index must not bypass the bound.
    CByteFifo f(16, 40);
    ASSERT_TRUE(f.boPush(Bytes(40, 0).data(), 40));
    EXPECT_EQ(f.ulGetCapacity(), 48u);
    EXPECT_FALSE(f.boPush("x", 1));
    EXPECT_EQ(f.ulGetSize(), 40u);
}

TEST(ByteFifo, ConsumingAllRestartsAtTheFront)
{
    CByteFifo f(8, 64);
    ASSERT_TRUE(f.boPush("abcdef", 6));
    const uint8_t* front = f.lpGetData();
    f.vConsume(2);
    EXPECT_EQ(Content(f), "cdef");
    f.vConsume(4);
    EXPECT_EQ(f.ulGetSize(), 0u);
    ASSERT_TRUE(f.boPush("xy", 2));
    EXPECT_EQ(f.lpGetData(), front);
    EXPECT_EQ(Content(f), "xy");
    f.vConsume(100); // more than there is: all of it
    EXPECT_EQ(f.ulGetSize(), 0u);
}

TEST(ByteFifo, CompactsInPlaceWhenTheBlockIsBigEnough)
{
    CByteFifo f(8, 64);
    ASSERT_TRUE(f.boPush("abcdefg", 7));
    f.vConsume(5);
    ASSERT_TRUE(f.boPush("hijk", 4)); // write index 7 + 4 > 8, content 2 + 4 fits
    EXPECT_EQ(f.ulGetCapacity(), 8u);
    EXPECT_EQ(Content(f), "fghijk");
}

TEST(ByteFifo, HugePushIsRefusedWithoutOverflow)
{
    CByteFifo f(2048, 655360);
    ASSERT_TRUE(f.boPush("a", 1));
    EXPECT_FALSE(f.boPush("b", 0xFFFFFFFFu));
    EXPECT_EQ(Content(f), "a");
}
