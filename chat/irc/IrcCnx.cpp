#include "IrcCnx.h"

#include <process.h>

#include <utility>

namespace ChatIrc
{

namespace
{

const char kIrcx[] = "IRCX\r\n";

} // namespace

CIrcCnx::CIrcCnx() = default;

CIrcCnx::~CIrcCnx()
{
    vClose();
}

SOCKET CIrcCnx::GetSocket()
{
    FdSystem::CAutoLock lock(&m_socketLock);
    return m_socket.get();
}

DWORD CIrcCnx::dwGetReaderThreadId()
{
    FdSystem::CAutoLock lock(&m_socketLock);
    return m_dwReaderId;
}

FdNet::CSocket CIrcCnx::OpenSocket()
{
    if (!m_winsock.boIsStarted())
        return FdNet::CSocket();
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(m_uPort);
    addr.sin_addr.s_addr = inet_addr(m_strHost.c_str());
    if (addr.sin_addr.s_addr == INADDR_NONE)
    {
        const hostent* host = gethostbyname(m_strHost.c_str());
        if (!host || host->h_addrtype != AF_INET || !host->h_addr_list[0])
            return FdNet::CSocket();
        memcpy(&addr.sin_addr, host->h_addr_list[0], sizeof addr.sin_addr);
    }
    FdNet::CSocket s(socket(AF_INET, SOCK_STREAM, 0));
    if (!s.boValid())
        return s;
    if (connect(s.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == SOCKET_ERROR &&
        WSAGetLastError() != WSAEWOULDBLOCK)
        return FdNet::CSocket(); // s closes as it goes
    return s;
}

bool CIrcCnx::boConnect(const char* lpHost, uint16_t port)
{
    if (iGetState() != kClosed || !lpHost)
        return false;
    // A reader that ended by itself (server gone) is joined before a new one.
    vJoinReader();
    m_strHost = lpHost;
    m_uPort = port;
    vClearPending();
    FdNet::CSocket s;
    if (!m_boConnectInThread)
    {
        s = OpenSocket();
        if (!s.boValid())
            return false;
    }
    {
        FdSystem::CAutoLock lock(&m_socketLock);
        m_socket = std::move(s);
        m_boRunning = true;
    }
    // The state and its event come before anything the reader raises.
    vSetState(kConnected);
    vRaiseState(kConnected);
    unsigned id = 0;
    HANDLE reader = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, uReaderProc, this, 0, &id));
    if (!reader)
    {
        vClose();
        return false;
    }
    {
        FdSystem::CAutoLock lock(&m_socketLock);
        m_hReader = reader;
        m_dwReaderId = id;
    }
    if (m_boConnectInThread)
        return false;
    if (!boSend(kIrcx))
    {
        vClose();
        return false;
    }
    return true;
}

bool CIrcCnx::boWrite(const std::string& text)
{
    // Under the lock: the reader may close the socket when the server goes.
    FdSystem::CAutoLock lock(&m_socketLock);
    if (!m_socket.boValid())
        return false;
    size_t done = 0;
    while (done < text.size())
    {
        const int n = send(m_socket.get(), text.data() + done, static_cast<int>(text.size() - done), 0);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

unsigned __stdcall CIrcCnx::uReaderProc(void* lpThis)
{
    static_cast<CIrcCnx*>(lpThis)->vRead();
    return 0;
}

void CIrcCnx::vRead()
{
    m_boReaderActive = true;
    if (m_boConnectInThread)
    {
        FdNet::CSocket s = OpenSocket();
        bool kept = false;
        {
            FdSystem::CAutoLock lock(&m_socketLock);
            if (s.boValid() && m_boRunning)
            {
                m_socket = std::move(s);
                kept = true;
            }
        }
        if (!kept)
        {
            s.iClose();
            vReaderLost();
            m_boReaderActive = false;
            return;
        }
        if (!boSend(kIrcx))
        {
            vReaderLost();
            m_boReaderActive = false;
            return;
        }
    }
    char buffer[kReadSize];
    bool lost = false;
    while (m_boRunning)
    {
        const SOCKET s = GetSocket();
        if (s == INVALID_SOCKET)
            break;
        const int n = recv(s, buffer, kReadSize, 0);
        if (n <= 0)
        {
            lost = true;
            break;
        }
        // A server that sends an endless line is treated as gone.
        if (!boFeed(buffer, static_cast<size_t>(n)))
        {
            lost = true;
            break;
        }
    }
    if (lost)
        vReaderLost();
    m_boReaderActive = false;
}

void CIrcCnx::vReaderLost()
{
    {
        FdSystem::CAutoLock lock(&m_socketLock);
        // Close is under way: it owns the rest of the teardown.
        if (!m_boRunning)
            return;
        m_boRunning = false;
        m_socket.iClose();
    }
    vSetState(kClosed);
    vRaiseState(kClosed);
}

void CIrcCnx::vJoinReader()
{
    HANDLE reader;
    DWORD id;
    {
        FdSystem::CAutoLock lock(&m_socketLock);
        reader = m_hReader;
        id = m_dwReaderId;
        m_hReader = nullptr;
        m_dwReaderId = 0;
    }
    if (!reader)
        return;
    // The reader itself (an event handler that closes) cannot wait for itself.
    if (id != GetCurrentThreadId())
        WaitForSingleObject(reader, INFINITE);
    CloseHandle(reader);
}

void CIrcCnx::vClose()
{
    {
        FdSystem::CAutoLock lock(&m_socketLock);
        m_boRunning = false;
        // Wakes the reader out of recv; the socket stays valid until it ended.
        if (m_socket.boValid())
            shutdown(m_socket.get(), SD_BOTH);
    }
    vJoinReader();
    bool wasOpen = false;
    {
        FdSystem::CAutoLock lock(&m_socketLock);
        if (m_socket.boValid())
        {
            m_socket.iClose();
            wasOpen = true;
        }
    }
    // Also a connection whose socket never opened (a connect in the reader
    // still under way) ends with its state event.
    if (wasOpen || iGetState() != kClosed)
    {
        vSetState(kClosed);
        vRaiseState(kClosed);
    }
    vResetSession();
}

} // namespace ChatIrc
