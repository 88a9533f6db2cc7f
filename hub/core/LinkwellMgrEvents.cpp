// Events of the server links: connection, registration, failures, expiries.
#include "GuardedNotify.h"
#include "HubTrace.h"
#include "LPC.h"
#include "LPCServerClt.h"
#include "LinkwellMgr.h"
#include "NetCnxCodes.h"
#include "ServerMessages.h"
#include "TraceScope.h"

using namespace HubRouting;
using namespace FdNet;

void CLinkwellMgr::vCallbackNetEvent(CNetCnx& link, uint32_t dwCode)
{
    FdSystem::CAutoLock lock(&m_lock);
    const int state = link.iGetState();
    switch (dwCode)
    {
    case NETASYNC_CNX_CONNECTED:
        if (state == CNetCnx::NETCNX_CONNECTING || state == CNetCnx::NETCNX_RECONNECTING)
            vOnConnected(link);
        return;
    case NETASYNC_CNX_CLOSED:
        vReleaseNetCnx(&link, kCauseClosed);
        return;
    case NETASYNC_CNX_ABORTED:
        vReleaseNetCnx(&link, kCauseAborted);
        return;
    case NETASYNC_CNX_FAILED:
        if (state == CNetCnx::NETCNX_CONNECTING)
            vOnConnectFailed(link);
        else if (state == CNetCnx::NETCNX_RECONNECTING)
            vOnReconnectFailed(link);
        return;
    case NETCNXCLIENT_NOTIF_CONNECTTIMEOUT:
        vOnConnectTimeout(link);
        return;
    case NETCNX_NOTIF_RECONNECTFAILED:
        vOnReconnectFailed(link);
        return;
    default:
        return;
    }
}

void CLinkwellMgr::vOnConnected(CNetCnx& link)
{
    link.VSetConnectionState(CNetCnx::NETCNX_CONNECTED);
    if (!m_boLpcdCaptured)
    {
        m_dwLpcdId = m_dwPageLpcdId;
        m_boLpcdCaptured = true;
    }
    HubTrace::vLog("CNX_CONNECTED - Pseudo = %s  pour %p", m_pseudo.c_str(), static_cast<void*>(&link));
    link.boArmConnectTimer(m_settings.timings.dwInitReplyMs);
    vSendInit(link);
    link.VSetConnectionState(CNetCnx::NETCNX_REGISTERING);
}

void CLinkwellMgr::vSendInit(CNetCnx& link)
{
    SAppSend init;
    init.lpData = reinterpret_cast<const uint8_t*>(m_pseudo.data());
    init.dwLength = uint32_t(m_pseudo.size());
    init.dwSrcId = m_dwHubId;
    init.dwDstId = HubProto::kIdInit;
    init.wFlags = HubProto::kFlagsInit;
    init.dwPortType = kPortTypeTcp;
    link.boSendAppMessage(init);
}

void CLinkwellMgr::vOnConnectFailed(CNetCnx& link)
{
    HubTrace::vLog("Connection failed");
    vPostErrorJobFor(link, kErrConnectFailed);
    vReleaseNetCnx(&link, kCauseFailed);
}

void CLinkwellMgr::vOnReconnectFailed(CNetCnx& link)
{
    HubTrace::vLog("Reconnection failed");
    if (link.boTryReconnect())
        return;
    vPostErrorJobFor(link, kErrReconnectFailed);
    vReleaseNetCnx(&link, kCauseLost);
}

void CLinkwellMgr::vOnConnectTimeout(CNetCnx& link)
{
    const int state = link.iGetState();
    if (state == CNetCnx::NETCNX_CONNECTING)
        vPostErrorJobFor(link, kErrConnectTimeout);
    else if (state == CNetCnx::NETCNX_REGISTERING)
        vPostErrorJobFor(link, kErrNoInitReply);
    // After a reconnection the channels are told that the link is lost.
    vReleaseNetCnx(&link, link.boIsReregistering() ? kCauseLost : kCauseFailed);
}

void CLinkwellMgr::vOnServerMessage(CNetCnx& link, const uint8_t* lpMessage, uint32_t ulSize)
{
    FdSystem::CAutoLock lock(&m_lock);
    switch (link.iGetState())
    {
    case CNetCnx::NETCNX_REGISTERING:
        vRegisterConnection(link, lpMessage, ulSize);
        return;
    case CNetCnx::NETCNX_REGISTERED:
        vDispatchMessage(link, lpMessage, ulSize);
        return;
    default:
        HubTrace::vLog(
            "!Warning! CLinkwellMgr::vOnServerMessage -> message de %u octets hors connexion ignoré",
            unsigned(ulSize));
        return;
    }
}

