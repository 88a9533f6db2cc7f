// Each message of the hub becomes one action; lengths are checked before any
// field is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HubMessageReader.h"
#include "LpcHeader.h"

using namespace OBSdkClient;
using namespace HubProto;

namespace
{

std::vector<uint8_t> Raw(uint8_t letter, uint8_t extra, uint32_t total)
{
    std::vector<uint8_t> m(total < 8 ? 8 : total, 0);
    vWriteLpcHeader(m.data(), letter, extra, total);
    m.resize(total);
    return m;
}

SHubAction Read(const std::vector<uint8_t>& m)
{
    return ReadHubMessage(m.data(), uint32_t(m.size()));
}

} // namespace

TEST(HubMessageReader, EachLetterItsAction)
{
    struct SCase
    {
        std::vector<uint8_t> message;
        EHubAction eAction;
    };
    const uint8_t data[] = {1, 2, 3};
    const SCase cases[] = {
        {EncodeLpcConnectionSucceeded(0x0100007F, 9000, 4, {1, 2, 3}), EHubAction::OpenSucceeded},
        {EncodeLpcConnectionFailed(0x0100007F, 9000), EHubAction::OpenFailed},
        {EncodeLpcDstIdRefused(dwIdFromText("ABCD")), EHubAction::Ignore},
        {EncodeLpcRecvMessage(4, 77, data, 3), EHubAction::Message},
        {EncodeLpcRecvMessageDstId(4, dwIdFromText("ABCD"), 77, data, 3), EHubAction::Message},
        {EncodeLpcCnxClosed(4), EHubAction::ChannelClosed},
        {EncodeLpcChannelClosed(4), EHubAction::ChannelClosed},
        {EncodeLpcCnxLost(4), EHubAction::ChannelClosed},
        {EncodeLpcCnxReconnected(4), EHubAction::Reconnected},
        {EncodeLpcAckableTimeout(4, 5), EHubAction::Ignore},
        {EncodeLpcResponseAck(4, 5), EHubAction::Ignore},
        {EncodeLpcIdentifiedTimeout(4, 5), EHubAction::ResponseTimeout},
        {EncodeLpcBindReceived(4), EHubAction::Bound},
        {EncodeLpcBindTimeout(4), EHubAction::BindTimeout},
        {EncodeLpcBingReceived(4), EHubAction::Bing},
        {Raw('e', 0, 9), EHubAction::Ignore},
        {Raw('q', 0, 9), EHubAction::Ignore},
        {Raw('C', 0, 18), EHubAction::Ignore},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(std::string(1, char(c.message.at(1))));
        const SHubAction a = Read(c.message);
        EXPECT_EQ(a.eAction, c.eAction);
        EXPECT_EQ(a.bLetter, c.message[1]);
        if (c.eAction != EHubAction::Ignore && c.eAction != EHubAction::OpenFailed)
        {
            EXPECT_EQ(a.bChannel, 4);
        }
    }
}

TEST(HubMessageReader, OpenAnswersCarryServerChannelAndLimits)
{
    SHubAction a = Read(EncodeLpcConnectionSucceeded(0x0A0B0C0D, 4321, 17, {100, 200, 300}));
    EXPECT_EQ(a.dwServerIp, 0x0A0B0C0Du);
    EXPECT_EQ(a.wServerPort, 4321);
    EXPECT_EQ(a.bChannel, 17);
    ASSERT_TRUE(a.boHasSizeLimits);
    EXPECT_EQ(a.limits.dwUdpMessage, 100u);
    EXPECT_EQ(a.limits.dwShort, 200u);
    EXPECT_EQ(a.limits.dwShortUdp, 300u);

    // Without the limits (extra 0) 15 bytes are whole.
    std::vector<uint8_t> shortA = Raw('a', 0, 15);
    shortA[14] = 3;
    a = Read(shortA);
    EXPECT_EQ(a.eAction, EHubAction::OpenSucceeded);
    EXPECT_FALSE(a.boHasSizeLimits);
    EXPECT_EQ(a.bChannel, 3);

    a = Read(EncodeLpcConnectionFailed(0x0A0B0C0D, 4321));
    EXPECT_EQ(a.dwServerIp, 0x0A0B0C0Du);
    EXPECT_EQ(a.wServerPort, 4321);
}

TEST(HubMessageReader, MessagesCarryIdAndData)
{
    const uint8_t data[] = {'h', 'i', '!'};
    std::vector<uint8_t> d = EncodeLpcRecvMessage(8, 0x01020304, data, 3);
    SHubAction a = Read(d);
    EXPECT_EQ(a.dwMessageId, 0x01020304u);
    ASSERT_EQ(a.data.ulSize, 3u);
    EXPECT_EQ(a.data.lpData, d.data() + 13);

    std::vector<uint8_t> j = EncodeLpcRecvMessageDstId(8, dwIdFromText("WXYZ"), 55, data, 3);
    a = Read(j);
    EXPECT_EQ(a.dwMessageId, 55u);
    ASSERT_EQ(a.data.ulSize, 3u);
    EXPECT_EQ(a.data.lpData, j.data() + 17);

    a = Read(EncodeLpcRecvMessage(8, kNoMessageId, nullptr, 0));
    EXPECT_EQ(a.eAction, EHubAction::Message);
    EXPECT_EQ(a.data.ulSize, 0u);
    EXPECT_EQ(a.dwMessageId, kNoMessageId);

    a = Read(EncodeLpcIdentifiedTimeout(8, 0xDEADBEEF));
    EXPECT_EQ(a.dwTag, 0xDEADBEEFu);
}

TEST(HubMessageReader, ShorterThanItsLetterIsDroppedUnread)
{
    struct SCase
    {
        uint8_t letter, extra;
        uint32_t total;
    };
    const SCase cases[] = {
        {'a', 1, 26}, {'a', 0, 14}, {'b', 0, 13}, {'d', 0, 12}, {'j', 0, 16},
        {'f', 0, 8},  {'m', 0, 12}, {'n', 0, 8},  {'h', 0, 8},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(std::string(1, char(c.letter)) + " " + std::to_string(c.total));
        EXPECT_EQ(Read(Raw(c.letter, c.extra, c.total)).eAction, EHubAction::TooShort);
        EXPECT_NE(Read(Raw(c.letter, c.extra, c.total + 1)).eAction, EHubAction::TooShort);
    }
}

TEST(HubMessageReader, Channel255IsNoChannel)
{
    const uint8_t data[] = {1};
    for (const std::vector<uint8_t>& m :
         {EncodeLpcRecvMessage(255, 1, data, 1), EncodeLpcChannelClosed(255), EncodeLpcBindReceived(255),
          EncodeLpcIdentifiedTimeout(255, 1), EncodeLpcConnectionSucceeded(1, 2, 255, {})})
    {
        SCOPED_TRACE(std::string(1, char(m[1])));
        EXPECT_EQ(Read(m).eAction, EHubAction::Ignore);
    }
    EXPECT_EQ(Read(EncodeLpcChannelClosed(254)).eAction, EHubAction::ChannelClosed);
}
