#include "ServerLink.h"

#include "ChannelConfig.h"
#include "ExceptionBase.h"
#include "LPCManagedClient.h"
#include "LudexChannel.h"
#include "ServerLinkMessages.h"
#include "WireBytes.h"

#include <cstdlib>

constexpr char CServerLink::kExtraDstId[];

CServerLink::CServerLink() = default;

CServerLink::~CServerLink() = default;

int32_t CServerLink::Open(const std::string& address, const std::string& port, const std::string& msgd)
{
    if (address.empty() || port.empty() || msgd.size() < LudexLink::kPlaceholderLength)
        return 0;
    const char dstId[5] = {msgd[0], msgd[1], msgd[2], msgd[3], '\0'};
    // The record keeps the first 128 characters of the address.
    const OBSdkClient::CHostRecord server(address.c_str(), static_cast<uint16_t>(std::atoi(port.c_str())));
    const OBSdkClient::CChannelConfig config(HubProto::dwIdFromText(dstId), 0,
                                             OBSdkClient::CChannelConfig::kTimeNotSet,
                                             OBSdkClient::CChannelConfig::kTimeNotSet, 0);
    try
    {
        m_channel.reset(new CLudexChannel(server, config));
    }
    catch (const FdBase::CExceptionBase&)
    {
        return 0;
    }
    m_channel->m_pLink = this;
    m_channel->m_dwConnected = 1;
    try
    {
        if (OBSdkClient::CLPCManagedClient* client = m_channel->lpGetClient())
            client->boAddDstId(m_channel->bGetChannelId(), HubProto::dwIdFromText(kExtraDstId));
    }
    catch (const FdBase::CExceptionBase&)
    {
        // The channel stands; only the extra DstId is missing.
    }
    return 1;
}

bool CServerLink::IsConnected() const
{
    return m_channel && m_channel->m_dwConnected != 0;
}

bool CServerLink::Send(const char* data, size_t length)
{
    if (!m_channel || length > UINT32_MAX)
        return false;
    try
    {
        return m_channel->boSend(data, static_cast<uint32_t>(length), OBSdkClient::CChannelBase::kNoMessageId,
                                 0, 0, 0, 0, false);
    }
    catch (const FdBase::CExceptionBase&)
    {
        return false;
    }
}

void CServerLink::OnLinkLost()
{
    if (m_pSink)
        m_pSink->OnLinkLost();
}

void CServerLink::OnServerMessage(const std::string& text)
{
    if (m_pSink)
        m_pSink->OnServerCommand(text);
}
