#include "LinkLimits.h"

#include <gtest/gtest.h>

using namespace HubRouting;

namespace
{

TEST(LinkLimits, ThreeLimitsFromTheLargestDatagram)
{
    struct Case
    {
        uint32_t dwMax, dwUdp, dwShort, dwShortUdp;
    } cases[] = {
        {65507, 65473, 65505, 65504},
        {34, 0, 32, 31},
        {3, 0, 1, 0},
        {0, 0, 0, 0}, // the size could not be read
    };
    for (const Case& c : cases)
    {
        const HubProto::LpcSizeLimits l = LimitsFromMaxDatagram(c.dwMax);
        EXPECT_EQ(l.dwUdpMessage, c.dwUdp) << c.dwMax;
        EXPECT_EQ(l.dwShort, c.dwShort) << c.dwMax;
        EXPECT_EQ(l.dwShortUdp, c.dwShortUdp) << c.dwMax;
    }
}

} // namespace
