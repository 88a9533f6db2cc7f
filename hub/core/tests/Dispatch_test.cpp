// Routing of server messages and of client requests, service messages and
// page jobs.
#include "HubTestSupport.h"
#include "LpcClientMessages.h"

using namespace HubTest;
using namespace HubProto;

namespace
{

class Dispatch : public CHubFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CHubFixture::SetUp());
        ASSERT_TRUE(NewClientWithChannel(m_client, &m_bChannel));
        m_channel = "#" + std::to_string(m_bChannel);
    }
    void TearDown() override
    {
        m_client.reset();
        CHubFixture::TearDown();
    }
    // 'S' from the channel.
    bool boSendS(uint8_t bFlags, uint32_t dwMessageId, uint16_t wRepetitions = 0, uint32_t dwBetween = 0,
                 uint8_t bPortType = kLpcPortTcp, const std::string& text = "ping")
    {
        LpcSendParams p;
        p.dwDstId = dwId("GAME");
        p.bFlags = bFlags;
        p.bPortType = bPortType;
        p.wRepetitions = wRepetitions;
        p.dwTimeBetween = dwBetween;
        p.bChannel = m_bChannel;
        p.dwMessageId = dwMessageId;
        return m_client->boSend(
            EncodeLpcSendMessage(p, reinterpret_cast<const uint8_t*>(text.data()), uint32_t(text.size())));
    }
    static Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

    std::unique_ptr<CLpcTestClient> m_client;
    uint8_t m_bChannel = 0;
    std::string m_channel;
};

TEST_F(Dispatch, ServerMessageToTheChannelIsDWithoutId)
{
    ASSERT_TRUE(m_server.boOk("MSG last tcp GAME " + m_channel + " text=hello"));
    SHubMessage d;
    ASSERT_TRUE(m_client->boExpect(LPC_RECV_MESSAGE, d));
    EXPECT_EQ(d.msg.bChannel, m_bChannel);
    EXPECT_EQ(d.msg.dwMessageId, kNoMessageId);
    EXPECT_EQ(d.Data(), Text("hello"));
}

TEST_F(Dispatch, SentMessagesComeBackOverBothTransports)
{
    for (uint8_t port : {kLpcPortTcp, kLpcPortUdp})
    {
        ASSERT_TRUE(boSendS(0, kNoMessageId, 0, 0, port, "echo"));
        SHubMessage d;
        ASSERT_TRUE(m_client->boExpect(LPC_RECV_MESSAGE, d)) << int(port);
        EXPECT_EQ(d.Data(), Text("echo"));
    }
    const auto link = m_server.Fields("LINK last");
    EXPECT_EQ(link.at("msg_udp") != "0" && link.at("msg_tcp") != "0", true);
}

TEST_F(Dispatch, ShortDatagramsComeBackAsD)
{
    const uint8_t data[] = {'a', 'b', 'c'};
    ASSERT_TRUE(m_client->boSend(EncodeLpcSendShort(m_bChannel, data, 3)));
    SHubMessage d;
    ASSERT_TRUE(m_client->boExpect(LPC_RECV_MESSAGE, d));
    EXPECT_EQ(d.Data(), Text("abc"));
    EXPECT_EQ(d.msg.dwMessageId, kNoMessageId);
    // 0x81 repeats the first byte in its header; the channel gets it from offset 2.
    ASSERT_TRUE(m_client->boSend(EncodeLpcSendShortUdp(m_bChannel, data, 3)));
    ASSERT_TRUE(m_client->boExpect(LPC_RECV_MESSAGE, d));
    EXPECT_EQ(d.Data(), Text("aabc"));
    EXPECT_EQ(m_server.lCounter("last", "short"), 2);
}

TEST_F(Dispatch, ServiceMessagesReachTheChannelTheHubAndThePage)
{
    struct Case
    {
        std::string command;
        uint8_t bLetter;
    } cases[] = {
        {"BIND last " + std::to_string(m_bChannel), LPC_BIND_RECEIVED},
        {"BING last " + std::to_string(m_bChannel), LPC_BING_RECEIVED},
        {"BING last " + std::to_string(m_bChannel) + " to=#255", LPC_BING_RECEIVED},
        {"BIND last " + std::to_string(m_bChannel) + " via=short", LPC_BIND_RECEIVED},
        {"BIND last " + std::to_string(m_bChannel) + " via=udp", LPC_BIND_RECEIVED},
    };
    // The stand-in learns the hub's UDP sender from what the hub sends over UDP.
    ASSERT_TRUE(boSendS(0, kNoMessageId, 0, 0, kLpcPortUdp));
    SHubMessage echo;
    ASSERT_TRUE(m_client->boExpect(LPC_RECV_MESSAGE, echo));
    for (const Case& c : cases)
    {
        ASSERT_TRUE(m_server.boOk(c.command)) << c.command;
        SHubMessage m;
        ASSERT_TRUE(m_client->boExpect(c.bLetter, m)) << c.command;
        EXPECT_EQ(m.msg.bChannel, m_bChannel) << c.command;
    }
    // A channel of no link of this server is nobody's.
    ASSERT_TRUE(m_server.boOk("BIND last 200"));
    EXPECT_TRUE(m_client->boQuiet());

    ASSERT_TRUE(m_server.boOk("SEND last http://zelto/a%3Fb=1 BFRM1 first=BFRM"));
    HubRouting::SPageJob job;
    ASSERT_TRUE(m_host.boWaitPageJob(job));
    EXPECT_EQ(job.url, "http://zelto/a?b=1");
    EXPECT_EQ(job.frame, "BFRM1");
    EXPECT_EQ(job.lErrorNumber, HubRouting::kNoErrorNumber);
    ASSERT_TRUE(m_server.boOk("SEND last u2 f2 word=Send"));
    ASSERT_TRUE(m_host.boWaitPageJob(job));
    EXPECT_EQ(job.url, "u2");

    const long kaka = m_server.lCounter("last", "kaka_tcp");
    ASSERT_TRUE(m_server.boOk("AFTL last"));
    EXPECT_EQ(m_server.lWait("last", "kaka_tcp", kaka + 1), kaka + 1);

    ASSERT_TRUE(m_server.boOk("CLOS last"));
    EXPECT_TRUE(m_host.boWaitQuit());
}

