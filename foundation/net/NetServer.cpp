#include "NetServer.h"

#include <vector>

#include "NetAsyncException.h"

namespace FdNet
{

namespace
{
const char kListenFunction[] = "CNetServer::boInitListenSocket";
} // namespace

CNetServer::~CNetServer()
{
    std::map<SOCKET, CNetClient*> tcp;
    std::map<UdpKey, CNetClient*> udp;
    {
        FdSystem::CAutoLock lock(&m_tcpLock);
        tcp.swap(m_tcpClients);
    }
    {
        FdSystem::CAutoLock lock(&m_udpLock);
        udp.swap(m_udpClients);
    }
    // Detached first: a client leaving its server would change the maps
    // being walked.
    for (auto& entry : tcp)
    {
        entry.second->vDetachFromServer();
        delete entry.second;
    }
    for (auto& entry : udp)
    {
        entry.second->vDetachFromServer();
        delete entry.second;
    }
    for (auto& entry : m_listening)
    {
        vStopAsyncMode(entry.second);
        closesocket(entry.second);
    }
    m_listening.clear();
    m_socket = INVALID_SOCKET;
    vDestroyHiddenWindow();
}

bool CNetServer::boInitListenSocket(uint16_t wPort, uint32_t dwPortType, uint32_t dwAddress)
{
    if (wPort != 0 && m_listening.count(wPort) != 0)
        vThrowNetAsync(NetAsync_AlreadyListening, kListenFunction, __LINE__);
    const bool udp = dwPortType == kPortTypeUdp;
    SOCKET s = socket(AF_INET, udp ? SOCK_DGRAM : SOCK_STREAM, udp ? IPPROTO_UDP : IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        vThrowNetAsync(NetAsync_SocketCreationError, kListenFunction, __LINE__, uint32_t(WSAGetLastError()));

    const BOOL reuse = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    m_dwPortType = udp ? kPortTypeUdp : kPortTypeTcp;
    try
    {
        vCreateHiddenWindow();
        vStartAsyncMode(s, m_uSocketMessage, udp ? kUdpListenEvents : kTcpListenEvents);
    }
    catch (...)
    {
        closesocket(s);
        throw;
    }

    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(wPort);
    addr.sin_addr.s_addr = dwAddress;
    uint32_t failure = 0;
    int error = 0;
    if (bind(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == SOCKET_ERROR)
    {
        error = WSAGetLastError();
        failure = error == WSAEADDRINUSE || error == WSAEACCES ? NetServer_BindAddrInUse
                                                               : NetAsync_SocketCreationError;
    }
    else if (!udp && listen(s, kListenBacklog) == SOCKET_ERROR)
    {
        error = WSAGetLastError();
        failure = NetAsync_ListenFailed;
    }
    if (failure != 0)
    {
        vStopAsyncMode(s);
        closesocket(s);
        vThrowNetAsync(failure, kListenFunction, __LINE__, uint32_t(error));
    }

    sockaddr_in bound{};
    int len = sizeof bound;
    getsockname(s, reinterpret_cast<sockaddr*>(&bound), &len);
    m_wLastPort = ntohs(bound.sin_port);
    m_listening[m_wLastPort] = s;
    m_socket = s;
    return true;
}

void CNetServer::vRemoveClient(CNetClient* lpClient)
{
    // Once out of the maps it is no longer this server's.
    lpClient->vDetachFromServer();
    if (lpClient->ulGetPortType() == kPortTypeUdp)
    {
        FdSystem::CAutoLock lock(&m_udpLock);
        for (auto it = m_udpClients.begin(); it != m_udpClients.end(); ++it)
            if (it->second == lpClient)
            {
                m_udpClients.erase(it);
                return;
            }
        return;
    }
    FdSystem::CAutoLock lock(&m_tcpLock);
    for (auto it = m_tcpClients.begin(); it != m_tcpClients.end(); ++it)
        if (it->second == lpClient)
        {
            m_tcpClients.erase(it);
            return;
        }
}

size_t CNetServer::ulGetTcpClientCount()
{
    FdSystem::CAutoLock lock(&m_tcpLock);
    return m_tcpClients.size();
}

size_t CNetServer::ulGetUdpClientCount()
{
    FdSystem::CAutoLock lock(&m_udpLock);
    return m_udpClients.size();
}

CNetClient* CNetServer::lpFindTcpClient(SOCKET s)
{
    FdSystem::CAutoLock lock(&m_tcpLock);
    auto it = m_tcpClients.find(s);
    return it != m_tcpClients.end() ? it->second : nullptr;
}

LRESULT CNetServer::lOnWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // Accepted sockets share this window and its message.
    if (uMsg == m_uSocketMessage)
        if (CNetClient* client = lpFindTcpClient(static_cast<SOCKET>(wParam)))
            return client->lOnWindowMessage(uMsg, wParam, lParam);
    return CNetAsync::lOnWindowMessage(uMsg, wParam, lParam);
}

bool CNetServer::boOnSocketEvent(LPARAM lParam, SOCKET s)
{
    bool listening = false;
    for (const auto& entry : m_listening)
        listening = listening || entry.second == s;
    if (!listening)
        return false;
    switch (WSAGETSELECTEVENT(lParam))
    {
    case FD_ACCEPT:
        return boAccept(s);
    case FD_READ:
        return m_dwPortType == kPortTypeUdp && boReceiveFrom(s);
    case FD_WRITE:
        return m_dwPortType == kPortTypeUdp && boFlushUdpClients();
    default:
        return false;
    }
}

bool CNetServer::boAccept(SOCKET listening)
{
    sockaddr_in remote{};
    int len = sizeof remote;
    SOCKET s = accept(listening, reinterpret_cast<sockaddr*>(&remote), &len);
    if (s == INVALID_SOCKET)
        return WSAGetLastError() == WSAEWOULDBLOCK;
    CNetClient* client = lpGetNewClient(s, kPortTypeTcp);
    if (client == nullptr)
    {
        closesocket(s);
        return false;
    }
    client->vAttachToServer(this, m_hWnd, s, kPortTypeTcp, remote);
    {
        FdSystem::CAutoLock lock(&m_tcpLock);
        m_tcpClients[s] = client;
    }
    // An accepted socket inherits the listener's selection; this states it
    // and records the socket with this window.
    vStartAsyncMode(s, m_uSocketMessage, kTcpClientEvents & ~FD_CONNECT);
    vNotifyAccepted(client);
    return true;
}

bool CNetServer::boReceiveFrom(SOCKET s)
{
    CReceiveBuffer buffer(*this, kDatagramReceiveSize);
    sockaddr_in from{};
    int len = sizeof from;
    const int n =
        recvfrom(s, buffer.lpChars(), int(kDatagramReceiveSize), 0, reinterpret_cast<sockaddr*>(&from), &len);
    if (n == SOCKET_ERROR)
        return WSAGetLastError() == WSAEWOULDBLOCK;

    const UdpKey key(from.sin_addr.s_addr, from.sin_port);
    CNetClient* client = nullptr;
    bool created = false;
    {
        FdSystem::CAutoLock lock(&m_udpLock);
        auto it = m_udpClients.find(key);
        if (it != m_udpClients.end())
            client = it->second;
    }
    if (client == nullptr)
    {
        client = lpGetNewClient(s, kPortTypeUdp);
        if (client == nullptr)
            return false;
        client->vAttachToServer(this, m_hWnd, s, kPortTypeUdp, from);
        FdSystem::CAutoLock lock(&m_udpLock);
        m_udpClients[key] = client;
        created = true;
    }
    if (created)
        vNotifyAccepted(client);
    return client->boOnReceive(buffer.lpData(), uint32_t(n));
}

bool CNetServer::boFlushUdpClients()
{
    std::vector<CNetClient*> clients;
    {
        FdSystem::CAutoLock lock(&m_udpLock);
        for (const auto& entry : m_udpClients)
            clients.push_back(entry.second);
    }
    bool ok = true;
    for (CNetClient* client : clients)
        ok = client->boFlushSend() && ok;
    return ok;
}

} // namespace FdNet
