#include "NetSendBatch.h"

#include <algorithm>

#include "NetAsync.h"

namespace FdNet
{

namespace
{
thread_local CSendBatch* t_lpBatch = nullptr;
}

CSendBatch::CSendBatch() : m_lpOuter(t_lpBatch)
{
    if (m_lpOuter == nullptr)
        t_lpBatch = this;
}

CSendBatch::~CSendBatch()
{
    if (m_lpOuter != nullptr)
        return;
    // A release may end in a handler that sends again: those sends leave at once.
    t_lpBatch = nullptr;
    for (CNetAsync* socket : m_held)
        socket->boReleaseSends();
}

bool CSendBatch::boJoin(CNetAsync& socket)
{
    CSendBatch* batch = t_lpBatch;
    if (batch == nullptr)
        return false;
    if (std::find(batch->m_held.begin(), batch->m_held.end(), &socket) == batch->m_held.end())
        batch->m_held.push_back(&socket);
    return true;
}

void CSendBatch::vLeave(CNetAsync& socket)
{
    if (CSendBatch* batch = t_lpBatch)
        batch->m_held.erase(std::remove(batch->m_held.begin(), batch->m_held.end(), &socket),
                            batch->m_held.end());
}

} // namespace FdNet
