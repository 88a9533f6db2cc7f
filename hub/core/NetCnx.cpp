#include "NetCnx.h"

#include "HubTrace.h"
#include "INetCnxOwner.h"
#include "LPC.h"
#include "NetCnxListTTL.h"
#include "PumpUntil.h"
#include "TraceScope.h"

using namespace FdNet;

namespace
{

const char* lpszStateName(int iState)
{
    static const char* const names[] = {"NETCNX_NOT_CONNECTED", "NETCNX_CONNECTING", "NETCNX_CONNECTED",
                                        "NETCNX_REGISTERING",   "NETCNX_REGISTERED", "NETCNX_RECONNECTING",
                                        "NETCNX_RELEASING"};
    return iState >= 0 && iState <= CNetCnx::NETCNX_RELEASING ? names[iState] : "?";
}

// Before registration a link's member id is 0xFFFFFFFF then zeros.
HubProto::IoMemberId UnregisteredMemberId()
{
    HubProto::IoMemberId id{};
    id[0] = id[1] = id[2] = id[3] = 0xFF;
    return id;
}

} // namespace

CNetCnx::CNetCnx(INetCnxOwner& owner, const SConfig& config)
    : m_owner(owner), m_config(config),
      m_reconnect(config.wReconnAttempts, config.dwReconnBetweenMs, config.dwReconnTimeoutMs),
      m_ioMemberId(UnregisteredMemberId())
{
    m_udp.reset(new CNetCnxClient(*this, kPortTypeUdp));
    m_tcp.reset(new CNetCnxClient(*this, kPortTypeTcp));
    m_list.reset(new CNetCnxListTTL(*this));
    if (!m_list->boStart(config.dwTickMs))
        HubTrace::vLog("!ERREUR! CNetCnx::CNetCnx -> la NetCnxListTTL ne démarre pas");
}

CNetCnx::~CNetCnx()
{
    if (!m_boClosed)
        vClose();
}

bool CNetCnx::boPrepareWindows()
{
    CLPC& lpc = m_owner.Lpc();
    for (CNetCnxClient* client : {m_udp.get(), m_tcp.get()})
        if (client->hGetWindow() == nullptr && !lpc.boCreateHiddenWindow(*client))
            return false;
    return true;
}

bool CNetCnx::boConnectToServer(uint32_t dwAddress, uint16_t wPort, uint32_t dwTimeoutMs)
{
    FdLib::CTraceScope trace(HubTrace::lpLogger());
    trace.vTrace(false, "CNetCnx::boConnectToServer() start (%p)", static_cast<void*>(this));
    trace.vTrace(true, "CNetCnx::boConnectToServer() end");
    if (iGetState() != NETCNX_NOT_CONNECTED)
        return false;
    m_dwAddress = dwAddress;
    m_wPort = wPort;
    VSetConnectionState(NETCNX_CONNECTING);
    if (!boIsRunning() && !boStart())
        HubTrace::vLog("!Warning! CNetCnx::boConnectToServer -> la NetCnx Thread ne démarre pas");
    if (!boPrepareWindows())
    {
        HubTrace::vLog("!ERREUR! CNetCnx::boConnectToServer -> fenêtres des sockets non créées");
        return false;
    }
    // Armed first: a connection that completes inside the connect call
    // replaces it with the wait for the INIT reply.
    if (!boArmConnectTimer(dwTimeoutMs))
        HubTrace::vLog("!ERREUR! CNetCnx::boConnectToServer -> timer de connexion impossible");
    if (boClientsConnect())
        return true;
    vKillConnectTimer();
    return false;
}

bool CNetCnx::boClientsConnect()
{
    if (!boPrepareWindows())
    {
        HubTrace::vLog("!ERREUR! CNetCnx::boClientsConnect -> fenêtres des sockets non créées");
        return false;
    }
    m_boProxyMode = m_config.wProxyPort != 0;
    m_boProxyTcpAnswered = m_boProxyUdpAnswered = false;
    m_boTcpConnected = m_boUdpConnected = false;
    m_boInClientsConnect = true;
    m_boImmediateFailure = false;
    bool ok = true;
    for (CNetCnxClient* client : {m_udp.get(), m_tcp.get()})
    {
        if (!ok || client->boHasSocket())
            continue;
        ok = m_boProxyMode ? client->boConnectTo(kProxyHost, m_config.wProxyPort)
                           : client->boConnectTo(m_dwAddress, m_wPort);
        if (ok && m_boProxyMode)
        {
            // '0', '2' with the server's address and port, '1': one send,
            // queued until the connection opens.
            uint8_t preamble[30] = {8, '0', 1, 0, 8, 0, 0, 0, 8, '2', 1, 0, 14, 0, 0, 0};
            HubProto::vWriteLe32(preamble + 16, m_dwAddress);
            HubProto::vWriteLe16(preamble + 20, m_wPort);
            const uint8_t last[8] = {8, '1', 1, 0, 8, 0, 0, 0};
            std::copy(last, last + 8, preamble + 22);
            client->boSendMessage(preamble, sizeof preamble, nullptr, 0);
        }
    }
    m_boInClientsConnect = false;
    return ok && !m_boImmediateFailure;
}

