// Routes arbitrary bytes as the hub routes every server message: the route
// must stay inside the message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ServerHeader.h"
#include "ServerRoute.h"
#include "ServiceMessage.h"

using namespace HubRouting;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const SServerRoute r = RouteServerMessage(data, uint32_t(size), HubProto::kDefaultHubId);
    if (r.eRoute == ERoute::Drop)
        return 0;
    if (r.data.ulSize != 0 && (r.data.lpData < data || r.data.lpData + r.data.ulSize > data + size))
        abort();
    if (r.eRoute == ERoute::Service)
    {
        HubProto::ServiceMessage s;
        HubProto::DecodeServiceMessage(r.data.lpData, r.data.ulSize, s);
    }
    return 0;
}
