#include "ServerMessages.h"

#include <gtest/gtest.h>

#include "ServerShortForms.h"
#include "TestBytes.h"

using namespace HubProto;
using namespace HubProtoTest;

namespace
{

// A link's member id before registration: 0xFFFFFFFF then zeros.
IoMemberId Unregistered()
{
    IoMemberId id{};
    id[0] = id[1] = id[2] = id[3] = 0xFF;
    return id;
}

TEST(ServerMessages, InitIsByteExact)
{
    const Bytes pseudo = Text("Bob");
    Bytes init = BuildInitMessage(kDefaultHubId, Unregistered(), pseudo.data(), 3);
    EXPECT_EQ(ToHex(init), ToHex(Hex("22 00 01 00 25 00 00 00 02 00 4C 4B 57 45 49 4E 49 54 00 00 00 00"
                                     "FF FF FF FF 00 00 00 00 00 00 00 00 42 6F 62")));
}

TEST(ServerMessages, KeepAliveIsByteExact)
{
    IoMemberId member;
    for (uint32_t i = 0; i < kIoMemberIdLen; ++i)
        member[i] = uint8_t(0xA0 + i);
    Bytes kaka = BuildKeepAlive(dwIdFromText("HUB1"), member);
    EXPECT_EQ(ToHex(kaka), ToHex(Hex("22 00 01 00 22 00 00 00 00 00 48 55 42 31 4B 41 4B 41 00 00 00 00"
                                     "A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB")));
}

TEST(ServerMessages, HeaderRoundTripAndSeqNumAtSending)
{
    IoMemberId member = Unregistered();
    member[11] = 0x77;
    const Bytes data = Text("data!");
    Bytes msg = BuildServerMessage(7, dwIdFromText("GAME"), 0x00C1, member, data.data(), 5, true);
    ASSERT_EQ(msg.size(), 34u + 5 + 12);
    vPatchSeqNum(msg.data(), 0x01020304);
    const SERVER_HEADER h = ReadServerHeader(msg.data());
    EXPECT_EQ(h.bHeaderLen, 34);
    EXPECT_EQ(h.bVersion, 1);
    EXPECT_EQ(h.dwTotalLen, 51u);
    EXPECT_EQ(h.wFlags, 0x00C1);
    EXPECT_EQ(bFlagsByte(h), 0xC1);
    EXPECT_EQ(h.SrcId, 7u);
    EXPECT_EQ(h.DstId, dwIdFromText("GAME"));
    EXPECT_EQ(h.SeqNum, 0x01020304u);
    EXPECT_EQ(h.IOMemberId, member);
    EXPECT_EQ(Bytes(msg.begin() + 34, msg.begin() + 39), data);
    EXPECT_EQ(Bytes(msg.end() - 12, msg.end()), Bytes(member.begin(), member.end()));
    EXPECT_EQ(msg[1], 0);
    EXPECT_EQ(msg[3], 0);
}

TEST(ServerMessages, RefusesMessagesNoPeerCouldReceive)
{
    const Bytes big(kMaxMessageSize, 1);
    EXPECT_EQ(BuildServerMessage(1, 2, 0, IoMemberId{}, big.data(), kMaxMessageSize - 34, false).size(),
              kMaxMessageSize);
    EXPECT_TRUE(BuildServerMessage(1, 2, 0, IoMemberId{}, big.data(), kMaxMessageSize - 34, true).empty());
}

TEST(ServerMessages, InitReplyAcceptance)
{
    const uint32_t foreign = dwIdFromText("XXXX");
    const struct
    {
        uint32_t dstId;
        uint16_t flags;
        bool accepted;
    } rows[] = {
        {kDefaultHubId, 200, true}, {foreign, 200, false},   {foreign, 127, true},
        {foreign, 128, false},      {foreign, 0x0100, true}, {kDefaultHubId, 0, true},
    };
    for (const auto& r : rows)
    {
        SERVER_HEADER h;
        h.DstId = r.dstId;
        h.wFlags = r.flags;
        EXPECT_EQ(boIsInitReplyAccepted(h, kDefaultHubId), r.accepted) << r.dstId << " " << r.flags;
    }
}

TEST(ServerMessages, BindData)
{
    const auto d = BindData(dwIdFromText("ABCD"), 9);
    EXPECT_EQ(ToHex(Bytes(d.begin(), d.end())), "41 42 43 44 09 ");
}

TEST(ServerShortForms, BuildsBothForms)
{
    const Bytes ab = Text("ab");
    EXPECT_EQ(ToHex(BuildShortDatagram(7, ab.data(), 2)), "80 07 61 62 ");
    EXPECT_EQ(ToHex(BuildShortDatagram(7, nullptr, 0)), "80 07 ");
    // The third header byte is the first data byte; the data follows whole.
    EXPECT_EQ(ToHex(BuildShortUdpDatagram(7, ab.data(), 2)), "81 07 61 61 62 ");
    EXPECT_TRUE(BuildShortUdpDatagram(7, ab.data(), 0).empty());
}

TEST(ServerShortForms, DecodeNeedsTheWholeShortHeader)
{
    const struct
    {
        const char* bytes;
        bool ok;
        uint8_t channel;
        const char* data;
    } rows[] = {
        {"80 05", true, 5, ""},      {"80 05 41 42", true, 5, "41 42"}, {"81 05", false, 0, ""},
        {"81 05 41", true, 5, "41"}, {"90 FF 01", true, 255, "01"},     {"80", false, 0, ""},
        {"7F 05 41", false, 0, ""},
    };
    for (const auto& r : rows)
    {
        const Bytes d = Hex(r.bytes);
        ShortDatagram s;
        ASSERT_EQ(boDecodeShortDatagram(d.data(), uint32_t(d.size()), s), r.ok) << r.bytes;
        if (r.ok)
        {
            EXPECT_EQ(s.bMark, d[0]);
            EXPECT_EQ(s.bChannel, r.channel);
            EXPECT_EQ(ToBytes(s.data), Hex(r.data)) << r.bytes;
        }
    }
}

} // namespace
