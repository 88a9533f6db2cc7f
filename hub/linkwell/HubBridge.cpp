#include <winsock2.h> // the hub core's headers need it before windows.h
#include "HubBridge.h"

#include "DisconnectCause.h"
#include "HubTrace.h"
#include "LinkwellMgr.h"
#include "LinkwellV2.h"
#include "NetAsyncException.h"
#include "NetClient.h"
#include "OBPPJob.h"

namespace Linkwell
{

uint32_t CMgrCore::dwResolve(const std::string& host)
{
    try
    {
        return FdNet::CNetClient::ulGetAddr(host.c_str());
    }
    catch (const FdNet::CNetAsyncException& e)
    {
        HubTrace::vLog("!ERREUR! CMgrCore::dwResolve -> %s : exception %u", host.c_str(),
                       unsigned(e.dwGetCode()));
        return 0;
    }
}

void CMgrCore::vConnect(uint32_t dwAddress, uint16_t wPort, uint32_t dwTimeoutMs)
{
    m_manager.vConnectToCnx(dwAddress, wPort, dwTimeoutMs, nullptr);
}

void CMgrCore::vReleaseLink(uint32_t dwAddress, uint16_t wPort)
{
    m_manager.vReleaseNetCnxTo(dwAddress, wPort, HubRouting::kCauseFresh);
}

bool CMgrCore::boAddPageJob(const HubRouting::SPageJob& job, uint32_t dwAddress, uint16_t wPort)
{
    return m_manager.boAddOBPPJob(job, dwAddress, wPort);
}

bool CMgrCore::boSend(uint32_t dwAddress, uint16_t wPort, const SPilotSend& send)
{
    SAppSend app;
    app.lpData = reinterpret_cast<const uint8_t*>(send.data.data());
    app.dwLength = static_cast<uint32_t>(send.data.size());
    app.dwSrcId = send.dwSrcId;
    app.dwDstId = send.dwDstId;
    app.wFlags = send.wFlags;
    app.dwPortType = send.dwPortType;
    app.dwTimeBeforeSend = send.dwTimeBeforeSend;
    app.dwRepetitions = send.dwRepetitions;
    app.dwTimeBetween = send.dwTimeBetween;
    app.boAppendIoMemberId = false;
    return m_manager.boSendOnLink(dwAddress, wPort, app);
}

void CMgrCore::vApplyPageParam(EPageKey key, const SPageParams& params)
{
    switch (key)
    {
    case EPageKey::PSDO:
        m_manager.vSetPseudo(params.pseudo);
        break;
    case EPageKey::LPCD:
        m_manager.vSetLpcdId(dwIdFromString(params.lpcdId));
        break;
    case EPageKey::MSGC:
    case EPageKey::MSGD:
        m_manager.vSetStartupMessage(params.message, dwIdFromString(params.messageDstId));
        break;
    case EPageKey::LKID:
        m_manager.vSetHubId(dwIdFromString(params.hubId));
        break;
    case EPageKey::DKAU:
        m_manager.vSetKeepAliveUdp(params.dwKeepAliveUdpMs);
        break;
    case EPageKey::DKAT:
        m_manager.vSetKeepAliveTcp(params.dwKeepAliveTcpMs);
        break;
    case EPageKey::PXPT:
        m_manager.vSetProxyPort(static_cast<uint16_t>(params.dwProxyPort));
        break;
    default:
        break;
    }
}

void CPageJobHost::vPostPageJob(const HubRouting::SPageJob& job)
{
    if (!CLinkwellV2::boNewestHasCallback())
    {
        HubTrace::vLog("!Warning! Linkwell->OBPP : pas de callback, job %s abandonné", job.url.c_str());
        return;
    }
    COBPPJob::vPostJob(COBPPJob::lpCallUrlForNewestPage(job.url, job.frame, job.lErrorNumber));
}

void CPageJobHost::vPostErrorJob(int32_t lErrorNumber)
{
    std::string url;
    std::string frame;
    if (!CLinkwellV2::boGetNewestErrorTarget(url, frame))
        return;
    COBPPJob::vPostJob(COBPPJob::lpCallUrlForNewestPage(url, frame, lErrorNumber));
}

void CPageJobHost::vQuit()
{
    m_window.vPostQuit();
}

void CPageJobHost::vOnRegisteredLinks(bool boAnyRegistered)
{
    m_window.vPostTrayState(boAnyRegistered);
}

} // namespace Linkwell
