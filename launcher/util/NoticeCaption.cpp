#include "NoticeCaption.h"

namespace
{
const char kServiceName[] = "Zelto";
} // namespace

uint32_t CNoticeCaption::Tick()
{
    ++m_nCounter;
    const uint32_t m = m_nCounter % kPeriod;
    if (m == kHalfPeriod)
        m_boIndent = !m_boIndent;
    m_nSpread = m < kHalfPeriod ? m : kPeriod - m;
    return m_nSpread;
}

std::string CNoticeCaption::Caption() const
{
    std::string caption;
    if (m_boIndent)
        caption.assign((kHalfPeriod - m_nSpread) * 2, ' ');
    for (const char* p = kServiceName; *p != '\0'; ++p)
    {
        if (p != kServiceName)
            caption.append(m_nSpread, ' ');
        caption += *p;
    }
    return caption;
}
