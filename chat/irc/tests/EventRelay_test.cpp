// The relay alone: events raised on other threads reach the target in order on
// the window's thread, the line events never do, and detaching stops delivery;
// a burst costs one posted message, a drain takes a bounded batch, and the
// queue is bounded, also against a loopback server that floods.
#include "EventRelay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "IrcWineKit.h"
#include "WinsockUse.h"

using ChatIrcTest::boPumpUntil;
using ChatIrcTest::CThreadLog;
using Events = std::vector<std::string>;

namespace
{

// Raises events as the reader would, without a socket.
class CTestRelay : public ChatIrc::CEventRelay
{
public:
    void vRaiseAll()
    {
        vRaiseLine("PING :x\r\n");
        vRaiseUnparsed("???\r\n");
        vRaisePrivate("bob", "psst");
        vRaiseRoomMessage("bob", "hi");
        vRaiseJoined("bob", "#r");
        vRaiseIrcxReady(":srv");
        vRaiseState(2);
        vRaiseRoomState("#r", 2);
        vRaiseKilled("#r", "bob", "oper");
        vRaiseLeft("#r", "bob");
        vRaiseNumericError(433);
        vRaiseServerMessage(2, "motd");
    }
    using ChatIrc::CEventRelay::vRaiseRoomMessage;
};

const Events kAll = {
    "Private(bob,psst)",
    "RoomMessage(bob,hi)",
    "Joined(bob,#r)",
    "IrcxReady(:srv)",
    "State(2)",
    "RoomState(#r,2)",
    "Killed(#r,bob,oper,)",
    "Left(#r,bob)",
    "NumericError(433,,)",
    "ServerMessage(2,motd)",
};

// A target that answers the first room message by raising another event.
class CEchoLog : public CThreadLog
{
public:
    CTestRelay* relay = nullptr;
    void OnRoomMessage(const std::string& from, const std::string& text, ChatIrc::CIrcSession* c) override
    {
        CThreadLog::OnRoomMessage(from, text, c);
        if (text == "ping")
            relay->vRaiseRoomMessage("me", "pong");
    }
};

} // namespace

TEST(EventRelay, TenEventsInOrderOnTheWindowThread)
{
    CTestRelay relay;
    CThreadLog log;
    ASSERT_TRUE(relay.boAttach(&log, nullptr));
    std::thread reader([&] { relay.vRaiseAll(); });
    reader.join();
    ASSERT_TRUE(boPumpUntil([&] { return log.events.size() >= kAll.size(); }));
    FdWin::vPumpWaiting();
    EXPECT_EQ(log.events, kAll);
    for (DWORD id : log.threads)
        EXPECT_EQ(id, GetCurrentThreadId());
    EXPECT_EQ(relay.uGetQueuedCount(), 0u);
}

TEST(EventRelay, EventsRaisedWhileDrainingComeInTheSameDrain)
{
    CTestRelay relay;
    CEchoLog log;
    log.relay = &relay;
    ASSERT_TRUE(relay.boAttach(&log, nullptr));
    relay.vRaiseRoomMessage("bob", "ping");
    relay.vRaiseRoomMessage("bob", "after");
    ASSERT_TRUE(boPumpUntil([&] { return log.events.size() >= 3; }));
    EXPECT_EQ(log.events,
              (Events{"RoomMessage(bob,ping)", "RoomMessage(bob,after)", "RoomMessage(me,pong)"}));
}

