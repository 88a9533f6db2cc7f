#include "NetAsync.h"

#include "NetAsyncException.h"
#include "NetSendBatch.h"
#include "NetWindow.h"

namespace FdNet
{

void vSetNoDelay(SOCKET s)
{
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

CNetAsync::CNetAsync()
    : m_sendFifo(kSendFifoGrowth, kSendFifoMax), m_datagramFifo(kSendFifoGrowth, kSendFifoMax),
      m_uSocketMessage(NetWindow::uSocketMessage())
{
    if (!m_winsock.boIsStarted())
        vThrowNetAsync(NetAsync_CantStartWSA, "CNetAsync::CNetASync", __LINE__,
                       uint32_t(m_winsock.iGetStartError()));
}

CNetAsync::~CNetAsync()
{
    // Derived destructors close their sockets; this only makes sure that no
    // event or batch can reach the object any more.
    if (m_boSendsHeld)
        CSendBatch::vLeave(*this);
    if (m_boWindowCreated)
        vDestroyHiddenWindow();
}

void CNetAsync::vSetNotifyCallback(LPNETASYNCNOTIFY lpCallback, void* lpContext)
{
    m_lpNotify = lpCallback;
    m_lpNotifyContext = lpContext;
}

UINT_PTR CNetAsync::ulSetTimer(uint32_t dwMs)
{
    if (m_hWnd == nullptr || !m_boWindowCreated)
        return 0;
    if (++m_ulTimerCounter == 0) // 0 means failure to the caller
        ++m_ulTimerCounter;
    const UINT_PTR id = m_ulTimerCounter;
    return SetTimer(m_hWnd, id, dwMs, nullptr) != 0 ? id : 0;
}

bool CNetAsync::boKillTimer(UINT_PTR ulId)
{
    return m_hWnd != nullptr && m_boWindowCreated && KillTimer(m_hWnd, ulId) != FALSE;
}

uint32_t CNetAsync::ulGetMaxMsgSize()
{
    if (m_dwPortType != kPortTypeUdp || m_socket == INVALID_SOCKET)
        return 0;
    DWORD size = 0;
    int len = sizeof size;
    if (getsockopt(m_socket, SOL_SOCKET, SO_MAX_MSG_SIZE, reinterpret_cast<char*>(&size), &len) != 0)
        return 0;
    return size;
}

void CNetAsync::vCreateHiddenWindow()
{
    if (m_hWnd != nullptr)
        return;
    m_hWnd = NetWindow::hCreate(this, hGetModuleInstance());
    m_boWindowCreated = m_hWnd != nullptr;
}

void CNetAsync::vDestroyHiddenWindow()
{
    if (m_hWnd == nullptr)
        return;
    if (m_boWindowCreated)
    {
        for (SOCKET s : NetWindow::SocketsOf(m_hWnd))
            vStopAsyncMode(s);
        NetWindow::vDestroy(m_hWnd);
    }
    m_hWnd = nullptr;
    m_boWindowCreated = false;
}

void CNetAsync::vStartAsyncMode(SOCKET s, UINT uMessage, long lEvents)
{
    if (m_hWnd == nullptr)
        vThrowNetAsync(NetAsync_InvalidWindowHandler, "CNetAsync::vStartAsyncMode", __LINE__);
    if (WSAAsyncSelect(s, m_hWnd, uMessage, lEvents) == SOCKET_ERROR)
        vThrowNetAsync(NetClient_AsyncSelectFailed, "CNetAsync::vStartAsyncMode", __LINE__,
                       uint32_t(WSAGetLastError()));
    NetWindow::vMapSocket(s, m_hWnd);
}

void CNetAsync::vStopAsyncMode(SOCKET s)
{
    NetWindow::vUnmapSocket(s);
    WSAAsyncSelect(s, m_hWnd, 0, 0);
}

uint32_t CNetAsync::ulGetQueuedSize() const
{
    return m_datagramFifo.ulGetSize() + m_sendFifo.ulGetSize();
}

LRESULT CNetAsync::lOnWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == m_uSocketMessage)
    {
        const int error = WSAGETSELECTERROR(lParam);
        if (error != 0)
            boOnSocketError(WSAGETSELECTEVENT(lParam), error);
        else
            boOnSocketEvent(lParam, static_cast<SOCKET>(wParam));
    }
    else if (uMsg == WM_TIMER)
    {
        // Timers fire once.
        KillTimer(m_hWnd, wParam);
        vNotifyTimer(wParam);
    }
    return 0;
}

bool CNetAsync::boOnSocketError(uint32_t dwEvent, int iError)
{
    if (dwEvent == FD_CONNECT)
    {
        // Closed before the event, so that the handler may connect again at once.
        vCloseSocket();
        m_boConnected = false;
        vNotify(NETASYNC_CNX_FAILED);
        return true;
    }
    if (iError == WSAECONNABORTED || iError == WSAECONNRESET)
    {
        vAbortConnection();
        return true;
    }
    vNotify(NETASYNC_CNX_SOCKETERROR);
    return false;
}

