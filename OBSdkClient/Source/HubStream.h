// The hub connection's byte stream cut into whole LPC messages, handed to a
// handler in order. A handler may receive more bytes of the same stream
// while it runs (a nested message pump): a message gathered across blocks is
// therefore handed as a copy of its own, so that nested receives cannot
// overwrite it; one lying whole in the block is handed in place.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "StreamCutter.h"

namespace OBSdkClient
{

class CHubStream
{
public:
    using FHandler = std::function<void(const uint8_t* lpMessage, uint32_t ulSize)>;

    CHubStream();
    CHubStream(const CHubStream&) = delete;
    CHubStream& operator=(const CHubStream&) = delete;

    // False when the stream is malformed (a total length below 8 or above
    // the largest message): the connection must be dropped. Stays false until reset.
    bool boFeed(const uint8_t* lpBlock, uint32_t ulSize, const FHandler& handler);
    void vReset();
    // Bytes of an incomplete message kept between blocks.
    uint32_t ulGetBuffered() const { return m_cutter.ulGetBuffered(); }

private:
    HubProto::CStreamCutter m_cutter;
};

} // namespace OBSdkClient
