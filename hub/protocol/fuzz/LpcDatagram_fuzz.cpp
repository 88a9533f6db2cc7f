// Cuts arbitrary bytes as one LPC datagram and decodes every message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "DatagramCutter.h"
#include "LpcClientMessages.h"
#include "LpcHubMessages.h"

using namespace HubProto;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const DatagramCut cut = CutLpcDatagram(data, uint32_t(size));
    size_t covered = 0;
    for (const ByteSpan& m : cut.messages)
    {
        if (m.lpData != data + covered || m.ulSize < 8)
            abort();
        covered += m.ulSize;
        LpcClientMessage c;
        DecodeLpcClientMessage(m.lpData, m.ulSize, c);
        LpcHubMessage h;
        DecodeLpcHubMessage(m.lpData, m.ulSize, h);
    }
    if (covered > size || (cut.eStatus == DatagramStatus::Complete && covered != size))
        abort();
    return 0;
}