TEST(EventRelay, DetachStopsDeliveryAndReattachKeepsTheWindow)
{
    CTestRelay relay;
    CThreadLog log;
    ASSERT_TRUE(relay.boAttach(&log, nullptr));
    const HWND window = relay.hGetRelayWindow();
    ASSERT_TRUE(relay.boAttach(&log, nullptr));
    EXPECT_EQ(relay.hGetRelayWindow(), window);

    // Queued but not yet delivered when the target goes: kept, not delivered.
    relay.vRaiseRoomMessage("bob", "queued");
    ASSERT_TRUE(relay.boAttach(nullptr, nullptr));
    EXPECT_EQ(relay.hGetRelayWindow(), nullptr);
    EXPECT_FALSE(IsWindow(window));
    relay.vRaiseRoomMessage("bob", "dropped");
    FdWin::vPumpWaiting();
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(relay.uGetQueuedCount(), 1u);

    // Attached again, the next event drains what waited.
    ASSERT_TRUE(relay.boAttach(&log, nullptr));
    relay.vRaiseRoomMessage("bob", "next");
    ASSERT_TRUE(boPumpUntil([&] { return log.events.size() >= 2; }));
    EXPECT_EQ(log.events, (Events{"RoomMessage(bob,queued)", "RoomMessage(bob,next)"}));
}

TEST(EventRelay, TwoRelaysShareTheWindowClass)
{
    CTestRelay a, b;
    CThreadLog logA, logB;
    ASSERT_TRUE(a.boAttach(&logA, nullptr));
    ASSERT_TRUE(b.boAttach(&logB, nullptr));
    ASSERT_TRUE(a.boAttach(nullptr, nullptr));
    b.vRaiseRoomMessage("x", "still here");
    ASSERT_TRUE(boPumpUntil([&] { return logB.events.size() == 1; }));
    char name[64] = "";
    GetClassNameA(b.hGetRelayWindow(), name, sizeof name);
    EXPECT_STREQ(name, "EventRelayClass");
}

namespace
{

// Takes the relay messages waiting for the relay's window, then dispatches
// them (not those their drains post); returns how many were waiting.
size_t uDispatchRelayMessages(HWND window)
{
    std::vector<MSG> waiting;
    MSG msg;
    while (PeekMessageA(&msg, window, ChatIrc::CEventRelay::kRelayMessage, ChatIrc::CEventRelay::kRelayMessage,
                        PM_REMOVE))
        waiting.push_back(msg);
    for (const MSG& m : waiting)
        DispatchMessageA(&m);
    return waiting.size();
}

Events RoomLines(const std::string& from, int first, int count)
{
    Events e;
    for (int i = first; i < first + count; ++i)
        e.push_back("RoomMessage(" + from + "," + std::to_string(i) + ")");
    return e;
}

} // namespace

// A burst of lines from the reader costs one posted message, whose drain
// hands the target every record queued behind it, in order.
TEST(EventRelay, ABurstPostsOneMessageAndOneDrainTakesIt)
{
    CTestRelay relay;
    CThreadLog log;
    ASSERT_TRUE(relay.boAttach(&log, nullptr));
    std::thread reader(
        [&]
        {
            for (int i = 0; i < 300; ++i)
                relay.vRaiseRoomMessage("bob", std::to_string(i));
        });
    reader.join();
    EXPECT_EQ(relay.uGetQueuedCount(), 300u);
    EXPECT_EQ(uDispatchRelayMessages(relay.hGetRelayWindow()), 1u);
    EXPECT_EQ(log.events, RoomLines("bob", 0, 300));
    EXPECT_EQ(relay.uGetQueuedCount(), 0u);
    // The next line posts again.
    relay.vRaiseRoomMessage("bob", "300");
    EXPECT_EQ(uDispatchRelayMessages(relay.hGetRelayWindow()), 1u);
    EXPECT_EQ(log.events.size(), 301u);
}

// One drain stops after its batch and posts again for the rest, so what the
// window posted meanwhile is handled between two batches.
TEST(EventRelay, ADrainLeavesWhatIsBeyondItsBatchToTheNextTurn)
{
    CTestRelay relay;
    CThreadLog log;
    relay.vSetQueueBounds(0, 0, 10);
    ASSERT_TRUE(relay.boAttach(&log, nullptr));
    std::thread reader(
        [&]
        {
            for (int i = 0; i < 25; ++i)
                relay.vRaiseRoomMessage("bob", std::to_string(i));
        });
    reader.join();
    const struct
    {
        size_t delivered, queued;
    } kTurns[] = {{10, 15}, {20, 5}, {25, 0}};
    for (const auto& turn : kTurns)
    {
        SCOPED_TRACE(turn.delivered);
        EXPECT_EQ(uDispatchRelayMessages(relay.hGetRelayWindow()), 1u);
        EXPECT_EQ(log.events.size(), turn.delivered);
        EXPECT_EQ(relay.uGetQueuedCount(), turn.queued);
    }
    EXPECT_EQ(log.events, RoomLines("bob", 0, 25));
    EXPECT_EQ(uDispatchRelayMessages(relay.hGetRelayWindow()), 0u);
}

