#include <cstddef>

#include "ServerShortForms.h"

#include "LpcHeader.h"

namespace HubProto
{

namespace
{

std::vector<uint8_t> Build(uint32_t headerLen, uint8_t mark, uint8_t channel, const uint8_t* data,
                           uint32_t dataLen)
{
    const uint64_t total = static_cast<uint64_t>(headerLen) + dataLen;
    if (total > kMaxMessageSize)
        return {};
    std::vector<uint8_t> d;
    d.reserve(static_cast<size_t>(total));
    d.push_back(mark);
    d.push_back(channel);
    if (headerLen == kShortUdpHeaderLen)
        d.push_back(data[0]);
    vAppendBytes(d, data, dataLen);
    return d;
}

} // namespace

std::vector<uint8_t> BuildShortDatagram(uint8_t channel, const uint8_t* data, uint32_t dataLen)
{
    return Build(kShortHeaderLen, kShortFormMark, channel, data, dataLen);
}

std::vector<uint8_t> BuildShortUdpDatagram(uint8_t channel, const uint8_t* data, uint32_t dataLen)
{
    if (dataLen == 0 || data == nullptr)
        return {};
    return Build(kShortUdpHeaderLen, kShortFormUdpMark, channel, data, dataLen);
}

bool boDecodeShortDatagram(const uint8_t* datagram, uint32_t size, ShortDatagram& out)
{
    out = ShortDatagram{};
    if (datagram == nullptr || size < kShortHeaderLen || !boIsShortForm(datagram[0]) ||
        size < ulShortHeaderLen(datagram[0]))
        return false;
    out.bMark = datagram[0];
    out.bChannel = datagram[1];
    out.data = ByteSpan{datagram + kShortDataOffset, size - kShortDataOffset};
    return true;
}

} // namespace HubProto
