#include <gtest/gtest.h>

#include "OpenWaitState.h"

using OBSdkClient::COpenWaitState;

TEST(OpenWaitState, AnAnswerNobodyWaitsForIsNotKept)
{
    COpenWaitState s;
    EXPECT_FALSE(s.boOnSucceeded(4)) << "a late 'a' must be given back";
    EXPECT_FALSE(s.boOnFailed());
    s.vStart();
    EXPECT_FALSE(s.boAnswered()) << "the next open must not end at once";
}

TEST(OpenWaitState, TheWaitingOpenTakesOneAnswer)
{
    COpenWaitState s;
    s.vStart();
    EXPECT_TRUE(s.boIsWaiting());
    EXPECT_TRUE(s.boOnSucceeded(12));
    EXPECT_TRUE(s.boAnswered());
    EXPECT_TRUE(s.boSucceeded());
    EXPECT_EQ(s.bGetChannel(), 12);
    EXPECT_FALSE(s.boOnSucceeded(13)) << "a second channel is not swallowed";
    EXPECT_FALSE(s.boOnFailed());
    EXPECT_EQ(s.bGetChannel(), 12);
    s.vFinish();
    EXPECT_FALSE(s.boIsWaiting());
    EXPECT_FALSE(s.boAnswered());
    EXPECT_EQ(s.bGetChannel(), 255);
    EXPECT_FALSE(s.boOnSucceeded(14));
}

TEST(OpenWaitState, RefusalEndsTheWaitWithoutAChannel)
{
    COpenWaitState s;
    s.vStart();
    EXPECT_TRUE(s.boOnFailed());
    EXPECT_TRUE(s.boAnswered());
    EXPECT_FALSE(s.boSucceeded());
    EXPECT_EQ(s.bGetChannel(), 255);
}

TEST(OpenWaitState, ANestedOpenLeavesTheOuterAnswerInPlace)
{
    COpenWaitState s;
    s.vStart();
    EXPECT_TRUE(s.boOnSucceeded(1)); // the outer open's 'a', not yet taken
    s.vStart();                      // an open started from a pumped message
    EXPECT_TRUE(s.boAnswered());
    EXPECT_EQ(s.bGetChannel(), 1);
    s.vFinish(); // the inner takes channel 1
    EXPECT_TRUE(s.boIsWaiting());
    EXPECT_TRUE(s.boOnSucceeded(2)); // the second 'a' goes to the outer
    EXPECT_EQ(s.bGetChannel(), 2);
    s.vFinish();
    EXPECT_FALSE(s.boIsWaiting());
}
