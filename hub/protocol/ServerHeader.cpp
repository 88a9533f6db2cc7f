#include "ServerHeader.h"

#include <cstring>

namespace HubProto
{

void vWriteServerHeader(uint8_t* out, const SERVER_HEADER& h)
{
    std::memset(out, 0, kServerHeaderLen);
    out[kSrvOffHeaderLen] = h.bHeaderLen;
    out[kSrvOffVersion] = h.bVersion;
    vWriteLe32(out + kSrvOffTotalLen, h.dwTotalLen);
    vWriteLe16(out + kSrvOffFlags, h.wFlags);
    vWriteLe32(out + kSrvOffSrcId, h.SrcId);
    vWriteLe32(out + kSrvOffDstId, h.DstId);
    vWriteLe32(out + kSrvOffSeqNum, h.SeqNum);
    std::memcpy(out + kSrvOffIoMemberId, h.IOMemberId.data(), kIoMemberIdLen);
}

SERVER_HEADER ReadServerHeader(const uint8_t* p)
{
    SERVER_HEADER h;
    h.bHeaderLen = p[kSrvOffHeaderLen];
    h.bVersion = p[kSrvOffVersion];
    h.dwTotalLen = dwReadLe32(p + kSrvOffTotalLen);
    h.wFlags = wReadLe16(p + kSrvOffFlags);
    h.SrcId = dwReadLe32(p + kSrvOffSrcId);
    h.DstId = dwReadLe32(p + kSrvOffDstId);
    h.SeqNum = dwReadLe32(p + kSrvOffSeqNum);
    std::memcpy(h.IOMemberId.data(), p + kSrvOffIoMemberId, kIoMemberIdLen);
    return h;
}

void vPatchSeqNum(uint8_t* message, uint32_t seqNum)
{
    vWriteLe32(message + kSrvOffSeqNum, seqNum);
}

} // namespace HubProto
