// Keep-alives, lost links, reconnection and the failures of connecting and
// registering.
#include "HubTestSupport.h"
#include "TestHelper.h"
#include "LpcClientMessages.h"

#include <set>
#include <sstream>

using namespace HubTest;
using namespace HubProto;

namespace
{

class Reconnect : public CHubFixture
{
protected:
    // A round trip on the client's connection: what it sent before is handled.
    void vSync(CLpcTestClient& client, uint8_t bChannel)
    {
        ASSERT_TRUE(client.boSend(EncodeLpcAddDstId(bChannel, 7)));
        SHubMessage c;
        ASSERT_TRUE(client.boExpect(LPC_DSTID_REFUSED, c));
    }
    // SeqNums of the keep-alives that a stand-in link received over a transport.
    std::set<std::string> KeepAliveSeqNums(const std::string& link, const std::string& via)
    {
        std::set<std::string> seqs;
        std::istringstream entries(m_server.Command("LOG"));
        std::string entry;
        while (entries >> entry)
        {
            std::vector<std::string> f;
            std::istringstream fields(entry);
            for (std::string part; std::getline(fields, part, '/');)
                f.push_back(part);
            if (f.size() >= 9 && f[1] == link && f[2] == via && f[5] == "KAKA")
                seqs.insert(f[7]);
        }
        return seqs;
    }
};

TEST_F(Reconnect, KeepAlivesPerLinkResumeOnceAfterSeveralTries)
{
    Mgr().vSetKeepAliveUdp(60);
    Mgr().vSetKeepAliveTcp(90);
    uint8_t channel = 0;
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClientWithChannel(a, &channel));
    ASSERT_TRUE(a->boSend(ReconnParams(20, 100, 1000)));
    const std::string first = m_server.Fields("LINK last")["link"];
    EXPECT_EQ(m_server.lWait(first, "kaka_udp", 3), 3);
    EXPECT_GE(m_server.lWait(first, "kaka_tcp", 2), 2);
    EXPECT_EQ(Mgr().ulGetPendingMessages(kLoopback, wServerPort()), 2u);

    // Refused for a while: several tries before the link comes back.
    ASSERT_TRUE(m_server.boOk("DROP 0.45"));
    SHubMessage h;
    ASSERT_TRUE(a->boExpect(LPC_CNX_RECONNECTED, h));
    EXPECT_EQ(h.msg.bChannel, channel);
    const std::string second = m_server.Fields("LINK last")["link"];
    ASSERT_NE(second, first);
    EXPECT_GE(CTestLog::Instance().ulCount("Reception du timer d'attente avant reconnexion"), 2u);
    // The list was suspended and resumed once per real change: keep-alives flow again.
    EXPECT_EQ(m_server.lWait(second, "kaka_udp", 4), 4);
    EXPECT_GE(m_server.lWait(second, "kaka_tcp", 2), 2);
    // One set of keep-alives: two pending messages, one SeqNum per transport.
    EXPECT_EQ(Mgr().ulGetPendingMessages(kLoopback, wServerPort()), 2u);
    EXPECT_EQ(KeepAliveSeqNums(second, "udp").size(), 1u);
    EXPECT_EQ(KeepAliveSeqNums(second, "tcp").size(), 1u);
    EXPECT_EQ(m_server.Fields("LINK " + second)["state"], "registered");
}

TEST_F(Reconnect, LostLinkIsTriedThreeTimesForFourAttemptsThenI)
{
    Mgr().vConnectToCnx(kLoopback, wServerPort(), 5000, nullptr); // the page wants error jobs
    uint8_t channel = 0;
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClientWithChannel(a, &channel));
    ASSERT_TRUE(a->boSend(ReconnParams(4, 100, 500)));
    FD_HELPER(vSync(*a, channel));
    CTestLog::Instance().vMark();
    ASSERT_TRUE(m_server.boOk("DROP 60"));
    SHubMessage i;
    ASSERT_TRUE(a->boExpect(LPC_CNX_LOST, i));
    EXPECT_EQ(i.msg.bChannel, channel);
    EXPECT_TRUE(m_host.boWaitErrorJob(HubRouting::kErrReconnectFailed));
    EXPECT_EQ(CTestLog::Instance().ulCount("Reception du timer d'attente avant reconnexion"), 3u);
    EXPECT_EQ(Mgr().iGetLinkState(kLoopback, wServerPort()), -1);
    EXPECT_TRUE(a->boQuiet());
}

TEST_F(Reconnect, AbortedLinkGivesFOnEveryChannelWithoutReconnection)
{
    uint8_t c1 = 0, c2 = 0;
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClientWithChannel(a, &c1));
    std::unique_ptr<CLpcTestClient> b;
    ASSERT_TRUE(NewClientWithChannel(b, &c2));
    // The launcher's parameters: no reconnection.
    ASSERT_TRUE(a->boSend(ReconnParams(0, 65244000, 65244000)));
    FD_HELPER(vSync(*a, c1));
    // What Windows posts when the server resets the connection (Wine 8
    // reports a reset as an orderly close, see the next test).
    CNetCnx* link = Mgr().lpGetLink(kLoopback, wServerPort());
    ASSERT_NE(link, nullptr);
    CNetCnxClient& tcp = link->GetTcpClient();
    ASSERT_TRUE(PostMessageA(tcp.hGetWindow(), tcp.uGetSocketMessage(), WPARAM(tcp.GetSocket()),
                             WSAMAKESELECTREPLY(FD_CLOSE, WSAECONNRESET)));
    SHubMessage f;
    ASSERT_TRUE(a->boExpect(LPC_CNX_CLOSED, f)) << a->Kept();
    EXPECT_EQ(f.msg.bChannel, c1);
    ASSERT_TRUE(b->boExpect(LPC_CNX_CLOSED, f)) << b->Kept();
    EXPECT_EQ(f.msg.bChannel, c2);
    EXPECT_EQ(Mgr().ulGetLinkCount(), 0u);
}

