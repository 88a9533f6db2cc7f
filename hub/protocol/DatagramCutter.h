// Cuts one UDP datagram into whole messages. A datagram is never joined to
// the next one: an incomplete tail is dropped, never buffered.
#pragma once

#include <cstdint>
#include <vector>

#include "WireBytes.h"

namespace HubProto
{

enum class DatagramStatus
{
    Complete,    // every byte belongs to a handed-out message
    TailDropped, // whole messages handed out; an incomplete rest dropped
    TooShort,    // dropped whole: too short for any message of its form
    Malformed,   // dropped whole: a total length outside the limits
};

struct DatagramCut
{
    DatagramStatus eStatus = DatagramStatus::Complete;
    std::vector<ByteSpan> messages; // borrowed from the datagram
    bool boShortForm = false;       // server protocol: one 0x80/0x81 message
};

// LPC over UDP: whole LPC messages back to back.
DatagramCut CutLpcDatagram(const uint8_t* datagram, uint32_t size);

// Server protocol over UDP: a first byte of 0x80 or more makes the whole
// datagram one short message (0x81 needs 3 bytes, the others 2); otherwise
// at least one full 34-byte header, then whole messages back to back.
DatagramCut CutServerDatagram(const uint8_t* datagram, uint32_t size);

} // namespace HubProto
