// The NPAPI exports of npfdg and the plug-in functions the browser calls: each
// turns into a call on the instance's host glue (CNpHost).
#include "FdComModule.h"
#include "NpApi.h"
#include "NpBrowser.h"
#include "NpHost.h"
#include "PlugLife.h"

#include "ParamList.h"

#include <objbase.h>

#include <new>

namespace
{
NPPluginFuncs* g_lpPluginFuncs = nullptr;
bool g_boComInitialized = false;

CNpHost* lpHostOf(NPP npp)
{
    return npp ? static_cast<CNpHost*>(npp->pdata) : nullptr;
}

void vNothing(NPP, NPStream*, const char*) {}
void vNoPrint(NPP, NPPrint*) {}
void vUrlNotify(NPP npp, const char*, NPReason reason, void* lpNotifyData)
{
    if (CNpHost* lpHost = lpHostOf(npp))
        lpHost->URLNotify(lpNotifyData, reason);
}

void vFreeHost(NPP npp, CNpHost* lpHost)
{
    lpHost->~CNpHost();
    NpBrowser::MemFree(lpHost);
    npp->pdata = nullptr;
}

NPError NPP_New(NPMIMEType, NPP npp, uint16_t uMode, int16_t iArgc, char* aszArgn[], char* aszArgv[],
                NPSavedData*)
{
    if (!npp)
        return NPERR_INVALID_INSTANCE_ERROR;
    void* lpMemory = NpBrowser::MemAlloc(sizeof(CNpHost));
    if (!lpMemory)
        return NPERR_OUT_OF_MEMORY_ERROR;
    CNpHost* lpHost = new (lpMemory) CNpHost(npp, uMode);
    npp->pdata = lpHost;
    CParamList attributes(CParamList::kszSeparator);
    for (int16_t i = 0; i < iArgc; ++i)
        if (aszArgn && aszArgn[i])
            attributes.vAdd(aszArgn[i], aszArgv ? aszArgv[i] : nullptr);
    if (lpHost->inst().boNewInstance(attributes))
        return NPERR_NO_ERROR;
    // The browser calls no NPP_Destroy for a refused instance: free it now.
    vFreeHost(npp, lpHost);
    return NPERR_GENERIC_ERROR;
}

NPError NPP_Destroy(NPP npp, NPSavedData**)
{
    CNpHost* lpHost = lpHostOf(npp);
    if (!npp)
        return NPERR_INVALID_INSTANCE_ERROR;
    if (!lpHost)
        return NPERR_NO_ERROR;
    lpHost->inst().vDestroyInstance();
    vFreeHost(npp, lpHost);
    return NPERR_NO_ERROR;
}

NPError NPP_SetWindow(NPP npp, NPWindow* lpWindow)
{
    CNpHost* lpHost = lpHostOf(npp);
    return lpHost ? lpHost->SetWindow(lpWindow) : NPERR_INVALID_INSTANCE_ERROR;
}

NPError NPP_NewStream(NPP npp, NPMIMEType, NPStream* lpStream, NPBool, uint16_t* lpuType)
{
    CNpHost* lpHost = lpHostOf(npp);
    if (!lpHost || !lpStream)
        return NPERR_INVALID_INSTANCE_ERROR;
    if (lpuType)
        *lpuType = NP_NORMAL;
    return lpHost->NewStream(lpStream);
}

int32_t NPP_WriteReady(NPP, NPStream*)
{
    return 0x0FFFFFFF;
}

int32_t NPP_Write(NPP npp, NPStream* lpStream, int32_t, int32_t lLength, void* lpBytes)
{
    CNpHost* lpHost = lpHostOf(npp);
    if (lpHost && lpStream)
        lpHost->Write(lpStream, lLength, lpBytes);
    return lLength;
}

NPError NPP_DestroyStream(NPP npp, NPStream* lpStream, NPReason reason)
{
    CNpHost* lpHost = lpHostOf(npp);
    if (!lpHost)
        return NPERR_INVALID_INSTANCE_ERROR;
    return lpStream ? lpHost->DestroyStream(lpStream, reason) : NPERR_NO_ERROR;
}
} // namespace

extern "C" NPError NP_EXPORTCALL NP_GetEntryPoints(NPPluginFuncs* lpFuncs)
{
    if (!lpFuncs)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    lpFuncs->version = (NP_VERSION_MAJOR << 8) | NPVERS_HAS_NOTIFICATION;
    lpFuncs->newp = NPP_New;
    lpFuncs->destroy = NPP_Destroy;
    lpFuncs->setwindow = NPP_SetWindow;
    lpFuncs->newstream = NPP_NewStream;
    lpFuncs->destroystream = NPP_DestroyStream;
    lpFuncs->asfile = vNothing;
    lpFuncs->writeready = NPP_WriteReady;
    lpFuncs->write = NPP_Write;
    lpFuncs->print = vNoPrint;
    lpFuncs->event = nullptr;
    g_lpPluginFuncs = lpFuncs;
    return NPERR_NO_ERROR;
}

extern "C" NPError NP_EXPORTCALL NP_Initialize(NPNetscapeFuncs* lpFuncs)
{
    if (!lpFuncs)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    NpBrowser::vSet(lpFuncs);
    if ((lpFuncs->version >> 8) != NP_VERSION_MAJOR)
        return NPERR_INCOMPATIBLE_VERSION_ERROR;
    if ((lpFuncs->version & 0xFF) >= NPVERS_HAS_NOTIFICATION && g_lpPluginFuncs)
    {
        // Notifications end the requests that got no stream (refused, HTTP errors).
        g_lpPluginFuncs->urlnotify = vUrlNotify;
        g_lpPluginFuncs->javaClass = nullptr; // no Java class: the browser gives no Java environment here
    }
    // Uninitialise later only what this call initialised.
    g_boComInitialized = SUCCEEDED(CoInitialize(nullptr));
    PlugLife::vStart();
    return NPERR_NO_ERROR;
}

extern "C" NPError NP_EXPORTCALL NP_Shutdown()
{
    PlugLife::vStop();
    // An object of this module that something still holds (a component
    // that kept a callback) must find its code: the module then stays
    // loaded until the process ends.
    if (FdCom::CModule::Get().lLockCount() > 0)
    {
        HMODULE hSelf = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCSTR>(&NP_Shutdown), &hSelf);
    }
    if (g_boComInitialized)
        CoUninitialize();
    g_boComInitialized = false;
    NpBrowser::vSet(nullptr);
    return NPERR_NO_ERROR;
}
