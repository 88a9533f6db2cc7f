// Cuts arbitrary bytes as one server-protocol datagram and reads every
// message as the hub does (short forms included).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "DatagramCutter.h"
#include "ServerHeader.h"
#include "ServerShortForms.h"
#include "ServiceMessage.h"

using namespace HubProto;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const DatagramCut cut = CutServerDatagram(data, uint32_t(size));
    for (const ByteSpan& m : cut.messages)
    {
        ServiceMessage s;
        if (cut.boShortForm)
        {
            ShortDatagram d;
            if (!boDecodeShortDatagram(m.lpData, m.ulSize, d))
                abort();
            DecodeServiceMessage(d.data.lpData, d.data.ulSize, s);
            continue;
        }
        if (m.ulSize < kServerHeaderLen || ReadServerHeader(m.lpData).dwTotalLen != m.ulSize)
            abort();
        DecodeServiceMessage(m.lpData + kServerHeaderLen, m.ulSize - kServerHeaderLen, s);
    }
    return 0;
}
