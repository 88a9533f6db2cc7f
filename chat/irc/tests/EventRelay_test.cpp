// The relay alone: events raised on other threads reach the target in order on
// the window's thread, the line events never do, and detaching stops delivery.
#include "EventRelay.h"

#include <gtest/gtest.h>

#include <thread>

#include "IrcWineKit.h"

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
