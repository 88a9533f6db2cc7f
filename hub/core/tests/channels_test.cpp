// Channels, waiting clients, client programs that go, and the LPC listener.
#include "HubTestSupport.h"
#include "LPC.h"
#include "LpcClientMessages.h"

using namespace HubTest;
using namespace HubProto;

namespace
{

class Channels : public CHubFixture
{
};

TEST_F(Channels, SecondConnectGetsTheNextChannelOnTheSameLink)
{
    const long links = m_server.lCounter("any", "links");
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClient(a));
    std::unique_ptr<CLpcTestClient> b;
    ASSERT_TRUE(NewClient(b));
    EXPECT_EQ(a->iOpenChannel(kLoopback, wServerPort()), 0);
    EXPECT_EQ(b->iOpenChannel(kLoopback, wServerPort()), 1);
    EXPECT_EQ(a->iOpenChannel(kLoopback, wServerPort()), 2);
    EXPECT_EQ(m_server.lCounter("any", "links"), links + 1);
    EXPECT_EQ(m_server.lCounter("any", "init"), 1);
    EXPECT_EQ(Mgr().ulGetLinkCount(), 1u);
}

TEST_F(Channels, ConnectDuringRegistrationWaitsThenBothGetA)
{
    ASSERT_TRUE(m_server.boOk("ANSWER init off"));
    const long links = m_server.lCounter("any", "links");
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClient(a));
    std::unique_ptr<CLpcTestClient> b;
    ASSERT_TRUE(NewClient(b));
    ASSERT_TRUE(a->boSend(EncodeLpcConnect(5000, kLoopback, wServerPort())));
    ASSERT_EQ(m_server.lWait("any", "init", 1), 1);
    ASSERT_TRUE(b->boSend(EncodeLpcConnect(5000, kLoopback, wServerPort())));
    EXPECT_TRUE(a->boQuiet());
    EXPECT_TRUE(b->boQuiet());
    EXPECT_EQ(Mgr().iGetLinkState(kLoopback, wServerPort()), CNetCnx::NETCNX_REGISTERING);
    // The reply that the stand-in held back.
    ASSERT_TRUE(m_server.boOk("MSG last tcp INIT LKWE"));
    SHubMessage ma, mb;
    ASSERT_TRUE(a->boExpect(LPC_CONNECTION_SUCCEEDED, ma));
    ASSERT_TRUE(b->boExpect(LPC_CONNECTION_SUCCEEDED, mb));
    EXPECT_NE(ma.msg.bChannel, mb.msg.bChannel);
    EXPECT_EQ(ma.msg.dwServerIp, kLoopback);
    EXPECT_EQ(ma.msg.wServerPort, wServerPort());
    EXPECT_TRUE(ma.msg.boHasSizeLimits);
    EXPECT_EQ(ma.msg.limits.dwShort, ma.msg.limits.dwUdpMessage + 32);
    EXPECT_EQ(m_server.lCounter("any", "links"), links + 1);
}

TEST_F(Channels, FullTableAnswersBAtOnce)
{
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClient(a));
    ASSERT_EQ(a->iOpenChannel(kLoopback, wServerPort()), 0);
    Bytes many;
    for (int i = 1; i < 255; ++i)
    {
        const Bytes c = EncodeLpcConnect(5000, kLoopback, wServerPort());
        many.insert(many.end(), c.begin(), c.end());
    }
    ASSERT_TRUE(a->boSend(many));
    for (int i = 1; i < 255; ++i)
    {
        SHubMessage m;
        ASSERT_TRUE(a->boExpect(LPC_CONNECTION_SUCCEEDED, m)) << i;
        ASSERT_EQ(m.msg.bChannel, i);
    }
    EXPECT_EQ(a->iOpenChannel(kLoopback, wServerPort()), -1);
    // A freed id is handed out again.
    ASSERT_TRUE(a->boSend(EncodeLpcDisconnect(17)));
    SHubMessage g;
    ASSERT_TRUE(a->boExpect(LPC_CHANNEL_CLOSED, g));
    EXPECT_EQ(g.msg.bChannel, 17);
    EXPECT_EQ(a->iOpenChannel(kLoopback, wServerPort()), 17);
}

TEST_F(Channels, DisconnectAnswersGAndDropsTheUnusedLink)
{
    uint8_t channel = 0;
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClientWithChannel(a, &channel));
    ASSERT_TRUE(a->boSend(EncodeLpcDisconnect(channel)));
    SHubMessage g;
    ASSERT_TRUE(a->boExpect(LPC_CHANNEL_CLOSED, g));
    EXPECT_EQ(g.msg.bChannel, channel);
    EXPECT_TRUE(boEventually([&] { return Mgr().ulGetLinkCount() == 0; }));
    EXPECT_TRUE(boEventually([&] { return m_server.Fields("LINK last")["live"] == "0"; }));
}

