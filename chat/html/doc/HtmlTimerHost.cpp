#include "HtmlTimerHost.h"

#include <algorithm>

void CHtmlTimer::OnTimer(uint32_t /*argument*/) {}

namespace
{
bool Fits(uint32_t interval, uint32_t base)
{
    const uint32_t remainder = interval % base;
    const uint32_t tolerance = interval / 10;
    return remainder <= tolerance || base - remainder <= tolerance;
}
} // namespace

uint32_t CHtmlTimerHost::ComputeBasePeriod(const std::vector<uint32_t>& intervals)
{
    if (intervals.empty())
        return kZeroIntervalPeriod;
    uint32_t base = std::min(*std::min_element(intervals.begin(), intervals.end()), kMaxBasePeriod);
    if (base == 0)
        base = kZeroIntervalPeriod;
    while (base > kMinHalvedPeriod &&
           !std::all_of(intervals.begin(), intervals.end(), [base](uint32_t i) { return Fits(i, base); }))
        base >>= 1;
    return base;
}

uint32_t CHtmlTimerHost::TicksFor(uint32_t interval, uint32_t basePeriod)
{
    // Nearest whole number; a fraction of exactly one half rounds down.
    const uint32_t whole = interval / basePeriod;
    const uint32_t rest = interval % basePeriod;
    return whole + (uint64_t(rest) * 2 > basePeriod ? 1 : 0);
}

int32_t CHtmlTimerHost::AddTimer(CHtmlTimer* record, uint32_t interval)
{
    if (!m_records.empty() && m_active)
    {
        Stop();
        m_active = false;
    }
    record->m_interval = interval;
    if (std::find(m_records.begin(), m_records.end(), record) == m_records.end())
        m_records.push_back(record);
    std::vector<uint32_t> intervals;
    for (const CHtmlTimer* r : m_records)
        intervals.push_back(r->m_interval);
    const uint32_t base = ComputeBasePeriod(intervals);
    for (CHtmlTimer* r : m_records)
    {
        r->m_ticks = TicksFor(r->m_interval, base);
        r->m_counter = 0;
    }
    const int32_t result = Start(base);
    m_active = true;
    return result;
}

void CHtmlTimerHost::RemoveTimer(CHtmlTimer* record)
{
    m_records.erase(std::remove(m_records.begin(), m_records.end(), record), m_records.end());
    if (m_records.empty() && m_active)
    {
        Stop();
        m_active = false;
    }
}

void CHtmlTimerHost::OnTick(uint32_t argument)
{
    // A copy, since OnTimer may change the list; each record is checked
    // against the live list before it is touched.
    const std::vector<CHtmlTimer*> records = m_records;
    for (CHtmlTimer* record : records)
    {
        if (std::find(m_records.begin(), m_records.end(), record) == m_records.end())
            continue;
        const uint32_t ticks = record->m_ticks == 0 ? 1 : record->m_ticks;
        if (++record->m_counter % ticks == 0)
        {
            record->m_counter = 0;
            record->OnTimer(argument);
        }
    }
}
