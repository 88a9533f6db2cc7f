#include "NetCnxClient.h"

#include "DatagramCutter.h"
#include "HubSettings.h"
#include "HubTrace.h"
#include "NetAsyncException.h"
#include "NetCnx.h"
#include "NetCnxCodes.h"
#include "NetSendBatch.h"

using namespace FdNet;

CNetCnxClient::CHoldScope::CHoldScope(CNetCnxClient& client, std::vector<SHeld>* lpCollect)
    : m_client(client), m_lock(&client.m_socketLock), m_dwPreviousHolder(client.m_dwHolder.load()),
      m_lpPreviousCollect(client.m_lpCollect)
{
    client.m_dwHolder = GetCurrentThreadId();
    client.m_lpCollect = lpCollect;
}

CNetCnxClient::CHoldScope::~CHoldScope()
{
    m_client.m_lpCollect = m_lpPreviousCollect;
    m_client.m_dwHolder = m_dwPreviousHolder;
}

CNetCnxClient::CNetCnxClient(CNetCnx& owner, uint32_t dwPortType)
    : m_owner(owner), m_dwKind(dwPortType), m_cutter(HubProto::kServerFrameLimits)
{
    vSetNotifyCallback(&CNetCnxClient::vEventThunk, this);
}

CNetCnxClient::~CNetCnxClient()
{
    vCloseLink();
}

HINSTANCE CNetCnxClient::hGetModuleInstance()
{
    return GetModuleHandleA(nullptr);
}

void CNetCnxClient::vEventThunk(uint32_t dwCode, const NETASYNC_NOTIFY_INFO* lpInfo)
{
    CNetCnxClient* self = static_cast<CNetCnxClient*>(lpInfo->lpContext);
    UINT_PTR timer = lpInfo->ulTimerId;
    if (dwCode == NETASYNC_CNX_TIMER && timer == kDeferredEventId)
    {
        dwCode = self->m_dwDeferredCode.exchange(0);
        if (dwCode == 0)
            return;
        timer = 0;
    }
    else if (self->m_dwHolder.load() == GetCurrentThreadId())
    {
        if (self->m_lpCollect != nullptr)
        {
            self->m_lpCollect->push_back(SHeld{dwCode, timer, {}});
            return;
        }
        // Raised by a send, maybe under the link's message lock: the link
        // hears of it on the window's thread.
        self->m_dwDeferredCode = dwCode;
        if (self->hGetWindow() != nullptr)
            PostMessageA(self->hGetWindow(), WM_TIMER, kDeferredEventId, 0);
        return;
    }
    self->m_owner.vOnClientEvent(*self, dwCode, timer);
}

void CNetCnxClient::vDeliver(std::vector<SHeld>& held)
{
    for (SHeld& h : held)
    {
        if (h.dwCode == NETCNXCLIENT_NOTIF_MESSAGE)
        {
            HubTrace::vDump(HubRouting::kLogServerReceived, "Message reçu du serveur", h.message.data(),
                            uint32_t(h.message.size()));
            m_owner.vOnClientMessage(*this, h.message.data(), uint32_t(h.message.size()));
        }
        else
            m_owner.vOnClientEvent(*this, h.dwCode, h.ulTimerId);
    }
}

bool CNetCnxClient::boOnSocketEvent(LPARAM lParam, SOCKET s)
{
    std::vector<SHeld> held;
    bool result;
    {
        CHoldScope scope(*this, &held);
        result = CNetClient::boOnSocketEvent(lParam, s);
    }
    // What the messages of this block send (to client programs, to the
    // server) leaves in one send per socket once they are all handled.
    FdNet::CSendBatch batch;
    vDeliver(held);
    return result;
}

bool CNetCnxClient::boOnSocketError(uint32_t dwEvent, int iError)
{
    std::vector<SHeld> held;
    bool result;
    {
        CHoldScope scope(*this, &held);
        result = CNetClient::boOnSocketError(dwEvent, iError);
    }
    vDeliver(held);
    return result;
}

void CNetCnxClient::vTakeMessage(const uint8_t* lpMessage, uint32_t ulSize)
{
    if (m_lpCollect != nullptr)
    {
        m_lpCollect->push_back(
            SHeld{NETCNXCLIENT_NOTIF_MESSAGE, 0, std::vector<uint8_t>(lpMessage, lpMessage + ulSize)});
        return;
    }
    m_owner.vOnClientMessage(*this, lpMessage, ulSize);
}