void CNetCnx::SetReconnParams(uint16_t wAttempts, uint32_t dwBetweenMs, uint32_t dwTimeoutMs)
{
    HubTrace::vLog("CNetCnx::SetReconnParams (%p) tentatives %u, entre %u ms, timeout %u ms",
                   static_cast<void*>(this), unsigned(wAttempts), unsigned(dwBetweenMs),
                   unsigned(dwTimeoutMs));
    m_reconnect.vSetParams(wAttempts, dwBetweenMs, dwTimeoutMs);
}

bool CNetCnx::boTryReconnect()
{
    if (!m_reconnect.boIsEnabled())
        return false;
    if (m_reconnect.boNextTry())
    {
        VSetConnectionState(NETCNX_RECONNECTING);
        m_iTimerRole = kTimerBetween;
        vKillReconnTimer();
        HubTrace::vLog("CNetCnx (%p) : lancement du timer d'attente entre tentatives",
                       static_cast<void*>(this));
        m_ulReconnTimer = m_tcp->ulSetTimer(m_reconnect.dwGetBetweenMs());
        if (m_ulReconnTimer != 0)
            return true;
        HubTrace::vLog("!ERREUR! CNetCnx::boTryReconnect -> timer impossible");
    }
    vKillReconnTimer();
    m_iTimerRole = kTimerNone;
    return false;
}

void CNetCnx::VSetConnectionState(int iState)
{
    const int old = m_iState.exchange(iState);
    HubTrace::vLog("CNetCnx::VSetConnectionState (%p) %s -> %s", static_cast<void*>(this), lpszStateName(old),
                   lpszStateName(iState));
    // Only real changes count: a link that tries again stays in
    // NETCNX_RECONNECTING and its list must be suspended once.
    if (old == iState)
        return;
    if (old == NETCNX_REGISTERED)
        m_owner.vOnRegisteredChange(false);
    if (iState == NETCNX_REGISTERED)
        m_owner.vOnRegisteredChange(true);
    if (iState == NETCNX_RECONNECTING)
    {
        HubTrace::vLog("Mise en veille de la NetCnxListTTL");
        m_list->lSuspend(true);
    }
    if (old == NETCNX_RECONNECTING)
    {
        HubTrace::vLog("Sortie de veille de la NetCnxListTTL");
        m_list->lSuspend(false);
    }
    if (iState == NETCNX_RELEASING)
        m_boPageJobWaiting = false;
}

bool CNetCnx::boArmConnectTimer(uint32_t dwMs)
{
    vKillConnectTimer();
    m_ulConnectTimer = m_tcp->ulSetTimer(dwMs);
    return m_ulConnectTimer != 0;
}

void CNetCnx::vKillConnectTimer()
{
    if (m_ulConnectTimer != 0)
        m_tcp->boKillTimer(m_ulConnectTimer);
    m_ulConnectTimer = 0;
}

void CNetCnx::vKillReconnTimer()
{
    if (m_ulReconnTimer != 0)
        m_tcp->boKillTimer(m_ulReconnTimer);
    m_ulReconnTimer = 0;
}

void CNetCnx::vDisconnectClients()
{
    m_udp->vDisconnectLink();
    m_tcp->vDisconnectLink();
    m_boTcpConnected = m_boUdpConnected = false;
}

void CNetCnx::vDisConnectFromServer()
{
    vStop(true);
    m_udp->vCloseLink();
    m_tcp->vCloseLink();
    m_ulConnectTimer = m_ulReconnTimer = 0;
}

void CNetCnx::vClose()
{
    FdLib::CTraceScope trace(HubTrace::lpLogger());
    trace.vTrace(false, "CNetCnx::vClose() start (%p)", static_cast<void*>(this));
    trace.vTrace(true, "CNetCnx::vClose() end");
    if (m_boClosed)
        return;
    m_boClosed = true;
    if (iGetState() != NETCNX_RELEASING)
        VSetConnectionState(NETCNX_NOT_CONNECTED);
    // Never under the hub lock: a tick may be waiting for it.
    m_list->lSuspend(true);
    m_list->vStopTicks();
    {
        FdSystem::CAutoLock lock(&m_messageLock);
        m_messages.clear();
        m_wPendingCount = 0;
        m_expired.clear();
    }
    vDisConnectFromServer();
    HubTrace::vLog("Disconnected from server");
}

void CNetCnx::vSetIoMemberId(const HubProto::IoMemberId& id)
{
    FdSystem::CAutoLock lock(&m_messageLock);
    m_ioMemberId = id;
}

HubProto::IoMemberId CNetCnx::GetIoMemberId()
{
    FdSystem::CAutoLock lock(&m_messageLock);
    return m_ioMemberId;
}

void CNetCnx::vSetPendingJob(const HubRouting::SPageJob& job)
{
    m_pendingJob = job;
    m_boHasPendingJob = true;
    m_boPageJobWaiting = true;
}

bool CNetCnx::boTakePendingJob(HubRouting::SPageJob& job)
{
    if (!m_boHasPendingJob)
        return false;
    job = m_pendingJob;
    m_boHasPendingJob = false;
    return true;
}

size_t CNetCnx::ulGetPendingMessages()
{
    FdSystem::CAutoLock lock(&m_messageLock);
    return m_messages.size();
}

DWORD CNetCnx::dwThread()
{
    HubTrace::vNameThread("NetCnx Thread");
    for (;;)
    {
        FdWin::vPumpWaiting();
        HANDLE stop = hGetStopEvent();
        const DWORD r = MsgWaitForMultipleObjects(1, &stop, FALSE, kThreadWaitMs, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0 || r == WAIT_FAILED)
            return 0;
    }
}
