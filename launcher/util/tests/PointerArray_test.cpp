#include <gtest/gtest.h>

#include <cstdint>

#include "PointerArray.h"

namespace
{
void* P(intptr_t v)
{
    return reinterpret_cast<void*>(v);
}
} // namespace

TEST(PointerArray, GrowthTable)
{
    struct Case
    {
        int32_t startSize; // size and capacity before
        int32_t growBy;
        int32_t newSize;
        int32_t capacity;
    } cases[] = {
        {0, 0, 100, 100},         // first block: exactly the size
        {100, 0, 101, 112},       // step 100/8
        {10, 0, 11, 14},          // step raised to 4
        {10, 50, 11, 60},         // stored grow-by
        {10000, 0, 10001, 11024}, // step clamped to 1024
        {10, 0, 30, 30},          // the new size wins over the step
    };
    for (const Case& c : cases)
    {
        CPointerArray a;
        if (c.startSize > 0)
            a.SetSize(c.startSize, 0);
        ASSERT_EQ(a.GetCapacity(), c.startSize);
        a.SetSize(c.newSize, c.growBy);
        EXPECT_EQ(a.GetSize(), c.newSize);
        EXPECT_EQ(a.GetCapacity(), c.capacity) << c.startSize << " -> " << c.newSize;
    }
}

TEST(PointerArray, SetSizeZeroFreesAndShrinkKeepsBlock)
{
    CPointerArray a;
    a.SetSize(10);
    a.SetAt(9, P(9));
    a.SetSize(5);
    EXPECT_EQ(a.GetCapacity(), 10);
    a.SetSize(10);
    EXPECT_EQ(a.GetAt(9), nullptr); // re-grown places are zero
    a.SetSize(0);
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_EQ(a.GetCapacity(), 0);
    a.SetSize(-1);
    EXPECT_EQ(a.GetSize(), 0);
}

TEST(PointerArray, AddInsertRemove)
{
    CPointerArray a;
    EXPECT_EQ(a.Add(P(10)), 0);
    EXPECT_EQ(a.GetSize(), 1);
    EXPECT_EQ(a.GetCapacity(), 1);

    CPointerArray b;
    for (intptr_t i = 0; i < 5; ++i)
        b.Add(P(i));
    b.InsertAt(2, P(99), 1);
    ASSERT_EQ(b.GetSize(), 6);
    const intptr_t expected[] = {0, 1, 99, 2, 3, 4};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(b.GetAt(i), P(expected[i]));

    CPointerArray c;
    c.Add(P(7));
    c.InsertAt(2, P(5), 1);
    ASSERT_EQ(c.GetSize(), 3);
    EXPECT_EQ(c.GetAt(0), P(7));
    EXPECT_EQ(c.GetAt(1), nullptr);
    EXPECT_EQ(c.GetAt(2), P(5));

    b.RemoveAt(1, 2);
    ASSERT_EQ(b.GetSize(), 4);
    EXPECT_EQ(b.GetAt(1), P(2));
    EXPECT_EQ(b.GetCapacity() >= 6, true);
    b.RemoveAt(3, 10); // clipped
    EXPECT_EQ(b.GetSize(), 3);
    b.RemoveAt(5, 1); // out of range: nothing
    EXPECT_EQ(b.GetSize(), 3);
    EXPECT_EQ(b.GetAt(3), nullptr);
}
