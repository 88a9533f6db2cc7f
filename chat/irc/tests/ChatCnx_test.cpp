// The chat's connection under Wine, against ngircd behind the IRCX stand-in.
#include "ChatCnx.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "IrcWineKit.h"
#include "TestHelper.h"

using ChatIrc::CChatCnx;
using ChatIrcTest::boPumpUntil;
using ChatIrcTest::CThreadLog;
using ChatIrcTest::strControl;
using ChatIrcTest::uSidecarPort;
using Events = std::vector<std::string>;

namespace
{

struct Winsock
{
    Winsock()
    {
        WSADATA data;
        WSAStartup(0x0101, &data);
    }
    ~Winsock() { WSACleanup(); }
};

bool boThreadEnded(DWORD id)
{
    HANDLE h = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!h)
        return true;
    DWORD code = 0;
    const bool ended = GetExitCodeThread(h, &code) && code != STILL_ACTIVE;
    CloseHandle(h);
    return ended;
}

// Connected through the stand-in, logged on as `nick`, `room` created and joined.
void vEnterRoom(CChatCnx& cnx, CThreadLog& log, const std::string& nick, const std::string& room)
{
    ASSERT_TRUE(cnx.boAttach(&log, nullptr));
    ASSERT_TRUE(cnx.boConnect("127.0.0.1", uSidecarPort("FD_IRC_PORT")));
    ASSERT_TRUE(boPumpUntil([&] { return log.boHas("State(2)"); })) << ::testing::PrintToString(log.events);
    ASSERT_TRUE(cnx.boLogon(nick, "Vblt " + nick));
    ASSERT_TRUE(cnx.boCreateRoom(room, "n", "", 0));
    ASSERT_TRUE(boPumpUntil([&] { return log.boHas("Joined(" + nick + "," + room + ")"); }))
        << ::testing::PrintToString(log.events);
}

} // namespace

TEST(ChatCnx, TalksWithAnotherClientInOneRoom)
{
    Winsock ws;
    CChatCnx cnx;
    CThreadLog log;
    FD_HELPER(vEnterRoom(cnx, log, "ann", "#r"));
    const Events start = log.From("State(1)");
    ASSERT_GE(start.size(), 3u) << ::testing::PrintToString(log.events);
    EXPECT_EQ(Events(start.begin(), start.begin() + 3),
              (Events{"State(1)", "IrcxReady(:irc.orbelle.test)", "State(2)"}));
    EXPECT_TRUE(log.boHas("RoomState(#r,1)"));
    EXPECT_EQ(log.From("RoomState(#r,2)"), (Events{"RoomState(#r,2)", "Joined(ann,#r)"}));
    EXPECT_TRUE(log.boHas("ServerMessage(2,ann :- Bienvenue sur le serveur de test Orbelle)"))
        << ::testing::PrintToString(log.events);
    log.events.clear();
    log.threads.clear();

    const std::string answer =
        strControl("RUN --nick bob 'join #r' 'say #r hi' 'whisper ann psst' 'part #r'");
    ASSERT_EQ(answer.substr(0, 6), "DONE 0") << answer;
    ASSERT_TRUE(boPumpUntil([&] { return log.events.size() >= 4; })) << ::testing::PrintToString(log.events);
    EXPECT_EQ(log.events,
              (Events{"Joined(bob,#r)", "RoomMessage(bob,hi)", "Private(bob,psst)", "Left(#r,bob)"}));
    for (DWORD id : log.threads)
        EXPECT_EQ(id, GetCurrentThreadId());

    HWND relay = cnx.hGetRelayWindow();
    ASSERT_NE(relay, nullptr);
    EXPECT_FALSE(IsWindowVisible(relay));
    EXPECT_EQ(GetWindowLongPtrA(relay, GWL_STYLE) & WS_VISIBLE, 0);
    char title[32] = "sentinel";
    GetWindowTextA(relay, title, sizeof title);
    EXPECT_STREQ(title, "Relay");

    // Close leaves no thread behind and says the connection is closed.
    const DWORD reader = cnx.dwGetReaderThreadId();
    ASSERT_NE(reader, 0u);
    log.events.clear();
    cnx.vClose();
    EXPECT_TRUE(boThreadEnded(reader));
    EXPECT_FALSE(cnx.boIsReaderActive());
    EXPECT_EQ(cnx.dwGetReaderThreadId(), 0u);
    EXPECT_EQ(cnx.GetSocket(), INVALID_SOCKET);
    EXPECT_EQ(cnx.iGetState(), 0);
    EXPECT_TRUE(cnx.GetRooms().empty());
    EXPECT_EQ(cnx.strGetServerName(), "");
    ASSERT_TRUE(boPumpUntil([&] { return log.boHas("State(0)"); }));
    // A second close changes nothing; the connection connects again with the same window.
    cnx.vClose();
    EXPECT_TRUE(cnx.boAttach(&log, nullptr));
    EXPECT_EQ(cnx.hGetRelayWindow(), relay);
}

TEST(ChatCnx, NickInUseGives433AndState3)
{
    Winsock ws;
    CChatCnx first, second;
    CThreadLog log1, log2;
    FD_HELPER(vEnterRoom(first, log1, "cy", "#c"));
    ASSERT_TRUE(second.boAttach(&log2, nullptr));
    ASSERT_TRUE(second.boConnect("127.0.0.1", uSidecarPort("FD_IRC_PORT")));
    ASSERT_TRUE(boPumpUntil([&] { return log2.boHas("State(2)"); }));
    ASSERT_TRUE(second.boLogon("cy", "Vblt cy"));
    ASSERT_TRUE(boPumpUntil([&] { return log2.boHas("State(3)"); })) << ::testing::PrintToString(log2.events);
    EXPECT_EQ(log2.From("NumericError(433,,)"), (Events{"NumericError(433,,)", "State(3)"}));
    EXPECT_EQ(second.iGetState(), 3);
    EXPECT_EQ(first.iGetState(), 2);
}

