#include "FloodDetector.h"
#include "TestHelper.h"

#include <gtest/gtest.h>

using ChatModel::CFloodDetector;

namespace
{
struct Clock
{
    int64_t now = 1000;
    ChatModel::ClockFn fn()
    {
        return [this] { return now; };
    }
};
} // namespace

TEST(FloodDetector, FourthIdenticalMessageRaisesRepeatAlert)
{
    Clock c;
    CFloodDetector d("x", c.fn());
    d.iFrqMinPeriod = 0; // frequency out of the way
    for (int i = 0; i < 3; ++i)
    {
        c.now += 10;
        d.vOnMessage("same text");
        EXPECT_EQ(d.iAlertState(nullptr, nullptr), 0) << "message " << i + 1;
    }
    c.now += 10;
    d.vOnMessage("same text");
    int32_t duration = 0, remaining = -5;
    EXPECT_EQ(d.iAlertState(&duration, &remaining), CFloodDetector::kRepeat);
    EXPECT_EQ(duration, 1000);
    EXPECT_EQ(remaining, 1000);
    c.now += 100; // far past: never below 0
    EXPECT_EQ(d.iAlertState(&duration, &remaining), CFloodDetector::kRepeat);
    EXPECT_EQ(remaining, 0);
}

// Messages every second: the smoothed interval falls below 2000 ms, and the
// third second of it raises the frequency alert.
static void vFloodUntilAlert(CFloodDetector& d, Clock& c)
{
    for (int i = 0; i < 20 && d.iAlertState(nullptr, nullptr) != CFloodDetector::kFrequency; ++i)
    {
        c.now += 1;
        d.vOnMessage("m" + std::to_string(c.now));
    }
    ASSERT_EQ(d.iAlertState(nullptr, nullptr), CFloodDetector::kFrequency);
}

TEST(FloodDetector, FrequencyProbationGrowsByItsFactor)
{
    struct Case
    {
        double mult;
        int32_t prob;
        int32_t second;
    } cases[] = {{2.0, 3000, 6000}, {0.0, 3000, 3000}, {1e12, 3000, 2147483647}};
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.mult);
        Clock c;
        CFloodDetector d("x", c.fn());
        d.dFrqMult = k.mult;
        d.iFrqProb = k.prob;
        FD_HELPER(vFloodUntilAlert(d, c));
        int32_t duration = 0, remaining = 0;
        d.iAlertState(&duration, &remaining);
        EXPECT_EQ(duration, k.prob);
        c.now += 100;
        d.vOnMessage("calm");
        EXPECT_EQ(d.iAlertState(nullptr, nullptr), 0);
        EXPECT_EQ(d.iFrqProb, k.second);
    }
}

TEST(FloodDetector, ProbationMinusOneNeverEnds)
{
    Clock c;
    CFloodDetector d("x", c.fn());
    d.iFrqProb = -1;
    FD_HELPER(vFloodUntilAlert(d, c));
    c.now += 100000;
    d.vOnMessage("calm");
    int32_t duration = 0, remaining = 77;
    EXPECT_EQ(d.iAlertState(&duration, &remaining), CFloodDetector::kFrequency);
    EXPECT_EQ(duration, -1);
    EXPECT_EQ(remaining, 77);
}

TEST(FloodDetector, FrequencyWinsOverRepeat)
{
    Clock c;
    CFloodDetector d("x", c.fn());
    for (int i = 0; i < 10; ++i)
    {
        c.now += 1;
        d.vOnMessage("same");
    }
    EXPECT_EQ(d.iAlertState(nullptr, nullptr), CFloodDetector::kFrequency);
}

TEST(FloodDetector, Similarity)
{
    EXPECT_TRUE(CFloodDetector::boSimilar("hello world!", "hello world!!", 2));
    EXPECT_TRUE(CFloodDetector::boSimilar("hi", "hi", 2));
    EXPECT_FALSE(CFloodDetector::boSimilar("", "", 2));
    EXPECT_FALSE(CFloodDetector::boSimilar("hello world", "goodbye moon", 2));
    EXPECT_TRUE(CFloodDetector::boSimilar("<b>hello there</b>", "<i>hello there</i>", 2));
}

TEST(FloodDetector, CopyParametersKeepsState)
{
    Clock c;
    CFloodDetector a("a", c.fn()), b("b", c.fn());
    a.iRptMaxMess = 9;
    a.strFrqAutoGroup = "slow";
    a.exemptUsers = {"adm*"};
    b.vCopyParameters(a);
    EXPECT_EQ(b.iRptMaxMess, 9);
    EXPECT_EQ(b.strAutoGroup(2), "slow");
    EXPECT_EQ(b.strAutoGroup(3), "");
    EXPECT_EQ(b.strName(), "b");
    EXPECT_EQ(b.exemptUsers.size(), 1u);
    EXPECT_EQ(b.iNhbAbsent(1), 1);
    EXPECT_EQ(b.iNhbAbsent(5), 0);
}
