#include "TaskQueue.h"

#include <gtest/gtest.h>

using namespace HubRouting;

namespace
{

std::vector<uint32_t> Ids(const std::vector<STask>& tasks)
{
    std::vector<uint32_t> ids;
    for (const STask& t : tasks)
        ids.push_back(t.dwId);
    return ids;
}

int a, b;

TEST(TaskQueue, SameIdDataAndRepeatKeepsOneTask)
{
    CTaskQueue q;
    q.boQueue(4, &a, 0, false, 100);
    q.boQueue(4, &a, 0, false, 100);
    EXPECT_EQ(q.ulSize(), 1u);
    q.boQueue(4, &b, 0, false, 100);
    q.boQueue(4, &a, 0, true, 100);
    EXPECT_EQ(q.ulSize(), 3u);
}

TEST(TaskQueue, RequeueReplacesTheDueTime)
{
    CTaskQueue q;
    q.boQueue(1, &a, 250, false, 1000);
    q.boQueue(1, &a, 0, false, 1000);
    EXPECT_EQ(Ids(q.TakeDue(1000)), (std::vector<uint32_t>{1}));
    EXPECT_EQ(q.ulSize(), 0u);
}

TEST(TaskQueue, AtOnceFirstThenPassedInQueueOrder)
{
    CTaskQueue q;
    EXPECT_FALSE(q.boQueue(1, &a, 250, false, 1000));
    EXPECT_FALSE(q.boQueue(2, &a, 100, false, 1000));
    EXPECT_TRUE(q.boQueue(0, &b, 0, false, 1000));
    EXPECT_FALSE(q.boQueue(3, &b, 900, false, 1000));
    EXPECT_EQ(Ids(q.TakeDue(1000)), (std::vector<uint32_t>{0}));
    EXPECT_TRUE(q.TakeDue(1099).empty());
    EXPECT_EQ(Ids(q.TakeDue(1300)), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(q.ulSize(), 1u);
}

TEST(TaskQueue, DueTimesAcrossTheTickWrap)
{
    CTaskQueue q;
    const uint32_t now = 0xFFFFFF00u;
    q.boQueue(1, &a, 0x200, false, now);
    EXPECT_TRUE(q.TakeDue(0xFFFFFFF0u).empty());
    EXPECT_TRUE(q.TakeDue(0x00000050u).empty());
    EXPECT_EQ(Ids(q.TakeDue(0x00000100u)), (std::vector<uint32_t>{1}));
}

TEST(TaskQueue, RepeatingTaskMovesOnAndStays)
{
    CTaskQueue q;
    q.boQueue(7, &a, 100, true, 0);
    EXPECT_EQ(q.TakeDue(100).size(), 1u);
    EXPECT_TRUE(q.TakeDue(150).empty());
    EXPECT_EQ(q.TakeDue(200).size(), 1u);
    EXPECT_EQ(q.ulSize(), 1u);
}

TEST(TaskQueue, TimeToNextIsCapped)
{
    CTaskQueue q;
    EXPECT_EQ(q.dwTimeToNext(0, 1000), 1000u);
    q.boQueue(1, &a, 250, false, 1000);
    EXPECT_EQ(q.dwTimeToNext(1100, 1000), 150u);
    EXPECT_EQ(q.dwTimeToNext(1300, 1000), 0u);
    q.boQueue(2, &a, 0, false, 1000);
    EXPECT_EQ(q.dwTimeToNext(1000, 1000), 0u);
}

TEST(TaskQueue, TakeAllEmptiesInOrder)
{
    CTaskQueue q;
    q.boQueue(1, &a, 250, false, 0);
    q.boQueue(0, &b, 0, false, 0);
    EXPECT_EQ(Ids(q.TakeAll()), (std::vector<uint32_t>{1, 0}));
    EXPECT_EQ(q.ulSize(), 0u);
}

} // namespace
