// The answer that a channel open waits for, per server: the hub's 'a'
// (with the channel id) or 'b'. An answer that no open is waiting for is not
// kept: a late 'a' must be released with 'D' by the caller, so that neither
// the hub's channel leaks nor the next open to that server ends at once.
#pragma once

#include <cstdint>

namespace OBSdkClient
{

class COpenWaitState
{
public:
    static constexpr uint8_t kNoChannel = 255;

    // An open starts waiting; with no other open waiting, any earlier answer is forgotten.
    void vStart();
    // The open stops waiting, having taken the answer if there was one.
    void vFinish();

    // 'a': true when an open takes the channel (wake it); false when nobody
    // waits or an answer is already there: release the channel.
    bool boOnSucceeded(uint8_t bChannel);
    // 'b': true when an open waits for it (wake it); false: ignore.
    bool boOnFailed();

    bool boIsWaiting() const { return m_ulWaiters != 0; }
    bool boAnswered() const { return m_boAnswered; }
    bool boSucceeded() const { return m_boSucceeded; }
    uint8_t bGetChannel() const { return m_bChannel; }

private:
    uint32_t m_ulWaiters = 0; // opens to this server waiting, nested ones included
    bool m_boAnswered = false;
    bool m_boSucceeded = false;
    uint8_t m_bChannel = kNoChannel;
};

} // namespace OBSdkClient
