// TCP on 127.0.0.1 with ephemeral ports.
#include <gtest/gtest.h>

#include <cstdlib>

#include "NetAsyncException.h"
#include "NetTestSupport.h"

using namespace NetTest;

namespace
{

// A piece of a numbered byte stream, so that order and gaps show.
std::string Chunk(uint32_t index, size_t size)
{
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = char((index * 131 + i) & 0xFF);
    return s;
}

uint32_t CodeOf(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const CNetAsyncException& e)
    {
        return e.dwGetCode();
    }
    return 0;
}

TEST(NetTcp, ConnectGivesConnectedAndTheServerAClient)
{
    CTcpPair pair;
    ASSERT_TRUE(pair.boOpen());
    EXPECT_EQ(pair.client.events.Codes(), std::vector<uint32_t>{NETASYNC_CNX_CONNECTED});
    const NETASYNC_NOTIFY_INFO& connected = pair.client.events.events[0].info;
    EXPECT_EQ(connected.lpObject, &pair.client);
    EXPECT_EQ(connected.iAddrLen, int(sizeof(sockaddr_in)));
    EXPECT_EQ(connected.localAddr.sin_addr.s_addr, kLoopback);
    EXPECT_EQ(connected.dwPortType, kPortTypeTcp);

    ASSERT_EQ(pair.server.events.Codes(), std::vector<uint32_t>{NETASYNC_CNX_ACCEPTED});
    EXPECT_EQ(pair.server.events.events[0].info.lpObject, &pair.server);
    EXPECT_EQ(pair.server.events.events[0].info.lpNewClient, &pair.Accepted());
    EXPECT_EQ(pair.server.ulGetTcpClientCount(), 1u);
    EXPECT_TRUE(pair.Accepted().boIsConnected());
    EXPECT_EQ(pair.Accepted().lpGetServer(), &pair.server);

    ASSERT_TRUE(pair.client.boSend("hello", 5));
    ASSERT_TRUE(pair.Accepted().boSend("head:", 5, "data", 4));
    ASSERT_TRUE(boPumpUntil(
        [&] { return pair.Accepted().received.size() == 5 && pair.client.received.size() == 9; }));
    EXPECT_EQ(pair.Accepted().received, "hello");
    EXPECT_EQ(pair.client.received, "head:data");
}

TEST(NetTcp, RefusedConnectGivesFailedAndClosesTheSocket)
{
    CTestClient client;
    client.events.vWatch(client);
    const uint16_t port = FdTestKit::wFreePort(FdTestKit::EPort::Tcp);
    const bool issued = client.boConnect(kLoopback, port, kPortTypeTcp);
    ASSERT_TRUE(boPumpUntil([&] { return client.events.boHas(NETASYNC_CNX_FAILED); }));
    EXPECT_EQ(client.events.Codes(), std::vector<uint32_t>{NETASYNC_CNX_FAILED}) << "issued " << issued;
    EXPECT_EQ(client.GetSocket(), INVALID_SOCKET);
    EXPECT_FALSE(client.boIsConnected());

    // The object can connect again: no 3107, and this time it succeeds.
    CTestServer server;
    ASSERT_TRUE(server.boInitListenSocket(0, kPortTypeTcp, kLoopback));
    ASSERT_TRUE(client.boConnect(kLoopback, server.wGetListenPort(), kPortTypeTcp));
    EXPECT_TRUE(boPumpUntil([&] { return client.boIsConnected(); }));
}

TEST(NetTcp, ConnectingTwiceThrowsAlreadyConnected)
{
    CTcpPair pair;
    ASSERT_TRUE(pair.boOpen());
    EXPECT_EQ(CodeOf([&] { pair.client.boConnect(kLoopback, pair.server.wGetListenPort(), kPortTypeTcp); }),
              uint32_t(NetAsync_AlreadyConnected));
}

TEST(NetTcp, PeerCloseGivesClosedAfterTheLastData)
{
    CTcpPair pair;
    ASSERT_TRUE(pair.boOpen());
    ASSERT_TRUE(pair.Accepted().boSend("bye", 3));
    pair.Accepted().vClose();
    ASSERT_TRUE(boPumpUntil([&] { return pair.client.events.boHas(NETASYNC_CNX_CLOSED); }));
    EXPECT_EQ(pair.client.received, "bye");
    EXPECT_EQ(pair.client.events.Codes(),
              (std::vector<uint32_t>{NETASYNC_CNX_CONNECTED, NETASYNC_CNX_CLOSED}));
    EXPECT_FALSE(pair.client.boIsConnected());
}

