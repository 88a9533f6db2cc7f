#include "ChannelSlots.h"

namespace OBSdkClient
{

CLPCNotify* CChannelSlots::lpGet(uint8_t bChannel) const
{
    return boIsChannelId(bChannel) ? m_slots[bChannel].lpChannel : nullptr;
}

bool CChannelSlots::boTake(uint8_t bChannel, CLPCNotify* lpChannel)
{
    if (!boIsChannelId(bChannel) || lpChannel == nullptr)
        return false;
    m_slots[bChannel] = SSlot{};
    m_slots[bChannel].lpChannel = lpChannel;
    return true;
}

CLPCNotify* CChannelSlots::lpRelease(uint8_t bChannel)
{
    if (!boIsChannelId(bChannel))
        return nullptr;
    CLPCNotify* lpChannel = m_slots[bChannel].lpChannel;
    m_slots[bChannel] = SSlot{};
    return lpChannel;
}

void CChannelSlots::vSetBindState(uint8_t bChannel, bool boBound, bool boBing)
{
    if (!boIsChannelId(bChannel))
        return;
    m_slots[bChannel].boBound = boBound;
    m_slots[bChannel].boBing = boBing;
}

CChannelSlots::SSlot CChannelSlots::GetSlot(uint8_t bChannel) const
{
    return boIsChannelId(bChannel) ? m_slots[bChannel] : SSlot{};
}

uint32_t CChannelSlots::ulGetCount() const
{
    uint32_t n = 0;
    for (const SSlot& slot : m_slots)
        n += slot.lpChannel != nullptr;
    return n;
}

} // namespace OBSdkClient
