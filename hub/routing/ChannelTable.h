// The hub's 255 channels (ids 0..254): for each, the server link that
// carries it and the client program that owns it.
#pragma once

#include <array>
#include <cstdint>

namespace HubRouting
{

template <class TLink, class TClient> class CChannelTable
{
public:
    static constexpr uint32_t kChannelCount = 255; // id 255 stands for no channel

    // Hands out the first free id from the one after the last handed out
    // (254 wraps to 0; the first id is 0) and records it for the link and
    // the client. False, with nothing changed, when all 255 are in use.
    bool boAllocate(TLink* lpLink, TClient* lpClient, uint8_t& bOut)
    {
        for (uint32_t step = 0; step < kChannelCount; ++step)
        {
            const uint8_t id = uint8_t((m_bNext + step) % kChannelCount);
            if (m_entries[id].lpLink != nullptr)
                continue;
            m_entries[id].lpLink = lpLink;
            m_entries[id].lpClient = lpClient;
            m_bNext = uint8_t((id + 1) % kChannelCount);
            bOut = id;
            return true;
        }
        return false;
    }

    // Null for a free id and for 255.
    TLink* lpLink(uint8_t bChannel) const
    {
        return bChannel < kChannelCount ? m_entries[bChannel].lpLink : nullptr;
    }
    TClient* lpClient(uint8_t bChannel) const
    {
        return bChannel < kChannelCount ? m_entries[bChannel].lpClient : nullptr;
    }
    // The client program is gone; the channel stays taken until it is closed.
    void vClearClient(uint8_t bChannel)
    {
        if (bChannel < kChannelCount)
            m_entries[bChannel].lpClient = nullptr;
    }
    void vFree(uint8_t bChannel)
    {
        if (bChannel < kChannelCount)
            m_entries[bChannel] = SEntry{};
    }
    uint32_t ulInUse() const
    {
        uint32_t n = 0;
        for (const SEntry& e : m_entries)
            n += e.lpLink != nullptr;
        return n;
    }

private:
    struct SEntry
    {
        TLink* lpLink = nullptr;
        TClient* lpClient = nullptr;
    };
    std::array<SEntry, kChannelCount> m_entries{};
    uint8_t m_bNext = 0;
};

} // namespace HubRouting
