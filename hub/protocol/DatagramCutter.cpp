#include "DatagramCutter.h"

#include "FrameCheck.h"
#include "ServerShortForms.h"

namespace HubProto
{

namespace
{

DatagramCut CutBackToBack(const uint8_t* d, uint32_t size, const FrameLimits& limits)
{
    DatagramCut cut;
    uint32_t pos = 0;
    while (pos < size)
    {
        uint32_t total = 0;
        const FrameStatus st = CheckFrame(d + pos, size - pos, limits, total);
        if (st == FrameStatus::Malformed)
        {
            cut.messages.clear();
            cut.eStatus = DatagramStatus::Malformed;
            return cut;
        }
        if (st == FrameStatus::NeedMore)
        {
            cut.eStatus = DatagramStatus::TailDropped;
            return cut;
        }
        cut.messages.push_back(ByteSpan{d + pos, total});
        pos += total;
    }
    return cut;
}

} // namespace

DatagramCut CutLpcDatagram(const uint8_t* datagram, uint32_t size)
{
    if (datagram == nullptr)
        size = 0;
    return CutBackToBack(datagram, size, kLpcFrameLimits);
}

DatagramCut CutServerDatagram(const uint8_t* datagram, uint32_t size)
{
    DatagramCut cut;
    if (datagram == nullptr || size < kShortHeaderLen)
    {
        cut.eStatus = DatagramStatus::TooShort;
        return cut;
    }
    if (boIsShortForm(datagram[0]))
    {
        if (size < ulShortHeaderLen(datagram[0]))
        {
            cut.eStatus = DatagramStatus::TooShort;
            return cut;
        }
        cut.boShortForm = true;
        cut.messages.push_back(ByteSpan{datagram, size});
        return cut;
    }
    if (size < kServerHeaderLen)
    {
        cut.eStatus = DatagramStatus::TooShort;
        return cut;
    }
    return CutBackToBack(datagram, size, kServerFrameLimits);
}

} // namespace HubProto
