#include "LpcHubMessages.h"

#include <gtest/gtest.h>

#include "LpcHeader.h"
#include "TestBytes.h"

using namespace HubProto;
using namespace HubProtoTest;

namespace
{

const uint32_t kLoopback = 0x0100007F;

TEST(LpcHubMessages, EveryLetterIsByteExact)
{
    const uint32_t m = 65507; // a link's UDP maximum message size
    const Bytes data = Text("ok");
    const struct
    {
        const char* name;
        Bytes encoded;
        const char* expected;
    } cases[] = {
        {"a", EncodeLpcConnectionSucceeded(kLoopback, 8999, 4, LpcSizeLimits{m - 34, m - 2, m - 3}),
         "08 61 01 01 1B 00 00 00 7F 00 00 01 27 23 04 C1 FF 00 00 E1 FF 00 00 E0 FF 00 00"},
        {"b", EncodeLpcConnectionFailed(kLoopback, 8999), "08 62 01 00 0E 00 00 00 7F 00 00 01 27 23"},
        {"c", EncodeLpcDstIdRefused(dwIdFromText("ABCD")), "08 63 01 00 0C 00 00 00 41 42 43 44"},
        {"d", EncodeLpcRecvMessage(2, kNoMessageId, data.data(), 2),
         "08 64 01 00 0F 00 00 00 02 FF FF FF FF 6F 6B"},
        {"d empty", EncodeLpcRecvMessage(2, 7, nullptr, 0), "08 64 01 00 0D 00 00 00 02 07 00 00 00"},
        {"d head", EncodeLpcRecvMessageHead(2, 7, 2), "08 64 01 00 0F 00 00 00 02 07 00 00 00"},
        {"f", EncodeLpcCnxClosed(3), "08 66 01 00 09 00 00 00 03"},
        {"g", EncodeLpcChannelClosed(3), "08 67 01 00 09 00 00 00 03"},
        {"h", EncodeLpcCnxReconnected(3), "08 68 01 00 09 00 00 00 03"},
        {"i", EncodeLpcCnxLost(3), "08 69 01 00 09 00 00 00 03"},
        {"j", EncodeLpcRecvMessageDstId(5, dwIdFromText("ABCD"), 9, data.data(), 2),
         "08 6A 01 00 13 00 00 00 05 41 42 43 44 09 00 00 00 6F 6B"},
        {"j head", EncodeLpcRecvMessageDstIdHead(5, dwIdFromText("ABCD"), 9, 2),
         "08 6A 01 00 13 00 00 00 05 41 42 43 44 09 00 00 00"},
        {"k", EncodeLpcAckableTimeout(6, 0x01020304), "08 6B 01 00 0D 00 00 00 06 04 03 02 01"},
        {"l", EncodeLpcResponseAck(6, 0x01020304), "08 6C 01 00 0D 00 00 00 06 04 03 02 01"},
        {"m", EncodeLpcIdentifiedTimeout(6, 0x01020304), "08 6D 01 00 0D 00 00 00 06 04 03 02 01"},
        {"n", EncodeLpcBindReceived(8), "08 6E 01 00 09 00 00 00 08"},
        {"o", EncodeLpcBindTimeout(8), "08 6F 01 00 09 00 00 00 08"},
        {"p", EncodeLpcBingReceived(8), "08 70 01 00 09 00 00 00 08"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToHex(c.encoded), ToHex(Hex(c.expected))) << c.name;
}

TEST(LpcHubMessages, DecodesWhatIsEncoded)
{
    LpcHubMessage m;
    Bytes a = EncodeLpcConnectionSucceeded(kLoopback, 8999, 254, LpcSizeLimits{1, 2, 3});
    ASSERT_EQ(DecodeLpcHubMessage(a.data(), uint32_t(a.size()), m), LpcDecodeStatus::Ok);
    EXPECT_EQ(m.dwServerIp, kLoopback);
    EXPECT_EQ(m.wServerPort, 8999);
    EXPECT_EQ(m.bChannel, 254);
    ASSERT_TRUE(m.boHasSizeLimits);
    EXPECT_EQ(m.limits.dwUdpMessage, 1u);
    EXPECT_EQ(m.limits.dwShort, 2u);
    EXPECT_EQ(m.limits.dwShortUdp, 3u);

    const Bytes data = Text("abc");
    Bytes j = EncodeLpcRecvMessageDstId(5, dwIdFromText("WXYZ"), 77, data.data(), 3);
    ASSERT_EQ(DecodeLpcHubMessage(j.data(), uint32_t(j.size()), m), LpcDecodeStatus::Ok);
    EXPECT_EQ(m.bChannel, 5);
    EXPECT_EQ(m.dwDstId, dwIdFromText("WXYZ"));
    EXPECT_EQ(m.dwMessageId, 77u);
    EXPECT_EQ(ToBytes(m.data), data);

    Bytes d = EncodeLpcRecvMessage(1, kNoMessageId, nullptr, 0);
    ASSERT_EQ(DecodeLpcHubMessage(d.data(), uint32_t(d.size()), m), LpcDecodeStatus::Ok);
    EXPECT_EQ(m.dwMessageId, kNoMessageId);
    EXPECT_EQ(m.data.ulSize, 0u);

    Bytes l = EncodeLpcResponseAck(9, 1234);
    ASSERT_EQ(DecodeLpcHubMessage(l.data(), uint32_t(l.size()), m), LpcDecodeStatus::Ok);
    EXPECT_EQ(m.bChannel, 9);
    EXPECT_EQ(m.dwTag, 1234u);
}

TEST(LpcHubMessages, AConnectionSucceededWithoutLimitsIsShorter)
{
    Bytes a = LpcRaw('a', 15, 15, 0);
    a[14] = 3;
    LpcHubMessage m;
    ASSERT_EQ(DecodeLpcHubMessage(a.data(), 15, m), LpcDecodeStatus::Ok);
    EXPECT_FALSE(m.boHasSizeLimits);
    EXPECT_EQ(m.bChannel, 3);
    // Announcing the limits without carrying them is a protocol error.
    Bytes cut = LpcRaw('a', 26, 26, 1);
    EXPECT_EQ(DecodeLpcHubMessage(cut.data(), 26, m), LpcDecodeStatus::TooShort);
}

TEST(LpcHubMessages, ShorterThanTheFixedPartIsAProtocolError)
{
    const struct
    {
        uint8_t letter;
        uint32_t minLen;
    } rows[] = {{'a', 15}, {'b', 14}, {'c', 12}, {'d', 13}, {'f', 9}, {'g', 9}, {'h', 9}, {'i', 9},
                {'j', 17}, {'k', 13}, {'l', 13}, {'m', 13}, {'n', 9}, {'o', 9}, {'p', 9}};
    LpcHubMessage m;
    for (const auto& row : rows)
    {
        Bytes shortMsg = LpcRaw(row.letter, row.minLen - 1, row.minLen - 1);
        EXPECT_EQ(DecodeLpcHubMessage(shortMsg.data(), row.minLen - 1, m), LpcDecodeStatus::TooShort)
            << row.letter;
        Bytes full = LpcRaw(row.letter, row.minLen, row.minLen);
        EXPECT_EQ(DecodeLpcHubMessage(full.data(), row.minLen, m), LpcDecodeStatus::Ok) << row.letter;
    }
}

TEST(LpcHubMessages, UnknownLettersIncludingEAreReportedForIgnoring)
{
    LpcHubMessage m;
    for (uint8_t letter : {uint8_t('e'), uint8_t('q'), uint8_t('C'), uint8_t('`'), uint8_t(0xFF)})
    {
        Bytes msg = LpcRaw(letter, 30, 30);
        EXPECT_EQ(DecodeLpcHubMessage(msg.data(), 30, m), LpcDecodeStatus::UnknownLetter) << int(letter);
    }
}

} // namespace
