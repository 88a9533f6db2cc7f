// Cuts a TCP byte stream into whole messages (LPC or server protocol).
//
// Push parser: feed each received block, then pull messages until the cutter
// answers NeedMore. Messages that lie whole inside the block are handed out
// in place; only a message split across blocks is gathered in the FIFO, and
// only its own bytes are copied, so the FIFO never holds more than one
// message. A length outside the limits is a protocol error: the connection
// must be closed; the cutter stays failed until reset.
#pragma once

#include <cstdint>

#include "ByteFifo.h"
#include "FrameCheck.h"
#include "WireBytes.h"

namespace HubProto
{

class CStreamCutter
{
public:
    enum class ECut
    {
        Message,   // `out` holds one whole message
        NeedMore,  // the block is used up; an incomplete message is kept
        Malformed, // protocol error; see ulGetBadLength
    };

    explicit CStreamCutter(const FrameLimits& limits);
    CStreamCutter(const CStreamCutter&) = delete;
    CStreamCutter& operator=(const CStreamCutter&) = delete;

    // Borrows the block until Next answers NeedMore or Malformed. Feeding
    // again before that first moves the unread rest into the FIFO.
    void vFeed(const uint8_t* block, uint32_t size);
    // The message handed out stays valid until the next call of any method.
    ECut Next(ByteSpan& out);
    // Forgets the buffered bytes, the borrowed block and a failure.
    void vReset();

    bool boFailed() const { return m_boFailed; }
    // The offending total length after Malformed.
    uint32_t ulGetBadLength() const { return m_ulBadLength; }
    // Bytes of an incomplete message held between blocks.
    uint32_t ulGetBuffered() const;

private:
    ECut Fail(uint32_t badLength);
    void vConsumeHandedOut();
    bool boBufferRest();
    // Moves block bytes into the FIFO until it holds `target`; true when it does
    // (false with the cutter failed when the FIFO refuses the bytes).
    bool boTopUp(uint32_t target);

    FrameLimits m_limits;
    FdMisc::CByteFifo m_fifo;
    const uint8_t* m_lpBlock = nullptr;
    uint32_t m_ulBlockSize = 0;
    uint32_t m_ulBlockPos = 0;
    uint32_t m_ulHandedOutOfFifo = 0; // consumed on the next call
    bool m_boFailed = false;
    uint32_t m_ulBadLength = 0;
};

} // namespace HubProto