void CLinkwellMgr::vRegisterConnection(CNetCnx& link, const uint8_t* lpMessage, uint32_t ulSize)
{
    FdLib::CTraceScope trace(HubTrace::lpLogger());
    trace.vTrace(false, "CLinkwellMgr::vRegisterConnection() start (%p)", static_cast<void*>(&link));
    trace.vTrace(true, "CLinkwellMgr::vRegisterConnection() end");
    if (ulSize < HubProto::kServerHeaderLen)
    {
        HubTrace::vLog("!Warning! CLinkwellMgr::vRegisterConnection -> message de %u octets ignoré",
                       unsigned(ulSize));
        return;
    }
    const HubProto::SERVER_HEADER reply = HubProto::ReadServerHeader(lpMessage);
    if (!HubProto::boIsInitReplyAccepted(reply, m_dwHubId))
    {
        HubTrace::vLog("!ERREUR! CLinkwellMgr::vRegisterConnection -> réponse à INIT refusée");
        vReleaseNetCnx(&link, link.boIsReregistering() ? kCauseLost : kCauseFailed);
        return;
    }
    link.VSetConnectionState(CNetCnx::NETCNX_REGISTERED);
    link.vKillConnectTimer();
    link.vSetIoMemberId(reply.IOMemberId);
    link.vStartKeepAlives(m_dwHubId, m_dwKeepAliveUdpMs, m_dwKeepAliveTcpMs);
    if (link.boPageJobWaiting())
    {
        if (!m_startupMessage.empty())
        {
            SAppSend message;
            message.lpData = reinterpret_cast<const uint8_t*>(m_startupMessage.data());
            message.dwLength = uint32_t(m_startupMessage.size());
            message.dwSrcId = m_dwHubId;
            message.dwDstId = m_dwStartupDstId;
            message.dwPortType = kPortTypeTcp;
            link.boSendAppMessage(message);
        }
        SPageJob job;
        if (link.boTakePendingJob(job))
            m_host.vPostPageJob(job);
    }
    if (LinkInfo* info = m_links.lpFindByLink(&link))
    {
        for (uint8_t channel : info->channels)
            if (CLPCServerClt* client = m_channels.lpClient(channel))
                vGuardedNotify("Impossible de notifier la réussite de la reconnection",
                               [&] { client->vNotifyChannel(HubProto::LPC_CNX_RECONNECTED, channel); });
        std::vector<CLPCServerClt*> waiting;
        waiting.swap(info->waiting);
        for (CLPCServerClt* client : waiting)
            vOpenChannel(*info, client, "Impossible de notifier la réussite de la connexion");
    }
    link.vClearReregistering();
}

void CLinkwellMgr::vNotifyTimeoutOnAckableMessage(CNetCnx& link, uint8_t bChannel, uint32_t dwTag)
{
    FdSystem::CAutoLock lock(&m_lock);
    CLPCServerClt* client = m_channels.lpClient(bChannel);
    if (!boIsChannelOf(bChannel, link) || client == nullptr)
    {
        HubTrace::vLog("!Warning! CLinkwellMgr::vNotifyTimeoutOnAckableMessage -> channel %d fermé",
                       int(bChannel));
        return;
    }
    vGuardedNotify("Impossible de notifier le client de l'expiration du timer sur les Bind ou les messages "
                   "acquittables",
                   [&]
                   {
                       if (dwTag == kBindTag)
                           client->vNotifyChannel(HubProto::LPC_BIND_TIMEOUT, bChannel);
                       else
                           client->vNotifyTag(HubProto::LPC_ACKABLE_TIMEOUT, bChannel, dwTag);
                   });
}

void CLinkwellMgr::vNotifyTimeoutOnIdentifiedResponse(CNetCnx& link, uint8_t bChannel, uint32_t dwTag)
{
    FdSystem::CAutoLock lock(&m_lock);
    CLPCServerClt* client = m_channels.lpClient(bChannel);
    if (!boIsChannelOf(bChannel, link) || client == nullptr)
    {
        HubTrace::vLog("!Warning! CLinkwellMgr::vNotifyTimeoutOnIdentifiedResponse -> channel %d fermé",
                       int(bChannel));
        return;
    }
    vGuardedNotify("Impossible de notifier le client de l'expiration du timer sur les messages identifiés",
                   [&] { client->vNotifyTag(HubProto::LPC_IDENTIFIED_TIMEOUT, bChannel, dwTag); });
}

bool CLinkwellMgr::boIsChannelOf(uint8_t bChannel, const CNetCnx& link) const
{
    return m_channels.lpLink(bChannel) == &link;
}
