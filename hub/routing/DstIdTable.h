// Destination ids that client programs attach to their channels ('I'):
// server messages to such an id reach that channel as 'j'.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

namespace HubRouting
{

template <class TClient> class CDstIdTable
{
public:
    // Below this an id reads as a channel number or the service channel.
    static constexpr uint32_t kFirstFreeId = 256;

    enum class EAdd
    {
        Added,
        Taken,    // another channel holds it
        Reserved, // below 256
    };

    EAdd Add(uint32_t dwDstId, TClient* lpClient, uint8_t bChannel)
    {
        if (dwDstId < kFirstFreeId)
            return EAdd::Reserved;
        if (m_ids.count(dwDstId) != 0)
            return EAdd::Taken;
        m_ids[dwDstId] = SOwner{lpClient, bChannel};
        return EAdd::Added;
    }

    bool boFind(uint32_t dwDstId, TClient*& lpClient, uint8_t& bChannel) const
    {
        const auto it = m_ids.find(dwDstId);
        if (it == m_ids.end())
            return false;
        lpClient = it->second.lpClient;
        bChannel = it->second.bChannel;
        return true;
    }

    // Forgets every id of the channel.
    void vRemoveChannel(uint8_t bChannel)
    {
        for (auto it = m_ids.begin(); it != m_ids.end();)
            it = it->second.bChannel == bChannel ? m_ids.erase(it) : std::next(it);
    }

    size_t ulSize() const { return m_ids.size(); }

private:
    struct SOwner
    {
        TClient* lpClient;
        uint8_t bChannel;
    };
    std::map<uint32_t, SOwner> m_ids;
};

} // namespace HubRouting
