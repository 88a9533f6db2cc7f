// The relay alone: events raised on other threads reach the target in order on
// the window's thread, the line events never do, and detaching stops delivery.
#include "EventRelay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

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
