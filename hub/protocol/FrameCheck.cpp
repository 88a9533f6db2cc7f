#include "FrameCheck.h"

#include "WireBytes.h"

namespace HubProto
{

FrameStatus CheckFrame(const uint8_t* p, uint32_t available, const FrameLimits& limits, uint32_t& total)
{
    total = 0;
    if (available < kLengthFieldEnd)
        return FrameStatus::NeedMore;
    total = dwReadLe32(p + kLpcOffTotalLen);
    if (total < limits.ulMinTotal || total > limits.ulMaxTotal)
        return FrameStatus::Malformed;
    return available >= total ? FrameStatus::Complete : FrameStatus::NeedMore;
}

} // namespace HubProto
