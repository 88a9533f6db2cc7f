#include "LpcHeader.h"

#include "WireBytes.h"

namespace HubProto
{

void vWriteLpcHeader(uint8_t* out, uint8_t letter, uint8_t extra, uint32_t totalLen)
{
    out[kLpcOffHeaderLen] = kLpcHeaderLen;
    out[kLpcOffMsgId] = letter;
    out[kLpcOffVersion] = kLpcVersion;
    out[kLpcOffExtra] = extra;
    vWriteLe32(out + kLpcOffTotalLen, totalLen);
}

LPC_HEADER ReadLpcHeader(const uint8_t* p)
{
    LPC_HEADER h;
    h.bHeaderLen = p[kLpcOffHeaderLen];
    h.bMsgId = p[kLpcOffMsgId];
    h.bVersion = p[kLpcOffVersion];
    h.bExtra = p[kLpcOffExtra];
    h.dwTotalLen = dwReadLe32(p + kLpcOffTotalLen);
    return h;
}

} // namespace HubProto
