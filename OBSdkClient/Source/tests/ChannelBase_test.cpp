// Channels: what their construction, sends and configuration put on the wire.
#include "SdkTestSupport.h"

#include "LpcHeader.h"
#include "LpcHubMessages.h"
#include "TestKit.h"

using namespace SdkTest;
using namespace HubProto;

namespace
{

const uint32_t kZdp1 = dwIdFromText("ZDP1");

} // namespace

TEST_F(CSdkTest, ReconnectionParametersOnlyWhenTheAttemptsAreSet)
{
    hub.vSetAnswer(CFakeHub::AnswerOpens(0));
    // The launcher's configuration: 0 attempts switch the hub's reconnection off.
    CTestChannel c(server,
                   CChannelConfig(kZdp1, 0, CChannelConfig::kTimeNotSet, CChannelConfig::kTimeNotSet, 0));
    ASSERT_TRUE(boHubGot('R', 1));
    const Bytes expected = CExpect()
                               .u8(8)
                               .u8('R')
                               .u8(1)
                               .u8(0)
                               .u32(24)
                               .u32(0x0100007F)
                               .u16(9000)
                               .u16(0)
                               .u32(65244000)
                               .u32(65244000)
                               .bytes;
    EXPECT_EQ(hub.RequestsOf('R')[0], expected);
    EXPECT_EQ(c.dwGetDstId(), kZdp1);

    CTestChannel auto3(server2, kAutoReconnConfig);
    ASSERT_TRUE(boHubGot('R', 2));
    const Bytes r = hub.RequestsOf('R')[1];
    EXPECT_EQ(Bytes(r.begin() + 12, r.end()), CExpect().u16(9001).u16(3).u32(5000).u32(10000).bytes);
}

TEST_F(CSdkTest, SendWritesEveryFieldAndMarksIdentifiedMessages)
{
    hub.vSetAnswer(CFakeHub::AnswerOpens(5));
    CTestChannel c(server, CChannelConfig(kZdp1, CChannelConfig::kKeepHubReconnParams, 0, 0, 0));
    ASSERT_EQ(c.bGetChannelId(), 5);

    struct SCase
    {
        uint32_t dwMessageId;
        uint8_t bFlags;
        bool boUdp;
        uint8_t bWireFlags;
        uint8_t bPortType;
    };
    const SCase cases[] = {
        {CChannelBase::kNoMessageId, 0x01, false, 0x01, 1},
        {5, 0x01, true, 0x11, 2},
        {5, 0x10, false, 0x10, 1}, // already marked: stays as it is
        {0, 0x00, false, 0x10, 1},
    };
    size_t n = 0;
    for (const SCase& k : cases)
    {
        SCOPED_TRACE(n);
        ASSERT_TRUE(c.boSend("data", 4, k.dwMessageId, 100, 2, 300, k.bFlags, k.boUdp));
        ASSERT_TRUE(boHubGot('S', ++n));
        const Bytes expected = CExpect()
                                   .u8(8)
                                   .u8('S')
                                   .u8(1)
                                   .u8(0)
                                   .u32(33)
                                   .text("ZDP1")
                                   .u8(k.bWireFlags)
                                   .u8(k.bPortType)
                                   .u16(2)
                                   .u32(100)
                                   .u32(300)
                                   .u8(5)
                                   .u32(k.dwMessageId)
                                   .text("data")
                                   .bytes;
        EXPECT_EQ(hub.RequestsOf('S').back(), expected);
    }

    // The DstId can change, the reconnection parameters cannot.
    c.vChangeConfiguration(
        CChannelConfig(dwIdFromText("ZDP9"), CChannelConfig::kKeepHubReconnParams, 1, 1, 2));
    EXPECT_EQ(c.dwGetDstId(), dwIdFromText("ZDP9"));
    EXPECT_EQ(CodeOf([&] { c.vChangeConfiguration(CChannelConfig(CChannelConfig::kNoDstId, 0, 1, 1, 0)); }),
              3003u);
    EXPECT_EQ(CodeOf([&] { c.vChangeConfiguration(kAutoReconnConfig); }), 3003u);
    EXPECT_EQ(c.dwGetDstId(), dwIdFromText("ZDP9"));

    // 'I' attaches another DstId to the open channel.
    ASSERT_TRUE(c.lpGetClient()->boAddDstId(c.bGetChannelId(), dwIdFromText("ZDP2")));
    ASSERT_TRUE(boHubGot('I', 1));
    EXPECT_EQ(hub.RequestsOf('I')[0], CExpect().u8(8).u8('I').u8(1).u8(0).u32(13).u8(5).text("ZDP2").bytes);

    // Closed by the hub: sends are refused and nothing leaves.
    ASSERT_TRUE(hub.boSend(EncodeLpcChannelClosed(5)));
    ASSERT_TRUE(boPumpUntil([&] { return c.ulEvents(0) == 1; }));
    EXPECT_FALSE(c.boSend("data", 4, CChannelBase::kNoMessageId, 0, 0, 0, 0, false));
    CTestChannel marker(server2);
    ASSERT_TRUE(marker.boSend("mark", 4, CChannelBase::kNoMessageId, 0, 0, 0, 0, false));
    ASSERT_TRUE(boHubGot('S', n + 1));
    EXPECT_EQ(hub.RequestsOf('S').size(), n + 1);
    EXPECT_EQ(hub.RequestsOf('S').back()[24], marker.bGetChannelId());
}

