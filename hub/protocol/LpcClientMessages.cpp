#include "LpcClientMessages.h"

#include "LpcEncode.h"
#include "LpcHeader.h"

namespace HubProto
{

namespace
{

// Field offsets of the client requests.
constexpr uint32_t kConnOffTimeout = 8, kConnOffIp = 12, kConnOffPort = 16;
constexpr uint32_t kOffChannel = 8; // D F Q I U
constexpr uint32_t kSendOffDstId = 8, kSendOffFlags = 12, kSendOffPortType = 13, kSendOffRepetitions = 14,
                   kSendOffTimeBefore = 16, kSendOffTimeBetween = 20, kSendOffChannel = 24,
                   kSendOffMessageId = 25;
constexpr uint32_t kAddDstIdOffDstId = 9;
constexpr uint32_t kBindOffDstId = 8, kBindOffChannel = 12;
constexpr uint32_t kReconnOffIp = 8, kReconnOffPort = 12, kReconnOffAttempts = 14, kReconnOffBetween = 16,
                   kReconnOffTimeout = 20;

std::vector<uint8_t> ChannelOnly(uint8_t letter, uint32_t len, uint8_t channel)
{
    std::vector<uint8_t> m = LpcStartMessage(letter, 0, len, 0);
    m[kOffChannel] = channel;
    return m;
}

std::vector<uint8_t> ChannelAndData(uint8_t letter, uint32_t fixedLen, uint8_t channel, const uint8_t* data,
                                    uint32_t dataLen)
{
    std::vector<uint8_t> m = LpcStartMessage(letter, 0, fixedLen, dataLen);
    if (m.empty())
        return m;
    m[kOffChannel] = channel;
    vAppendBytes(m, data, dataLen);
    return m;
}

uint32_t MinLength(uint8_t letter)
{
    switch (letter)
    {
    case LPC_CONNECT:
        return kLpcConnectLen;
    case LPC_DISCONNECT:
        return kLpcDisconnectLen;
    case LPC_SEND_MESSAGE:
        return kLpcSendMessageFixedLen;
    case LPC_SEND_SHORT:
        return kLpcSendShortFixedLen;
    case LPC_SEND_SHORT_UDP:
        return kLpcSendShortUdpFixedLen;
    case LPC_ADD_DSTID:
        return kLpcAddDstIdLen;
    case LPC_BIND:
        return kLpcBindLen;
    case LPC_UNBIND:
        return kLpcUnbindLen;
    case LPC_SET_RECONN_PARAMS:
        return kLpcSetReconnParamsLen;
    default:
        return 0;
    }
}

ByteSpan Tail(const uint8_t* msg, uint32_t msgLen, uint32_t from)
{
    return ByteSpan{msg + from, msgLen - from};
}

} // namespace

std::vector<uint8_t> EncodeLpcConnect(uint32_t timeoutMs, uint32_t serverIp, uint16_t serverPort)
{
    std::vector<uint8_t> m = LpcStartMessage(LPC_CONNECT, 0, kLpcConnectLen, 0);
    vWriteLe32(&m[kConnOffTimeout], timeoutMs);
    vWriteLe32(&m[kConnOffIp], serverIp);
    vWriteLe16(&m[kConnOffPort], serverPort);
    return m;
}

std::vector<uint8_t> EncodeLpcDisconnect(uint8_t channel)
{
    return ChannelOnly(LPC_DISCONNECT, kLpcDisconnectLen, channel);
}

std::vector<uint8_t> EncodeLpcSendMessageHead(const LpcSendParams& p, uint32_t dataLen)
{
    std::vector<uint8_t> m = LpcStartMessage(LPC_SEND_MESSAGE, 0, kLpcSendMessageFixedLen, dataLen);
    if (m.empty())
        return m;
    vWriteLe32(&m[kSendOffDstId], p.dwDstId);
    m[kSendOffFlags] = p.bFlags;
    m[kSendOffPortType] = p.bPortType;
    vWriteLe16(&m[kSendOffRepetitions], p.wRepetitions);
    vWriteLe32(&m[kSendOffTimeBefore], p.dwTimeBeforeSend);
    vWriteLe32(&m[kSendOffTimeBetween], p.dwTimeBetween);
    m[kSendOffChannel] = p.bChannel;
    vWriteLe32(&m[kSendOffMessageId], p.dwMessageId);
    return m;
}

std::vector<uint8_t> EncodeLpcSendMessage(const LpcSendParams& p, const uint8_t* data, uint32_t dataLen)
{
    std::vector<uint8_t> m = EncodeLpcSendMessageHead(p, dataLen);
    if (!m.empty())
        vAppendBytes(m, data, dataLen);
    return m;
}

std::vector<uint8_t> EncodeLpcSendShort(uint8_t channel, const uint8_t* data, uint32_t dataLen)
{
    return ChannelAndData(LPC_SEND_SHORT, kLpcSendShortFixedLen, channel, data, dataLen);
}

std::vector<uint8_t> EncodeLpcSendShortUdp(uint8_t channel, const uint8_t* data, uint32_t dataLen)
{
    if (dataLen == 0)
        return {};
    return ChannelAndData(LPC_SEND_SHORT_UDP, kLpcSendShortFixedLen, channel, data, dataLen);
}

std::vector<uint8_t> EncodeLpcAddDstId(uint8_t channel, uint32_t dstId)
{
    std::vector<uint8_t> m = ChannelOnly(LPC_ADD_DSTID, kLpcAddDstIdLen, channel);
    vWriteLe32(&m[kAddDstIdOffDstId], dstId);
    return m;
}

std::vector<uint8_t> EncodeLpcBind(uint32_t dstId, uint8_t channel)
{
    std::vector<uint8_t> m = LpcStartMessage(LPC_BIND, 0, kLpcBindLen, 0);
    vWriteLe32(&m[kBindOffDstId], dstId);
    m[kBindOffChannel] = channel;
    return m;
}

std::vector<uint8_t> EncodeLpcUnbind(uint8_t channel)
{
    return ChannelOnly(LPC_UNBIND, kLpcUnbindLen, channel);
}

std::vector<uint8_t> EncodeLpcSetReconnParams(uint32_t serverIp, uint16_t serverPort, uint16_t attempts,
                                              uint32_t timeBetweenMs, uint32_t timeoutMs)
{
    std::vector<uint8_t> m = LpcStartMessage(LPC_SET_RECONN_PARAMS, 0, kLpcSetReconnParamsLen, 0);
    vWriteLe32(&m[kReconnOffIp], serverIp);
    vWriteLe16(&m[kReconnOffPort], serverPort);
    vWriteLe16(&m[kReconnOffAttempts], attempts);
    vWriteLe32(&m[kReconnOffBetween], timeBetweenMs);
    vWriteLe32(&m[kReconnOffTimeout], timeoutMs);
    return m;
}

LpcDecodeStatus DecodeLpcClientMessage(const uint8_t* msg, uint32_t msgLen, LpcClientMessage& out)
{
    out = LpcClientMessage{};
    if (msgLen < kLpcHeaderLen)
        return LpcDecodeStatus::TooShort;
    out.bMsgId = msg[kLpcOffMsgId];
    const uint32_t minLen = MinLength(out.bMsgId);
    if (minLen == 0)
        return LpcDecodeStatus::UnknownLetter;
    if (msgLen < minLen)
        return LpcDecodeStatus::TooShort;

    switch (out.bMsgId)
    {
    case LPC_CONNECT:
        out.dwTimeoutMs = dwReadLe32(msg + kConnOffTimeout);
        out.dwServerIp = dwReadLe32(msg + kConnOffIp);
        out.wServerPort = wReadLe16(msg + kConnOffPort);
        break;
    case LPC_DISCONNECT:
    case LPC_UNBIND:
        out.bChannel = msg[kOffChannel];
        break;
    case LPC_SEND_MESSAGE:
        out.send.dwDstId = dwReadLe32(msg + kSendOffDstId);
        out.send.bFlags = msg[kSendOffFlags];
        out.send.bPortType = msg[kSendOffPortType];
        out.send.wRepetitions = wReadLe16(msg + kSendOffRepetitions);
        out.send.dwTimeBeforeSend = dwReadLe32(msg + kSendOffTimeBefore);
        out.send.dwTimeBetween = dwReadLe32(msg + kSendOffTimeBetween);
        out.send.bChannel = msg[kSendOffChannel];
        out.send.dwMessageId = dwReadLe32(msg + kSendOffMessageId);
        out.bChannel = out.send.bChannel;
        out.dwDstId = out.send.dwDstId;
        out.data = Tail(msg, msgLen, kLpcSendMessageFixedLen);
        break;
    case LPC_SEND_SHORT:
    case LPC_SEND_SHORT_UDP:
        out.bChannel = msg[kOffChannel];
        out.data = Tail(msg, msgLen, kLpcSendShortFixedLen);
        break;
    case LPC_ADD_DSTID:
        out.bChannel = msg[kOffChannel];
        out.dwDstId = dwReadLe32(msg + kAddDstIdOffDstId);
        break;
    case LPC_BIND:
        out.dwDstId = dwReadLe32(msg + kBindOffDstId);
        out.bChannel = msg[kBindOffChannel];
        break;
    case LPC_SET_RECONN_PARAMS:
        out.dwServerIp = dwReadLe32(msg + kReconnOffIp);
        out.wServerPort = wReadLe16(msg + kReconnOffPort);
        out.wAttempts = wReadLe16(msg + kReconnOffAttempts);
        out.dwTimeBetweenMs = dwReadLe32(msg + kReconnOffBetween);
        out.dwReconnTimeoutMs = dwReadLe32(msg + kReconnOffTimeout);
        break;
    }
    return LpcDecodeStatus::Ok;
}

} // namespace HubProto
