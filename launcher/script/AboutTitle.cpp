#include "AboutTitle.h"

#include <cstring>

CAboutTitle::STick CAboutTitle::Tick()
{
    STick result;
    ++m_ticks;
    const char* word = Word();
    const size_t length = std::strlen(word);
    // The words shown have several letters; one letter would leave no gap to spread.
    const uint32_t k = length > 1 ? static_cast<uint32_t>(length - 1) : 1;
    const uint32_t n = static_cast<uint32_t>(108.0 / k);
    const uint32_t phase = m_ticks % (2 * n);
    if (phase == n)
        m_centred = !m_centred;
    if (phase == 0)
    {
        if (++m_loops % 2 == 0)
        {
            m_showsMaker = !m_showsMaker;
            result.restartMs = m_showsMaker ? kMakerPeriodMs : kServicePeriodMs;
            m_ticks = 0;
            m_loops = 0;
        }
        return result;
    }
    const uint32_t gap = phase < n ? phase : 2 * n - phase;
    if (m_centred)
        result.title.assign(static_cast<size_t>(n - gap) * k, ' ');
    for (size_t i = 0; i < length; ++i)
    {
        if (i)
            result.title.append(gap, ' ');
        result.title += word[i];
    }
    result.setTitle = true;
    return result;
}
