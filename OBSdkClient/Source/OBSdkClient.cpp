#include "OBSdkClient.h"

#include "LPCManagedClient.h"
#include "LibraryState.h"

namespace OBSdkClient
{

namespace
{

uint32_t g_ulInitCount = 0;
Library::LPLPCLOSTCALLBACK g_lpLost = nullptr;
HINSTANCE g_hInstance = nullptr;
CHostRecord g_defaultHub(kLoopbackHostName, kDefaultHubPort);

// The managed client of that hub tells its channels; it stays in the map.
void vOnLPCLost(const CHostRecord& hub, uint32_t dwReason)
{
    FdSystem::CAutoLock lock(&Library::ClientMapLock());
    auto found = Library::Clients().find(hub);
    if (found != Library::Clients().end())
        found->second->vOnLPCLost(dwReason);
}

} // namespace

namespace Library
{

FdSystem::CCriticalSection& ClientMapLock()
{
    static FdSystem::CCriticalSection lock;
    return lock;
}

ClientMap& Clients()
{
    static ClientMap clients;
    return clients;
}

COpenWaitMap& OpenWaits()
{
    static COpenWaitMap waits;
    return waits;
}

LPLPCLOSTCALLBACK lpGetLPCLostCallback()
{
    return g_lpLost;
}

} // namespace Library

bool Init(HINSTANCE hInstance, uint16_t wHubPort)
{
    if (g_ulInitCount == 0)
    {
        g_lpLost = &vOnLPCLost;
        g_hInstance = hInstance;
        g_defaultHub.wPort = wHubPort;
    }
    ++g_ulInitCount;
    return true;
}

bool Term()
{
    if (g_ulInitCount == 0)
        return true;
    if (--g_ulInitCount != 0)
        return true;
    Library::OpenWaits().vClear();
    FdSystem::CAutoLock lock(&Library::ClientMapLock());
    // Taken out of the map first: a client's teardown may pump messages.
    Library::ClientMap clients;
    clients.swap(Library::Clients());
    for (auto& entry : clients)
    {
        entry.second->vDetachChannels();
        delete entry.second;
    }
    return true;
}

CHostRecord GetDefaultHub()
{
    return g_defaultHub;
}

HINSTANCE hGetModuleInstance()
{
    return g_hInstance;
}

uint32_t ulGetInitCount()
{
    return g_ulInitCount;
}

} // namespace OBSdkClient
