#include "NpBrowser.h"

namespace
{
NPNetscapeFuncs* g_lpFuncs = nullptr;
constexpr int32_t kWriteRefused = -1;
} // namespace

void NpBrowser::vSet(NPNetscapeFuncs* lpFuncs)
{
    g_lpFuncs = lpFuncs;
}

NPNetscapeFuncs* NpBrowser::lpGet()
{
    return g_lpFuncs;
}

uint16_t NpBrowser::uMinorVersion()
{
    return g_lpFuncs ? static_cast<uint16_t>(g_lpFuncs->version & 0xFF) : 0;
}

NPError NpBrowser::GetURL(NPP npp, const char* lpszUrl, const char* lpszTarget)
{
    return g_lpFuncs ? g_lpFuncs->geturl(npp, lpszUrl, lpszTarget) : NPERR_GENERIC_ERROR;
}

bool NpBrowser::boHasNotification()
{
    return g_lpFuncs && uMinorVersion() >= NPVERS_HAS_NOTIFICATION && g_lpFuncs->geturlnotify;
}

NPError NpBrowser::GetURLNotify(NPP npp, const char* lpszUrl, const char* lpszTarget, void* lpNotify)
{
    if (!boHasNotification())
        return GetURL(npp, lpszUrl, lpszTarget);
    return g_lpFuncs->geturlnotify(npp, lpszUrl, lpszTarget, lpNotify);
}

NPError NpBrowser::NewStream(NPP npp, const char* lpszType, const char* lpszTarget, NPStream** lplpStream)
{
    if (!g_lpFuncs || uMinorVersion() < NPVERS_HAS_STREAMOUTPUT)
        return NPERR_INCOMPATIBLE_VERSION_ERROR;
    return g_lpFuncs->newstream(npp, const_cast<char*>(lpszType), lpszTarget, lplpStream);
}

int32_t NpBrowser::Write(NPP npp, NPStream* lpStream, int32_t lLength, void* lpBytes)
{
    if (!g_lpFuncs || uMinorVersion() < NPVERS_HAS_STREAMOUTPUT)
        return kWriteRefused;
    return g_lpFuncs->write(npp, lpStream, lLength, lpBytes);
}

NPError NpBrowser::DestroyStream(NPP npp, NPStream* lpStream, NPReason reason)
{
    if (!g_lpFuncs || uMinorVersion() < NPVERS_HAS_STREAMOUTPUT)
        return NPERR_INCOMPATIBLE_VERSION_ERROR;
    return g_lpFuncs->destroystream(npp, lpStream, reason);
}

void* NpBrowser::MemAlloc(uint32_t ulSize)
{
    return g_lpFuncs ? g_lpFuncs->memalloc(ulSize) : nullptr;
}

void NpBrowser::MemFree(void* lp)
{
    if (g_lpFuncs && lp)
        g_lpFuncs->memfree(lp);
}

const CStreamBuffer::SAllocator& NpBrowser::allocator()
{
    static const CStreamBuffer::SAllocator kAllocator = {MemAlloc, MemFree};
    return kAllocator;
}
