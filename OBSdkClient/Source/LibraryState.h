// The library's process-wide state behind Init and Term: the managed client
// of each hub and the open-wait records of each server.
#pragma once

#include <cstdint>
#include <map>

#include "CriticalSection.h"
#include "HostRecord.h"
#include "OpenWaitMap.h"

namespace OBSdkClient
{

class CLPCManagedClient;

namespace Library
{

// Hub record -> its managed client, under ClientMapLock().
using ClientMap = std::map<CHostRecord, CLPCManagedClient*>;
FdSystem::CCriticalSection& ClientMapLock();
ClientMap& Clients();

COpenWaitMap& OpenWaits();

// Called by a hub connection that went (reason 1 aborted, 2 closed).
typedef void (*LPLPCLOSTCALLBACK)(const CHostRecord& hub, uint32_t dwReason);
// The callback the first Init stored (the library's own fan-out), or null before.
LPLPCLOSTCALLBACK lpGetLPCLostCallback();

} // namespace Library
} // namespace OBSdkClient
