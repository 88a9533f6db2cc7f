#include <cstddef>

#include "ServerMessages.h"

#include "LpcHeader.h"

namespace HubProto
{

namespace
{
constexpr uint8_t kFlagsByteAnswerLimit = 127;
}

std::vector<uint8_t> BuildServerMessage(uint32_t srcId, uint32_t dstId, uint16_t flags,
                                        const IoMemberId& memberId, const uint8_t* data, uint32_t dataLen,
                                        bool appendMemberId)
{
    const uint64_t total =
        static_cast<uint64_t>(kServerHeaderLen) + dataLen + (appendMemberId ? kIoMemberIdLen : 0);
    if (total > kMaxMessageSize)
        return {};
    SERVER_HEADER h;
    h.dwTotalLen = static_cast<uint32_t>(total);
    h.wFlags = flags;
    h.SrcId = srcId;
    h.DstId = dstId;
    h.IOMemberId = memberId;
    std::vector<uint8_t> m(kServerHeaderLen);
    m.reserve(static_cast<size_t>(total));
    vWriteServerHeader(m.data(), h);
    vAppendBytes(m, data, dataLen);
    if (appendMemberId)
        m.insert(m.end(), memberId.begin(), memberId.end());
    return m;
}

std::vector<uint8_t> BuildInitMessage(uint32_t hubId, const IoMemberId& memberId, const uint8_t* pseudo,
                                      uint32_t pseudoLen)
{
    return BuildServerMessage(hubId, kIdInit, kFlagsInit, memberId, pseudo, pseudoLen, false);
}

std::vector<uint8_t> BuildKeepAlive(uint32_t hubId, const IoMemberId& memberId)
{
    return BuildServerMessage(hubId, kIdKeepAlive, kFlagsKeepAlive, memberId, nullptr, 0, false);
}

std::array<uint8_t, kBindDataLen> BindData(uint32_t dstId, uint8_t channel)
{
    std::array<uint8_t, kBindDataLen> d{};
    vWriteLe32(d.data(), dstId);
    d[4] = channel;
    return d;
}

bool boIsInitReplyAccepted(const SERVER_HEADER& reply, uint32_t hubId)
{
    return reply.DstId == hubId || bFlagsByte(reply) <= kFlagsByteAnswerLimit;
}

} // namespace HubProto
