#include "LudexChannel.h"

#include "ServerLink.h"
#include "ServerLinkMessages.h"

CLudexChannel::CLudexChannel(const OBSdkClient::CHostRecord& server,
                             const OBSdkClient::CChannelConfig& config)
    : CChannelStd(server, config)
{
}

CLudexChannel::~CLudexChannel() = default;

void CLudexChannel::OnMessage(const uint8_t* lpData, uint32_t dwLength, uint32_t)
{
    const LudexLink::SServerCommand command = LudexLink::ReadServerCommand(lpData, dwLength);
    if (command.status != LudexLink::ECommandStatus::kOk || !LudexLink::IsCommandName(command.name))
        return;
    if (m_pLink)
        m_pLink->OnServerMessage(command.value);
}

void CLudexChannel::OnEvent(int32_t iCode, uint32_t)
{
    if (iCode != kEventChannelClosed && iCode != kEventHubLost)
        return;
    const bool boWasConnected = m_dwConnected != 0;
    m_dwConnected = 0;
    if (boWasConnected && m_pLink)
        m_pLink->OnLinkLost();
}
