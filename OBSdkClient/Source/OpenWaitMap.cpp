#include "OpenWaitMap.h"

namespace OBSdkClient
{

SOpenWait* COpenWaitMap::lpFindOrCreate(const CHostRecord& server)
{
    auto found = m_records.find(server);
    if (found != m_records.end())
        return found->second.get();
    std::unique_ptr<SOpenWait> record(new SOpenWait);
    // An auto-reset event, not signalled.
    if (record->event.dwCreate(false, false) != 0)
        return nullptr;
    SOpenWait* lpRecord = record.get();
    m_records.emplace(server, std::move(record));
    return lpRecord;
}

SOpenWait* COpenWaitMap::lpFind(const CHostRecord& server)
{
    auto found = m_records.find(server);
    return found != m_records.end() ? found->second.get() : nullptr;
}

void COpenWaitMap::vClear()
{
    FdSystem::CAutoLock lock(&m_lock);
    m_records.clear();
}

} // namespace OBSdkClient
