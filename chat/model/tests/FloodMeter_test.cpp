// The flood benchmark's measure: flood lines parsed once each, the rate over
// the earliest send to the last arrival, nearest-rank percentiles, and the
// Python client's MEASURE line read back.
#include <gtest/gtest.h>

#include "FloodMeter.h"

using ChatBench::CFloodMeter;

TEST(FloodMeter, CountsEachLineOnceAndComputesTheFigures)
{
    CFloodMeter m;
    const int64_t ms = 1000000;
    EXPECT_FALSE(m.boOnText("hello", 5 * ms));
    EXPECT_FALSE(m.boOnText("flood x 1", 5 * ms));
    EXPECT_FALSE(m.boOnText("flood 1", 5 * ms));
    EXPECT_FALSE(m.boOnText("flood 99999999 1", 5 * ms));
    // Line i sent at i ms, arrived 2 ms later (the last one 11 ms later).
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(m.boOnText("flood " + std::to_string(i) + " " + std::to_string(i * ms),
                               (i + (i == 19 ? 11 : 2)) * ms));
    EXPECT_FALSE(m.boOnText("flood 3 0", 99 * ms)); // seen already
    const CFloodMeter::Figures f = m.Compute();
    EXPECT_EQ(f.lines, 20u);
    EXPECT_DOUBLE_EQ(f.medianMs, 2.0);
    EXPECT_DOUBLE_EQ(f.p95Ms, 2.0);
    EXPECT_DOUBLE_EQ(f.linesPerSecond, 20 / 0.030);
    EXPECT_EQ(ChatBench::Percentile({1, 2, 3, 4}, 0.5), 2.0);
    EXPECT_EQ(ChatBench::Percentile({5, 1, 3}, 0.95), 5.0);
    EXPECT_EQ(ChatBench::Percentile({}, 0.5), 0.0);

    CFloodMeter::Figures back;
    EXPECT_TRUE(CFloodMeter::boParse("DONE 0\nMEASURE " + CFloodMeter::strFormat(f) + "\n", back));
    EXPECT_EQ(back.lines, 20u);
    EXPECT_NEAR(back.linesPerSecond, f.linesPerSecond, 0.1);
    EXPECT_FALSE(CFloodMeter::boParse("DONE 2\n", back));
}
