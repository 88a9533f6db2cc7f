// What every socket object shares: timers, windows, Winsock, name resolution.
#include <gtest/gtest.h>

#include <memory>

#include "NetTestSupport.h"

using namespace NetTest;

namespace
{

TEST(NetAsync, ATimerFiresOnce)
{
    CTestClient client;
    client.events.vWatch(client);
    EXPECT_EQ(client.ulSetTimer(10), 0u) << "no window yet";
    client.vCreateHiddenWindow();
    const UINT_PTR first = client.ulSetTimer(5);
    ASSERT_NE(first, 0u);
    ASSERT_TRUE(boPumpUntil([&] { return client.events.boHas(NETASYNC_CNX_TIMER); }));
    // A later timer gives the first one time to fire again, were it periodic.
    const UINT_PTR second = client.ulSetTimer(60);
    ASSERT_NE(second, first);
    ASSERT_TRUE(boPumpUntil([&] { return client.events.ulCount(NETASYNC_CNX_TIMER) >= 2; }));
    boPumpUntil([] { return false; }, 20);
    ASSERT_EQ(client.events.Codes(), (std::vector<uint32_t>{NETASYNC_CNX_TIMER, NETASYNC_CNX_TIMER}));
    EXPECT_EQ(client.events.events[0].info.ulTimerId, first);
    EXPECT_EQ(client.events.events[1].info.ulTimerId, second);
    EXPECT_EQ(client.events.events[0].info.lpObject, &client);
}

TEST(NetAsync, AKilledTimerNeverFires)
{
    CTestClient client;
    client.events.vWatch(client);
    client.vCreateHiddenWindow();
    const UINT_PTR killed = client.ulSetTimer(5);
    ASSERT_TRUE(client.boKillTimer(killed));
    const UINT_PTR kept = client.ulSetTimer(30);
    ASSERT_TRUE(boPumpUntil([&] { return client.events.boHas(NETASYNC_CNX_TIMER); }));
    ASSERT_EQ(client.events.events.size(), 1u);
    EXPECT_EQ(client.events.events[0].info.ulTimerId, kept);
}

TEST(NetAsync, OneWindowClassAndOneSocketMessagePerProcess)
{
    std::vector<std::unique_ptr<CTestClient>> clients;
    for (int i = 0; i < 50; ++i)
    {
        clients.emplace_back(new CTestClient);
        clients.back()->vCreateHiddenWindow();
        ASSERT_NE(clients.back()->hGetWindow(), nullptr);
    }
    char first[64] = {}, last[64] = {};
    GetClassNameA(clients.front()->hGetWindow(), first, sizeof first);
    GetClassNameA(clients.back()->hGetWindow(), last, sizeof last);
    EXPECT_STREQ(first, last);
    char title[64] = {};
    GetWindowTextA(clients.front()->hGetWindow(), title, sizeof title);
    EXPECT_STREQ(title, "NetAsyncHiddenWindow");
    EXPECT_FALSE(IsWindowEnabled(clients.front()->hGetWindow()));
    for (const auto& c : clients)
        EXPECT_EQ(c->uGetSocketMessage(), clients.front()->uGetSocketMessage());
    // Message-only: not a child of the desktop.
    EXPECT_EQ(GetAncestor(clients.front()->hGetWindow(), GA_PARENT) == GetDesktopWindow(), false);
}

TEST(NetAsync, DestroyingTheWindowKeepsTheThreadsOtherMessages)
{
    CTestClient client;
    client.vCreateHiddenWindow();
    HWND hWnd = client.hGetWindow();
    PostMessageA(hWnd, client.uGetSocketMessage(), 0, 0);
    PostQuitMessage(7);
    client.vClose();
    EXPECT_FALSE(IsWindow(hWnd));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(NetAsync, WinsockStaysUpUntilTheLastObjectGoes)
{
    const unsigned before = CWinsockUse::uGetUseCount();
    std::unique_ptr<CTestServer> server(new CTestServer);
    std::unique_ptr<CTestClient> first(new CTestClient);
    EXPECT_EQ(CWinsockUse::uGetUseCount(), before + 2);
    ASSERT_TRUE(server->boInitListenSocket(0, kPortTypeTcp, kLoopback));
    first.reset(); // the first object goes: the others keep working
    EXPECT_EQ(CWinsockUse::uGetUseCount(), before + 1);
    CTestClient second;
    ASSERT_TRUE(second.boConnect(kLoopback, server->wGetListenPort(), kPortTypeTcp));
    ASSERT_TRUE(boPumpUntil([&] { return second.boIsConnected() && server->made.size() == 1; }));
    ASSERT_TRUE(second.boSend("ok", 2));
    ASSERT_TRUE(boPumpUntil([&] { return server->made[0]->received == "ok"; }));
}

TEST(NetAsync, AddressesOfNames)
{
    EXPECT_EQ(CNetClient::ulGetAddr("127.0.0.1"), kLoopback);
    EXPECT_EQ(CNetClient::ulGetAddr("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(CNetClient::ulGetAddr(""), 0u);
    EXPECT_EQ(CNetClient::ulGetAddr(nullptr), 0u);
    EXPECT_EQ(CNetClient::ulGetAddr("localhost"), kLoopback);
}

TEST(NetAsync, MaxMessageSizeIsForUdpOnly)
{
    CTcpPair pair;
    ASSERT_TRUE(pair.boOpen());
    EXPECT_EQ(pair.client.ulGetMaxMsgSize(), 0u);
}

} // namespace
