#include <winsock2.h>

#include "WinsockUse.h"

#include "CriticalSection.h"

namespace FdNet
{

namespace
{

constexpr WORD kWinsockVersion = 0x0101;

FdSystem::CCriticalSection& UseLock()
{
    static FdSystem::CCriticalSection lock;
    return lock;
}

unsigned g_uUses = 0;

} // namespace

CWinsockUse::CWinsockUse()
{
    FdSystem::CAutoLock lock(&UseLock());
    if (g_uUses == 0)
    {
        WSADATA data;
        m_iError = WSAStartup(kWinsockVersion, &data);
        // A failed start must not be paired with a cleanup.
        if (m_iError != 0)
            return;
    }
    ++g_uUses;
    m_boCounted = true;
}

CWinsockUse::~CWinsockUse()
{
    if (!m_boCounted)
        return;
    FdSystem::CAutoLock lock(&UseLock());
    if (--g_uUses == 0)
        WSACleanup();
}

unsigned CWinsockUse::uGetUseCount()
{
    FdSystem::CAutoLock lock(&UseLock());
    return g_uUses;
}

} // namespace FdNet
