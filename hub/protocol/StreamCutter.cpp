#include "StreamCutter.h"

#include <algorithm>

namespace HubProto
{

CStreamCutter::CStreamCutter(const FrameLimits& limits)
    : m_limits(limits), m_fifo(kFifoGrowthStep, limits.ulMaxTotal)
{
}

void CStreamCutter::vFeed(const uint8_t* block, uint32_t size)
{
    vConsumeHandedOut();
    if (!m_boFailed && m_ulBlockPos < m_ulBlockSize && !boBufferRest())
        Fail(m_fifo.ulGetSize());
    m_lpBlock = block;
    m_ulBlockSize = block != nullptr ? size : 0;
    m_ulBlockPos = 0;
}

CStreamCutter::ECut CStreamCutter::Next(ByteSpan& out)
{
    out = ByteSpan{};
    vConsumeHandedOut();
    if (m_boFailed)
        return ECut::Malformed;

    uint32_t total = 0;
    if (m_fifo.ulGetSize() != 0)
    {
        if (!boTopUp(kLengthFieldEnd))
            return m_boFailed ? ECut::Malformed : ECut::NeedMore;
        if (CheckFrame(m_fifo.lpGetData(), m_fifo.ulGetSize(), m_limits, total) == FrameStatus::Malformed)
            return Fail(total);
        if (!boTopUp(total))
            return m_boFailed ? ECut::Malformed : ECut::NeedMore;
        out = ByteSpan{m_fifo.lpGetData(), total};
        m_ulHandedOutOfFifo = total;
        return ECut::Message;
    }

    const uint8_t* p = m_lpBlock + m_ulBlockPos;
    switch (CheckFrame(p, m_ulBlockSize - m_ulBlockPos, m_limits, total))
    {
    case FrameStatus::Complete:
        out = ByteSpan{p, total};
        m_ulBlockPos += total;
        return ECut::Message;
    case FrameStatus::Malformed:
        return Fail(total);
    case FrameStatus::NeedMore:
        break;
    }
    if (!boBufferRest())
        return Fail(m_ulBlockSize - m_ulBlockPos);
    return ECut::NeedMore;
}

void CStreamCutter::vReset()
{
    vConsumeHandedOut();
    m_fifo.vConsume(m_fifo.ulGetSize());
    m_lpBlock = nullptr;
    m_ulBlockSize = m_ulBlockPos = 0;
    m_boFailed = false;
    m_ulBadLength = 0;
}

uint32_t CStreamCutter::ulGetBuffered() const
{
    return m_fifo.ulGetSize() - m_ulHandedOutOfFifo;
}

CStreamCutter::ECut CStreamCutter::Fail(uint32_t badLength)
{
    m_boFailed = true;
    m_ulBadLength = badLength;
    m_lpBlock = nullptr;
    m_ulBlockSize = m_ulBlockPos = 0;
    return ECut::Malformed;
}

void CStreamCutter::vConsumeHandedOut()
{
    if (m_ulHandedOutOfFifo != 0)
    {
        m_fifo.vConsume(m_ulHandedOutOfFifo);
        m_ulHandedOutOfFifo = 0;
    }
}

bool CStreamCutter::boBufferRest()
{
    const uint32_t rest = m_ulBlockSize - m_ulBlockPos;
    const bool ok = rest == 0 || m_fifo.boPush(m_lpBlock + m_ulBlockPos, rest);
    m_ulBlockPos = m_ulBlockSize;
    return ok;
}

bool CStreamCutter::boTopUp(uint32_t target)
{
    const uint32_t have = m_fifo.ulGetSize();
    if (have >= target)
        return true;
    const uint32_t take = std::min(target - have, m_ulBlockSize - m_ulBlockPos);
    if (take != 0)
    {
        // Only fails when memory is short: the FIFO then holds one message at most.
        if (!m_fifo.boPush(m_lpBlock + m_ulBlockPos, take))
        {
            Fail(have + take);
            return false;
        }
        m_ulBlockPos += take;
    }
    return m_fifo.ulGetSize() >= target;
}

} // namespace HubProto
