// What the socket does not take at once waits and leaves on FD_WRITE, in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "NetSendBatch.h"
#include "NetTestSupport.h"

using namespace NetTest;

namespace
{

// A client whose socket takes at most `limit` bytes per send, or none at all
// while `blocked` (as a full socket does).
class CThrottledClient : public CTestClient
{
public:
    uint32_t limit = 0xFFFFFFFF;
    bool blocked = false;
    int sends = 0;

    // What Windows posts once the socket has room again.
    void vWritable()
    {
        blocked = false;
        lOnWindowMessage(uGetSocketMessage(), WPARAM(GetSocket()), WSAMAKESELECTREPLY(FD_WRITE, 0));
    }

protected:
    int iSendNow(const uint8_t* lpData, uint32_t dwLength, int* lpiError) override
    {
        ++sends;
        if (blocked)
        {
            *lpiError = WSAEWOULDBLOCK;
            return SOCKET_ERROR;
        }
        return CNetAsync::iSendNow(lpData, std::min(dwLength, limit), lpiError);
    }
};

TEST(NetSendQueue, APartialSendQueuesItsTailInsteadOfLosingIt)
{
    CTestServer server;
    ASSERT_TRUE(server.boInitListenSocket(0, kPortTypeTcp, kLoopback));
    CThrottledClient client;
    ASSERT_TRUE(client.boConnect(kLoopback, server.wGetListenPort(), kPortTypeTcp));
    ASSERT_TRUE(boPumpUntil([&] { return client.boIsConnected() && server.made.size() == 1; }));

    // Tiny pieces must not wait for acknowledgements.
    const BOOL noDelay = TRUE;
    setsockopt(client.GetSocket(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
    client.limit = 3;
    ASSERT_TRUE(client.boSend("abcdefghij", 10));
    // The first 3 bytes left, then the socket was full.
    client.blocked = true;
    ASSERT_TRUE(client.boSend("XYZ", 3));
    EXPECT_EQ(client.ulGetQueuedSize(), 10u);
    client.limit = 0xFFFFFFFF;
    client.vWritable();
    EXPECT_EQ(client.ulGetQueuedSize(), 0u);
    ASSERT_TRUE(boPumpUntil([&] { return server.made[0]->received.size() == 13; }));
    EXPECT_EQ(server.made[0]->received, "abcdefghijXYZ");
}

TEST(NetSendQueue, QueuedDatagramsLeaveSeparately)
{
    CTestServer server;
    ASSERT_TRUE(server.boInitListenSocket(0, kPortTypeUdp, kLoopback));
    CThrottledClient client;
    ASSERT_TRUE(client.boConnect(kLoopback, server.wGetListenPort(), kPortTypeUdp));
    client.blocked = true;
    ASSERT_TRUE(client.boSend("one", 3));
    ASSERT_TRUE(client.boSend("tw", 2, "o", 1));
    ASSERT_TRUE(client.boSend("three", 5));
    EXPECT_GT(client.ulGetQueuedSize(), 11u);
    client.vWritable();
    EXPECT_EQ(client.ulGetQueuedSize(), 0u);
    ASSERT_TRUE(
        boPumpUntil([&] { return server.made.size() == 1 && server.made[0]->datagrams.size() == 3; }));
    EXPECT_EQ(server.made[0]->datagrams, (std::vector<std::string>{"one", "two", "three"}));
}

TEST(NetSendQueue, AFullQueueRefusesWithBufferInsertionFailed)
{
    CTestServer server;
    ASSERT_TRUE(server.boInitListenSocket(0, kPortTypeTcp, kLoopback));
    CThrottledClient client;
    ASSERT_TRUE(client.boConnect(kLoopback, server.wGetListenPort(), kPortTypeTcp));
    ASSERT_TRUE(boPumpUntil([&] { return client.boIsConnected(); }));
    client.blocked = true;
    const std::string half(CNetAsync::kSendFifoMax / 2, 'h');
    ASSERT_TRUE(client.boSend(half.data(), uint32_t(half.size())));
    ASSERT_TRUE(client.boSend(half.data(), uint32_t(half.size())));
    uint32_t code = 0;
    try
    {
        client.boSend("!", 1);
    }
    catch (const CNetAsyncException& e)
    {
        code = e.dwGetCode();
    }
    EXPECT_EQ(code, uint32_t(NetAsync_BufferInsertionFailed));
    EXPECT_EQ(client.ulGetQueuedSize(), CNetAsync::kSendFifoMax);
}

TEST(NetSendBatch, SendsOfABatchLeaveTogetherInOrderAtItsEnd)
{
    CTestServer server;
    ASSERT_TRUE(server.boInitListenSocket(0, kPortTypeTcp, kLoopback));
    CThrottledClient first, second;
    ASSERT_TRUE(first.boConnect(kLoopback, server.wGetListenPort(), kPortTypeTcp));
    ASSERT_TRUE(boPumpUntil([&] { return first.boIsConnected() && server.made.size() == 1; }));
    ASSERT_TRUE(second.boConnect(kLoopback, server.wGetListenPort(), kPortTypeTcp));
    ASSERT_TRUE(boPumpUntil([&] { return second.boIsConnected() && server.made.size() == 2; }));
    {
        CSendBatch batch;
        ASSERT_TRUE(first.boSend("one ", 4));
        ASSERT_TRUE(second.boSend("un ", 3));
        {
            CSendBatch nested; // the outer batch releases
            ASSERT_TRUE(first.boSend("two ", 4, "parts ", 6));
        }
        ASSERT_TRUE(first.boSend("three", 5));
        EXPECT_EQ(first.sends, 0);
        EXPECT_EQ(first.ulGetQueuedSize(), 19u);
        EXPECT_EQ(second.ulGetQueuedSize(), 3u);
    }
    EXPECT_EQ(first.sends, 1);
    EXPECT_EQ(second.sends, 1);
    EXPECT_EQ(first.ulGetQueuedSize(), 0u);
    // Outside a batch a send leaves at once again.
    ASSERT_TRUE(second.boSend("deux", 4));
    EXPECT_EQ(second.sends, 2);
    ASSERT_TRUE(boPumpUntil(
        [&] { return server.made[0]->received.size() == 19 && server.made[1]->received.size() == 7; }));
    EXPECT_EQ(server.made[0]->received, "one two parts three");
    EXPECT_EQ(server.made[1]->received, "un deux");
}

TEST(NetSendBatch, ASocketGoneBeforeTheEndLeavesTheBatchAndDatagramsAreNotHeld)
{
    CTestServer server;
    ASSERT_TRUE(server.boInitListenSocket(0, kPortTypeUdp, kLoopback));
    CTestServer tcpServer;
    ASSERT_TRUE(tcpServer.boInitListenSocket(0, kPortTypeTcp, kLoopback));
    CThrottledClient udp;
    ASSERT_TRUE(udp.boConnect(kLoopback, server.wGetListenPort(), kPortTypeUdp));
    auto gone = std::make_unique<CThrottledClient>();
    ASSERT_TRUE(gone->boConnect(kLoopback, tcpServer.wGetListenPort(), kPortTypeTcp));
    ASSERT_TRUE(boPumpUntil([&] { return gone->boIsConnected(); }));
    {
        CSendBatch batch;
        ASSERT_TRUE(gone->boSend("lost", 4));
        gone.reset();
        ASSERT_TRUE(udp.boSend("now", 3));
        EXPECT_EQ(udp.sends, 1);
    }
    ASSERT_TRUE(
        boPumpUntil([&] { return server.made.size() == 1 && server.made[0]->datagrams.size() == 1; }));
}

} // namespace
