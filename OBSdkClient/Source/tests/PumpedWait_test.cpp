// The pumped waits count their time-out down across wake-ups.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "PumpedWait.h"

using namespace OBSdkClient;

namespace
{

// Each wait lasts what the script says (on a clock of its own) and ends as it says.
class CScriptedHost : public IPumpedWaitHost
{
public:
    std::function<EWake(uint32_t dwAsked, uint32_t& dwTook)> script;
    std::function<bool()> done = [] { return false; };
    uint32_t dwNow = 0xFFFFF000; // wraps during the longer waits
    std::vector<uint32_t> asked;
    int iPumps = 0;

    void vPump() override { ++iPumps; }
    bool boDone() override { return done(); }
    EWake Wait(uint32_t dwMs) override
    {
        asked.push_back(dwMs);
        uint32_t took = 0;
        const EWake w = script(dwMs, took);
        dwNow += took;
        return w;
    }
    uint32_t dwTickCount() override { return dwNow; }
};

} // namespace

TEST(PumpedWait, AMessageEvery200MsCannotKeepItWaiting)
{
    CScriptedHost host;
    const uint32_t start = host.dwNow;
    host.script = [](uint32_t asked, uint32_t& took)
    {
        took = asked < 200 ? asked : 200;
        return asked <= 200 ? EWake::Timeout : EWake::Input;
    };
    EXPECT_FALSE(boPumpedWait(host, 10000));
    EXPECT_EQ(host.dwNow - start, 10000u);
    ASSERT_EQ(host.asked.size(), 50u);
    EXPECT_EQ(host.asked[0], 10000u);
    EXPECT_EQ(host.asked[1], 9800u);
    EXPECT_EQ(host.asked.back(), 200u);
}

TEST(PumpedWait, WakeUpsThatTakeNoTimeStillCountOneMillisecond)
{
    CScriptedHost host;
    host.script = [](uint32_t, uint32_t& took)
    {
        took = 0;
        return EWake::Input;
    };
    EXPECT_FALSE(boPumpedWait(host, 30));
    EXPECT_EQ(host.asked.size(), 30u);
}

TEST(PumpedWait, EndsAtTheSignalOrWhenDone)
{
    CScriptedHost host;
    int calls = 0;
    host.script = [&](uint32_t, uint32_t& took)
    {
        took = 5;
        return ++calls == 3 ? EWake::Signalled : EWake::Input;
    };
    EXPECT_TRUE(boPumpedWait(host, 20000));
    EXPECT_EQ(calls, 3);

    // Done while pumping (the reader ran nested): no wait at all.
    CScriptedHost done;
    done.done = [] { return true; };
    done.script = [](uint32_t, uint32_t&) { return EWake::Timeout; };
    EXPECT_TRUE(boPumpedWait(done, 20000));
    EXPECT_TRUE(done.asked.empty());
}

TEST(PumpedWait, WhatArrivedWithTheLastMessagesCountsAtTheTimeOut)
{
    CScriptedHost host;
    bool answered = false;
    host.done = [&] { return answered; };
    host.script = [&](uint32_t asked, uint32_t& took)
    {
        took = asked;
        answered = true; // read by the pump that follows
        return EWake::Timeout;
    };
    EXPECT_TRUE(boPumpedWait(host, 20000));
    EXPECT_EQ(host.iPumps, 2);
}
