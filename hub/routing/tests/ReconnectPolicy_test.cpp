#include "ReconnectPolicy.h"

#include <gtest/gtest.h>

using namespace HubRouting;

namespace
{

int iTries(CReconnectPolicy& p)
{
    int tries = 0;
    while (p.boNextTry())
        ++tries;
    return tries;
}

TEST(ReconnectPolicy, AttemptsGiveOneTryFewer)
{
    for (uint16_t attempts : {1, 2, 4, 10})
    {
        CReconnectPolicy p(attempts, 2500, 5000);
        EXPECT_EQ(iTries(p), attempts - 1) << attempts;
        EXPECT_FALSE(p.boIsEnabled()) << attempts;
    }
}

TEST(ReconnectPolicy, ZeroAttemptsSwitchOff)
{
    CReconnectPolicy p(4, 2500, 5000);
    p.vSetParams(0, 65244000, 65244000);
    EXPECT_FALSE(p.boIsEnabled());
    EXPECT_FALSE(p.boNextTry());
    // The previous times stay.
    EXPECT_EQ(p.dwGetBetweenMs(), 2500u);
}

TEST(ReconnectPolicy, SuccessRefillsAndNewParamsSwitchBackOn)
{
    CReconnectPolicy p(4, 2500, 5000);
    EXPECT_TRUE(p.boNextTry());
    EXPECT_TRUE(p.boNextTry());
    p.vRefill();
    EXPECT_EQ(p.wGetLeft(), 4);
    EXPECT_EQ(iTries(p), 3);
    p.vSetParams(3, 100, 200);
    EXPECT_TRUE(p.boIsEnabled());
    EXPECT_EQ(p.dwGetTimeoutMs(), 200u);
    EXPECT_EQ(iTries(p), 2);
}

} // namespace
