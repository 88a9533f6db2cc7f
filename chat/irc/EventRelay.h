// Carries the connection's events from its reader thread to the thread of a
// hidden window: each event becomes a queued record, message 1026 is posted
// to the window, and the window's procedure replays the records in order on
// the target (the chat window). The two line events are not relayed.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <deque>
#include <string>

#include "CriticalSection.h"
#include "IrcCnx.h"

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

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void vQueue(Record&& record);
    void vDrain();
    static void vDispatch(IIrcEvents* lpTarget, const Record& r);
    void vDestroyWindow();

    CSink m_sink;
    FdSystem::CCriticalSection m_queueLock; // queue and target
    std::deque<Record> m_queue;
    IIrcEvents* m_lpTarget = nullptr;
    HWND m_hWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
};

} // namespace ChatIrc
