// The manager's life, page parameters, links and channels.
#include "LinkwellMgr.h"

#include <objbase.h>

#include "GuardedNotify.h"
#include "HubTrace.h"
#include "LPC.h"
#include "LPCServerClt.h"
#include "LinkLimits.h"
#include "PumpUntil.h"
#include "TraceScope.h"

using namespace HubRouting;

CLinkwellMgr::CLinkwellMgr(IHubHost& host)
    : m_host(host), m_dwKeepAliveUdpMs(SHubTimings{}.dwKeepAliveUdpMs),
      m_dwKeepAliveTcpMs(SHubTimings{}.dwKeepAliveTcpMs)
{
}

CLinkwellMgr::~CLinkwellMgr()
{
    if (m_lpLpc != nullptr)
        vClose();
}

bool CLinkwellMgr::boInit(const SHubSettings& settings)
{
    FdLib::CTraceScope trace(HubTrace::lpLogger());
    trace.vTrace(false, "CLinkwellMgr::boInit() start");
    trace.vTrace(true, "CLinkwellMgr::boInit() end");
    {
        FdSystem::CAutoLock lock(&m_lock);
        m_settings = settings;
        m_dwHubId = settings.dwHubId;
        m_dwKeepAliveUdpMs = settings.timings.dwKeepAliveUdpMs;
        m_dwKeepAliveTcpMs = settings.timings.dwKeepAliveTcpMs;
        m_wProxyPort = settings.wProxyPort;
    }
    // Outside the lock: the LPC thread starts and may call in at once, once
    // the server is held here.
    m_lpLpc = std::make_unique<CLPC>(settings.wLpcPort, *this, settings.timings);
    m_lpLpc->vStart();
    wchar_t wide[64] = {};
    CLSID clsid;
    return MultiByteToWideChar(CP_ACP, 0, settings.loginClsid.c_str(), -1, wide, 64) != 0 &&
           SUCCEEDED(CLSIDFromString(wide, &clsid));
}

void CLinkwellMgr::vClose()
{
    FdLib::CTraceScope trace(HubTrace::lpLogger());
    trace.vTrace(false, "CLinkwellMgr::vClose() start");
    trace.vTrace(true, "CLinkwellMgr::vClose() end");
    {
        FdSystem::CAutoLock lock(&m_lock);
        vReleaseAllNetCnxes(kCauseFresh);
    }
    // The LPC server stays reachable while it stops: its thread and its
    // clients still call in.
    if (m_lpLpc != nullptr)
        m_lpLpc->vShutdown();
    m_lpLpc.reset();
    HubTrace::vLog("LPC deleted");
}

void CLinkwellMgr::vSetHubId(uint32_t dwHubId)
{
    FdSystem::CAutoLock lock(&m_lock);
    m_dwHubId = dwHubId;
}

void CLinkwellMgr::vSetLpcdId(uint32_t dwLpcdId)
{
    FdSystem::CAutoLock lock(&m_lock);
    m_dwPageLpcdId = dwLpcdId;
}

void CLinkwellMgr::vSetPseudo(const std::string& pseudo)
{
    FdSystem::CAutoLock lock(&m_lock);
    m_pseudo = pseudo.substr(0, kPseudoMax);
}

void CLinkwellMgr::vSetStartupMessage(const std::string& text, uint32_t dwDstId)
{
    FdSystem::CAutoLock lock(&m_lock);
    m_startupMessage = text;
    m_dwStartupDstId = dwDstId;
}

void CLinkwellMgr::vSetKeepAliveUdp(uint32_t dwMs)
{
    FdSystem::CAutoLock lock(&m_lock);
    m_dwKeepAliveUdpMs = dwMs;
}

void CLinkwellMgr::vSetKeepAliveTcp(uint32_t dwMs)
{
    FdSystem::CAutoLock lock(&m_lock);
    m_dwKeepAliveTcpMs = dwMs;
}

void CLinkwellMgr::vSetProxyPort(uint16_t wPort)
{
    FdSystem::CAutoLock lock(&m_lock);
    if (m_settings.wProxyPort == 0)
        m_wProxyPort = wPort;
}

CNetCnx::SConfig CLinkwellMgr::LinkConfig() const
{
    CNetCnx::SConfig config;
    config.dwTickMs = m_settings.timings.dwTtlTickMs;
    config.dwIdentifiedWaitMs = m_settings.timings.dwIdentifiedWaitMs;
    config.wReconnAttempts = m_settings.timings.wReconnAttempts;
    config.dwReconnBetweenMs = m_settings.timings.dwReconnBetweenMs;
    config.dwReconnTimeoutMs = m_settings.timings.dwReconnTimeoutMs;
    config.wProxyPort = m_wProxyPort;
    return config;
}

