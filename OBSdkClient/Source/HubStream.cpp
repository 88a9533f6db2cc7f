#include "HubStream.h"

#include <cstdint>

#include "FrameCheck.h"

namespace OBSdkClient
{

CHubStream::CHubStream() : m_cutter(HubProto::kLpcFrameLimits) {}

bool CHubStream::boFeed(const uint8_t* lpBlock, uint32_t ulSize, const FHandler& handler)
{
    m_cutter.vFeed(lpBlock, ulSize);
    for (;;)
    {
        HubProto::ByteSpan message;
        switch (m_cutter.Next(message))
        {
        case HubProto::CStreamCutter::ECut::NeedMore:
            return true;
        case HubProto::CStreamCutter::ECut::Malformed:
            return false;
        case HubProto::CStreamCutter::ECut::Message:
            break;
        }
        const uintptr_t first = reinterpret_cast<uintptr_t>(message.lpData);
        const uintptr_t blockFirst = reinterpret_cast<uintptr_t>(lpBlock);
        const bool inBlock =
            lpBlock != nullptr && first >= blockFirst && first + message.ulSize <= blockFirst + ulSize;
        if (inBlock)
        {
            handler(message.lpData, message.ulSize);
            continue;
        }
        const std::vector<uint8_t> copy(message.lpData, message.lpData + message.ulSize);
        handler(copy.data(), uint32_t(copy.size()));
    }
}

void CHubStream::vReset()
{
    m_cutter.vReset();
}

} // namespace OBSdkClient
