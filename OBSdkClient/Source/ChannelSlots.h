// The 255 channel slots of a hub connection (channel ids 0..254): which
// channel object holds each id, and the bind flags the hub reported.
#pragma once

#include <cstdint>

#include "LPCNotify.h"

namespace OBSdkClient
{

class CChannelSlots
{
public:
    static constexpr uint32_t kSlotCount = 255;
    static constexpr uint8_t kNoChannel = 255;

    struct SSlot
    {
        CLPCNotify* lpChannel = nullptr; // null: free
        bool boBound = false;
        bool boBing = false;
        int32_t iWord = -1; // kept as the hub client always had it; not used
    };

    static bool boIsChannelId(uint8_t bChannel) { return bChannel < kSlotCount; }

    // Null for a free slot or channel 255.
    CLPCNotify* lpGet(uint8_t bChannel) const;
    // Puts the channel in its slot; false for channel 255 or a null channel.
    bool boTake(uint8_t bChannel, CLPCNotify* lpChannel);
    // Frees the slot and gives back what it held (null when free).
    CLPCNotify* lpRelease(uint8_t bChannel);
    // 'n' bound; 'o' unbound, no bing; 'p' unbound, bing. Ignored for channel 255.
    void vSetBindState(uint8_t bChannel, bool boBound, bool boBing);
    // A copy of the slot (a free default slot for channel 255).
    SSlot GetSlot(uint8_t bChannel) const;
    uint32_t ulGetCount() const;

    // Frees every slot in id order, handing each held channel to `fn(channel, id)`
    // after its slot is free.
    template <class F> void vReleaseAll(F&& fn)
    {
        for (uint32_t id = 0; id < kSlotCount; ++id)
            if (CLPCNotify* lpChannel = lpRelease(uint8_t(id)))
                fn(lpChannel, uint8_t(id));
    }

private:
    SSlot m_slots[kSlotCount];
};

} // namespace OBSdkClient