TEST_F(Dispatch, AttachedDstIdGetsJAndTakenOrLowIdsGetC)
{
    ASSERT_TRUE(m_client->boSend(EncodeLpcAddDstId(m_bChannel, dwId("ZDP1"))));
    ASSERT_TRUE(m_server.boOk("MSG last tcp GAME ZDP1 text=for-zdp1"));
    SHubMessage j;
    ASSERT_TRUE(m_client->boExpect(LPC_RECV_MESSAGE_DSTID, j));
    EXPECT_EQ(j.msg.bChannel, m_bChannel);
    EXPECT_EQ(j.msg.dwDstId, dwId("ZDP1"));
    EXPECT_EQ(j.Data(), Text("for-zdp1"));

    uint8_t other = 0;
    std::unique_ptr<CLpcTestClient> second;
    ASSERT_TRUE(NewClientWithChannel(second, &other));
    for (uint32_t id : {dwId("ZDP1"), 7u, 255u})
    {
        ASSERT_TRUE(second->boSend(EncodeLpcAddDstId(other, id)));
        SHubMessage c;
        ASSERT_TRUE(second->boExpect(LPC_DSTID_REFUSED, c)) << id;
        EXPECT_EQ(c.msg.dwDstId, id);
    }
    // Closing the channel frees its ids for others.
    ASSERT_TRUE(m_client->boSend(EncodeLpcDisconnect(m_bChannel)));
    SHubMessage g;
    ASSERT_TRUE(m_client->boExpect(LPC_CHANNEL_CLOSED, g));
    ASSERT_TRUE(second->boSend(EncodeLpcAddDstId(other, dwId("ZDP1"))));
    ASSERT_TRUE(m_server.boOk("MSG last tcp GAME ZDP1 text=now-other"));
    ASSERT_TRUE(second->boExpect(LPC_RECV_MESSAGE_DSTID, j));
    EXPECT_EQ(j.msg.bChannel, other);
}

TEST_F(Dispatch, UnknownDestinationIsDroppedAndLogged)
{
    CTestLog::Instance().vMark();
    ASSERT_TRUE(m_server.boOk("MSG last tcp GAME QQQQ text=lost"));
    ASSERT_TRUE(m_server.boOk("MSG last tcp GAME #200 text=lost"));
    EXPECT_TRUE(m_client->boQuiet());
    EXPECT_EQ(
        CTestLog::Instance().ulCount("Destinataire introuvable : Message perdu -> 0022 0001 0026 0000 "), 2u);
}

TEST_F(Dispatch, IdentifiedAnswerCarriesTheTagAndNoM)
{
    ASSERT_TRUE(boSendS(0x10, 77));
    SHubMessage d;
    ASSERT_TRUE(m_client->boExpect(LPC_RECV_MESSAGE, d));
    EXPECT_EQ(d.msg.dwMessageId, 77u);
    EXPECT_EQ(d.Data(), Text("ping"));
    EXPECT_TRUE(m_client->boQuiet(Settings().timings.dwIdentifiedWaitMs + 300));
    EXPECT_EQ(Mgr().ulGetPendingMessages(kLoopback, wServerPort()), 2u); // the keep-alives
}

TEST_F(Dispatch, UnansweredIdentifiedMessageGetsM)
{
    ASSERT_TRUE(m_server.boOk("ANSWER ident off"));
    const DWORD start = GetTickCount();
    ASSERT_TRUE(boSendS(0x10, 78));
    SHubMessage m;
    ASSERT_TRUE(m_client->boExpect(LPC_IDENTIFIED_TIMEOUT, m));
    EXPECT_GE(GetTickCount() - start, Settings().timings.dwIdentifiedWaitMs - 20);
    EXPECT_EQ(m.msg.bChannel, m_bChannel);
    EXPECT_EQ(m.msg.dwTag, 78u);
}

