// Links through the local proxy, each completing on its own, and short
// datagrams that stay on the link they came on.
#include "HubTestSupport.h"
#include "LpcClientMessages.h"

using namespace HubTest;
using namespace HubProto;

namespace
{

class Proxy : public CHubFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CHubFixture::SetUp());
        // The stand-in plays the proxy: every link of the hub goes to its port.
        Settings().wProxyPort = wServerPort();
        ASSERT_TRUE(Restart());
        Mgr().vSetKeepAliveUdp(50);
    }
    // The stand-in's newest link.
    std::string LastLink() { return m_server.Fields("LINK last")["link"]; }
};

// Targets behind the proxy; nothing listens there.
constexpr uint16_t kTargetA = 41001;
constexpr uint16_t kTargetB = 41002;

TEST_F(Proxy, TwoLinksThroughTheProxyEachCompleteOnTheirOwn)
{
    const long registered = m_server.lCounter("any", "registered");
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClient(a));
    std::unique_ptr<CLpcTestClient> b;
    ASSERT_TRUE(NewClient(b));
    // Both connect at once; each needs both of its own proxy answers.
    ASSERT_TRUE(a->boSend(EncodeLpcConnect(5000, kLoopback, kTargetA)));
    ASSERT_TRUE(b->boSend(EncodeLpcConnect(5000, kLoopback, kTargetB)));
    SHubMessage ma, mb;
    ASSERT_TRUE(a->boExpect(LPC_CONNECTION_SUCCEEDED, ma));
    ASSERT_TRUE(b->boExpect(LPC_CONNECTION_SUCCEEDED, mb));
    EXPECT_EQ(ma.msg.wServerPort, kTargetA);
    EXPECT_EQ(mb.msg.wServerPort, kTargetB);
    EXPECT_EQ(m_server.lWait("any", "registered", registered + 2), registered + 2);
    EXPECT_EQ(m_server.lCounter("any", "proxy"), 12); // '0', '2', '1' on both sockets of both links
    EXPECT_EQ(Mgr().iGetLinkState(kLoopback, kTargetA), CNetCnx::NETCNX_REGISTERED);
    EXPECT_EQ(Mgr().iGetLinkState(kLoopback, kTargetB), CNetCnx::NETCNX_REGISTERED);
}

TEST_F(Proxy, ShortDatagramReachesOnlyAChannelOfItsLink)
{
    std::unique_ptr<CLpcTestClient> a;
    ASSERT_TRUE(NewClient(a));
    std::unique_ptr<CLpcTestClient> b;
    ASSERT_TRUE(NewClient(b));
    ASSERT_GE(a->iOpenChannel(kLoopback, kTargetA), 0);
    const std::string linkA = LastLink();
    const int cb = b->iOpenChannel(kLoopback, kTargetB);
    ASSERT_GE(cb, 0);
    const std::string linkB = LastLink();
    ASSERT_NE(linkA, linkB);
    // The stand-in learns each link's UDP sender from its keep-alives.
    ASSERT_GE(m_server.lWait(linkA, "kaka_udp", 1), 1);
    ASSERT_GE(m_server.lWait(linkB, "kaka_udp", 1), 1);
    // B's channel named on A's link: nobody gets it.
    ASSERT_TRUE(m_server.boOk("SHORT " + linkA + " " + std::to_string(cb) + " text=wrong-link"));
    EXPECT_TRUE(b->boQuiet());
    EXPECT_TRUE(a->boQuiet(50));
    ASSERT_TRUE(m_server.boOk("SHORT " + linkB + " " + std::to_string(cb) + " text=right-link"));
    SHubMessage d;
    ASSERT_TRUE(b->boExpect(LPC_RECV_MESSAGE, d));
    EXPECT_EQ(d.msg.bChannel, cb);
    EXPECT_EQ(d.Data(), (Bytes{'r', 'i', 'g', 'h', 't', '-', 'l', 'i', 'n', 'k'}));
}

} // namespace
