// A socket that connects (TCP or UDP), or that a server made for an accepted
// connection or a UDP sender.
#pragma once

#include "NetAsync.h"

namespace FdNet
{

class CNetServer;

class CNetClient : public CNetAsync
{
public:
    CNetClient() = default;
    // Closes, and leaves the server that made it, if any.
    ~CNetClient() override;

    // Resolves the host with ulGetAddr, then connects.
    virtual bool boConnect(const char* lpszHost, uint16_t wPort, uint32_t dwPortType);
    // Address in network order, port in host order. Throws 3107 when a socket
    // exists. False when the socket cannot be made or the connect fails at
    // once (NETASYNC_CNX_FAILED then). A TCP connect completes later with
    // NETASYNC_CNX_CONNECTED or NETASYNC_CNX_FAILED; a UDP one at once.
    virtual bool boConnect(uint32_t dwAddress, uint16_t wPort, uint32_t dwPortType);

    // A dotted address (or "255.255.255.255") as is, else the first address of
    // the name; 0 for an empty or unknown name. Throws 3101 when Winsock
    // cannot start.
    static uint32_t ulGetAddr(const char* lpszHost);

    // Closes an owned socket and forgets what waited to be sent.
    void vDisconnect();
    // vDisconnect, then the hidden window goes.
    void vClose();

    uint32_t ulGetRemoteAddress() const { return m_dwRemoteAddress; }
    uint16_t wGetRemotePort() const { return m_wRemotePort; }
    CNetServer* lpGetServer() const { return m_lpServer; }

private:
    friend class CNetServer;
    // Called by the server that made this client: a TCP socket of its own, or
    // the server's UDP socket shared for sending to the sender.
    void vAttachToServer(CNetServer* lpServer, HWND hServerWindow, SOCKET s, uint32_t dwPortType,
                         const sockaddr_in& remote);
    // Called by the server before it deletes this client.
    void vDetachFromServer() { m_lpServer = nullptr; }

    uint32_t m_dwRemoteAddress = 0;
    uint16_t m_wRemotePort = 0;
    CNetServer* m_lpServer = nullptr;
};

} // namespace FdNet
