// The browser's function table given to NPAPI plug-ins. Every call checks
// that it comes on the session's thread and names a live instance (and,
// for streams, one of that instance's streams); others are refused and
// logged as ERROR. NPN_MemAlloc, NPN_MemFree and NPN_UserAgent may be
// called from any thread.
#pragma once

#include "NpApi.h"

namespace FdBrowserHost
{
class CHostSession;

extern const char kUserAgent[];

// Fills the table with the given version; the session serves the calls.
void vFillBrowserFuncs(CHostSession* pSession, uint16_t wVersion, NPNetscapeFuncs* pFuncs);
} // namespace FdBrowserHost