TEST(NetTcp, APeerResetEndsTheConnectionOnce)
{
    // A peer on the Linux side resets the connection once it gets a byte.
    // Wine 8 reports such a reset as an orderly close (FD_CLOSE without
    // error, then recv 0), so either ending is accepted here; the next test
    // covers what Windows reports for a reset.
    const char* port = std::getenv("NET_RESET_PORT");
    if (port == nullptr)
        GTEST_SKIP() << "run through ctest: the resetting peer is a sidecar";
    CTestClient client;
    client.events.vWatch(client);
    ASSERT_TRUE(client.boConnect(kLoopback, uint16_t(std::atoi(port)), kPortTypeTcp));
    ASSERT_TRUE(boPumpUntil([&] { return client.boIsConnected(); }));
    ASSERT_TRUE(client.boSend("x", 1));
    ASSERT_TRUE(boPumpUntil([&] { return client.events.events.size() == 2; }));
    boPumpUntil([] { return false; }, 50);
    const std::vector<uint32_t> codes = client.events.Codes();
    ASSERT_EQ(codes.size(), 2u) << ::testing::PrintToString(codes);
    EXPECT_TRUE(codes[1] == NETASYNC_CNX_ABORTED || codes[1] == NETASYNC_CNX_CLOSED) << codes[1];
    EXPECT_FALSE(client.boIsConnected());
}

TEST(NetTcp, SocketErrorsOfAConnection)
{
    // The events Windows posts: a reset or an abort arrives as FD_CLOSE (or
    // FD_READ) carrying the error.
    const struct
    {
        long event;
        int error;
        uint32_t code;
        bool socketKept;
    } rows[] = {
        {FD_CLOSE, WSAECONNRESET, NETASYNC_CNX_ABORTED, false},
        {FD_CLOSE, WSAECONNABORTED, NETASYNC_CNX_ABORTED, false},
        {FD_READ, WSAECONNRESET, NETASYNC_CNX_ABORTED, false},
        {FD_CLOSE, WSAENETDOWN, NETASYNC_CNX_SOCKETERROR, true},
    };
    for (const auto& r : rows)
    {
        CTcpPair pair;
        ASSERT_TRUE(pair.boOpen());
        const SOCKET s = pair.client.GetSocket();
        pair.client.lOnWindowMessage(pair.client.uGetSocketMessage(), WPARAM(s),
                                     WSAMAKESELECTREPLY(r.event, r.error));
        EXPECT_EQ(pair.client.events.Codes(), (std::vector<uint32_t>{NETASYNC_CNX_CONNECTED, r.code}))
            << r.error;
        EXPECT_EQ(pair.client.GetSocket() != INVALID_SOCKET, r.socketKept) << r.error;
        if (!r.socketKept)
        {
            EXPECT_FALSE(pair.client.boIsConnected());
            // The peer sees the socket go.
            EXPECT_TRUE(boPumpUntil([&] { return pair.Accepted().events.boHas(NETASYNC_CNX_CLOSED); }))
                << r.error;
        }
    }
}

TEST(NetTcp, CloseOnASocketThatNeverConnectedRaisesNothing)
{
    CTestServer server;
    ASSERT_TRUE(server.boInitListenSocket(0, kPortTypeTcp, kLoopback));
    CTestClient client;
    client.events.vWatch(client);
    ASSERT_TRUE(client.boConnect(kLoopback, server.wGetListenPort(), kPortTypeTcp));
    if (client.boIsConnected())
        GTEST_SKIP() << "the connect completed at once";
    client.lOnWindowMessage(client.uGetSocketMessage(), WPARAM(client.GetSocket()),
                            WSAMAKESELECTREPLY(FD_CLOSE, 0));
    EXPECT_TRUE(client.events.events.empty());
}

TEST(NetTcp, SendingWhileDataWaitsKeepsTheOrder)
{
    CTcpPair pair;
    ASSERT_TRUE(pair.boOpen());
    // Bounded socket buffers, so that the stream backs up into the send queue
    // (a tiny receive buffer would make the peer's window crawl).
    const int sendBuffer = 4096, receiveBuffer = 65536;
    setsockopt(pair.client.GetSocket(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&sendBuffer),
               sizeof sendBuffer);
    setsockopt(pair.Accepted().GetSocket(), SOL_SOCKET, SO_RCVBUF,
               reinterpret_cast<const char*>(&receiveBuffer), sizeof receiveBuffer);

    // Nothing is pumped meanwhile, so the peer reads nothing.
    const size_t kChunk = 20000;
    const uint32_t kMaxChunks = uint32_t(CNetAsync::kSendFifoMax / kChunk) - 2;
    std::string expected;
    uint32_t index = 0;
    while (pair.client.ulGetQueuedSize() == 0 && index < kMaxChunks)
    {
        const std::string c = Chunk(index++, kChunk);
        ASSERT_TRUE(pair.client.boSend(c.data(), uint32_t(c.size())));
        expected += c;
    }
    ASSERT_GT(pair.client.ulGetQueuedSize(), 0u) << "the socket took " << expected.size() << " bytes";
    // These go behind what waits, one of them in two parts.
    for (int i = 0; i < 3; ++i)
    {
        const std::string c = Chunk(index++, kChunk);
        ASSERT_TRUE(pair.client.boSend(c.data(), 7, c.data() + 7, uint32_t(c.size() - 7)));
        expected += c;
    }
    ASSERT_TRUE(boPumpUntil([&] { return pair.Accepted().received.size() >= expected.size(); }));
    EXPECT_EQ(pair.Accepted().received.size(), expected.size());
    EXPECT_TRUE(pair.Accepted().received == expected);
    EXPECT_EQ(pair.client.ulGetQueuedSize(), 0u);
}

