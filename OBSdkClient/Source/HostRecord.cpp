#include "HostRecord.h"

#include "ExceptionBase.h"

namespace OBSdkClient
{

CHostRecord::CHostRecord(const char* lpszHost, uint16_t wPort, uint32_t dwAddr) : dwAddr(dwAddr), wPort(wPort)
{
    vSetHost(lpszHost);
}

void CHostRecord::vSetHost(const char* lpszHost)
{
    FdBase::vCopyBounded(szHost, kHostMax, lpszHost);
}

bool operator==(const CHostRecord& a, const CHostRecord& b)
{
    return a.dwAddr == b.dwAddr && a.wPort == b.wPort;
}

bool operator<(const CHostRecord& a, const CHostRecord& b)
{
    if (a.dwAddr != b.dwAddr)
        return a.dwAddr < b.dwAddr;
    return a.wPort < b.wPort;
}

} // namespace OBSdkClient