// A server that sends faster than the window takes its lines: the reader
// waits for room while the window drains, and nothing is lost.
TEST(EventRelay, AFullQueueHoldsTheReaderBackWhileTheWindowDrains)
{
    CTestRelay relay;
    CThreadLog log;
    relay.vSetQueueBounds(5, 60000, 2);
    ASSERT_TRUE(relay.boAttach(&log, nullptr));
    std::atomic<bool> done{false};
    std::thread reader(
        [&]
        {
            for (int i = 0; i < 200; ++i)
                relay.vRaiseRoomMessage("bob", std::to_string(i));
            done = true;
        });
    const bool all = boPumpUntil([&] { return done && log.events.size() >= 200; });
    reader.join();
    ASSERT_TRUE(all) << log.events.size();
    EXPECT_EQ(log.events, RoomLines("bob", 0, 200));
    EXPECT_EQ(relay.ulGetDroppedCount(), 0u);
}

// A window that takes nothing (a hostile server's flood while the window is
// stuck) cannot grow the queue beyond its bound: the reader waits once, then
// drops; once the window drains, lines are taken again. The window's own
// events are never held back.
TEST(EventRelay, TheQueueIsBoundedAndAStalledReaderDropsWithoutWaitingAgain)
{
    CTestRelay relay;
    CThreadLog log;
    relay.vSetQueueBounds(5, 50, 0);
    ASSERT_TRUE(relay.boAttach(&log, nullptr));
    std::thread reader(
        [&]
        {
            for (int i = 0; i < 40; ++i)
                relay.vRaiseRoomMessage("bob", std::to_string(i));
        });
    reader.join();
    EXPECT_EQ(relay.uGetQueuedCount(), 5u);
    EXPECT_EQ(relay.ulGetDroppedCount(), 35u);
    // The window's own thread is not held to the bound.
    relay.vRaiseRoomMessage("me", "own");
    EXPECT_EQ(relay.uGetQueuedCount(), 6u);

    EXPECT_EQ(uDispatchRelayMessages(relay.hGetRelayWindow()), 1u);
    Events expected = RoomLines("bob", 0, 5);
    expected.push_back("RoomMessage(me,own)");
    EXPECT_EQ(log.events, expected);

    std::thread later([&] { relay.vRaiseRoomMessage("bob", "later"); });
    later.join();
    EXPECT_EQ(uDispatchRelayMessages(relay.hGetRelayWindow()), 1u);
    EXPECT_EQ(log.events.back(), "RoomMessage(bob,later)");
    EXPECT_EQ(relay.ulGetDroppedCount(), 35u);
}

