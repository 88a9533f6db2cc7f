// How often a server link tries to come back after it was lost.
#pragma once

#include <cstdint>

namespace HubRouting
{

class CReconnectPolicy
{
public:
    // Attempts 0 switches reconnection off; otherwise the values are kept and
    // the attempts left refilled.
    CReconnectPolicy(uint16_t wAttempts, uint32_t dwBetweenMs, uint32_t dwTimeoutMs);
    void vSetParams(uint16_t wAttempts, uint32_t dwBetweenMs, uint32_t dwTimeoutMs);

    // One more try? The count is lowered first, so n attempts give n - 1
    // tries. When none is left reconnection switches off.
    bool boNextTry();
    // A reconnection succeeded: the attempts left are full again.
    void vRefill() { m_wLeft = m_wAttempts; }

    bool boIsEnabled() const { return m_boEnabled; }
    uint16_t wGetAttempts() const { return m_wAttempts; }
    uint16_t wGetLeft() const { return m_wLeft; }
    uint32_t dwGetBetweenMs() const { return m_dwBetweenMs; }
    uint32_t dwGetTimeoutMs() const { return m_dwTimeoutMs; }

private:
    bool m_boEnabled = false;
    uint16_t m_wAttempts = 0;
    uint16_t m_wLeft = 0;
    uint32_t m_dwBetweenMs = 0;
    uint32_t m_dwTimeoutMs = 0;
};

} // namespace HubRouting
