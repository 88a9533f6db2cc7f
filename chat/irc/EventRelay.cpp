#include "EventRelay.h"

namespace ChatIrc
{

namespace
{

const char kClassName[] = "EventRelayClass";
const char kWindowTitle[] = "Relay";

HINSTANCE hThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&hThisModule), &module);
    return module;
}

} // namespace

CEventRelay::CEventRelay() : m_sink(this), m_window(*this, &CEventRelay::lOnWindowMessage)
{
    // Without the event a full queue drops at once instead of waiting.
    m_hRoom = CreateEventA(nullptr, TRUE, TRUE, nullptr);
}

CEventRelay::~CEventRelay()
{
    // The reader raises into the sink: it ends before the queue goes.
    vClose();
    vSetOwner(nullptr);
    vDestroyWindow();
    if (m_hRoom)
        CloseHandle(m_hRoom);
}

void CEventRelay::vSetQueueBounds(size_t maxQueued, DWORD roomWaitMs, size_t maxDrainBatch)
{
    FdSystem::CAutoLock lock(&m_queueLock);
    if (maxQueued)
        m_uMaxQueued = maxQueued;
    if (roomWaitMs)
        m_dwRoomWaitMs = roomWaitMs;
    if (maxDrainBatch)
        m_uMaxDrainBatch = maxDrainBatch;
}

uint64_t CEventRelay::ulGetDroppedCount()
{
    FdSystem::CAutoLock lock(&m_queueLock);
    return m_ulDropped;
}

bool CEventRelay::boAttach(IIrcEvents* lpTarget, HINSTANCE hInstance)
{
    m_hInstance = hInstance ? hInstance : hThisModule();
    if (!lpTarget)
    {
        {
            FdSystem::CAutoLock lock(&m_queueLock);
            m_lpTarget = nullptr;
        }
        vDestroyWindow();
        vSetOwner(nullptr);
        return true;
    }
    // Each connect attaches again: the window it has is kept.
    if (!m_hWnd)
    {
        if (!FdWin::CWindowBase::boRegisterClass(m_hInstance, kClassName, 0, nullptr,
                                                 reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(5))))
            return false;
        // Style 0 and no parent: a window that is never shown.
        HWND hWnd =
            m_window.hCreate(0, kClassName, kWindowTitle, 0, 0, 0, 100, 100, nullptr, nullptr, m_hInstance);
        if (!hWnd)
        {
            UnregisterClassA(kClassName, m_hInstance);
            return false;
        }
        // A new window has no 1026 outstanding: the next event posts one.
        FdSystem::CAutoLock lock(&m_queueLock);
        m_hWnd = hWnd;
        m_dwWindowThread = GetCurrentThreadId();
        m_boPosted = false;
    }
    {
        FdSystem::CAutoLock lock(&m_queueLock);
        m_lpTarget = lpTarget;
    }
    vSetOwner(&m_sink);
    return true;
}

void CEventRelay::vDestroyWindow()
{
    HWND hWnd;
    {
        FdSystem::CAutoLock lock(&m_queueLock);
        hWnd = m_hWnd;
        m_hWnd = nullptr;
        m_boPosted = false;
    }
    if (!hWnd)
        return;
    m_window.vDestroy();
    // Fails while another relay's window uses the class: that one unregisters it.
    UnregisterClassA(kClassName, m_hInstance);
}

size_t CEventRelay::uGetQueuedCount()
{
    FdSystem::CAutoLock lock(&m_queueLock);
    return m_queue.size();
}

void CEventRelay::vQueue(Record&& record)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        DWORD waitMs;
        {
            FdSystem::CAutoLock lock(&m_queueLock);
            if (!m_lpTarget || !m_hWnd)
                return;
            const bool own = GetCurrentThreadId() == m_dwWindowThread;
            if (own || m_queue.size() < m_uMaxQueued)
            {
                m_queue.push_back(std::move(record));
                // A failed post leaves the flag clear: the next event tries again.
                if (!m_boPosted)
                    m_boPosted =
                        PostMessageA(m_hWnd, kRelayMessage, 0, reinterpret_cast<LPARAM>(this)) != FALSE;
                return;
            }
            const DWORD spent = GetTickCount() - start;
            if (m_boStalled || !m_hRoom || spent >= m_dwRoomWaitMs)
            {
                m_boStalled = true;
                ++m_ulDropped;
                return;
            }
            waitMs = m_dwRoomWaitMs - spent;
            ResetEvent(m_hRoom);
        }
        WaitForSingleObject(m_hRoom, waitMs);
    }
}