TEST_F(Channels, GoneClientReleasesItsChannelsAndTellsTheServer)
{
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClient(a));
    ASSERT_GE(a->iOpenChannel(kLoopback, wServerPort()), 0);
    ASSERT_GE(a->iOpenChannel(kLoopback, wServerPort()), 0);
    uint8_t kept = 0;
    std::unique_ptr<CLpcTestClient> b;
    ASSERT_TRUE(NewClientWithChannel(b, &kept));
    a->vClose();
    EXPECT_TRUE(boEventually([&] { return Mgr().ulGetChannelsInUse() == 1; }));
    EXPECT_NE(m_server.Command("LAST LPCD"), "OK none");
    // The other program's channel still carries traffic both ways.
    LpcSendParams p;
    p.dwDstId = dwId("GAME");
    p.bChannel = kept;
    const uint8_t data[] = {'h', 'i'};
    ASSERT_TRUE(b->boSend(EncodeLpcSendMessage(p, data, 2)));
    SHubMessage d;
    ASSERT_TRUE(b->boExpect(LPC_RECV_MESSAGE, d));
    EXPECT_EQ(d.Data(), (Bytes{'h', 'i'}));
}

TEST_F(Channels, StoppingTheHubClosesEveryChannelWithG)
{
    uint8_t channel = 0;
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClientWithChannel(a, &channel));
    m_mgr.reset();
    SHubMessage g;
    ASSERT_TRUE(a->boExpect(LPC_CHANNEL_CLOSED, g));
    EXPECT_EQ(g.msg.bChannel, channel);
    EXPECT_TRUE(a->boClosedByHub());
}

TEST_F(Channels, IdleUdpClientExpiresWithItsChannels)
{
    Settings().timings.dwUdpClientIdleMs = 500;
    ASSERT_TRUE(Restart());
    CLpcTestClient udp;
    ASSERT_TRUE(udp.boOpenUdp(wLpcPort()));
    const int channel = udp.iOpenChannel(kLoopback, wServerPort());
    ASSERT_GE(channel, 0);
    EXPECT_EQ(Mgr().lpGetLpc()->ulGetClientCount(), 1u);
    EXPECT_TRUE(boEventually([&] { return Mgr().ulGetChannelsInUse() == 0; }));
    EXPECT_TRUE(boEventually([&] { return Mgr().lpGetLpc()->ulGetClientCount() == 0; }));
    EXPECT_NE(m_server.Command("LAST LPCD"), "OK none");
}

TEST_F(Channels, BadLengthClosesThatClientOnly)
{
    struct Case
    {
        const char* lpszWhat;
        uint32_t dwTotal;
    } cases[] = {{"below the header", 4}, {"above the largest message", 655361}};
    for (const Case& c : cases)
    {
        uint8_t channel = 0;
        std::unique_ptr<CLpcTestClient> good;
        ASSERT_TRUE(NewClientWithChannel(good, &channel));
        std::unique_ptr<CLpcTestClient> bad;
        ASSERT_TRUE(NewClient(bad));
        Bytes raw = {8, 'S', 1, 0, 0, 0, 0, 0};
        vWriteLe32(&raw[4], c.dwTotal);
        ASSERT_TRUE(bad->boSend(raw));
        EXPECT_TRUE(bad->boClosedByHub()) << c.lpszWhat;
        LpcSendParams p;
        p.dwDstId = dwId("GAME");
        p.bChannel = channel;
        const uint8_t data[] = {1};
        ASSERT_TRUE(good->boSend(EncodeLpcSendMessage(p, data, 1)));
        SHubMessage d;
        EXPECT_TRUE(good->boExpect(LPC_RECV_MESSAGE, d)) << c.lpszWhat;
    }
}

TEST_F(Channels, UnknownLetterAndShortRequestAreIgnored)
{
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClient(a));
    ASSERT_TRUE(a->boSend(Bytes{8, 'Z', 1, 0, 8, 0, 0, 0}));
    ASSERT_TRUE(a->boSend(Bytes{8, 'C', 1, 0, 12, 0, 0, 0, 0x88, 0x13, 0, 0}));
    EXPECT_TRUE(a->boQuiet());
    EXPECT_GE(a->iOpenChannel(kLoopback, wServerPort()), 0);
}

TEST_F(Channels, BusyLpcPortIsLoggedAndTheHubKeepsRunning)
{
    SOCKET holder = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = kLoopback;
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(holder, 1), 0);
    int len = sizeof addr;
    getsockname(holder, reinterpret_cast<sockaddr*>(&addr), &len);
    m_mgr.reset();
    Settings().wLpcPort = ntohs(addr.sin_port);
    m_mgr.reset(new CLinkwellMgr(m_host));
    EXPECT_TRUE(m_mgr->boInit(Settings()));
    EXPECT_FALSE(m_mgr->boIsLpcListening());
    EXPECT_EQ(CTestLog::Instance().ulCount("Adresse du serveur LPC déjà utilisée"), 1u);
    // The hub still connects for the page.
    m_mgr->vConnectToCnx(kLoopback, wServerPort(), 5000, nullptr);
    EXPECT_EQ(m_server.lWait("any", "registered", 1), 1);
    closesocket(holder);
}

} // namespace
