#include "ReconnectPolicy.h"

namespace HubRouting
{

CReconnectPolicy::CReconnectPolicy(uint16_t wAttempts, uint32_t dwBetweenMs, uint32_t dwTimeoutMs)
{
    vSetParams(wAttempts, dwBetweenMs, dwTimeoutMs);
}

void CReconnectPolicy::vSetParams(uint16_t wAttempts, uint32_t dwBetweenMs, uint32_t dwTimeoutMs)
{
    if (wAttempts == 0)
    {
        m_boEnabled = false;
        return;
    }
    m_boEnabled = true;
    m_wAttempts = wAttempts;
    m_wLeft = wAttempts;
    m_dwBetweenMs = dwBetweenMs;
    m_dwTimeoutMs = dwTimeoutMs;
}

bool CReconnectPolicy::boNextTry()
{
    if (!m_boEnabled)
        return false;
    if (m_wLeft > 0)
        --m_wLeft;
    if (m_wLeft > 0)
        return true;
    m_boEnabled = false;
    return false;
}

} // namespace HubRouting
