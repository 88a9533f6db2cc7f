// Cuts arbitrary bytes as a server-protocol TCP stream and reads every
// message as the hub does: header, then service records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ServerHeader.h"
#include "ServiceMessage.h"
#include "StreamCutter.h"

using namespace HubProto;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t step = size_t(data[0]) * 53 + 1;
    ++data;
    --size;
    CStreamCutter cutter(kServerFrameLimits);
    for (size_t pos = 0; pos < size; pos += step)
    {
        const size_t n = size - pos < step ? size - pos : step;
        cutter.vFeed(data + pos, uint32_t(n));
        ByteSpan m;
        CStreamCutter::ECut r;
        while ((r = cutter.Next(m)) == CStreamCutter::ECut::Message)
        {
            if (m.ulSize < kServerHeaderLen)
                abort();
            const SERVER_HEADER h = ReadServerHeader(m.lpData);
            if (h.dwTotalLen != m.ulSize)
                abort();
            ServiceMessage s;
            DecodeServiceMessage(m.lpData + kServerHeaderLen, m.ulSize - kServerHeaderLen, s);
        }
        if (r == CStreamCutter::ECut::Malformed)
            break;
    }
    return 0;
}
