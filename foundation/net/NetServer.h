// A TCP listener that makes one client object per accepted connection, or a
// UDP socket that makes one client object per sender (address and port).
// The server owns the clients in its maps; one removed with vRemoveClient
// belongs to whoever removed it.
#pragma once

#include <winsock2.h>

#include <cstdint>
#include <map>
#include <set>
#include <utility>

#include "CriticalSection.h"
#include "NetClient.h"

namespace FdNet
{

class CNetServer : public CNetAsync
{
public:
    static constexpr int kListenBacklog = 0x7fffffff;
    static constexpr long kTcpListenEvents = FD_ACCEPT | FD_READ | FD_WRITE | FD_CLOSE;
    static constexpr long kUdpListenEvents = FD_READ | FD_WRITE | FD_CLOSE;

    CNetServer() = default;
    // Closes and deletes every client, closes the listening sockets and the window.
    ~CNetServer() override;

    // A new client for an accepted socket or a new UDP sender (the server's
    // socket then). Null refuses it.
    virtual CNetClient* lpGetNewClient(SOCKET s, uint32_t dwPortType) = 0;

    // Listens on the port (0: any free port) of the address (network order).
    // Throws 3108 when this server already listens on that port, 3111 when
    // the socket cannot be made, 3110 when the address is in use, 3109 when
    // listening fails.
    bool boInitListenSocket(uint16_t wPort, uint32_t dwPortType, uint32_t dwAddress);
    // The port that the last listen bound (useful after a listen on port 0).
    uint16_t wGetListenPort() const { return m_wLastPort; }

    void vRemoveClient(CNetClient* lpClient);
    size_t ulGetTcpClientCount();
    size_t ulGetUdpClientCount();

    LRESULT lOnWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    bool boOnSocketEvent(LPARAM lParam, SOCKET s) override;

private:
    using UdpKey = std::pair<uint32_t, uint16_t>; // sender address, port (network order)

    bool boAccept(SOCKET listening);
    bool boReceiveFrom(SOCKET s);
    bool boFlushUdpClients();
    CNetClient* lpFindTcpClient(SOCKET s);

    std::map<uint16_t, SOCKET> m_listening; // port (host order) -> socket
    uint16_t m_wLastPort = 0;
    FdSystem::CCriticalSection m_tcpLock;
    std::map<SOCKET, CNetClient*> m_tcpClients;
    FdSystem::CCriticalSection m_udpLock;
    std::map<UdpKey, CNetClient*> m_udpClients;
};

} // namespace FdNet