TEST_F(Dispatch, AcknowledgedMessageIsRepeatedThenK)
{
    ASSERT_TRUE(m_server.boOk("ANSWER ack off"));
    ASSERT_TRUE(boSendS(0x01, 5, 3, 100));
    SHubMessage k;
    ASSERT_TRUE(m_client->boExpect(LPC_ACKABLE_TIMEOUT, k));
    EXPECT_EQ(k.msg.bChannel, m_bChannel);
    EXPECT_EQ(k.msg.dwTag, 5u);
    EXPECT_EQ(m_server.lCounter("last", "ackable"), 3);
}

TEST_F(Dispatch, AcknowledgementEndsTheRepetitionsWithL)
{
    ASSERT_TRUE(boSendS(0x01, 6, 3, 200));
    SHubMessage l;
    ASSERT_TRUE(m_client->boExpect(LPC_RESPONSE_ACK, l));
    EXPECT_EQ(l.msg.bChannel, m_bChannel);
    EXPECT_EQ(l.msg.dwTag, 6u);
    EXPECT_TRUE(m_client->boQuiet(900));
    EXPECT_EQ(m_server.lCounter("last", "ackable"), 1);
}

TEST_F(Dispatch, UnansweredBindIsSentThreeTimesThenOToItsChannel)
{
    ASSERT_TRUE(m_server.boOk("ANSWER bind off"));
    ASSERT_TRUE(m_client->boSend(EncodeLpcBind(dwId("ROOM"), m_bChannel)));
    SHubMessage o;
    ASSERT_TRUE(m_client->boExpect(LPC_BIND_TIMEOUT, o));
    EXPECT_EQ(o.msg.bChannel, m_bChannel);
    EXPECT_EQ(m_server.lCounter("last", "bind"), 3);
    EXPECT_NE(m_server.Command("LAST BIND").find("/udp/msg/#255/BIND/0001/"), std::string::npos);
}

TEST_F(Dispatch, AnsweredBindGivesNAndNoO)
{
    ASSERT_TRUE(m_client->boSend(EncodeLpcBind(dwId("ROOM"), m_bChannel)));
    SHubMessage n;
    ASSERT_TRUE(m_client->boExpect(LPC_BIND_RECEIVED, n));
    EXPECT_EQ(n.msg.bChannel, m_bChannel);
    EXPECT_TRUE(m_client->boQuiet(4 * Settings().timings.dwBindIntervalMs));
    EXPECT_EQ(m_server.lCounter("last", "bind"), 1);
}

TEST_F(Dispatch, UnbindSendsUnbdOverTcp)
{
    ASSERT_TRUE(m_client->boSend(EncodeLpcUnbind(m_bChannel)));
    EXPECT_EQ(m_server.lWait("last", "unbd", 1), 1);
    EXPECT_NE(m_server.Command("LAST UNBD").find("/tcp/msg/#255/UNBD/0000/"), std::string::npos);
}

TEST_F(Dispatch, PageConnectionPostsItsJobAndStartupMessageOnRegistration)
{
    m_client.reset();
    ASSERT_TRUE(Restart());
    Mgr().vSetStartupMessage("hello-server", dwId("MSGD"));
    Mgr().vSetPseudo("Bob");
    HubRouting::SPageJob pending;
    pending.url = "http://page/after";
    pending.frame = "F";
    // No link yet: the job has nowhere to wait.
    EXPECT_FALSE(Mgr().boAddOBPPJob(pending, kLoopback, wServerPort()));
    ASSERT_TRUE(m_server.boOk("ANSWER init off"));
    // Counted before the connect: its INIT may arrive before the connect returns.
    const long inits = m_server.lCounter("any", "init");
    Mgr().vConnectToCnx(kLoopback, wServerPort(), 5000, nullptr);
    ASSERT_GE(m_server.lWait("any", "init", inits + 1), inits + 1);
    EXPECT_TRUE(Mgr().boAddOBPPJob(pending, kLoopback, wServerPort()));
    ASSERT_TRUE(m_server.boOk("MSG last tcp INIT LKWE"));
    HubRouting::SPageJob job;
    ASSERT_TRUE(m_host.boWaitPageJob(job));
    EXPECT_EQ(job.url, "http://page/after");
    EXPECT_EQ(m_server.Fields("LINK last")["pseudo"], "Bob");
    EXPECT_TRUE(
        boEventually([&] { return m_server.Command("LAST MSGD").find("68656c6c6f") != std::string::npos; }));
    EXPECT_EQ(m_host.RegisteredChanges().back(), true);
    // Registered: a job is posted at once.
    pending.url = "http://page/now";
    EXPECT_TRUE(Mgr().boAddOBPPJob(pending, kLoopback, wServerPort()));
    ASSERT_TRUE(m_host.boWaitPageJob(job));
    EXPECT_EQ(job.url, "http://page/now");
}

} // namespace
