// Shared building of LPC messages: header, fixed fields, optional data.
#pragma once

#include <cstdint>
#include <vector>

namespace HubProto
{

// A message of fixedLen bytes (header included) followed by dataLen bytes of
// data: returns fixedLen zeroed bytes with the header written, or an empty
// vector when the whole would exceed the largest message.
std::vector<uint8_t> LpcStartMessage(uint8_t letter, uint8_t extra, uint32_t fixedLen, uint32_t dataLen);

} // namespace HubProto
