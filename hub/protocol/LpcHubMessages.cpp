#include "LpcHubMessages.h"

#include "LpcEncode.h"
#include "LpcHeader.h"

namespace HubProto
{

namespace
{

constexpr uint32_t kOffIp = 8, kOffPort = 12;                       // a b
constexpr uint32_t kConnOffChannel = 14, kConnOffLimits = 15;       // a
constexpr uint32_t kOffChannel = 8;                                 // d f..p j
constexpr uint32_t kRefusedOffDstId = 8;                            // c
constexpr uint32_t kRecvOffMessageId = 9;                           // d
constexpr uint32_t kRecvDstOffDstId = 9, kRecvDstOffMessageId = 13; // j
constexpr uint32_t kTagOffTag = 9;                                  // k l m

std::vector<uint8_t> ChannelNotice(uint8_t letter, uint8_t channel)
{
    std::vector<uint8_t> m = LpcStartMessage(letter, 0, kLpcChannelNoticeLen, 0);
    m[kOffChannel] = channel;
    return m;
}

std::vector<uint8_t> TagNotice(uint8_t letter, uint8_t channel, uint32_t tag)
{
    std::vector<uint8_t> m = LpcStartMessage(letter, 0, kLpcTagNoticeLen, 0);
    m[kOffChannel] = channel;
    vWriteLe32(&m[kTagOffTag], tag);
    return m;
}

// Minimum length of a letter, 0 for a letter that is not known.
uint32_t MinLength(uint8_t letter, uint8_t extra)
{
    switch (letter)
    {
    case LPC_CONNECTION_SUCCEEDED:
        return extra != 0 ? kLpcConnSucceededLen : kLpcConnSucceededShortLen;
    case LPC_CONNECTION_FAILED:
        return kLpcConnFailedLen;
    case LPC_DSTID_REFUSED:
        return kLpcDstIdRefusedLen;
    case LPC_RECV_MESSAGE:
        return kLpcRecvMessageFixedLen;
    case LPC_RECV_MESSAGE_DSTID:
        return kLpcRecvMessageDstIdFixedLen;
    case LPC_CNX_CLOSED:
    case LPC_CHANNEL_CLOSED:
    case LPC_CNX_RECONNECTED:
    case LPC_CNX_LOST:
    case LPC_BIND_RECEIVED:
    case LPC_BIND_TIMEOUT:
    case LPC_BING_RECEIVED:
        return kLpcChannelNoticeLen;
    case LPC_ACKABLE_TIMEOUT:
    case LPC_RESPONSE_ACK:
    case LPC_IDENTIFIED_TIMEOUT:
        return kLpcTagNoticeLen;
    default:
        return 0;
    }
}

} // namespace

std::vector<uint8_t> EncodeLpcConnectionSucceeded(uint32_t serverIp, uint16_t serverPort, uint8_t channel,
                                                  const LpcSizeLimits& limits)
{
    std::vector<uint8_t> m =
        LpcStartMessage(LPC_CONNECTION_SUCCEEDED, kLpcExtraSizeLimits, kLpcConnSucceededLen, 0);
    vWriteLe32(&m[kOffIp], serverIp);
    vWriteLe16(&m[kOffPort], serverPort);
    m[kConnOffChannel] = channel;
    vWriteLe32(&m[kConnOffLimits], limits.dwUdpMessage);
    vWriteLe32(&m[kConnOffLimits + 4], limits.dwShort);
    vWriteLe32(&m[kConnOffLimits + 8], limits.dwShortUdp);
    return m;
}

std::vector<uint8_t> EncodeLpcConnectionFailed(uint32_t serverIp, uint16_t serverPort)
{
    std::vector<uint8_t> m = LpcStartMessage(LPC_CONNECTION_FAILED, 0, kLpcConnFailedLen, 0);
    vWriteLe32(&m[kOffIp], serverIp);
    vWriteLe16(&m[kOffPort], serverPort);
    return m;
}

std::vector<uint8_t> EncodeLpcDstIdRefused(uint32_t dstId)
{
    std::vector<uint8_t> m = LpcStartMessage(LPC_DSTID_REFUSED, 0, kLpcDstIdRefusedLen, 0);
    vWriteLe32(&m[kRefusedOffDstId], dstId);
    return m;
}

std::vector<uint8_t> EncodeLpcRecvMessageHead(uint8_t channel, uint32_t messageId, uint32_t dataLen)
{
    std::vector<uint8_t> m = LpcStartMessage(LPC_RECV_MESSAGE, 0, kLpcRecvMessageFixedLen, dataLen);
    if (m.empty())
        return m;
    m[kOffChannel] = channel;
    vWriteLe32(&m[kRecvOffMessageId], messageId);
    return m;
}

std::vector<uint8_t> EncodeLpcRecvMessage(uint8_t channel, uint32_t messageId, const uint8_t* data,
                                          uint32_t dataLen)
{
    std::vector<uint8_t> m = EncodeLpcRecvMessageHead(channel, messageId, dataLen);
    if (!m.empty())
        vAppendBytes(m, data, dataLen);
    return m;
}

std::vector<uint8_t> EncodeLpcRecvMessageDstIdHead(uint8_t channel, uint32_t dstId, uint32_t messageId,
                                                   uint32_t dataLen)
{
    std::vector<uint8_t> m =
        LpcStartMessage(LPC_RECV_MESSAGE_DSTID, 0, kLpcRecvMessageDstIdFixedLen, dataLen);
    if (m.empty())
        return m;
    m[kOffChannel] = channel;
    vWriteLe32(&m[kRecvDstOffDstId], dstId);
    vWriteLe32(&m[kRecvDstOffMessageId], messageId);
    return m;
}

std::vector<uint8_t> EncodeLpcRecvMessageDstId(uint8_t channel, uint32_t dstId, uint32_t messageId,
                                               const uint8_t* data, uint32_t dataLen)
{
    std::vector<uint8_t> m = EncodeLpcRecvMessageDstIdHead(channel, dstId, messageId, dataLen);
    if (!m.empty())
        vAppendBytes(m, data, dataLen);
    return m;
}

std::vector<uint8_t> EncodeLpcCnxClosed(uint8_t channel)
{
    return ChannelNotice(LPC_CNX_CLOSED, channel);
}

std::vector<uint8_t> EncodeLpcChannelClosed(uint8_t channel)
{
    return ChannelNotice(LPC_CHANNEL_CLOSED, channel);
}

std::vector<uint8_t> EncodeLpcCnxReconnected(uint8_t channel)
{
    return ChannelNotice(LPC_CNX_RECONNECTED, channel);
}

std::vector<uint8_t> EncodeLpcCnxLost(uint8_t channel)
{
    return ChannelNotice(LPC_CNX_LOST, channel);
}

std::vector<uint8_t> EncodeLpcBindReceived(uint8_t channel)
{
    return ChannelNotice(LPC_BIND_RECEIVED, channel);
}

std::vector<uint8_t> EncodeLpcBindTimeout(uint8_t channel)
{
    return ChannelNotice(LPC_BIND_TIMEOUT, channel);
}

std::vector<uint8_t> EncodeLpcBingReceived(uint8_t channel)
{
    return ChannelNotice(LPC_BING_RECEIVED, channel);
}

std::vector<uint8_t> EncodeLpcAckableTimeout(uint8_t channel, uint32_t tag)
{
    return TagNotice(LPC_ACKABLE_TIMEOUT, channel, tag);
}

std::vector<uint8_t> EncodeLpcResponseAck(uint8_t channel, uint32_t tag)
{
    return TagNotice(LPC_RESPONSE_ACK, channel, tag);
}

std::vector<uint8_t> EncodeLpcIdentifiedTimeout(uint8_t channel, uint32_t tag)
{
    return TagNotice(LPC_IDENTIFIED_TIMEOUT, channel, tag);
}

LpcDecodeStatus DecodeLpcHubMessage(const uint8_t* msg, uint32_t msgLen, LpcHubMessage& out)
{
    out = LpcHubMessage{};
    if (msgLen < kLpcHeaderLen)
        return LpcDecodeStatus::TooShort;
    out.bMsgId = msg[kLpcOffMsgId];
    const uint8_t extra = msg[kLpcOffExtra];
    const uint32_t minLen = MinLength(out.bMsgId, extra);
    if (minLen == 0)
        return LpcDecodeStatus::UnknownLetter;
    if (msgLen < minLen)
        return LpcDecodeStatus::TooShort;

    switch (out.bMsgId)
    {
    case LPC_CONNECTION_SUCCEEDED:
        out.dwServerIp = dwReadLe32(msg + kOffIp);
        out.wServerPort = wReadLe16(msg + kOffPort);
        out.bChannel = msg[kConnOffChannel];
        out.boHasSizeLimits = extra != 0;
        if (out.boHasSizeLimits)
        {
            out.limits.dwUdpMessage = dwReadLe32(msg + kConnOffLimits);
            out.limits.dwShort = dwReadLe32(msg + kConnOffLimits + 4);
            out.limits.dwShortUdp = dwReadLe32(msg + kConnOffLimits + 8);
        }
        break;
    case LPC_CONNECTION_FAILED:
        out.dwServerIp = dwReadLe32(msg + kOffIp);
        out.wServerPort = wReadLe16(msg + kOffPort);
        break;
    case LPC_DSTID_REFUSED:
        out.dwDstId = dwReadLe32(msg + kRefusedOffDstId);
        break;
    case LPC_RECV_MESSAGE:
        out.bChannel = msg[kOffChannel];
        out.dwMessageId = dwReadLe32(msg + kRecvOffMessageId);
        out.data = ByteSpan{msg + kLpcRecvMessageFixedLen, msgLen - kLpcRecvMessageFixedLen};
        break;
    case LPC_RECV_MESSAGE_DSTID:
        out.bChannel = msg[kOffChannel];
        out.dwDstId = dwReadLe32(msg + kRecvDstOffDstId);
        out.dwMessageId = dwReadLe32(msg + kRecvDstOffMessageId);
        out.data = ByteSpan{msg + kLpcRecvMessageDstIdFixedLen, msgLen - kLpcRecvMessageDstIdFixedLen};
        break;
    case LPC_ACKABLE_TIMEOUT:
    case LPC_RESPONSE_ACK:
    case LPC_IDENTIFIED_TIMEOUT:
        out.bChannel = msg[kOffChannel];
        out.dwTag = dwReadLe32(msg + kTagOffTag);
        break;
    default: // f g h i n o p
        out.bChannel = msg[kOffChannel];
        break;
    }
    return LpcDecodeStatus::Ok;
}

} // namespace HubProto