TEST_F(Reconnect, ServerResetEndsEveryChannel)
{
    uint8_t c1 = 0, c2 = 0;
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClientWithChannel(a, &c1));
    std::unique_ptr<CLpcTestClient> b;
    ASSERT_TRUE(NewClientWithChannel(b, &c2));
    ASSERT_TRUE(a->boSend(ReconnParams(0, 65244000, 65244000)));
    FD_HELPER(vSync(*a, c1));
    ASSERT_TRUE(m_server.boOk("RESET last"));
    // 'f' where the reset is reported as such; 'g' under Wine 8.
    for (CLpcTestClient* client : {a.get(), b.get()})
    {
        SHubMessage m;
        ASSERT_TRUE(client->boExpectAny("fg", m)) << client->Kept();
    }
}

TEST_F(Reconnect, ServerCloseWithoutReconnectionGivesG)
{
    uint8_t channel = 0;
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClientWithChannel(a, &channel));
    ASSERT_TRUE(a->boSend(ReconnParams(0, 0, 0)));
    FD_HELPER(vSync(*a, channel));
    ASSERT_TRUE(m_server.boOk("CLOSE last"));
    SHubMessage g;
    ASSERT_TRUE(a->boExpect(LPC_CHANNEL_CLOSED, g));
    EXPECT_EQ(g.msg.bChannel, channel);
}

TEST_F(Reconnect, InitTimeoutAfterReconnectionGivesI)
{
    Settings().timings.dwInitReplyMs = 300;
    ASSERT_TRUE(Restart());
    uint8_t channel = 0;
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClientWithChannel(a, &channel));
    ASSERT_TRUE(a->boSend(ReconnParams(4, 100, 1000)));
    FD_HELPER(vSync(*a, channel));
    ASSERT_TRUE(m_server.boOk("ANSWER init off"));
    const long inits = m_server.lCounter("any", "init");
    ASSERT_TRUE(m_server.boOk("CLOSE last"));
    SHubMessage i;
    ASSERT_TRUE(a->boExpect(LPC_CNX_LOST, i));
    EXPECT_EQ(i.msg.bChannel, channel);
    EXPECT_EQ(m_server.lCounter("any", "init"), inits + 1);
}

TEST_F(Reconnect, FailuresToConnectOrRegisterGiveErrorJobs)
{
    struct Case
    {
        const char* lpszSetup;
        uint32_t dwConnectTimeoutMs;
        int32_t lErrorNumber;
    } cases[] = {
        {"REFUSE on", 5000, HubRouting::kErrConnectFailed},
        {"STALL on", 300, HubRouting::kErrConnectTimeout},
        {"ANSWER init off", 5000, HubRouting::kErrNoInitReply},
    };
    Settings().timings.dwInitReplyMs = 300;
    ASSERT_TRUE(Restart());
    for (const Case& c : cases)
    {
        ASSERT_TRUE(m_server.boReset());
        ASSERT_TRUE(m_server.boOk(c.lpszSetup)) << c.lpszSetup;
        // The page first: error jobs are for links that a page waits for.
        Mgr().vConnectToCnx(kLoopback, wServerPort(), c.dwConnectTimeoutMs, nullptr);
        std::unique_ptr<CLpcTestClient> client;
        ASSERT_TRUE(NewClient(client));
        ASSERT_TRUE(client->boSend(EncodeLpcConnect(c.dwConnectTimeoutMs, kLoopback, wServerPort())));
        EXPECT_TRUE(m_host.boWaitErrorJob(c.lErrorNumber)) << c.lpszSetup;
        SHubMessage b;
        EXPECT_TRUE(client->boExpect(LPC_CONNECTION_FAILED, b)) << c.lpszSetup;
        EXPECT_TRUE(boEventually([&] { return Mgr().ulGetLinkCount() == 0; })) << c.lpszSetup;
    }
}

TEST_F(Reconnect, ConnectTimeoutOfAClientGivesB)
{
    ASSERT_TRUE(m_server.boOk("STALL on"));
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClient(a));
    ASSERT_TRUE(a->boSend(EncodeLpcConnect(300, kLoopback, wServerPort())));
    SHubMessage b;
    ASSERT_TRUE(a->boExpect(LPC_CONNECTION_FAILED, b, 3000));
    EXPECT_EQ(b.msg.wServerPort, wServerPort());
    EXPECT_TRUE(m_host.ErrorJobs().empty()); // no page waits for this link
}

TEST_F(Reconnect, RefusedInitReplyGivesB)
{
    ASSERT_TRUE(m_server.boOk("ANSWER init refuse"));
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClient(a));
    EXPECT_EQ(a->iOpenChannel(kLoopback, wServerPort()), -1);
    EXPECT_EQ(Mgr().ulGetLinkCount(), 0u);
}

} // namespace