namespace
{

// A server on a loopback port that sends `count` private lines to whoever
// connects, as fast as the socket takes them, then holds the connection
// until it is closed.
class CFloodServer
{
public:
    explicit CFloodServer(int count)
    {
        m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int len = sizeof a;
        if (m_listener == INVALID_SOCKET || bind(m_listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            listen(m_listener, 1) != 0 || getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return;
        port = ntohs(a.sin_port);
        m_thread = std::thread(
            [this, count]
            {
                const SOCKET s = accept(m_listener, nullptr, nullptr);
                if (s == INVALID_SOCKET)
                    return;
                // Ready for IRCX first, so that the lines are read as messages.
                std::string chunk = ":srv 800 ann 1 0 ANON 512 *\r\n";
                for (int i = 0; i < count; ++i)
                {
                    chunk += ":bob!b@h PRIVMSG ann :line " + std::to_string(i) + "\r\n";
                    if (chunk.size() > 4000 || i + 1 == count)
                    {
                        if (send(s, chunk.data(), static_cast<int>(chunk.size()), 0) !=
                            static_cast<int>(chunk.size()))
                            break;
                        chunk.clear();
                    }
                }
                sent = true;
                // Until the client closes: its end of the stream.
                char b[256];
                while (recv(s, b, sizeof b, 0) > 0)
                {
                }
                closesocket(s);
            });
    }
    ~CFloodServer()
    {
        if (m_listener != INVALID_SOCKET)
            closesocket(m_listener);
        if (m_thread.joinable())
            m_thread.join();
    }
    uint16_t port = 0;
    std::atomic<bool> sent{false};

private:
    FdNet::CWinsockUse m_winsock;
    SOCKET m_listener = INVALID_SOCKET;
    std::thread m_thread;
};

// The private lines of the log, as their numbers, in order.
std::vector<int> LineNumbers(const Events& events)
{
    std::vector<int> out;
    for (const std::string& e : events)
        if (e.compare(0, 17, "Private(bob,line ") == 0)
            out.push_back(std::atoi(e.c_str() + 17));
    return out;
}

std::vector<int> Range(int count)
{
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
        out.push_back(i);
    return out;
}

// Waits, without handling any message, until the condition holds (bounded).
bool boWaitStill(const std::function<bool()>& condition, DWORD ms = 20000)
{
    const DWORD start = GetTickCount();
    while (!condition())
    {
        if (GetTickCount() - start > ms)
            return false;
        Sleep(5);
    }
    return true;
}

} // namespace

// The attack itself: a server floods a window that takes nothing. The queue
// stays within its bound (the reader waits once, then drops), and once the
// window runs again every line is either delivered, in order, or counted as
// dropped.
TEST(EventRelay, AServerFloodingAStuckWindowCannotGrowTheQueue)
{
    const int kLines = 5000;
    CFloodServer server(kLines);
    ASSERT_NE(server.port, 0);
    CTestRelay relay;
    CThreadLog log;
    relay.vSetQueueBounds(50, 100, 0);
    ASSERT_TRUE(relay.boAttach(&log, nullptr));
    ASSERT_TRUE(relay.boConnect("127.0.0.1", server.port));
    // Most of the flood has been read while the window took nothing.
    ASSERT_TRUE(boWaitStill([&] { return relay.ulGetDroppedCount() >= 4000; })) << relay.ulGetDroppedCount();
    EXPECT_LE(relay.uGetQueuedCount(), 50u);
    ASSERT_TRUE(boPumpUntil(
        [&] { return LineNumbers(log.events).size() + relay.ulGetDroppedCount() >= static_cast<size_t>(kLines); }));
    const std::vector<int> got = LineNumbers(log.events);
    EXPECT_EQ(got.size() + relay.ulGetDroppedCount(), static_cast<size_t>(kLines));
    // The first ones in order, and nothing after them out of order or twice.
    ASSERT_GE(got.size(), 40u);
    EXPECT_EQ(std::vector<int>(got.begin(), got.begin() + 40), Range(40));
    EXPECT_TRUE(std::is_sorted(got.begin(), got.end()) &&
                std::adjacent_find(got.begin(), got.end()) == got.end());
    relay.vClose();
}

// The same flood to a window that keeps taking: the reader is held back by
// the bound, the server by its socket, and every line arrives, in order.
TEST(EventRelay, AServerFloodingARunningWindowLosesNothing)
{
    CFloodServer server(3000);
    ASSERT_NE(server.port, 0);
    CTestRelay relay;
    CThreadLog log;
    relay.vSetQueueBounds(50, 60000, 10);
    ASSERT_TRUE(relay.boAttach(&log, nullptr));
    ASSERT_TRUE(relay.boConnect("127.0.0.1", server.port));
    ASSERT_TRUE(boPumpUntil([&] { return LineNumbers(log.events).size() >= 3000; }))
        << LineNumbers(log.events).size();
    EXPECT_EQ(LineNumbers(log.events), Range(3000));
    EXPECT_EQ(relay.ulGetDroppedCount(), 0u);
    relay.vClose();
}
