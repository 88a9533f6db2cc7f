// Decodes arbitrary bytes as the data of a service message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ServiceMessage.h"

using namespace HubProto;

namespace
{
bool boInside(const ByteSpan& s, const uint8_t* data, size_t size)
{
    return s.ulSize == 0 || (s.lpData >= data && s.lpData + s.ulSize <= data + size);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ServiceMessage m;
    if (DecodeServiceMessage(data, uint32_t(size), m) == ServiceStatus::Ok &&
        (m.command.ulSize < kServiceCommandLen || !boInside(m.command, data, size) ||
         !boInside(m.turl, data, size) || !boInside(m.bfrm, data, size)))
        abort();
    return 0;
}