void CEventRelay::vDrain()
{
    // One record at a time, dispatched outside the lock: a target may send or
    // raise new events, which this same drain then delivers. The flag stays
    // set while it runs, so producers add to the queue without posting.
    size_t delivered = 0;
    for (;;)
    {
        Record r;
        IIrcEvents* target;
        {
            FdSystem::CAutoLock lock(&m_queueLock);
            target = m_lpTarget;
            if (!target || !m_hWnd || m_queue.empty())
            {
                m_boPosted = false;
                return;
            }
            if (delivered >= m_uMaxDrainBatch)
            {
                // The rest on a later turn of the loop, behind what was posted meanwhile.
                m_boPosted = PostMessageA(m_hWnd, kRelayMessage, 0, reinterpret_cast<LPARAM>(this)) != FALSE;
                if (m_boPosted)
                    return;
            }
            const bool wasFull = m_queue.size() >= m_uMaxQueued;
            r = std::move(m_queue.front());
            m_queue.pop_front();
            if (wasFull || m_boStalled)
            {
                m_boStalled = false;
                if (m_hRoom)
                    SetEvent(m_hRoom);
            }
        }
        vDispatch(target, r);
        ++delivered;
    }
}

void CEventRelay::vDispatch(IIrcEvents* t, const Record& r)
{
    switch (r.iKind)
    {
    case kPrivateMessage:
        t->OnPrivateMessage(r.texts[0], r.texts[1], r.lpCnx);
        break;
    case kRoomMessage:
        t->OnRoomMessage(r.texts[0], r.texts[1], r.lpCnx);
        break;
    case kUserJoined:
        t->OnUserJoined(r.texts[0], r.texts[1], r.lpCnx);
        break;
    case kIrcxReady:
        t->OnIrcxReady(r.texts[0], r.lpCnx);
        break;
    case kState:
        t->OnState(r.iNumber, r.lpCnx);
        break;
    case kRoomState:
        t->OnRoomState(r.texts[0], r.iNumber, r.lpCnx);
        break;
    case kUserKilled:
        t->OnUserKilled(r.texts[0], r.texts[1], r.texts[2], r.texts[3], r.lpCnx);
        break;
    case kUserLeft:
        t->OnUserLeft(r.texts[0], r.texts[1], r.lpCnx);
        break;
    case kNumericError:
        t->OnNumericError(r.iCode, r.texts[0], r.texts[1], r.lpCnx);
        break;
    case kServerMessage:
        t->OnServerMessage(r.iNumber, r.texts[0], r.lpCnx);
        break;
    default:
        break;
    }
}

LRESULT CEventRelay::lOnWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg != kRelayMessage)
        return m_window.lCallDefault(uMsg, wParam, lParam);
    if (InSendMessage())
        ReplyMessage(1);
    // The relay is the window's own; lParam only has to name it. What the
    // drain throws stops at the window base.
    if (lParam == reinterpret_cast<LPARAM>(this))
        vDrain();
    return 0;
}

void CEventRelay::CSink::vQueue(int kind, CIrcSession* c, int code, int number, const std::string& t1,
                                const std::string& t2, const std::string& t3, const std::string& t4)
{
    Record r;
    r.iKind = kind;
    r.iCode = code;
    r.iNumber = number;
    r.texts[0] = t1;
    r.texts[1] = t2;
    r.texts[2] = t3;
    r.texts[3] = t4;
    r.lpCnx = c;
    m_lpRelay->vQueue(std::move(r));
}

void CEventRelay::CSink::OnPrivateMessage(const std::string& from, const std::string& text, CIrcSession* c)
{
    vQueue(kPrivateMessage, c, 0, 0, from, text);
}
void CEventRelay::CSink::OnRoomMessage(const std::string& from, const std::string& text, CIrcSession* c)
{
    vQueue(kRoomMessage, c, 0, 0, from, text);
}
void CEventRelay::CSink::OnUserJoined(const std::string& nick, const std::string& room, CIrcSession* c)
{
    vQueue(kUserJoined, c, 0, 0, nick, room);
}
void CEventRelay::CSink::OnIrcxReady(const std::string& server, CIrcSession* c)
{
    vQueue(kIrcxReady, c, 0, 0, server);
}
void CEventRelay::CSink::OnState(int state, CIrcSession* c)
{
    vQueue(kState, c, 0, state);
}
void CEventRelay::CSink::OnRoomState(const std::string& room, int state, CIrcSession* c)
{
    vQueue(kRoomState, c, 0, state, room);
}
void CEventRelay::CSink::OnUserKilled(const std::string& room, const std::string& victim,
                                      const std::string& killer, const std::string& reason, CIrcSession* c)
{
    vQueue(kUserKilled, c, 0, 0, room, victim, killer, reason);
}
void CEventRelay::CSink::OnUserLeft(const std::string& room, const std::string& nick, CIrcSession* c)
{
    vQueue(kUserLeft, c, 0, 0, room, nick);
}
void CEventRelay::CSink::OnNumericError(int code, const std::string& t1, const std::string& t2,
                                        CIrcSession* c)
{
    vQueue(kNumericError, c, code, 0, t1, t2);
}
void CEventRelay::CSink::OnServerMessage(int kind, const std::string& text, CIrcSession* c)
{
    vQueue(kServerMessage, c, 0, kind, text);
}

} // namespace ChatIrc