CNetCnx* CLinkwellMgr::lpMakeLink()
{
    try
    {
        return new CNetCnx(*this, LinkConfig());
    }
    catch (const FdBase::CExceptionBase& e)
    {
        HubTrace::vLog("!ERREUR! CLinkwellMgr::lpMakeLink -> exception %u", unsigned(e.dwGetCode()));
        return nullptr;
    }
}

void CLinkwellMgr::vConnectToCnx(uint32_t dwAddress, uint16_t wPort, uint32_t dwTimeoutMs,
                                 CLPCServerClt* lpClient)
{
    FdLib::CTraceScope trace(HubTrace::lpLogger());
    trace.vTrace(false, "CLinkwellMgr::vConnectToCnx() start (%08x:%u, client %p)", unsigned(dwAddress),
                 unsigned(wPort), static_cast<void*>(lpClient));
    trace.vTrace(true, "CLinkwellMgr::vConnectToCnx() end");
    // Away from the LPC thread a new link's windows are made there first,
    // with no lock held, since that thread may be waiting for the lock.
    std::unique_ptr<CNetCnx> prepared;
    if (!m_lpLpc->boIsLpcThread())
    {
        bool known;
        {
            FdSystem::CAutoLock lock(&m_lock);
            known = m_links.lpFind(dwAddress, wPort) != nullptr;
        }
        if (!known)
        {
            prepared.reset(lpMakeLink());
            if (prepared)
                prepared->boPrepareWindows();
        }
    }
    FdSystem::CAutoLock lock(&m_lock);
    LinkInfo* info = m_links.lpFind(dwAddress, wPort);
    if (info == nullptr)
    {
        CNetCnx* link = prepared ? prepared.release() : lpMakeLink();
        if (link == nullptr)
        {
            if (lpClient != nullptr)
                vGuardedNotify("Impossible de notifier l'échec de la connexion : Exception",
                               [&] { lpClient->vNotifyConnectionFailed(dwAddress, wPort); });
            else
                vPostErrorJob(kErrConnectFailed);
            return;
        }
        LinkInfo& created = m_links.Create(dwAddress, wPort, link);
        if (lpClient != nullptr)
            created.waiting.push_back(lpClient);
        else
            link->vSetPageJobWaiting();
        if (!link->boConnectToServer(dwAddress, wPort, dwTimeoutMs))
        {
            HubTrace::vLog("Connection failed");
            vPostErrorJobFor(*link, kErrConnectFailed);
            vReleaseNetCnx(link, kCauseFailed);
        }
        return;
    }
    if (prepared)
        m_lpLpc->DelegateTask(CLPC::kKillNetCnx, prepared.release(), 0, false);
    CNetCnx* link = info->lpLink;
    switch (link->iGetState())
    {
    case CNetCnx::NETCNX_CONNECTING:
    case CNetCnx::NETCNX_REGISTERING:
    case CNetCnx::NETCNX_RECONNECTING:
        if (lpClient != nullptr)
        {
            HubTrace::vLog("Elle n'est pas encore active : insertion du client dans la liste d'attente");
            info->waiting.push_back(lpClient);
        }
        return;
    case CNetCnx::NETCNX_CONNECTED:
    case CNetCnx::NETCNX_REGISTERED:
        if (lpClient == nullptr)
            link->vSetPageJobWaiting();
        else
            vOpenChannel(*info, lpClient, "Impossible de notifier la réussite de la connexion : Exception");
        return;
    case CNetCnx::NETCNX_RELEASING:
        if (lpClient == nullptr)
            vPostErrorJob(kErrConnectFailed);
        else
            vGuardedNotify("Impossible de notifier l'échec de la connexion : Exception",
                           [&] { lpClient->vNotifyConnectionFailed(dwAddress, wPort); });
        return;
    default:
        HubTrace::vLog("CLinkwellMgr::vConnectToCnx -> connexion %p non connectée", static_cast<void*>(link));
        return;
    }
}

