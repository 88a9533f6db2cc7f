// The TCP connection of a client program to the hub's LPC port. Connecting
// pumps the thread's messages while it waits; received bytes are cut into
// whole LPC messages and handed to vOnHubMessage.
#pragma once

#include <cstdint>

#include "HostRecord.h"
#include "HubStream.h"
#include "NetClient.h"

namespace OBSdkClient
{

class CLPCClient : public FdNet::CNetClient
{
public:
    enum EState : uint32_t
    {
        kIdle = 0, // not connected yet, or lost
        kConnecting = 1,
        kConnected = 2,
        kConnectFailed = 3,
        kConnectTimedOut = 4,
    };

    explicit CLPCClient(const CHostRecord& hub);
    ~CLPCClient() override;

    // The library's module instance (for the hidden window's class).
    HINSTANCE hGetModuleInstance() override;
    bool boOnReceive(const uint8_t* lpData, uint32_t dwLength) override;
    // One whole message from the hub.
    virtual void vOnHubMessage(const uint8_t* lpMessage, uint32_t ulSize) = 0;

    // TCP_NODELAY on or off, when the socket exists and is TCP; failures are ignored.
    void vSetNoDelay(bool boOn);
    // Dispatches every waiting message of the thread, or only those of this
    // connection's hidden window (nothing when it has none yet).
    void vPumpMessages(bool boOwnWindowOnly);

    uint32_t dwGetState() const { return m_dwState; }
    bool boIsUp() const { return m_dwState == kConnected; }
    const CHostRecord& GetHub() const { return m_hub; }

protected:
    // Connects to the hub, pumping messages for at most dwTimeoutMs in all.
    // Throws 3006 (refused or failed), 3005 (no answer in time), 3007 (any
    // other end). Called by the derived constructor, so that messages read
    // meanwhile reach the derived reader.
    void vConnect(uint32_t dwTimeoutMs);

private:
    static void vConnectionEvent(uint32_t dwCode, const FdNet::NETASYNC_NOTIFY_INFO* lpInfo);
    void vOnConnectionEvent(uint32_t dwCode);
    // The connection is gone: state 0 and the library's LPC-lost callback.
    void vLost(uint32_t dwReason);

    uint32_t m_dwState = kIdle;
    HANDLE m_hConnectEvent = nullptr; // only during vConnect
    CHostRecord m_hub;
    CHubStream m_stream;
};

} // namespace OBSdkClient