TEST_F(CSdkTest, ReconnectedChannelKeepsItsDstId)
{
    hub.vSetAnswer(CFakeHub::AnswerOpens(0));
    CTestChannel c(server, CChannelConfig(kZdp1, CChannelConfig::kKeepHubReconnParams, 0, 0, 0));
    ASSERT_TRUE(hub.boSend(EncodeLpcCnxReconnected(0)));
    ASSERT_TRUE(boPumpUntil([&] { return c.ulEvents(1) == 1; }));
    EXPECT_EQ(c.dwGetDstId(), kZdp1);
    EXPECT_TRUE(c.boIsOpen());
}

TEST_F(CSdkTest, OpenWaitModeTwoPumpsOnlyTheConnectionsWindow)
{
    hub.vSetAnswer(CFakeHub::AnswerOpens(0));
    CTestChannel first(server); // the connection exists before the opens below
    for (uint32_t mode : {0u, 2u})
    {
        SCOPED_TRACE(mode);
        FdTestKit::vDiscardWaiting(WM_APP, WM_APP);
        ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0));
        CTestChannel c(server2, CChannelConfig(CChannelConfig::kNoDstId, CChannelConfig::kKeepHubReconnParams,
                                               0, 0, mode));
        EXPECT_TRUE(c.boIsOpen());
        MSG msg;
        const bool left = PeekMessageA(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE) != FALSE;
        EXPECT_EQ(left, mode == 2) << "the thread's own message was " << (left ? "left" : "taken");
    }
}

TEST_F(CSdkTest, AHubLostDuringTheOpenLeavesNoChannelInTheSlots)
{
    // 'a', then a length that breaks the stream in the same read: the hub is
    // lost before the open takes its slot. The open fails (3004) rather than
    // leave a channel in the table that will never hear of the loss.
    hub.vSetAnswer(
        [](const Bytes& r) -> Bytes
        {
            if (r[1] != 'C')
                return {};
            LpcClientMessage m;
            DecodeLpcClientMessage(r.data(), uint32_t(r.size()), m);
            Bytes a = EncodeLpcConnectionSucceeded(m.dwServerIp, m.wServerPort, 4, {});
            Bytes bad(8, 0);
            vWriteLpcHeader(bad.data(), 'd', 0, 2);
            a.insert(a.end(), bad.begin(), bad.end());
            return a;
        });
    EXPECT_EQ(CodeOf([&] { CTestChannel c(server, CChannelConfig(kZdp1, 0, 1, 1, 0)); }), 3004u);
    EXPECT_EQ(lpClient()->lpGetChannel(4), nullptr);
    EXPECT_EQ(lpClient()->ulGetChannelCount(), 0u);
}

TEST_F(CSdkTest, AnIdHeldByAnotherChannelIsNotTakenFromIt)
{
    hub.vSetAnswer(CFakeHub::AnswerOpens(6));
    CTestChannel first(server);
    ASSERT_EQ(first.bGetChannelId(), 6);
    hub.vSetAnswer(CFakeHub::AnswerOpens(6)); // a confused hub gives 6 again
    EXPECT_EQ(CodeOf([&] { CTestChannel c(server2); }), 3004u);
    EXPECT_EQ(lpClient()->lpGetChannel(6), &first);
    EXPECT_TRUE(hub.RequestsOf('D').empty()) << "the held channel must not be closed";
}

TEST_F(CSdkTest, ReconnectionParametersThatCannotBeSentGiveTheChannelBack)
{
    hub.vSetAnswer(CFakeHub::AnswerOpens(0));
    CTestChannel first(server);
    // From the next open on, the client can read but no longer send: the
    // 'a' comes, the 'R' that follows it fails.
    const SOCKET clientSocket = first.lpGetClient()->GetSocket();
    auto opens = CFakeHub::AnswerOpens(1);
    hub.vSetAnswer(
        [clientSocket, opens](const Bytes& r) -> Bytes
        {
            if (r[1] == 'C')
                shutdown(clientSocket, SD_SEND);
            return opens(r);
        });
    EXPECT_EQ(CodeOf([&] { CTestChannel c(server2, CChannelConfig(kZdp1, 0, 1, 1, 0)); }), 3002u);
    EXPECT_EQ(lpClient()->lpGetChannel(1), nullptr) << "a dead object stays in the slot table";
    EXPECT_EQ(lpClient()->ulGetChannelCount(), 1u);
    EXPECT_EQ(lpClient()->lpGetChannel(0), &first);
}
