#include "ChannelBase.h"

#include "ChannelException.h"
#include "LPCManagedClient.h"
#include "OBSdkClient.h"

namespace OBSdkClient
{

namespace
{

const char kSourceFile[] = "ChannelBase";
const char kConstructor[] = "CChannelBase::CChannelBase";
const char kChangeConfiguration[] = "CChannelBase::vChangeConfiguration";

} // namespace

CChannelBase::CChannelBase(const CHostRecord& server, const CChannelConfig& config)
{
    vReset();
    CLPCManagedClient* lpClient = CLPCManagedClient::lpGetClient(GetDefaultHub());
    m_boOwnWindowOnly = config.boOwnWindowOnly();
    m_lpClient = lpClient;

    const CHostRecord target = server;
    if (!lpClient->boOpenChannel(target, this, &m_bChannel, m_boOwnWindowOnly))
    {
        vReset();
        vThrowChannel(ServerCnx_CantConnect, kConstructor, kSourceFile, __LINE__);
    }
    // From here the channel holds a slot and a channel of the hub: a failure
    // gives both back, so that no dead object stays in the slot table.
    try
    {
        if (config.boSetsReconnParams() &&
            !lpClient->boSetReconnParams(target, uint16_t(config.dwReconnAttempts), config.dwReconnTime,
                                         config.dwReconnTimeout))
            vThrowChannel(Channel_CantSetAutoCnxParamters, kConstructor, kSourceFile, __LINE__);
    }
    catch (...)
    {
        try
        {
            lpClient->vDisconnectChannel(m_bChannel);
        }
        catch (...)
        {
        }
        vReset();
        throw;
    }
    if (config.boHasDstId())
        m_dwDstId = config.dwDstId;
    m_dwState = kOpen;
    lpClient->vSetNoDelay(true);
}

CChannelBase::~CChannelBase()
{
    if (m_dwState == kOpen && m_lpClient != nullptr)
    {
        // A destructor lets nothing out: a failing send only loses the notice.
        try
        {
            if (m_boBound)
                m_lpClient->boUnbind(m_bChannel);
            m_lpClient->vDisconnectChannel(m_bChannel);
        }
        catch (...)
        {
        }
    }
    vReset();
}

void CChannelBase::vReset()
{
    m_bChannel = kNoChannel;
    m_lpClient = nullptr;
    m_dwState = kClosed;
    m_boBound = false;
}

void CChannelBase::OnLPCLost(uint32_t)
{
    vReset();
    OnEvent(kEventHubLost, 0);
}

void CChannelBase::OnChannelClosed()
{
    vReset();
    OnEvent(kEventChannelClosed, 0);
}

void CChannelBase::OnReconnected()
{
    boSetDstId(m_dwDstId);
    OnEvent(kEventReconnected, 0);
}

void CChannelBase::OnResponseTimeout(uint32_t dwTag)
{
    OnEvent(kEventResponseTimeout, dwTag);
}

void CChannelBase::vOnClientGone()
{
    vReset();
}

bool CChannelBase::boSetDstId(uint32_t dwDstId)
{
    m_dwDstId = dwDstId;
    return true;
}

void CChannelBase::vChangeConfiguration(const CChannelConfig& config)
{
    if (config.boSetsReconnParams())
        vThrowChannel(Channel_AutoCnxParametersChangeNotAllowed, kChangeConfiguration, kSourceFile, __LINE__);
    if (config.boHasDstId() && !boSetDstId(config.dwDstId))
        vThrowChannel(Channel_CantChangeDestId, kChangeConfiguration, kSourceFile, __LINE__);
}

bool CChannelBase::boSend(const void* lpData, uint32_t dwLength, uint32_t dwMessageId,
                          uint32_t dwTimeBeforeSend, uint16_t wRepetitions, uint32_t dwTimeBetween,
                          uint8_t bFlags, bool boUdp)
{
    if (m_dwState != kOpen || m_lpClient == nullptr || m_bChannel >= kNoChannel)
        return false;
    // Or-ed, not added: a caller's flags that already mark it must stay as they are.
    const uint8_t flags = dwMessageId != kNoMessageId ? uint8_t(bFlags | kFlagIdentified) : bFlags;
    return m_lpClient->boSendOnChannel(m_bChannel, lpData, dwLength, m_dwDstId, dwTimeBeforeSend,
                                       wRepetitions, dwTimeBetween, flags, boUdp, dwMessageId);
}

} // namespace OBSdkClient
