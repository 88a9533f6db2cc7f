// The hub's server links by (IPv4 address, port): for each, the channels
// opened on it and the client programs that wait for its registration.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace HubRouting
{

template <class TLink, class TClient> struct SLinkInfo
{
    uint32_t dwAddress = 0; // network order
    uint16_t wPort = 0;
    TLink* lpLink = nullptr;
    std::vector<uint8_t> channels;
    std::vector<TClient*> waiting;
};

template <class TLink, class TClient> class CLinkTable
{
public:
    using Info = SLinkInfo<TLink, TClient>;

    Info* lpFind(uint32_t dwAddress, uint16_t wPort)
    {
        const auto it = m_infos.find(ulKey(dwAddress, wPort));
        return it != m_infos.end() ? &it->second : nullptr;
    }
    Info* lpFindByLink(const TLink* lpLink)
    {
        for (auto& entry : m_infos)
            if (entry.second.lpLink == lpLink)
                return &entry.second;
        return nullptr;
    }
    // Replaces an info of the same address and port.
    Info& Create(uint32_t dwAddress, uint16_t wPort, TLink* lpLink)
    {
        Info& info = m_infos[ulKey(dwAddress, wPort)];
        info = Info{};
        info.dwAddress = dwAddress;
        info.wPort = wPort;
        info.lpLink = lpLink;
        return info;
    }
    // Takes the info of the link out of the table; false when absent.
    bool boTake(const TLink* lpLink, Info& out)
    {
        for (auto it = m_infos.begin(); it != m_infos.end(); ++it)
            if (it->second.lpLink == lpLink)
            {
                out = std::move(it->second);
                m_infos.erase(it);
                return true;
            }
        return false;
    }
    // Drops the client from every waiting list.
    void vForgetWaiting(const TClient* lpClient)
    {
        for (auto& entry : m_infos)
        {
            auto& w = entry.second.waiting;
            w.erase(std::remove(w.begin(), w.end(), lpClient), w.end());
        }
    }
    static void vRemoveChannel(Info& info, uint8_t bChannel)
    {
        auto& c = info.channels;
        c.erase(std::remove(c.begin(), c.end(), bChannel), c.end());
    }
    std::vector<TLink*> Links() const
    {
        std::vector<TLink*> out;
        for (const auto& entry : m_infos)
            out.push_back(entry.second.lpLink);
        return out;
    }
    size_t ulSize() const { return m_infos.size(); }

private:
    static uint64_t ulKey(uint32_t dwAddress, uint16_t wPort) { return (uint64_t(dwAddress) << 16) | wPort; }
    std::map<uint64_t, Info> m_infos;
};

} // namespace HubRouting
