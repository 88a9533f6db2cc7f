// Per server, what a channel open waits for: the answer state and the event
// that wakes the open. A record is made by the first open towards a server
// and kept for later opens to it, until the last Term.
#pragma once

#include <map>
#include <memory>

#include "CriticalSection.h"
#include "HostRecord.h"
#include "OpenWaitState.h"
#include "WinEvent.h"

namespace OBSdkClient
{

struct SOpenWait
{
    FdWin::CEvent event;
    FdSystem::CCriticalSection lock; // serialises the opens towards the server
    COpenWaitState state;            // under the map's lock
};

class COpenWaitMap
{
public:
    // The map's lock (the wait-map lock): held around every look-up and every
    // use of a record's state.
    FdSystem::CCriticalSection& Lock() { return m_lock; }
    // Under Lock(). Null when the record's event cannot be created.
    SOpenWait* lpFindOrCreate(const CHostRecord& server);
    // Under Lock(). Null when no open was ever made towards the server.
    SOpenWait* lpFind(const CHostRecord& server);
    // Closes every event and forgets every record.
    void vClear();

private:
    FdSystem::CCriticalSection m_lock;
    std::map<CHostRecord, std::unique_ptr<SOpenWait>> m_records;
};

} // namespace OBSdkClient
