#include "CnxRing.h"

namespace ChatIrc
{

CCnxRing::CCnxRing(size_t capacity) : m_slots(capacity < kMinCapacity ? kMinCapacity : capacity) {}

bool CCnxRing::boPush(const char* data, size_t length)
{
    std::lock_guard<std::mutex> hold(m_lock);
    const size_t next = (m_uWrite + 1) % m_slots.size();
    if (next == m_uRead)
        return false;
    m_slots[m_uWrite].assign(data, length);
    m_uWrite = next;
    ++m_uCount;
    return true;
}

bool CCnxRing::boPop(std::string& block)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_uRead == m_uWrite)
        return false;
    block.swap(m_slots[m_uRead]);
    m_slots[m_uRead].clear();
    m_uRead = (m_uRead + 1) % m_slots.size();
    --m_uCount;
    return true;
}

size_t CCnxRing::uCount()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_uCount;
}

void CTextAccumulator::vFeed(const char* data, size_t length, const TextFn& onText)
{
    for (size_t i = 0; i < length; ++i)
    {
        if (data[i] != '\0')
        {
            m_strText += data[i];
            continue;
        }
        const std::string text = m_strText; // the callback may feed again
        m_strText.clear();
        onText(text.c_str(), text.size() + 1);
    }
}

} // namespace ChatIrc
