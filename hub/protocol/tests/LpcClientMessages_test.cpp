#include "LpcClientMessages.h"

#include <gtest/gtest.h>

#include "LpcHeader.h"
#include "TestBytes.h"

using namespace HubProto;
using namespace HubProtoTest;

namespace
{

const uint32_t kLoopback = 0x0100007F; // inet_addr("127.0.0.1"): bytes 7F 00 00 01
const uint32_t kGame = dwIdFromText("GAME");

struct EncodeCase
{
    const char* name;
    Bytes encoded;
    const char* expected;
};

TEST(LpcClientMessages, EveryLetterIsByteExact)
{
    LpcSendParams p;
    p.dwDstId = kGame;
    p.bFlags = 0x11;
    p.bPortType = kLpcPortUdp;
    p.wRepetitions = 3;
    p.dwTimeBeforeSend = 100;
    p.dwTimeBetween = 6000;
    p.bChannel = 7;
    p.dwMessageId = 42;
    const Bytes hi = Text("hi"), xyz = Text("xyz");

    const EncodeCase cases[] = {
        {"C", EncodeLpcConnect(10000, kLoopback, 8999),
         "08 43 01 00 12 00 00 00 10 27 00 00 7F 00 00 01 27 23"},
        {"D", EncodeLpcDisconnect(5), "08 44 01 00 09 00 00 00 05"},
        {"S", EncodeLpcSendMessage(p, hi.data(), 2),
         "08 53 01 00 1F 00 00 00 47 41 4D 45 11 02 03 00 64 00 00 00 70 17 00 00 07 2A 00 00 00 68 69"},
        {"S head", EncodeLpcSendMessageHead(p, 2),
         "08 53 01 00 1F 00 00 00 47 41 4D 45 11 02 03 00 64 00 00 00 70 17 00 00 07 2A 00 00 00"},
        {"F", EncodeLpcSendShort(3, xyz.data(), 3), "08 46 01 00 0C 00 00 00 03 78 79 7A"},
        {"Q", EncodeLpcSendShortUdp(3, xyz.data(), 3), "08 51 01 00 0C 00 00 00 03 78 79 7A"},
        {"I", EncodeLpcAddDstId(9, dwIdFromText("ABCD")), "08 49 01 00 0D 00 00 00 09 41 42 43 44"},
        {"B", EncodeLpcBind(dwIdFromText("ABCD"), 9), "08 42 01 00 0D 00 00 00 41 42 43 44 09"},
        {"U", EncodeLpcUnbind(9), "08 55 01 00 09 00 00 00 09"},
        {"R", EncodeLpcSetReconnParams(kLoopback, 8999, 0, 65244000, 65244000),
         "08 52 01 00 18 00 00 00 7F 00 00 01 27 23 00 00 60 8B E3 03 60 8B E3 03"},
    };
    for (const EncodeCase& c : cases)
        EXPECT_EQ(ToHex(c.encoded), ToHex(Hex(c.expected))) << c.name;
}

TEST(LpcClientMessages, DecodesWhatIsEncoded)
{
    LpcClientMessage m;
    Bytes c = EncodeLpcConnect(10000, kLoopback, 8999);
    ASSERT_EQ(DecodeLpcClientMessage(c.data(), uint32_t(c.size()), m), LpcDecodeStatus::Ok);
    EXPECT_EQ(m.bMsgId, LPC_CONNECT);
    EXPECT_EQ(m.dwTimeoutMs, 10000u);
    EXPECT_EQ(m.dwServerIp, kLoopback);
    EXPECT_EQ(m.wServerPort, 8999);

    LpcSendParams p;
    p.dwDstId = kGame;
    p.bFlags = 0x10;
    p.bPortType = kLpcPortTcp;
    p.wRepetitions = 65535;
    p.dwTimeBeforeSend = 1;
    p.dwTimeBetween = 2;
    p.bChannel = 254;
    p.dwMessageId = 0xFFFFFFFE;
    const Bytes data = Text("payload");
    Bytes s = EncodeLpcSendMessage(p, data.data(), uint32_t(data.size()));
    ASSERT_EQ(DecodeLpcClientMessage(s.data(), uint32_t(s.size()), m), LpcDecodeStatus::Ok);
    EXPECT_EQ(m.bMsgId, LPC_SEND_MESSAGE);
    EXPECT_EQ(m.send.dwDstId, kGame);
    EXPECT_EQ(m.send.bFlags, 0x10);
    EXPECT_EQ(m.send.bPortType, kLpcPortTcp);
    EXPECT_EQ(m.send.wRepetitions, 65535);
    EXPECT_EQ(m.send.dwTimeBeforeSend, 1u);
    EXPECT_EQ(m.send.dwTimeBetween, 2u);
    EXPECT_EQ(m.bChannel, 254);
    EXPECT_EQ(m.send.dwMessageId, 0xFFFFFFFEu);
    EXPECT_EQ(ToBytes(m.data), data);

    Bytes r = EncodeLpcSetReconnParams(kLoopback, 1234, 4, 2500, 5000);
    ASSERT_EQ(DecodeLpcClientMessage(r.data(), uint32_t(r.size()), m), LpcDecodeStatus::Ok);
    EXPECT_EQ(m.dwServerIp, kLoopback);
    EXPECT_EQ(m.wServerPort, 1234);
    EXPECT_EQ(m.wAttempts, 4);
    EXPECT_EQ(m.dwTimeBetweenMs, 2500u);
    EXPECT_EQ(m.dwReconnTimeoutMs, 5000u);

    Bytes b = EncodeLpcBind(kGame, 12);
    ASSERT_EQ(DecodeLpcClientMessage(b.data(), uint32_t(b.size()), m), LpcDecodeStatus::Ok);
    EXPECT_EQ(m.dwDstId, kGame);
    EXPECT_EQ(m.bChannel, 12);

    Bytes i = EncodeLpcAddDstId(13, kGame);
    ASSERT_EQ(DecodeLpcClientMessage(i.data(), uint32_t(i.size()), m), LpcDecodeStatus::Ok);
    EXPECT_EQ(m.dwDstId, kGame);
    EXPECT_EQ(m.bChannel, 13);

    const Bytes q = Text("Z!");
    Bytes qq = EncodeLpcSendShortUdp(14, q.data(), 2);
    ASSERT_EQ(DecodeLpcClientMessage(qq.data(), uint32_t(qq.size()), m), LpcDecodeStatus::Ok);
    EXPECT_EQ(m.bChannel, 14);
    EXPECT_EQ(ToBytes(m.data), q);
}

TEST(LpcClientMessages, ShorterThanTheFixedPartIsAProtocolError)
{
    const struct
    {
        uint8_t letter;
        uint32_t minLen;
    } rows[] = {{'C', 18}, {'D', 9},  {'S', 29}, {'F', 9}, {'Q', 10},
                {'I', 13}, {'B', 13}, {'U', 9},  {'R', 24}};
    LpcClientMessage m;
    for (const auto& row : rows)
    {
        Bytes shortMsg = LpcRaw(row.letter, row.minLen - 1, row.minLen - 1);
        EXPECT_EQ(DecodeLpcClientMessage(shortMsg.data(), uint32_t(shortMsg.size()), m),
                  LpcDecodeStatus::TooShort)
            << row.letter;
        Bytes full = LpcRaw(row.letter, row.minLen, row.minLen);
        EXPECT_EQ(DecodeLpcClientMessage(full.data(), uint32_t(full.size()), m), LpcDecodeStatus::Ok)
            << row.letter;
    }
    Bytes tiny = Hex("08 43 01");
    EXPECT_EQ(DecodeLpcClientMessage(tiny.data(), uint32_t(tiny.size()), m), LpcDecodeStatus::TooShort);
}

TEST(LpcClientMessages, UnknownLettersAreReportedForIgnoring)
{
    LpcClientMessage m;
    for (uint8_t letter : {uint8_t('A'), uint8_t('E'), uint8_t('a'), uint8_t('d'), uint8_t('0'), uint8_t(0)})
    {
        Bytes msg = LpcRaw(letter, 40, 40);
        EXPECT_EQ(DecodeLpcClientMessage(msg.data(), uint32_t(msg.size()), m), LpcDecodeStatus::UnknownLetter)
            << int(letter);
    }
}

TEST(LpcClientMessages, ALongerFixedMessageIsReadFromItsFixedPart)
{
    Bytes d = Concat({EncodeLpcDisconnect(6), Hex("AA BB")});
    d[4] = 11;
    LpcClientMessage m;
    ASSERT_EQ(DecodeLpcClientMessage(d.data(), uint32_t(d.size()), m), LpcDecodeStatus::Ok);
    EXPECT_EQ(m.bChannel, 6);
}

TEST(LpcClientMessages, EncodersRefuseMessagesNoPeerCouldReceive)
{
    const Bytes big(kMaxMessageSize, 0x5A);
    LpcSendParams p;
    EXPECT_EQ(EncodeLpcSendMessage(p, big.data(), kMaxMessageSize - kLpcSendMessageFixedLen).size(),
              kMaxMessageSize);
    EXPECT_TRUE(EncodeLpcSendMessage(p, big.data(), kMaxMessageSize - kLpcSendMessageFixedLen + 1).empty());
    EXPECT_TRUE(EncodeLpcSendMessageHead(p, 0xFFFFFFFF).empty());
    EXPECT_TRUE(EncodeLpcSendShort(1, big.data(), kMaxMessageSize).empty());
    // 'Q' repeats its first data byte: without data it cannot be built.
    EXPECT_TRUE(EncodeLpcSendShortUdp(1, big.data(), 0).empty());
}

} // namespace
