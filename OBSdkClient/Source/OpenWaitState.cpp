#include "OpenWaitState.h"

namespace OBSdkClient
{

void COpenWaitState::vStart()
{
    // A nested open (started by a message pumped during another one's wait)
    // leaves the outer open's answer in place: whichever finishes first takes it.
    if (m_ulWaiters++ == 0)
    {
        m_boAnswered = false;
        m_boSucceeded = false;
        m_bChannel = kNoChannel;
    }
}

void COpenWaitState::vFinish()
{
    // The open that finishes has taken the answer, if there was one.
    if (m_ulWaiters != 0)
        --m_ulWaiters;
    m_boAnswered = false;
    m_boSucceeded = false;
    m_bChannel = kNoChannel;
}

bool COpenWaitState::boOnSucceeded(uint8_t bChannel)
{
    if (m_ulWaiters == 0 || m_boAnswered)
        return false;
    m_boAnswered = true;
    m_boSucceeded = true;
    m_bChannel = bChannel;
    return true;
}

bool COpenWaitState::boOnFailed()
{
    if (m_ulWaiters == 0 || m_boAnswered)
        return false;
    m_boAnswered = true;
    m_boSucceeded = false;
    m_bChannel = kNoChannel;
    return true;
}

} // namespace OBSdkClient