void CLinkwellMgr::vOpenChannel(LinkInfo& info, CLPCServerClt* lpClient, const char* lpszFailureText)
{
    uint8_t channel = 0;
    if (!m_channels.boAllocate(info.lpLink, lpClient, channel))
    {
        HubTrace::vLog("!ERREUR! CLinkwellMgr::vOpenChannel -> plus aucun channel libre");
        vGuardedNotify("Impossible de notifier l'échec de la connexion : Exception",
                       [&] { lpClient->vNotifyConnectionFailed(info.dwAddress, info.wPort); });
        return;
    }
    HubTrace::vLog("Attribution d'un nouveau channel (%d) sur une connexion existante ", int(channel));
    info.channels.push_back(channel);
    const HubProto::LpcSizeLimits limits = LimitsFromMaxDatagram(info.lpLink->ulGetUdpMaxMsgSize());
    vGuardedNotify(lpszFailureText, [&]
                   { lpClient->vNotifyConnectionSucceeded(channel, info.dwAddress, info.wPort, limits); });
}

void CLinkwellMgr::vDisconnectChannel(uint8_t bChannel, int iCause)
{
    FdSystem::CAutoLock lock(&m_lock);
    vDisconnectChannel(bChannel, iCause, nullptr);
}

void CLinkwellMgr::vDisconnectChannel(uint8_t bChannel, int iCause, LinkInfo* lpInfo)
{
    CNetCnx* link = m_channels.lpLink(bChannel);
    CLPCServerClt* client = m_channels.lpClient(bChannel);
    if (link == nullptr)
    {
        HubTrace::vLog("!Warning! CLinkwellMgr::vDisconnectChannel -> channel %d inconnu", int(bChannel));
        return;
    }
    HubTrace::vLog("CLinkwellMgr::vDisconnectChannel channel %d cause %d", int(bChannel), iCause);
    const uint8_t letter = bCauseLetter(iCause);
    if (client != nullptr)
    {
        if (letter != 0)
            vGuardedNotify("Impossible de notifier la fermeture de la connexion : Exception",
                           [&] { client->vNotifyChannel(letter, bChannel); });
        client->vRemoveChannelRef(bChannel);
    }
    m_channels.vFree(bChannel);
    // A closed channel keeps no destination id: its id may go to another program.
    m_dstIds.vRemoveChannel(bChannel);
    if (lpInfo == nullptr)
        lpInfo = m_links.lpFindByLink(link);
    if (lpInfo != nullptr)
        LinkTable::vRemoveChannel(*lpInfo, bChannel);
}

void CLinkwellMgr::vReleaseNetCnx(CNetCnx* lpLink, int iCause)
{
    FdSystem::CAutoLock lock(&m_lock);
    const int state = lpLink->iGetState();
    if (state == CNetCnx::NETCNX_NOT_CONNECTED || state == CNetCnx::NETCNX_RELEASING)
        return;
    FdLib::CTraceScope trace(HubTrace::lpLogger());
    trace.vTrace(false, "CLinkwellMgr::vReleaseNetCnx() start (%p, cause %d)", static_cast<void*>(lpLink),
                 iCause);
    trace.vTrace(true, "CLinkwellMgr::vReleaseNetCnx() end");
    LinkInfo info;
    const bool listed = m_links.boTake(lpLink, info);
    lpLink->VSetConnectionState(CNetCnx::NETCNX_RELEASING);
    if (listed)
    {
        const std::vector<uint8_t> channels = info.channels;
        for (uint8_t channel : channels)
            vDisconnectChannel(channel, iCause, &info);
        for (CLPCServerClt* client : info.waiting)
            vGuardedNotify("Impossible de notifier l'échec de la connexion",
                           [&] { client->vNotifyConnectionFailed(info.dwAddress, info.wPort); });
    }
    m_lpLpc->DelegateTask(CLPC::kKillNetCnx, lpLink, 0, false);
}

void CLinkwellMgr::vReleaseAllNetCnxes(int iCause)
{
    FdSystem::CAutoLock lock(&m_lock);
    for (CNetCnx* link : m_links.Links())
        vReleaseNetCnx(link, iCause);
}

void CLinkwellMgr::vReleaseNetCnxTo(uint32_t dwAddress, uint16_t wPort, int iCause)
{
    FdSystem::CAutoLock lock(&m_lock);
    if (LinkInfo* info = m_links.lpFind(dwAddress, wPort))
        vReleaseNetCnx(info->lpLink, iCause);
}

