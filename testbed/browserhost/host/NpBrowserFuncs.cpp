#include "NpBrowserFuncs.h"

#include "HostSession.h"
#include "NpInstance.h"
#include "NpMemory.h"

#include <cstdio>

namespace FdBrowserHost
{
const char kUserAgent[] = "Mozilla/4.0 (compatible; FdBrowserHost 1.0; Windows NT 6.1)";

namespace
{
CHostSession* s_pSession = nullptr;
DWORD s_dwThread = 0;

std::string strPtr(const void* p)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "%p", p);
    return sz;
}

void vRefuse(const char* pszFunction, const char* pszText, NPP npp)
{
    if (s_pSession)
        s_pSession->log().vWrite(
            SLogLine("ERROR").add("what", pszFunction).add("npp", strPtr(npp)).add("text", pszText));
}

// The instance behind npp, when the call is allowed.
CNpInstance* pInstance(NPP npp, const char* pszFunction)
{
    if (!s_pSession)
        return nullptr;
    if (GetCurrentThreadId() != s_dwThread)
    {
        vRefuse(pszFunction, "called from another thread than the plug-in's", npp);
        return nullptr;
    }
    CNpInstance* p = s_pSession->pFindInstance(npp);
    if (!p)
        vRefuse(pszFunction, "not a live instance", npp);
    return p;
}

NPError NpnGetUrl(NPP npp, const char* url, const char* window)
{
    CNpInstance* p = pInstance(npp, "NPN_GetURL");
    return p ? p->eGetUrl(url, window, false, nullptr) : NPERR_INVALID_INSTANCE_ERROR;
}

NPError NpnPostUrl(NPP npp, const char* url, const char* window, uint32_t len, const char* buf, NPBool file)
{
    CNpInstance* p = pInstance(npp, "NPN_PostURL");
    return p ? p->ePostUrl(url, window, len, buf, file, false, nullptr) : NPERR_INVALID_INSTANCE_ERROR;
}

NPError NpnRequestRead(NPStream*, NPByteRange*)
{
    return NPERR_STREAM_NOT_SEEKABLE;
}

NPError NpnNewStream(NPP npp, NPMIMEType type, const char* window, NPStream** stream)
{
    CNpInstance* p = pInstance(npp, "NPN_NewStream");
    return p ? p->eNewStream(type, window, stream) : NPERR_INVALID_INSTANCE_ERROR;
}

int32_t NpnWrite(NPP npp, NPStream* stream, int32_t len, void* buffer)
{
    CNpInstance* p = pInstance(npp, "NPN_Write");
    return p ? p->lWrite(stream, len, buffer) : -1;
}

NPError NpnDestroyStream(NPP npp, NPStream* stream, NPReason reason)
{
    CNpInstance* p = pInstance(npp, "NPN_DestroyStream");
    return p ? p->eDestroyStream(stream, reason) : NPERR_INVALID_INSTANCE_ERROR;
}

void NpnStatus(NPP npp, const char* message)
{
    if (CNpInstance* p = pInstance(npp, "NPN_Status"))
        p->vStatus(message);
}

const char* NpnUserAgent(NPP)
{
    return kUserAgent;
}

void* NpnMemAlloc(uint32_t size)
{
    return CNpMemory::Get().pvAlloc(size);
}

void NpnMemFree(void* ptr)
{
    if (!CNpMemory::Get().boFree(ptr))
        vRefuse("NPN_MemFree", "not a block of NPN_MemAlloc, or freed twice", nullptr);
}

uint32_t NpnMemFlush(uint32_t)
{
    return 0;
}

void NpnReloadPlugins(NPBool) {}

void* NpnGetJavaEnv()
{
    return nullptr;
}

void* NpnGetJavaPeer(NPP)
{
    return nullptr;
}

NPError NpnGetUrlNotify(NPP npp, const char* url, const char* window, void* notifyData)
{
    CNpInstance* p = pInstance(npp, "NPN_GetURLNotify");
    return p ? p->eGetUrl(url, window, true, notifyData) : NPERR_INVALID_INSTANCE_ERROR;
}

NPError NpnPostUrlNotify(NPP npp, const char* url, const char* window, uint32_t len, const char* buf,
                         NPBool file, void* notifyData)
{
    CNpInstance* p = pInstance(npp, "NPN_PostURLNotify");
    return p ? p->ePostUrl(url, window, len, buf, file, true, notifyData) : NPERR_INVALID_INSTANCE_ERROR;
}

NPError NpnGetValue(NPP npp, NPNVariable variable, void* value)
{
    CNpInstance* p = pInstance(npp, "NPN_GetValue");
    return p ? p->eGetValue(variable, value) : NPERR_INVALID_INSTANCE_ERROR;
}

NPError NpnSetValue(NPP npp, NPPVariable variable, void* value)
{
    CNpInstance* p = pInstance(npp, "NPN_SetValue");
    return p ? p->eSetValue(variable, value) : NPERR_INVALID_INSTANCE_ERROR;
}

void NpnInvalidateRect(NPP npp, NPRect* rect)
{
    if (CNpInstance* p = pInstance(npp, "NPN_InvalidateRect"))
        p->vInvalidateRect(rect);
}

void NpnInvalidateRegion(NPP npp, NPRegion region)
{
    if (CNpInstance* p = pInstance(npp, "NPN_InvalidateRegion"))
        p->vInvalidateRegion(region);
}

void NpnForceRedraw(NPP npp)
{
    if (CNpInstance* p = pInstance(npp, "NPN_ForceRedraw"))
        p->vForceRedraw();
}
} // namespace

void vFillBrowserFuncs(CHostSession* pSession, uint16_t wVersion, NPNetscapeFuncs* f)
{
    s_pSession = pSession;
    s_dwThread = GetCurrentThreadId();
    *f = NPNetscapeFuncs{};
    f->size = sizeof(NPNetscapeFuncs);
    f->version = wVersion;
    f->geturl = NpnGetUrl;
    f->posturl = NpnPostUrl;
    f->requestread = NpnRequestRead;
    f->newstream = NpnNewStream;
    f->write = NpnWrite;
    f->destroystream = NpnDestroyStream;
    f->status = NpnStatus;
    f->uagent = NpnUserAgent;
    f->memalloc = NpnMemAlloc;
    f->memfree = NpnMemFree;
    f->memflush = NpnMemFlush;
    f->reloadplugins = NpnReloadPlugins;
    f->getJavaEnv = NpnGetJavaEnv;
    f->getJavaPeer = NpnGetJavaPeer;
    f->geturlnotify = NpnGetUrlNotify;
    f->posturlnotify = NpnPostUrlNotify;
    f->getvalue = NpnGetValue;
    f->setvalue = NpnSetValue;
    f->invalidaterect = NpnInvalidateRect;
    f->invalidateregion = NpnInvalidateRegion;
    f->forceredraw = NpnForceRedraw;
}
} // namespace FdBrowserHost
