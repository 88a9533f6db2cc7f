#include "HubMessageReader.h"

namespace OBSdkClient
{

namespace
{

EHubAction ActionOf(uint8_t bLetter)
{
    using namespace HubProto;
    switch (bLetter)
    {
    case LPC_CONNECTION_SUCCEEDED:
        return EHubAction::OpenSucceeded;
    case LPC_CONNECTION_FAILED:
        return EHubAction::OpenFailed;
    case LPC_RECV_MESSAGE:
    case LPC_RECV_MESSAGE_DSTID:
        return EHubAction::Message;
    case LPC_CNX_CLOSED:
    case LPC_CHANNEL_CLOSED:
    case LPC_CNX_LOST:
        return EHubAction::ChannelClosed;
    case LPC_CNX_RECONNECTED:
        return EHubAction::Reconnected;
    case LPC_IDENTIFIED_TIMEOUT:
        return EHubAction::ResponseTimeout;
    case LPC_BIND_RECEIVED:
        return EHubAction::Bound;
    case LPC_BIND_TIMEOUT:
        return EHubAction::BindTimeout;
    case LPC_BING_RECEIVED:
        return EHubAction::Bing;
    default: // 'c', 'k', 'l' are known and not used by this client
        return EHubAction::Ignore;
    }
}

} // namespace

SHubAction ReadHubMessage(const uint8_t* lpMessage, uint32_t ulSize)
{
    SHubAction action;
    HubProto::LpcHubMessage m;
    switch (HubProto::DecodeLpcHubMessage(lpMessage, ulSize, m))
    {
    case HubProto::LpcDecodeStatus::UnknownLetter:
        action.bLetter = m.bMsgId;
        return action;
    case HubProto::LpcDecodeStatus::TooShort:
        action.bLetter = m.bMsgId;
        action.eAction = EHubAction::TooShort;
        return action;
    case HubProto::LpcDecodeStatus::Ok:
        break;
    }
    action.bLetter = m.bMsgId;
    action.eAction = ActionOf(m.bMsgId);
    if (action.eAction == EHubAction::Ignore)
        return action;
    action.dwServerIp = m.dwServerIp;
    action.wServerPort = m.wServerPort;
    action.bChannel = m.bChannel;
    action.boHasSizeLimits = m.boHasSizeLimits;
    action.limits = m.limits;
    action.dwMessageId = m.dwMessageId;
    action.dwTag = m.dwTag;
    action.data = m.data;
    // Every action but 'b' names a channel; 255 is no channel.
    if (action.eAction != EHubAction::OpenFailed && action.bChannel >= 255)
        action.eAction = EHubAction::Ignore;
    return action;
}

} // namespace OBSdkClient