void CLinkwellMgr::vRemoveUselessNetCnxes()
{
    FdSystem::CAutoLock lock(&m_lock);
    HubTrace::vLog("Destruction rituelle des NetCnx inutiles");
    for (CNetCnx* link : m_links.Links())
    {
        LinkInfo* info = m_links.lpFindByLink(link);
        if (link->iGetState() == CNetCnx::NETCNX_CONNECTING || !info->channels.empty() ||
            !info->waiting.empty() || link->boPageJobWaiting())
            continue;
        LinkInfo gone;
        m_links.boTake(link, gone);
        m_lpLpc->DelegateTask(CLPC::kKillNetCnx, link, 0, false);
    }
}

bool CLinkwellMgr::boAddOBPPJob(const SPageJob& job, uint32_t dwAddress, uint16_t wPort)
{
    FdSystem::CAutoLock lock(&m_lock);
    LinkInfo* info = m_links.lpFind(dwAddress, wPort);
    if (info == nullptr)
        return false;
    switch (info->lpLink->iGetState())
    {
    case CNetCnx::NETCNX_NOT_CONNECTED:
    case CNetCnx::NETCNX_CONNECTING:
    case CNetCnx::NETCNX_CONNECTED:
    case CNetCnx::NETCNX_REGISTERING:
        info->lpLink->vSetPendingJob(job);
        return true;
    case CNetCnx::NETCNX_REGISTERED:
        m_host.vPostPageJob(job);
        return true;
    default:
        return false;
    }
}

void CLinkwellMgr::vPostErrorJob(int32_t lErrorNumber)
{
    HubTrace::vLog("CLinkwellMgr::vPostErrorJob %d", int(lErrorNumber));
    m_host.vPostErrorJob(lErrorNumber);
}

void CLinkwellMgr::vPostErrorJobFor(CNetCnx& link, int32_t lErrorNumber)
{
    if (link.boPageJobWaiting())
        vPostErrorJob(lErrorNumber);
}

bool CLinkwellMgr::boSendOnLink(uint32_t dwAddress, uint16_t wPort, const SAppSend& send)
{
    FdSystem::CAutoLock lock(&m_lock);
    LinkInfo* info = m_links.lpFind(dwAddress, wPort);
    return info != nullptr && info->lpLink->boSendAppMessage(send);
}

void CLinkwellMgr::vOnRegisteredChange(bool boEntered)
{
    FdSystem::CAutoLock lock(&m_registeredLock);
    m_iRegisteredLinks += boEntered ? 1 : -1;
    if (boEntered && m_iRegisteredLinks == 1)
        m_host.vOnRegisteredLinks(true);
    else if (!boEntered && m_iRegisteredLinks == 0)
        m_host.vOnRegisteredLinks(false);
}

void CLinkwellMgr::vActiveWait(uint32_t dwMs)
{
    FdWin::vPumpFor(dwMs);
}

uint16_t CLinkwellMgr::wGetLpcPort() const
{
    return m_lpLpc ? m_lpLpc->wGetPort() : 0;
}

bool CLinkwellMgr::boIsLpcListening() const
{
    return m_lpLpc && m_lpLpc->boIsListening();
}

uint32_t CLinkwellMgr::dwGetHubId()
{
    FdSystem::CAutoLock lock(&m_lock);
    return m_dwHubId;
}

int CLinkwellMgr::iGetLinkState(uint32_t dwAddress, uint16_t wPort)
{
    FdSystem::CAutoLock lock(&m_lock);
    LinkInfo* info = m_links.lpFind(dwAddress, wPort);
    return info != nullptr ? info->lpLink->iGetState() : -1;
}

CNetCnx* CLinkwellMgr::lpGetLink(uint32_t dwAddress, uint16_t wPort)
{
    FdSystem::CAutoLock lock(&m_lock);
    LinkInfo* info = m_links.lpFind(dwAddress, wPort);
    return info != nullptr ? info->lpLink : nullptr;
}

size_t CLinkwellMgr::ulGetPendingMessages(uint32_t dwAddress, uint16_t wPort)
{
    FdSystem::CAutoLock lock(&m_lock);
    LinkInfo* info = m_links.lpFind(dwAddress, wPort);
    return info != nullptr ? info->lpLink->ulGetPendingMessages() : 0;
}

size_t CLinkwellMgr::ulGetLinkCount()
{
    FdSystem::CAutoLock lock(&m_lock);
    return m_links.ulSize();
}

uint32_t CLinkwellMgr::ulGetChannelsInUse()
{
    FdSystem::CAutoLock lock(&m_lock);
    return m_channels.ulInUse();
}
