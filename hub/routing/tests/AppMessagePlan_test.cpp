#include "AppMessagePlan.h"

#include <gtest/gtest.h>

using namespace HubRouting;

namespace
{

TEST(AppMessagePlan, AfterEachSend)
{
    struct Case
    {
        uint32_t dwLeft;
        bool boWait;
        EAfterSend eExpected;
        uint32_t dwLeftAfter;
    } cases[] = {
        {kEndlessSends, false, EAfterSend::Repeat, kEndlessSends},
        {kEndlessSends, true, EAfterSend::Repeat, kEndlessSends},
        {3, false, EAfterSend::Repeat, 2},
        {2, true, EAfterSend::Repeat, 1},
        {1, false, EAfterSend::Drop, 0},
        {1, true, EAfterSend::Await, 0},
        // A delayed message without repetitions is sent once, never endlessly.
        {0, false, EAfterSend::Drop, 0},
        {0, true, EAfterSend::Await, 0},
    };
    for (const Case& c : cases)
    {
        uint32_t left = c.dwLeft;
        EXPECT_EQ(NextAfterSend(left, c.boWait), c.eExpected) << c.dwLeft << " " << c.boWait;
        EXPECT_EQ(left, c.dwLeftAfter) << c.dwLeft << " " << c.boWait;
    }
}

TEST(AppMessagePlan, ThreeRepetitionsAreThreeSendsThenTheWait)
{
    uint32_t left = 3;
    int sends = 0;
    EAfterSend next;
    do
    {
        ++sends;
        next = NextAfterSend(left, true);
    } while (next == EAfterSend::Repeat);
    EXPECT_EQ(sends, 3);
    EXPECT_EQ(next, EAfterSend::Await);
}

TEST(AppMessagePlan, SentAtOnceOnlyWithoutDelayAndRepetitions)
{
    EXPECT_TRUE(boSendsAtOnce(0, 0));
    EXPECT_FALSE(boSendsAtOnce(1, 0));
    EXPECT_FALSE(boSendsAtOnce(0, 1));
}

TEST(AppMessagePlan, AnswerAwaitedForTaggedChannelMessages)
{
    EXPECT_TRUE(boAwaitsAnswerOnce(5, 3));
    EXPECT_TRUE(boAwaitsAnswerOnce(kBindTag, 255));
    EXPECT_FALSE(boAwaitsAnswerOnce(kNoTag, 3));
    EXPECT_FALSE(boAwaitsAnswerOnce(5, 256));
}

} // namespace
