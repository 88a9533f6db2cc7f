// UDP on 127.0.0.1 with ephemeral ports.
#include <gtest/gtest.h>

#include "NetTestSupport.h"

using namespace NetTest;

namespace
{

struct CUdpServer
{
    CTestServer server;
    bool boOpen()
    {
        server.events.vWatch(server);
        return server.boInitListenSocket(0, kPortTypeUdp, kLoopback);
    }
};

TEST(NetUdp, ConnectIsImmediate)
{
    CUdpServer s;
    ASSERT_TRUE(s.boOpen());
    CTestClient client;
    client.events.vWatch(client);
    ASSERT_TRUE(client.boConnect(kLoopback, s.server.wGetListenPort(), kPortTypeUdp));
    EXPECT_TRUE(client.boIsConnected());
    EXPECT_EQ(client.events.Codes(), std::vector<uint32_t>{NETASYNC_CNX_CONNECTED});
    EXPECT_GT(client.ulGetMaxMsgSize(), 0u);
}

TEST(NetUdp, ANewSenderGetsExactlyOneClient)
{
    CUdpServer s;
    ASSERT_TRUE(s.boOpen());
    CTestClient a, b;
    ASSERT_TRUE(a.boConnect(kLoopback, s.server.wGetListenPort(), kPortTypeUdp));
    ASSERT_TRUE(b.boConnect(kLoopback, s.server.wGetListenPort(), kPortTypeUdp));
    ASSERT_TRUE(a.boSend("a1", 2));
    ASSERT_TRUE(a.boSend("a2", 2));
    ASSERT_TRUE(b.boSend("b1", 2));
    ASSERT_TRUE(a.boSend("a3", 2));
    ASSERT_TRUE(boPumpUntil(
        [&]
        {
            size_t n = 0;
            for (CTestClient* c : s.server.made)
                n += c->datagrams.size();
            return n == 4;
        }));
    ASSERT_EQ(s.server.made.size(), 2u);
    EXPECT_EQ(s.server.ulGetUdpClientCount(), 2u);
    EXPECT_EQ(s.server.events.ulCount(NETASYNC_CNX_ACCEPTED), 2u);
    CTestClient* fromA = s.server.made[0];
    CTestClient* fromB = s.server.made[1];
    EXPECT_EQ(fromA->datagrams, (std::vector<std::string>{"a1", "a2", "a3"}));
    EXPECT_EQ(fromB->datagrams, (std::vector<std::string>{"b1"}));
    EXPECT_TRUE(fromA->boIsConnected());

    // The server's client answers its sender through the server's socket.
    ASSERT_TRUE(fromB->boSend("to b", 4));
    ASSERT_TRUE(boPumpUntil([&] { return b.datagrams.size() == 1; }));
    EXPECT_EQ(b.datagrams[0], "to b");
    EXPECT_TRUE(a.datagrams.empty());
}

TEST(NetUdp, QueuedDatagramsStaySeparate)
{
    CUdpServer s;
    ASSERT_TRUE(s.boOpen());
    CTestClient client;
    // Queued before the socket exists, then sent when it can.
    ASSERT_TRUE(client.boSend("first", 5));
    ASSERT_TRUE(client.boSend("sec", 3, "ond", 3));
    ASSERT_TRUE(client.boSend("third", 5));
    ASSERT_TRUE(client.boConnect(kLoopback, s.server.wGetListenPort(), kPortTypeUdp));
    ASSERT_TRUE(
        boPumpUntil([&] { return s.server.made.size() == 1 && s.server.made[0]->datagrams.size() == 3; }));
    EXPECT_EQ(s.server.made[0]->datagrams, (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(client.ulGetQueuedSize(), 0u);
}

TEST(NetUdp, TwoPartSendIsOneDatagram)
{
    CUdpServer s;
    ASSERT_TRUE(s.boOpen());
    CTestClient client;
    ASSERT_TRUE(client.boConnect(kLoopback, s.server.wGetListenPort(), kPortTypeUdp));
    ASSERT_TRUE(client.boSend("header", 6, "payload", 7));
    ASSERT_TRUE(
        boPumpUntil([&] { return s.server.made.size() == 1 && !s.server.made[0]->datagrams.empty(); }));
    boPumpUntil([] { return false; }, 20);
    EXPECT_EQ(s.server.made[0]->datagrams, std::vector<std::string>{"headerpayload"});
}

TEST(NetUdp, ADatagramLargerThanTheStreamReceiveSizeArrivesWhole)
{
    CUdpServer s;
    ASSERT_TRUE(s.boOpen());
    CTestClient client;
    ASSERT_TRUE(client.boConnect(kLoopback, s.server.wGetListenPort(), kPortTypeUdp));
    std::string big(40000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 7);
    ASSERT_TRUE(client.boSend(big.data(), uint32_t(big.size())));
    ASSERT_TRUE(
        boPumpUntil([&] { return s.server.made.size() == 1 && !s.server.made[0]->datagrams.empty(); }));
    EXPECT_TRUE(s.server.made[0]->datagrams[0] == big);

    ASSERT_TRUE(s.server.made[0]->boSend(big.data(), uint32_t(big.size())));
    ASSERT_TRUE(boPumpUntil([&] { return !client.datagrams.empty(); }));
    EXPECT_TRUE(client.datagrams[0] == big);
}

} // namespace
