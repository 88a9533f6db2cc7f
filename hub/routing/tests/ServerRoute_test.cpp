#include "ServerRoute.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ServerMessages.h"
#include "ServerShortForms.h"

using namespace HubRouting;
using namespace HubProto;

namespace
{

using Bytes = std::vector<uint8_t>;

const uint32_t kHub = dwIdFromText("LKWE");

Bytes Full(uint32_t dstId, uint16_t flags, uint32_t seq, const std::string& data = "xy")
{
    Bytes m = BuildServerMessage(dwIdFromText("GSRV"), dstId, flags, IoMemberId{},
                                 reinterpret_cast<const uint8_t*>(data.data()), uint32_t(data.size()), false);
    vPatchSeqNum(m.data(), seq);
    return m;
}

Bytes Data(const SServerRoute& r)
{
    return r.data.ulSize ? Bytes(r.data.lpData, r.data.lpData + r.data.ulSize) : Bytes{};
}

TEST(ServerRoute, FullMessages)
{
    struct Case
    {
        const char* lpszWhat;
        uint32_t dwDstId;
        uint16_t wFlags;
        ERoute eRoute;
        uint8_t bChannel;
        bool boPop;
    } cases[] = {
        {"to a channel", 7, 0, ERoute::Channel, 7, false},
        {"to channel 0", 0, 0, ERoute::Channel, 0, false},
        {"to the service channel", 255, 0, ERoute::Service, 0, false},
        {"to the hub id", kHub, 0, ERoute::Service, 0, false},
        {"to another id", dwIdFromText("GAME"), 0, ERoute::ByDstId, 0, false},
        {"to 256", 256, 0, ERoute::ByDstId, 0, false},
        {"identified answer to a channel", 7, 0x80, ERoute::Channel, 7, true},
        {"identified answer by DstId", dwIdFromText("GAME"), 0x80, ERoute::ByDstId, 0, true},
        {"acknowledgement to a channel", 9, 0xC0, ERoute::ChannelAck, 9, true},
        {"acknowledgement to the hub", kHub, 0xC0, ERoute::Service, 0, true},
        {"acknowledgement to 255", 255, 0xC0, ERoute::Service, 0, true},
        {"acknowledgement to another id", dwIdFromText("GAME"), 0xC0, ERoute::Drop, 0, true},
        {"bit 6 alone is no answer", 7, 0x40, ERoute::Channel, 7, false},
        {"flag bits above the first byte", 7, 0x8000, ERoute::Channel, 7, false},
    };
    for (const Case& c : cases)
    {
        const Bytes m = Full(c.dwDstId, c.wFlags, 1234);
        const SServerRoute r = RouteServerMessage(m.data(), uint32_t(m.size()), kHub);
        EXPECT_EQ(r.eRoute, c.eRoute) << c.lpszWhat;
        EXPECT_EQ(r.boPopTag, c.boPop) << c.lpszWhat;
        EXPECT_FALSE(r.boShort) << c.lpszWhat;
        if (c.eRoute == ERoute::Channel || c.eRoute == ERoute::ChannelAck)
        {
            EXPECT_EQ(r.bChannel, c.bChannel) << c.lpszWhat;
        }
        if (c.boPop)
        {
            EXPECT_EQ(r.dwSeqNum, 1234u) << c.lpszWhat;
        }
        EXPECT_EQ(r.dwDstId, c.dwDstId) << c.lpszWhat;
        EXPECT_EQ(Data(r), (Bytes{'x', 'y'})) << c.lpszWhat;
    }
}

TEST(ServerRoute, HubIdIsTheOneGiven)
{
    const Bytes m = Full(kHub, 0, 0);
    EXPECT_EQ(RouteServerMessage(m.data(), uint32_t(m.size()), dwIdFromText("HUB2")).eRoute, ERoute::ByDstId);
}

TEST(ServerRoute, ShortDatagrams)
{
    const uint8_t data[] = {1, 2, 3};
    Bytes s80 = BuildShortDatagram(12, data, 3);
    SServerRoute r = RouteServerMessage(s80.data(), uint32_t(s80.size()), kHub);
    EXPECT_EQ(r.eRoute, ERoute::Channel);
    EXPECT_TRUE(r.boShort);
    EXPECT_EQ(r.bChannel, 12);
    EXPECT_EQ(Data(r), (Bytes{1, 2, 3}));

    // The third header byte of 0x81 is the first data byte again, and the data starts there.
    Bytes s81 = BuildShortUdpDatagram(12, data, 3);
    r = RouteServerMessage(s81.data(), uint32_t(s81.size()), kHub);
    EXPECT_EQ(r.eRoute, ERoute::Channel);
    EXPECT_EQ(Data(r), (Bytes{1, 1, 2, 3}));

    Bytes service = BuildShortDatagram(255, data, 3);
    EXPECT_EQ(RouteServerMessage(service.data(), uint32_t(service.size()), kHub).eRoute, ERoute::Service);

    const Bytes other = {0xF0, 4};
    r = RouteServerMessage(other.data(), 2, kHub);
    EXPECT_EQ(r.eRoute, ERoute::Channel);
    EXPECT_EQ(r.data.ulSize, 0u);
}

TEST(ServerRoute, TooShortIsDropped)
{
    const Bytes full = Full(7, 0, 0);
    const Bytes s81 = {0x81, 5};
    const Bytes s80 = {0x80};
    EXPECT_EQ(RouteServerMessage(full.data(), 33, kHub).eRoute, ERoute::Drop);
    EXPECT_EQ(RouteServerMessage(s81.data(), 2, kHub).eRoute, ERoute::Drop);
    EXPECT_EQ(RouteServerMessage(s80.data(), 1, kHub).eRoute, ERoute::Drop);
    EXPECT_EQ(RouteServerMessage(nullptr, 0, kHub).eRoute, ERoute::Drop);
}

TEST(ServerRoute, HeaderAloneHasNoData)
{
    const Bytes m = Full(7, 0, 0, "");
    const SServerRoute r = RouteServerMessage(m.data(), 34, kHub);
    EXPECT_EQ(r.eRoute, ERoute::Channel);
    EXPECT_EQ(r.data.ulSize, 0u);
}

} // namespace
