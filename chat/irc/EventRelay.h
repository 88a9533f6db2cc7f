// Carries the connection's events from its reader thread to the thread of a
// hidden window: each event becomes a queued record, and the window's
// procedure replays the records in order on the target (the chat window).
// One message 1026 stands for every record queued behind it: it is posted
// when the first record arrives and none is outstanding, and its drain takes
// all that is queued, so a burst of lines costs one posted message and the
// window's own refreshes (posted while the drain runs) come after it. The
// two line events are not relayed.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>

#include "CriticalSection.h"
#include "IrcCnx.h"
#include "WindowBase.h"

namespace ChatIrc
{

class CEventRelay : public CIrcCnx
{
public:
    static constexpr UINT kRelayMessage = WM_USER + 2; // 1026

    CEventRelay();
    ~CEventRelay() override;

    // With a target: creates the hidden window on this thread (or keeps the
    // one it has) and becomes the connection's owner; events then reach the
    // target on this thread. False when the window cannot be made. With null:
    // stops delivery, destroys the window; queued records stay.
    bool boAttach(IIrcEvents* lpTarget, HINSTANCE hInstance);
    HWND hGetRelayWindow() const { return m_hWnd; }
    size_t uGetQueuedCount();

    // The queue holds at most this many records: a reader that finds it full
    // waits for room (at most kRoomWaitMs) and then drops its event, so a
    // server that sends faster than the window takes its lines is slowed
    // down by its own connection instead of growing the chat's memory.
    // Events raised on the window's own thread (the state events of Connect
    // and Close) never wait: they are the chat's own, and few.
    static constexpr size_t kMaxQueued = 10000;
    static constexpr DWORD kRoomWaitMs = 1000;
    // One drain delivers at most this many records, then leaves the rest to
    // a new 1026 so that what the window posted meanwhile (its refreshes,
    // input, paint) gets its turn.
    static constexpr size_t kMaxDrainBatch = 500;
    // Tests shorten the bounds; 0 keeps a bound as it is.
    void vSetQueueBounds(size_t maxQueued, DWORD roomWaitMs, size_t maxDrainBatch);
    // Events dropped because the queue stayed full.
    uint64_t ulGetDroppedCount();

private:
    enum Kind
    {
        kPrivateMessage = 2,
        kRoomMessage = 3,
        kUserJoined = 4,
        kIrcxReady = 5,
        kState = 6,
        kRoomState = 7,
        kUserKilled = 8,
        kUserLeft = 9,
        kNumericError = 10,
        kServerMessage = 11,
    };

    struct Record
    {
        int iKind = 0;
        int iCode = 0;
        int iNumber = 0;
        int iData = 0;
        std::string texts[4];
        CIrcSession* lpCnx = nullptr;
        int iData2 = 0;
    };

    // The relay's own events: every one but the line events becomes a record.
    class CSink : public IIrcEvents
    {
    public:
        explicit CSink(CEventRelay* lpRelay) : m_lpRelay(lpRelay) {}
        void OnLine(const std::string&, CIrcSession*) override {}
        void OnUnparsedLine(const std::string&, CIrcSession*) override {}
        void OnPrivateMessage(const std::string& from, const std::string& text, CIrcSession* c) override;
        void OnRoomMessage(const std::string& from, const std::string& text, CIrcSession* c) override;
        void OnUserJoined(const std::string& nick, const std::string& room, CIrcSession* c) override;
        void OnIrcxReady(const std::string& server, CIrcSession* c) override;
        void OnState(int state, CIrcSession* c) override;
        void OnRoomState(const std::string& room, int state, CIrcSession* c) override;
        void OnUserKilled(const std::string& room, const std::string& victim, const std::string& killer,
                          const std::string& reason, CIrcSession* c) override;
        void OnUserLeft(const std::string& room, const std::string& nick, CIrcSession* c) override;
        void OnNumericError(int code, const std::string& t1, const std::string& t2, CIrcSession* c) override;
        void OnServerMessage(int kind, const std::string& text, CIrcSession* c) override;

    private:
        void vQueue(int kind, CIrcSession* c, int code, int number, const std::string& t1 = std::string(),
                    const std::string& t2 = std::string(), const std::string& t3 = std::string(),
                    const std::string& t4 = std::string());
        CEventRelay* m_lpRelay;
    };

    // The hidden window's messages: 1026 drains the queue.
    LRESULT lOnWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void vQueue(Record&& record);
    void vDrain();
    static void vDispatch(IIrcEvents* lpTarget, const Record& r);
    void vDestroyWindow();

    CSink m_sink;
    FdWin::TMemberWindow<CEventRelay> m_window;
    FdSystem::CCriticalSection m_queueLock; // queue, target and the fields below it
    std::deque<Record> m_queue;
    IIrcEvents* m_lpTarget = nullptr;
    // A 1026 is outstanding or a drain runs: producers post nothing more.
    bool m_boPosted = false;
    // A wait for room ran out: later events are dropped at once until the
    // drain makes room again (a reader never waits twice for one stall).
    bool m_boStalled = false;
    uint64_t m_ulDropped = 0;
    size_t m_uMaxQueued = kMaxQueued;
    DWORD m_dwRoomWaitMs = kRoomWaitMs;
    size_t m_uMaxDrainBatch = kMaxDrainBatch;
    // Set while the queue has room (manual reset); the drain sets it.
    HANDLE m_hRoom = nullptr;
    HWND m_hWnd = nullptr;
    DWORD m_dwWindowThread = 0;
    HINSTANCE m_hInstance = nullptr;
};

} // namespace ChatIrc
