// Requests of client programs, and the routing of server messages.
#include "GuardedNotify.h"
#include "HubTrace.h"
#include "LPC.h"
#include "LPCServerClt.h"
#include "LinkwellMgr.h"
#include "MessageDump.h"
#include "ServerMessages.h"
#include "ServerRoute.h"
#include "ServerShortForms.h"
#include "ServiceMessage.h"

using namespace HubRouting;
using namespace FdNet;

void CLinkwellMgr::vSendOnCnx(const HubProto::LpcClientMessage& request)
{
    FdSystem::CAutoLock lock(&m_lock);
    const uint8_t channel = request.bChannel;
    CNetCnx* link = m_channels.lpLink(channel);
    if (link == nullptr)
    {
        HubTrace::vLog("!Warning! CLinkwellMgr::vSendOnCnx -> channel %d sans connexion : message ignoré",
                       int(channel));
        return;
    }
    switch (request.bMsgId)
    {
    case HubProto::LPC_SEND_MESSAGE:
    {
        SAppSend send;
        send.lpData = request.data.lpData;
        send.dwLength = request.data.ulSize;
        send.dwSrcId = channel;
        send.dwDstId = request.send.dwDstId;
        send.wFlags = request.send.bFlags;
        send.dwPortType = request.send.bPortType;
        send.dwTimeBeforeSend = request.send.dwTimeBeforeSend;
        send.dwRepetitions = request.send.wRepetitions;
        send.dwTimeBetween = request.send.dwTimeBetween;
        send.dwTag = request.send.dwMessageId;
        send.bChannel = channel;
        link->boSendAppMessage(send);
        return;
    }
    case HubProto::LPC_SEND_SHORT:
        link->boSendDatagram(HubProto::BuildShortDatagram(channel, request.data.lpData, request.data.ulSize));
        return;
    case HubProto::LPC_SEND_SHORT_UDP:
        link->boSendDatagram(
            HubProto::BuildShortUdpDatagram(channel, request.data.lpData, request.data.ulSize));
        return;
    default:
        return;
    }
}

void CLinkwellMgr::vAddDstId(uint32_t dwDstId, uint8_t bChannel, CLPCServerClt* lpClient)
{
    FdSystem::CAutoLock lock(&m_lock);
    if (m_channels.lpClient(bChannel) != lpClient || lpClient == nullptr)
    {
        HubTrace::vLog("!Warning! CLinkwellMgr::vAddDstId -> channel %d n'est pas à ce client : ignoré",
                       int(bChannel));
        return;
    }
    if (m_dstIds.Add(dwDstId, lpClient, bChannel) == CDstIdTable<CLPCServerClt>::EAdd::Added)
        return;
    HubTrace::vLog("ERREUR : Le DstId existe déjà");
    vGuardedNotify("Impossible de notifier La duplication de DstId",
                   [&] { lpClient->vNotifyDstIdRefused(dwDstId); });
}

void CLinkwellMgr::vBind(uint8_t bChannel, uint32_t dwDstId)
{
    FdSystem::CAutoLock lock(&m_lock);
    CNetCnx* link = m_channels.lpLink(bChannel);
    if (link == nullptr)
    {
        HubTrace::vLog("!Warning! CLinkwellMgr::vBind -> channel %d sans connexion", int(bChannel));
        return;
    }
    const std::array<uint8_t, HubProto::kBindDataLen> data = HubProto::BindData(dwDstId, bChannel);
    SAppSend bind;
    bind.lpData = data.data();
    bind.dwLength = uint32_t(data.size());
    bind.dwSrcId = HubProto::kServiceChannelId;
    bind.dwDstId = HubProto::kIdBind;
    bind.wFlags = HubProto::kFlagAckable;
    bind.dwPortType = kPortTypeUdp;
    bind.dwRepetitions = m_settings.timings.wBindSends;
    bind.dwTimeBetween = m_settings.timings.dwBindIntervalMs;
    bind.dwTag = kBindTag;
    // The timeout 'o' goes to the channel that asked, not to the service channel.
    bind.bChannel = bChannel;
    link->boSendAppMessage(bind);
}