TEST(NetTcp, TheMaximumRaisesBufferOverRunWithNothingQueued)
{
    CTcpPair pair;
    ASSERT_TRUE(pair.boOpen());
    const std::string big(CNetAsync::kSendFifoMax, 'x');
    EXPECT_EQ(CodeOf([&] { pair.client.boSend(big.data(), uint32_t(big.size())); }),
              uint32_t(NetAsync_BufferOverRun));
    // A header whose data would reach the maximum is not queued alone.
    EXPECT_EQ(CodeOf([&] { pair.client.boSend(big.data(), 8, big.data(), uint32_t(big.size() - 8)); }),
              uint32_t(NetAsync_BufferOverRun));
    EXPECT_EQ(pair.client.ulGetQueuedSize(), 0u);
    // One byte less goes through.
    EXPECT_EQ(CodeOf([&] { pair.client.boSend(big.data(), uint32_t(big.size() - 1)); }), 0u);
    ASSERT_TRUE(boPumpUntil([&] { return pair.Accepted().received.size() == big.size() - 1; }));
}

TEST(NetTcp, DataSentBeforeTheConnectionLeavesWhenItOpens)
{
    CTestServer server;
    ASSERT_TRUE(server.boInitListenSocket(0, kPortTypeTcp, kLoopback));
    CTestClient client;
    client.events.vWatch(client);
    ASSERT_TRUE(client.boSend("early", 5));
    ASSERT_TRUE(client.boConnect(kLoopback, server.wGetListenPort(), kPortTypeTcp));
    ASSERT_TRUE(boPumpUntil([&] { return server.made.size() == 1 && server.made[0]->received.size() == 5; }));
    EXPECT_EQ(server.made[0]->received, "early");
}

TEST(NetTcp, ADisconnectForgetsWhatWaited)
{
    CTestClient client;
    ASSERT_TRUE(client.boSend("stale", 5));
    EXPECT_GT(client.ulGetQueuedSize(), 0u);
    client.vDisconnect();
    EXPECT_EQ(client.ulGetQueuedSize(), 0u);
}

TEST(NetTcp, SecondListenOnTheSamePortThrows3108)
{
    CTestServer server;
    ASSERT_TRUE(server.boInitListenSocket(0, kPortTypeTcp, kLoopback));
    const uint16_t port = server.wGetListenPort();
    EXPECT_EQ(CodeOf([&] { server.boInitListenSocket(port, kPortTypeTcp, kLoopback); }),
              uint32_t(NetAsync_AlreadyListening));
}

TEST(NetTcp, AServerDeletesItsClientsSafely)
{
    const int before = CTestClient::s_iLive;
    CTestClient peers[3];
    {
        CTestServer server;
        ASSERT_TRUE(server.boInitListenSocket(0, kPortTypeTcp, kLoopback));
        for (CTestClient& p : peers)
        {
            p.events.vWatch(p);
            ASSERT_TRUE(p.boConnect(kLoopback, server.wGetListenPort(), kPortTypeTcp));
        }
        ASSERT_TRUE(boPumpUntil([&] { return server.made.size() == 3; }));
        EXPECT_EQ(CTestClient::s_iLive, before + 6);
    }
    EXPECT_EQ(CTestClient::s_iLive, before + 3);
    for (CTestClient& p : peers)
        EXPECT_TRUE(boPumpUntil([&] { return p.events.boHas(NETASYNC_CNX_CLOSED); }));
}

TEST(NetTcp, AClientRemovedFromItsServerOutlivesIt)
{
    CTestClient peer;
    CTestClient* accepted = nullptr;
    {
        CTestServer server;
        ASSERT_TRUE(server.boInitListenSocket(0, kPortTypeTcp, kLoopback));
        ASSERT_TRUE(peer.boConnect(kLoopback, server.wGetListenPort(), kPortTypeTcp));
        ASSERT_TRUE(boPumpUntil([&] { return server.made.size() == 1; }));
        accepted = server.made[0];
        server.vRemoveClient(accepted);
        EXPECT_EQ(server.ulGetTcpClientCount(), 0u);
        EXPECT_EQ(accepted->lpGetServer(), nullptr);
    }
    delete accepted; // its server is gone: it must not call back into it
}

} // namespace