bool CNetAsync::boOnSocketEvent(LPARAM lParam, SOCKET s)
{
    // Events still queued for a socket that was closed since are stale.
    if (s != m_socket || m_socket == INVALID_SOCKET)
        return false;
    switch (WSAGETSELECTEVENT(lParam))
    {
    case FD_READ:
    {
        const uint32_t room = m_dwPortType == kPortTypeUdp ? kDatagramReceiveSize : m_dwReceiveSize;
        CReceiveBuffer buffer(*this, room);
        const int n = recv(m_socket, buffer.lpChars(), int(room), 0);
        if (n == SOCKET_ERROR)
        {
            const int error = WSAGetLastError();
            if (error == WSAEWOULDBLOCK)
                return true;
            if (error == WSAECONNRESET || error == WSAECONNABORTED)
            {
                vAbortConnection();
                return true;
            }
            vNotify(NETASYNC_CNX_SOCKETERROR);
            return false;
        }
        return n > 0 ? boOnReceive(buffer.lpData(), uint32_t(n)) : true;
    }
    case FD_WRITE:
        return boFlushSend();
    case FD_CONNECT:
        if (!m_boConnected)
        {
            m_boConnected = true;
            // What was sent before the connection leaves first.
            boFlushSend();
            vNotify(NETASYNC_CNX_CONNECTED);
        }
        return true;
    case FD_CLOSE:
        // What the peer sent before closing is handed on first; reading it
        // may reveal a reset instead of an orderly close.
        if (m_boConnected && boDrainReceived())
        {
            m_boConnected = false;
            vNotify(NETASYNC_CNX_CLOSED);
        }
        return true;
    default:
        return false;
    }
}

bool CNetAsync::boOnReceive(const uint8_t*, uint32_t)
{
    return true;
}

void CNetAsync::vNotify(uint32_t dwCode)
{
    if (m_lpNotify == nullptr)
        return;
    NETASYNC_NOTIFY_INFO info;
    info.lpContext = m_lpNotifyContext;
    info.lpObject = this;
    info.socket = m_socket;
    info.dwPortType = m_dwPortType;
    if (m_socket != INVALID_SOCKET)
    {
        int len = sizeof info.localAddr;
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&info.localAddr), &len);
        info.iAddrLen = sizeof info.localAddr;
    }
    m_lpNotify(dwCode, &info);
}

void CNetAsync::vNotifyTimer(UINT_PTR ulId)
{
    if (m_lpNotify == nullptr)
        return;
    NETASYNC_NOTIFY_INFO info;
    info.lpContext = m_lpNotifyContext;
    info.lpObject = this;
    info.ulTimerId = ulId;
    m_lpNotify(NETASYNC_CNX_TIMER, &info);
}

void CNetAsync::vNotifyAccepted(CNetAsync* lpNewClient)
{
    if (m_lpNotify == nullptr)
        return;
    NETASYNC_NOTIFY_INFO info;
    info.lpContext = m_lpNotifyContext;
    info.lpObject = this;
    info.lpNewClient = lpNewClient;
    m_lpNotify(NETASYNC_CNX_ACCEPTED, &info);
}

void CNetAsync::vAbortConnection()
{
    m_boConnected = false;
    vNotify(NETASYNC_CNX_ABORTED);
    // The handler may have closed it already.
    vCloseSocket();
}

void CNetAsync::vCloseSocket()
{
    if (m_socket == INVALID_SOCKET)
        return;
    if (m_boOwnsSocket)
    {
        vStopAsyncMode(m_socket);
        closesocket(m_socket);
    }
    m_socket = INVALID_SOCKET;
}

void CNetAsync::vClearSendQueue()
{
    m_sendFifo.vConsume(m_sendFifo.ulGetSize());
    m_datagramFifo.vClear();
}

bool CNetAsync::boDrainReceived()
{
    if (m_dwPortType != kPortTypeTcp)
        return true;
    CReceiveBuffer buffer(*this, m_dwReceiveSize);
    while (m_socket != INVALID_SOCKET && m_boConnected)
    {
        const int n = recv(m_socket, buffer.lpChars(), int(m_dwReceiveSize), 0);
        if (n > 0)
        {
            boOnReceive(buffer.lpData(), uint32_t(n));
            continue;
        }
        const int error = n == 0 ? 0 : WSAGetLastError();
        if (error == WSAECONNRESET || error == WSAECONNABORTED)
        {
            vAbortConnection();
            return false;
        }
        return true;
    }
    return m_boConnected;
}

CNetAsync::CReceiveBuffer::CReceiveBuffer(CNetAsync& owner, uint32_t dwSize)
    : m_owner(owner), m_boOwnerBuffer(!owner.m_boReceiveBufferBusy)
{
    std::vector<uint8_t>& area = m_boOwnerBuffer ? owner.m_receiveBuffer : m_nested;
    if (area.size() < dwSize)
        area.resize(dwSize);
    m_lpData = area.data();
    if (m_boOwnerBuffer)
        owner.m_boReceiveBufferBusy = true;
}

CNetAsync::CReceiveBuffer::~CReceiveBuffer()
{
    if (m_boOwnerBuffer)
        m_owner.m_boReceiveBufferBusy = false;
}

} // namespace FdNet
