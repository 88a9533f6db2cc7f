#include "LPCClient.h"

#include "ChannelException.h"
#include "WinEvent.h"
#include "LPCNotify.h"
#include "LibraryState.h"
#include "MessageWait.h"
#include "OBSdkClient.h"
#include "PumpUntil.h"

namespace OBSdkClient
{

namespace
{

const char kSourceFile[] = "LPCClient";
const char kConstructor[] = "CLPCClient::CLPCClient";

class CConnectWait : public IPumpedWaitHost
{
public:
    CConnectWait(CLPCClient& client, HANDLE hEvent) : m_client(client), m_hEvent(hEvent) {}
    void vPump() override { m_client.vPumpMessages(false); }
    bool boDone() override { return m_client.dwGetState() != CLPCClient::kConnecting; }
    EWake Wait(uint32_t dwMs) override { return WaitForEventOrInput(m_hEvent, dwMs); }
    uint32_t dwTickCount() override { return MessageWait().dwTickCount(); }

private:
    CLPCClient& m_client;
    HANDLE m_hEvent;
};

} // namespace

CLPCClient::CLPCClient(const CHostRecord& hub) : m_hub(hub)
{
    vSetNotifyCallback(&CLPCClient::vConnectionEvent, this);
}

CLPCClient::~CLPCClient()
{
    // No event may reach a half-destroyed object.
    vSetNotifyCallback(nullptr, nullptr);
    vClose();
}

HINSTANCE CLPCClient::hGetModuleInstance()
{
    return OBSdkClient::hGetModuleInstance();
}

void CLPCClient::vConnect(uint32_t dwTimeoutMs)
{
    FdWin::CEvent connected;
    m_dwState = kIdle;
    if (connected.dwCreate(false, false) != 0 || !boConnect(m_hub.szHost, m_hub.wPort, FdNet::kPortTypeTcp))
        vThrowChannel(LPCCnx_CantConnect, kConstructor, kSourceFile, __LINE__);
    // A refusal seen at once has already closed the socket.
    if (GetSocket() == INVALID_SOCKET)
        vThrowChannel(LPCCnx_CantConnect, kConstructor, kSourceFile, __LINE__);
    if (!boIsConnected())
        m_dwState = kConnecting;
    else
        m_dwState = kConnected;
    m_hConnectEvent = connected.get();
    CConnectWait wait(*this, connected.get());
    if (!boPumpedWait(wait, dwTimeoutMs) && m_dwState == kConnecting)
        m_dwState = kConnectTimedOut;
    m_hConnectEvent = nullptr;

    switch (m_dwState)
    {
    case kConnected:
        return;
    case kConnectFailed:
        vThrowChannel(LPCCnx_CantConnect, kConstructor, kSourceFile, __LINE__);
    case kConnectTimedOut:
        vThrowChannel(LPCCnx_Timeout, kConstructor, kSourceFile, __LINE__);
    default:
        vThrowChannel(LPCCnx_UnexpectedState, kConstructor, kSourceFile, __LINE__);
    }
}

void CLPCClient::vConnectionEvent(uint32_t dwCode, const FdNet::NETASYNC_NOTIFY_INFO* lpInfo)
{
    static_cast<CLPCClient*>(lpInfo->lpContext)->vOnConnectionEvent(dwCode);
}

void CLPCClient::vOnConnectionEvent(uint32_t dwCode)
{
    const bool connecting = m_dwState == kConnecting;
    switch (dwCode)
    {
    case FdNet::NETASYNC_CNX_CONNECTED:
        if (connecting)
        {
            m_dwState = kConnected;
            SetEvent(m_hConnectEvent);
        }
        break;
    case FdNet::NETASYNC_CNX_FAILED:
        if (connecting)
        {
            m_dwState = kConnectFailed;
            SetEvent(m_hConnectEvent);
        }
        break;
    case FdNet::NETASYNC_CNX_CLOSED:
        if (connecting)
        {
            m_dwState = kConnectFailed;
            SetEvent(m_hConnectEvent);
        }
        else
            vLost(kLpcLostClosed);
        break;
    case FdNet::NETASYNC_CNX_ABORTED:
        if (connecting)
            SetEvent(m_hConnectEvent);
        vLost(kLpcLostAborted);
        break;
    default:
        break;
    }
}

void CLPCClient::vLost(uint32_t dwReason)
{
    m_dwState = kIdle;
    if (Library::LPLPCLOSTCALLBACK lpLost = Library::lpGetLPCLostCallback())
        lpLost(m_hub, dwReason);
}

bool CLPCClient::boOnReceive(const uint8_t* lpData, uint32_t dwLength)
{
    if (m_dwState != kConnected)
        return true;
    const bool wellFormed = m_stream.boFeed(lpData, dwLength,
                                            [this](const uint8_t* lpMessage, uint32_t ulSize)
                                            {
                                                // A nested receive may have found the stream broken.
                                                if (m_dwState != kConnected)
                                                    return;
                                                // Whatever a channel does must not stop the cutting.
                                                try
                                                {
                                                    vOnHubMessage(lpMessage, ulSize);
                                                }
                                                catch (...)
                                                {
                                                }
                                            });
    if (!wellFormed && m_dwState == kConnected)
    {
        // A length below 8 or above the largest message: the stream cannot
        // be followed any more, the connection is as good as lost.
        vDisconnect();
        m_stream.vReset();
        vLost(kLpcLostAborted);
    }
    return true;
}

void CLPCClient::vSetNoDelay(bool boOn)
{
    if (GetSocket() == INVALID_SOCKET || ulGetPortType() != FdNet::kPortTypeTcp)
        return;
    const BOOL value = boOn ? TRUE : FALSE;
    setsockopt(GetSocket(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&value), sizeof value);
}

void CLPCClient::vPumpMessages(bool boOwnWindowOnly)
{
    HWND hFilter = nullptr;
    if (boOwnWindowOnly)
    {
        hFilter = hGetWindow();
        if (hFilter == nullptr)
            return;
    }
    FdWin::vPumpWaiting(hFilter);
}

} // namespace OBSdkClient