void CLinkwellMgr::vUnbind(uint8_t bChannel)
{
    FdSystem::CAutoLock lock(&m_lock);
    CNetCnx* link = m_channels.lpLink(bChannel);
    if (link == nullptr)
    {
        HubTrace::vLog("!Warning! CLinkwellMgr::vUnbind -> channel %d sans connexion", int(bChannel));
        return;
    }
    SAppSend unbind;
    unbind.lpData = &bChannel;
    unbind.dwLength = 1;
    unbind.dwSrcId = HubProto::kServiceChannelId;
    unbind.dwDstId = HubProto::kIdUnbind;
    unbind.dwPortType = kPortTypeTcp;
    link->boSendAppMessage(unbind);
}

void CLinkwellMgr::vSetReconnParams(uint32_t dwAddress, uint16_t wPort, uint16_t wAttempts,
                                    uint32_t dwBetweenMs, uint32_t dwTimeoutMs)
{
    FdSystem::CAutoLock lock(&m_lock);
    LinkInfo* info = m_links.lpFind(dwAddress, wPort);
    if (info == nullptr)
    {
        HubTrace::vLog("!Warning! CLinkwellMgr::vSetReconnParams -> pas de connexion vers %08x:%u",
                       unsigned(dwAddress), unsigned(wPort));
        return;
    }
    info->lpLink->SetReconnParams(wAttempts, dwBetweenMs, dwTimeoutMs);
}

void CLinkwellMgr::vNotifyLPCConnectionClosed(uint8_t bChannel)
{
    FdSystem::CAutoLock lock(&m_lock);
    CNetCnx* link = m_channels.lpLink(bChannel);
    m_channels.vClearClient(bChannel);
    m_dstIds.vRemoveChannel(bChannel);
    if (link == nullptr || link->iGetState() == CNetCnx::NETCNX_RELEASING)
        return;
    // The server hears that the channel's program is gone.
    SAppSend gone;
    gone.dwSrcId = bChannel;
    gone.dwDstId = m_dwLpcdId;
    gone.dwPortType = kPortTypeTcp;
    link->boSendAppMessage(gone);
    vDisconnectChannel(bChannel, kCauseClientGone, nullptr);
    m_lpLpc->DelegateTask(CLPC::kKillUselessNetCnxes, nullptr, 0, false);
}

void CLinkwellMgr::vNotifyLPCConnectionClosed(CLPCServerClt* lpClient)
{
    FdSystem::CAutoLock lock(&m_lock);
    m_links.vForgetWaiting(lpClient);
    m_lpLpc->DelegateTask(CLPC::kKillUselessNetCnxes, nullptr, 0, false);
}

void CLinkwellMgr::vDispatchMessage(CNetCnx& link, const uint8_t* lpMessage, uint32_t ulSize)
{
    const SServerRoute route = RouteServerMessage(lpMessage, ulSize, m_dwHubId);
    const uint32_t tag = route.boPopTag ? link.iPopIdentifiedMessageId(route.dwSeqNum) : kNoTag;
    const uint8_t channel = route.bChannel;
    CLPCServerClt* client = boIsChannelOf(channel, link) ? m_channels.lpClient(channel) : nullptr;
    switch (route.eRoute)
    {
    case ERoute::Drop:
        HubTrace::vLog("!Warning! CLinkwellMgr::vDispatchMessage -> message de %u octets ignoré",
                       unsigned(ulSize));
        return;
    case ERoute::ChannelAck:
        if (client == nullptr)
        {
            HubTrace::vLog(
                "!Warning! CLinkwellMgr::vDispatchMessage -> acquittement pour le channel %d ignoré",
                int(channel));
            return;
        }
        vGuardedNotify("Impossible de notifier l'arrivée de l'acquittement de l'AckableSend effectué",
                       [&] { client->vNotifyTag(HubProto::LPC_RESPONSE_ACK, channel, tag); });
        return;
    case ERoute::Service:
        vOnServiceMessage(link, route.data.lpData, route.data.ulSize);
        return;
    case ERoute::Channel:
        if (client != nullptr)
        {
            const uint32_t id = route.boShort ? kNoTag : tag;
            vGuardedNotify("Impossible de notifier l'arrivée d'un message", [&]
                           { client->vNotifyMessage(channel, id, route.data.lpData, route.data.ulSize); });
            return;
        }
        if (route.boShort)
        {
            // Only a channel of the link that the datagram came on.
            HubTrace::vLog(
                "!Warning! CLinkwellMgr::vDispatchMessage -> message court pour le channel %d ignoré",
                int(channel));
            return;
        }
        vDeliverToDstId(route.dwDstId, tag, lpMessage, ulSize, route.data);
        return;
    case ERoute::ByDstId:
        vDeliverToDstId(route.dwDstId, tag, lpMessage, ulSize, route.data);
        return;
    }
}