TEST(ChatCnx, DetachedRelayDeliversNothing)
{
    Winsock ws;
    CChatCnx cnx;
    CThreadLog log;
    FD_HELPER(vEnterRoom(cnx, log, "dan", "#d"));
    ASSERT_TRUE(cnx.boAttach(nullptr, nullptr));
    EXPECT_EQ(cnx.hGetRelayWindow(), nullptr);
    log.events.clear();

    const std::string answer =
        strControl("RUN --nick eve 'join #d' 'say #d nobody hears' 'whisper dan psst'");
    ASSERT_EQ(answer.substr(0, 6), "DONE 0") << answer;
    // Once fay, who comes after eve, is in the room list, the reader has taken
    // all of eve's lines.
    std::string fayAnswer;
    std::thread fay([&] { fayAnswer = strControl("RUN --nick fay 'join #d' 'expect bye fay'"); });
    const bool fayListed = boPumpUntil(
        [&]
        {
            ChatIrc::CIrcSession::Room room;
            return cnx.boGetRoom("#d", room) &&
                   std::find(room.users.begin(), room.users.end(), "fay") != room.users.end();
        });
    FdWin::vPumpWaiting();
    EXPECT_TRUE(log.events.empty()) << ::testing::PrintToString(log.events);
    EXPECT_TRUE(cnx.boSay("#d", "bye fay"));
    fay.join();
    EXPECT_TRUE(fayListed);
    EXPECT_EQ(fayAnswer.substr(0, 6), "DONE 0") << fayAnswer;
}

TEST(ChatCnx, ConnectFailures)
{
    Winsock ws;
    const unsigned short closed = FdTestKit::wFreePort();
    {
        CChatCnx cnx;
        CThreadLog log;
        ASSERT_TRUE(cnx.boAttach(&log, nullptr));
        EXPECT_FALSE(cnx.boConnect(nullptr, closed));
        EXPECT_FALSE(cnx.boConnect("127.0.0.1", closed));
        EXPECT_FALSE(cnx.boConnect("no-such-host.invalid", closed));
        FdWin::vPumpWaiting();
        EXPECT_TRUE(log.events.empty()) << ::testing::PrintToString(log.events);
        EXPECT_EQ(cnx.iGetState(), 0);
    }
    {
        // Connecting in the reader: the failure arrives as the state going back to 0.
        CChatCnx cnx;
        CThreadLog log;
        ASSERT_TRUE(cnx.boAttach(&log, nullptr));
        cnx.vSetConnectInThread(true);
        EXPECT_FALSE(cnx.boConnect("127.0.0.1", closed));
        ASSERT_TRUE(boPumpUntil([&] { return log.boHas("State(0)"); }))
            << ::testing::PrintToString(log.events);
        EXPECT_EQ(log.events, (Events{"State(1)", "State(0)"}));
        EXPECT_EQ(cnx.iGetState(), 0);
        EXPECT_EQ(cnx.GetSocket(), INVALID_SOCKET);
    }
    {
        // ...and a working connect in the reader goes on as usual.
        CChatCnx cnx;
        CThreadLog log;
        ASSERT_TRUE(cnx.boAttach(&log, nullptr));
        cnx.vSetConnectInThread(true);
        EXPECT_FALSE(cnx.boConnect("127.0.0.1", uSidecarPort("FD_IRC_PORT")));
        ASSERT_TRUE(boPumpUntil([&] { return log.boHas("State(2)"); }))
            << ::testing::PrintToString(log.events);
    }
}

TEST(ChatCnx, FloodArrivesWholeInOrderAndCloseDuringOneEndsCleanly)
{
    Winsock ws;
    CChatCnx cnx;
    CThreadLog log;
    FD_HELPER(vEnterRoom(cnx, log, "gus", "#f"));
    log.events.clear();
    constexpr int kLines = 300;
    std::string answer = strControl("RUN --nick hal 'join #f' 'flood #f 300' 'part #f'");
    ASSERT_EQ(answer.substr(0, 6), "DONE 0") << answer;
    ASSERT_TRUE(boPumpUntil([&] { return log.boHas("Left(#f,hal)"); })) << log.events.size();
    Events messages;
    for (const std::string& e : log.events)
        if (e.rfind("RoomMessage(hal,", 0) == 0)
            messages.push_back(e);
    ASSERT_EQ(messages.size(), static_cast<size_t>(kLines));
    for (int i = 0; i < kLines; ++i)
        EXPECT_EQ(messages[i].rfind("RoomMessage(hal,flood " + std::to_string(i) + " ", 0), 0u)
            << messages[i];

    // Closed while lines keep coming: the reader ends, nothing is left running.
    std::thread ida([&] { answer = strControl("RUN --nick ida 'join #f' 'flood #f 3000'"); });
    ASSERT_TRUE(boPumpUntil(
        [&]
        {
            return std::count_if(log.events.begin(), log.events.end(),
                                 [](const std::string& e)
                                 { return e.rfind("RoomMessage(ida,", 0) == 0; }) >= 20;
        }));
    const DWORD reader = cnx.dwGetReaderThreadId();
    cnx.vClose();
    EXPECT_TRUE(boThreadEnded(reader));
    EXPECT_EQ(cnx.iGetState(), 0);
    ida.join();
    EXPECT_EQ(answer.substr(0, 6), "DONE 0") << answer.substr(0, 200);
}
