#include "LpcEncode.h"

#include <cstddef>

#include "LpcHeader.h"

namespace HubProto
{

std::vector<uint8_t> LpcStartMessage(uint8_t letter, uint8_t extra, uint32_t fixedLen, uint32_t dataLen)
{
    const uint64_t total = static_cast<uint64_t>(fixedLen) + dataLen;
    if (total > kMaxMessageSize)
        return {};
    std::vector<uint8_t> msg(fixedLen, 0);
    msg.reserve(static_cast<size_t>(total));
    vWriteLpcHeader(msg.data(), letter, extra, static_cast<uint32_t>(total));
    return msg;
}

} // namespace HubProto
