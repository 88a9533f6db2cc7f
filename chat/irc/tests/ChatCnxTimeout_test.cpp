// The connection answers the server's pings, and learns when the server goes.
// The sidecar's ngircd pings after 5 s of silence and waits 5 s for the answer.
#include "ChatCnx.h"

#include <gtest/gtest.h>

#include "IrcWineKit.h"

using ChatIrc::CChatCnx;
using ChatIrcTest::boPumpUntil;
using ChatIrcTest::CThreadLog;
using ChatIrcTest::strControl;
using ChatIrcTest::uSidecarPort;

TEST(ChatCnxTimeout, LivesThroughPingsThenSeesTheServerGo)
{
    WSADATA data;
    ASSERT_EQ(WSAStartup(0x0101, &data), 0);
    {
        CChatCnx cnx;
        CThreadLog log;
        ASSERT_TRUE(cnx.boAttach(&log, nullptr));
        ASSERT_TRUE(cnx.boConnect("127.0.0.1", uSidecarPort("FD_IRC_PORT")));
        ASSERT_TRUE(boPumpUntil([&] { return log.boHas("State(2)"); }));
        ASSERT_TRUE(cnx.boLogon("ann", "Vblt ann"));
        ASSERT_TRUE(cnx.boCreateRoom("#t", "n", "", 0));
        ASSERT_TRUE(boPumpUntil([&] { return log.boHas("Joined(ann,#t)"); }));

        // Three ping periods of silence: the connection must still be there.
        const ULONGLONG start = GetTickCount64();
        boPumpUntil([&] { return log.boHas("State(0)") || GetTickCount64() - start >= 15000; }, 30000);
        ASSERT_FALSE(log.boHas("State(0)")) << ::testing::PrintToString(log.events);
        EXPECT_GE(cnx.ulGetSentBytes(), 0u);
        const std::string answer = strControl("RUN --nick bob 'join #t' 'say #t still there'");
        ASSERT_EQ(answer.substr(0, 6), "DONE 0") << answer;
        ASSERT_TRUE(boPumpUntil([&] { return log.boHas("RoomMessage(bob,still there)"); }))
            << ::testing::PrintToString(log.events);
        EXPECT_EQ(cnx.iGetState(), 2);

        // The server stops: the reader closes the socket and says so.
        ASSERT_EQ(strControl("STOP-IRCD").substr(0, 6), "DONE 0");
        ASSERT_TRUE(boPumpUntil([&] { return log.boHas("State(0)"); }))
            << ::testing::PrintToString(log.events);
        EXPECT_EQ(cnx.iGetState(), 0);
        EXPECT_EQ(cnx.GetSocket(), INVALID_SOCKET);
        ASSERT_TRUE(boPumpUntil([&] { return !cnx.boIsReaderActive(); }));
        log.events.clear();
        cnx.vClose();
        FdWin::vPumpWaiting();
        EXPECT_TRUE(log.events.empty()) << ::testing::PrintToString(log.events);
    }
    WSACleanup();
}
