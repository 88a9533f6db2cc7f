#include "NetClient.h"

#include <cstring>

#include "NetAsyncException.h"
#include "NetServer.h"

namespace FdNet
{

namespace
{
const char kBroadcast[] = "255.255.255.255";
}

CNetClient::~CNetClient()
{
    vClose();
    if (m_lpServer != nullptr)
        m_lpServer->vRemoveClient(this);
}

bool CNetClient::boConnect(const char* lpszHost, uint16_t wPort, uint32_t dwPortType)
{
    return boConnect(ulGetAddr(lpszHost), wPort, dwPortType);
}

bool CNetClient::boConnect(uint32_t dwAddress, uint16_t wPort, uint32_t dwPortType)
{
    if (m_socket != INVALID_SOCKET)
        vThrowNetAsync(NetAsync_AlreadyConnected, "CNetClient::boConnect", __LINE__);
    const bool udp = dwPortType == kPortTypeUdp;
    SOCKET s = socket(AF_INET, udp ? SOCK_DGRAM : SOCK_STREAM, udp ? IPPROTO_UDP : IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return false;
    // A tail left from a lost connection must not open the new one; what was
    // sent while unconnected stays queued for it.
    m_sendFifo.vConsume(m_sendFifo.ulGetSize());
    m_socket = s;
    m_boOwnsSocket = true;
    m_boConnected = false;
    m_boDatagramMode = false;
    m_dwPortType = udp ? kPortTypeUdp : kPortTypeTcp;
    try
    {
        vCreateHiddenWindow();
        vStartAsyncMode(s, m_uSocketMessage, udp ? kUdpClientEvents : kTcpClientEvents);
    }
    catch (...)
    {
        closesocket(s);
        m_socket = INVALID_SOCKET;
        throw;
    }

    m_dwRemoteAddress = dwAddress;
    m_wRemotePort = wPort;
    m_remoteAddr = sockaddr_in{};
    m_remoteAddr.sin_family = AF_INET;
    m_remoteAddr.sin_port = htons(wPort);
    m_remoteAddr.sin_addr.s_addr = dwAddress;

    if (connect(s, reinterpret_cast<const sockaddr*>(&m_remoteAddr), sizeof m_remoteAddr) == 0)
    {
        // UDP connects at once; a TCP connect that completes at once is
        // reported here and its later FD_CONNECT ignored.
        m_boConnected = true;
        boFlushSend();
        vNotify(NETASYNC_CNX_CONNECTED);
        return true;
    }
    if (WSAGetLastError() == WSAEWOULDBLOCK)
        return true;
    vCloseSocket();
    vNotify(NETASYNC_CNX_FAILED);
    return false;
}

uint32_t CNetClient::ulGetAddr(const char* lpszHost)
{
    CWinsockUse winsock;
    if (!winsock.boIsStarted())
        vThrowNetAsync(NetAsync_CantStartWSA, "CNetClient::ulGetAddr", __LINE__,
                       uint32_t(winsock.iGetStartError()));
    if (lpszHost == nullptr || *lpszHost == '\0')
        return 0;
    const uint32_t dotted = inet_addr(lpszHost);
    if (dotted != INADDR_NONE || std::strcmp(lpszHost, kBroadcast) == 0)
        return dotted;
    const hostent* host = gethostbyname(lpszHost);
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_addr_list == nullptr ||
        host->h_addr_list[0] == nullptr)
        return 0;
    uint32_t address = 0;
    std::memcpy(&address, host->h_addr_list[0], sizeof address);
    return address;
}

void CNetClient::vDisconnect()
{
    vCloseSocket();
    m_boConnected = false;
    // A tail queued for the old connection must not open the next one.
    vClearSendQueue();
}

void CNetClient::vClose()
{
    vDisconnect();
    vDestroyHiddenWindow();
}

void CNetClient::vAttachToServer(CNetServer* lpServer, HWND hServerWindow, SOCKET s, uint32_t dwPortType,
                                 const sockaddr_in& remote)
{
    m_lpServer = lpServer;
    m_hWnd = hServerWindow; // shared, not this object's own
    m_boWindowCreated = false;
    m_socket = s;
    m_dwPortType = dwPortType;
    m_boOwnsSocket = dwPortType == kPortTypeTcp;
    m_boDatagramMode = dwPortType == kPortTypeUdp;
    m_boConnected = true;
    m_remoteAddr = remote;
    m_dwRemoteAddress = remote.sin_addr.s_addr;
    m_wRemotePort = ntohs(remote.sin_port);
}

} // namespace FdNet
