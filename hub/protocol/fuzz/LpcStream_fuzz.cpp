// Cuts arbitrary bytes as an LPC stream, in blocks whose sizes come from the
// input, and decodes every message in both directions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "LpcClientMessages.h"
#include "LpcHubMessages.h"
#include "StreamCutter.h"

using namespace HubProto;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t step = size_t(data[0]) * 37 + 1; // block size of this run
    ++data;
    --size;
    CStreamCutter cutter(kLpcFrameLimits);
    for (size_t pos = 0; pos < size; pos += step)
    {
        const size_t n = size - pos < step ? size - pos : step;
        cutter.vFeed(data + pos, uint32_t(n));
        ByteSpan m;
        CStreamCutter::ECut r;
        while ((r = cutter.Next(m)) == CStreamCutter::ECut::Message)
        {
            if (m.ulSize < kLpcHeaderLen || m.ulSize > kMaxMessageSize)
                abort();
            LpcClientMessage c;
            if (DecodeLpcClientMessage(m.lpData, m.ulSize, c) == LpcDecodeStatus::Ok &&
                (c.data.ulSize > m.ulSize ||
                 (c.data.ulSize != 0 && c.data.lpData + c.data.ulSize != m.lpData + m.ulSize)))
                abort();
            LpcHubMessage h;
            if (DecodeLpcHubMessage(m.lpData, m.ulSize, h) == LpcDecodeStatus::Ok &&
                (h.data.ulSize > m.ulSize ||
                 (h.data.ulSize != 0 && h.data.lpData + h.data.ulSize != m.lpData + m.ulSize)))
                abort();
        }
        if (r == CStreamCutter::ECut::Malformed)
            break;
    }
    return 0;
}