void CNetCnxClient::vCutStream(const uint8_t* lpData, uint32_t dwLength)
{
    m_cutter.vFeed(lpData, dwLength);
    for (;;)
    {
        HubProto::ByteSpan message;
        const HubProto::CStreamCutter::ECut cut = m_cutter.Next(message);
        if (cut == HubProto::CStreamCutter::ECut::NeedMore)
            return;
        if (cut == HubProto::CStreamCutter::ECut::Malformed)
        {
            HubTrace::vLog("!ERREUR! CNetCnxClient::boOnReceive -> longueur de message invalide (%u) : "
                           "fermeture de la connexion",
                           unsigned(m_cutter.ulGetBadLength()));
            m_cutter.vReset();
            vAbortConnection();
            return;
        }
        vTakeMessage(message.lpData, message.ulSize);
    }
}

void CNetCnxClient::vCutDatagram(const uint8_t* lpData, uint32_t dwLength)
{
    const HubProto::DatagramCut cut = HubProto::CutServerDatagram(lpData, dwLength);
    if (cut.eStatus != HubProto::DatagramStatus::Complete)
        HubTrace::vLog(
            "!Warning! CNetCnxClient::boOnReceive -> datagramme de %u octets incomplet ou invalide",
            unsigned(dwLength));
    for (const HubProto::ByteSpan& message : cut.messages)
        vTakeMessage(message.lpData, message.ulSize);
}

bool CNetCnxClient::boOnReceive(const uint8_t* lpData, uint32_t dwLength)
{
    if (boIsUdp())
        vCutDatagram(lpData, dwLength);
    else
        vCutStream(lpData, dwLength);
    return true;
}

bool CNetCnxClient::boFlushSend()
{
    FdSystem::CAutoLock lock(&m_socketLock);
    return CNetClient::boFlushSend();
}

bool CNetCnxClient::boReleaseSends()
{
    // Like a send: an event raised here reaches the link later.
    CHoldScope scope(*this, nullptr);
    if (CNetClient::boReleaseSends())
        return true;
    HubTrace::vLog("!ERREUR! CNetCnxClient::boReleaseSends -> envoi impossible (%d)", WSAGetLastError());
    return false;
}

bool CNetCnxClient::boConnectTo(uint32_t dwAddress, uint16_t wPort)
{
    std::vector<SHeld> held;
    bool result = false;
    {
        CHoldScope scope(*this, &held);
        m_cutter.vReset();
        try
        {
            result = boConnect(dwAddress, wPort, m_dwKind);
            if (result && !boIsUdp() && boHasSocket())
                FdNet::vSetNoDelay(GetSocket());
        }
        catch (const CNetAsyncException& e)
        {
            HubTrace::vLog("!ERREUR! CNetCnxClient::boConnectTo -> exception %u", unsigned(e.dwGetCode()));
        }
    }
    vDeliver(held);
    return result;
}

bool CNetCnxClient::boConnectTo(const char* lpszHost, uint16_t wPort)
{
    uint32_t address = 0;
    try
    {
        address = ulGetAddr(lpszHost);
    }
    catch (const CNetAsyncException&)
    {
        return false;
    }
    return address != 0 && boConnectTo(address, wPort);
}

bool CNetCnxClient::boSendMessage(const uint8_t* lpHead, uint32_t dwHeadLen, const uint8_t* lpData,
                                  uint32_t dwDataLen)
{
    CHoldScope scope(*this, nullptr);
    try
    {
        if (boSend(lpHead, dwHeadLen, lpData, dwDataLen))
            return true;
        HubTrace::vLog("!ERREUR! CNetCnxClient::boSendMessage -> envoi impossible (%d)", WSAGetLastError());
    }
    catch (const CNetAsyncException& e)
    {
        HubTrace::vLog("!ERREUR! CNetCnxClient::boSendMessage -> exception %u", unsigned(e.dwGetCode()));
    }
    return false;
}

void CNetCnxClient::vDisconnectLink()
{
    FdSystem::CAutoLock lock(&m_socketLock);
    vDisconnect();
    m_cutter.vReset();
}

void CNetCnxClient::vCloseLink()
{
    FdSystem::CAutoLock lock(&m_socketLock);
    vClose();
    m_cutter.vReset();
}