void CLinkwellMgr::vDeliverToDstId(uint32_t dwDstId, uint32_t dwTag, const uint8_t* lpMessage,
                                   uint32_t ulSize, const HubProto::ByteSpan& data)
{
    CLPCServerClt* client = nullptr;
    uint8_t channel = 0;
    if (!m_dstIds.boFind(dwDstId, client, channel) || client == nullptr)
    {
        HubTrace::vLog("Destinataire introuvable : Message perdu -> %s",
                       LostMessageWords(lpMessage, ulSize).c_str());
        return;
    }
    vGuardedNotify("Impossible de notifier l'arrivée d'un message",
                   [&] { client->vNotifyMessageDstId(channel, dwDstId, dwTag, data.lpData, data.ulSize); });
}

void CLinkwellMgr::vOnServiceMessage(CNetCnx& link, const uint8_t* lpData, uint32_t ulSize)
{
    HubProto::ServiceMessage service;
    const HubProto::ServiceStatus status = HubProto::DecodeServiceMessage(lpData, ulSize, service);
    if (status != HubProto::ServiceStatus::Ok)
    {
        HubTrace::vLog("!Warning! CLinkwellMgr::vOnServiceMessage -> message de service illisible (%d)",
                       int(status));
        return;
    }
    auto text = [](const HubProto::ByteSpan& s)
    { return s.ulSize ? std::string(reinterpret_cast<const char*>(s.lpData), s.ulSize) : std::string(); };
    HubTrace::vLog("CLinkwellMgr::vOnServiceMessage %s", text(service.command).c_str());
    switch (service.eCommand)
    {
    case HubProto::ServiceCommand::Send:
    {
        SPageJob job;
        job.url = text(service.turl);
        job.frame = text(service.bfrm);
        m_host.vPostPageJob(job);
        return;
    }
    case HubProto::ServiceCommand::Bind:
    case HubProto::ServiceCommand::Bing:
    {
        const uint8_t channel = service.bChannel;
        CLPCServerClt* client = boIsChannelOf(channel, link) ? m_channels.lpClient(channel) : nullptr;
        if (client == nullptr)
        {
            HubTrace::vLog("!Warning! CLinkwellMgr::vOnServiceMessage -> channel %d inconnu", int(channel));
            return;
        }
        const uint8_t letter = service.eCommand == HubProto::ServiceCommand::Bind
                                   ? HubProto::LPC_BIND_RECEIVED
                                   : HubProto::LPC_BING_RECEIVED;
        vGuardedNotify("Impossible de notifier le bind", [&] { client->vNotifyChannel(letter, channel); });
        return;
    }
    case HubProto::ServiceCommand::AftL:
    {
        SAppSend kaka;
        kaka.dwSrcId = m_dwHubId;
        kaka.dwDstId = HubProto::kIdKeepAlive;
        kaka.wFlags = HubProto::kFlagsKeepAlive;
        kaka.dwPortType = kPortTypeTcp;
        link.boSendAppMessage(kaka);
        return;
    }
    case HubProto::ServiceCommand::Clos:
        HubTrace::vLog("CLOS reçu du serveur : fin du Linkwell");
        m_host.vQuit();
        return;
    case HubProto::ServiceCommand::Other:
        return;
    }
}
