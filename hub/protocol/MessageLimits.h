// Bounds shared by both protocols of the hub.
#pragma once

#include <cstdint>

namespace HubProto
{

// Reassembly FIFOs of every connection grow by this step...
constexpr uint32_t kFifoGrowthStep = 2048;
// ...up to this size, which therefore bounds any whole message on a stream.
constexpr uint32_t kMaxMessageSize = 655360;

} // namespace HubProto
