// The three exports and the nine plug-in calls. Every call runs on the
// browser's thread (under the ActiveX emulation, on the control's).
#include "ChatInstance.h"
#include "ChatBrowser.h"
#include "NpChoice.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

namespace ChatPlugin
{
namespace
{
NPNetscapeFuncs g_table;              // the private copy of the browser's table
NPNetscapeFuncs* g_lpTable = nullptr; // &g_table while initialised
NPPluginFuncs* g_lpPluginFuncs = nullptr;
long g_lUsers = 0;
volatile int g_iSanity = kSanity;

CPluginInstance* lpInstance(NPP npp)
{
    return static_cast<CPluginInstance*>(npp->pdata);
}
CPluginStream* lpStream(NPStream* stream)
{
    return stream ? static_cast<CPluginStream*>(stream->pdata) : nullptr;
}

NPError NppNew(NPMIMEType, NPP npp, uint16_t mode, int16_t argc, char* argn[], char* argv[], NPSavedData*)
{
    if (!npp)
        return NPERR_INVALID_INSTANCE_ERROR;
    try
    {
        auto args = std::make_unique<CPluginArgs>(argc, argn, argv);
        new CChatInstance(npp, mode, std::move(args)); // keeps itself in npp->pdata
    }
    catch (...)
    {
        npp->pdata = nullptr;
        return NPERR_OUT_OF_MEMORY_ERROR;
    }
    return NPERR_NO_ERROR;
}

NPError NppDestroy(NPP npp, NPSavedData**)
{
    if (!npp)
        return NPERR_INVALID_INSTANCE_ERROR;
    CPluginInstance* inst = lpInstance(npp);
    if (!inst)
        return NPERR_INVALID_PLUGIN_ERROR;
    const NPError result = inst->Destroy();
    delete inst;
    npp->pdata = nullptr;
    return result;
}

NPError NppSetWindow(NPP npp, NPWindow* window)
{
    if (!npp)
        return NPERR_INVALID_INSTANCE_ERROR;
    CPluginInstance* inst = lpInstance(npp);
    if (!inst)
        return NPERR_INVALID_PLUGIN_ERROR;
    return inst->SetWindow(window);
}

NPError NppNewStream(NPP npp, NPMIMEType type, NPStream* stream, NPBool seekable, uint16_t* stype)
{
    if (!npp)
        return NPERR_INVALID_INSTANCE_ERROR;
    CPluginInstance* inst = lpInstance(npp);
    if (!inst)
        return NPERR_INVALID_PLUGIN_ERROR;
    const uint16_t proposed = stype ? *stype : NP_NORMAL;
    const uint16_t chosen = uChooseStreamType(type, stream ? stream->url : nullptr, proposed);
    CPluginStream* s = inst->NewStream(type, stream, seekable, chosen);
    if (!s)
        return NPERR_OUT_OF_MEMORY_ERROR;
    if (stype)
        *stype = s->uStreamType();
    return NPERR_NO_ERROR;
}

NPError NppDestroyStream(NPP npp, NPStream* stream, NPReason reason)
{
    if (!npp)
        return NPERR_INVALID_INSTANCE_ERROR;
    CPluginStream* s = lpStream(stream);
    if (!s)
        return NPERR_GENERIC_ERROR;
    const NPError result = s->DestroyStream(reason);
    if (CPluginInstance* inst = lpInstance(npp))
        inst->vStreamDone(s);
    delete s;
    return result;
}

void NppStreamAsFile(NPP npp, NPStream* stream, const char* fname)
{
    CPluginStream* s = lpStream(stream);
    if (npp && fname && *fname && s)
        s->vStreamAsFile(fname);
}

int32_t NppWriteReady(NPP npp, NPStream* stream)
{
    CPluginStream* s = lpStream(stream);
    return npp && s ? s->iWriteReady() : -1;
}

int32_t NppWrite(NPP npp, NPStream* stream, int32_t offset, int32_t len, void* buffer)
{
    CPluginStream* s = lpStream(stream);
    return npp && s ? s->iWrite(offset, len, buffer) : -1;
}

void NppPrint(NPP npp, NPPrint* print)
{
    if (npp && print && lpInstance(npp))
        lpInstance(npp)->vPrint(print);
}

void NppUrlNotify(NPP, const char*, NPReason, void*) {}

bool boTableUsable()
{
    if (g_iSanity != kSanity || !g_lpTable)
        return false;
    if (IsBadReadPtr(g_lpTable, sizeof *g_lpTable))
        return false;
    const void* getUrl = reinterpret_cast<const void*>(g_lpTable->geturl);
    if (!getUrl || getUrl == reinterpret_cast<const void*>(g_lpTable->posturl))
        return false;
    return !IsBadCodePtr(reinterpret_cast<FARPROC>(reinterpret_cast<void*>(g_lpTable->geturl)));
}

// This module's own handle, whatever its file is called.
HMODULE hOwnModule()
{
    HMODULE h = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&hOwnModule), &h);
    return h;
}
} // namespace

NPNetscapeFuncs* lpBrowserTable()
{
    return g_lpTable;
}

NPError iGetUrl(NPP npp, const char* url, const char* target)
{
    if (!boTableUsable())
        return NPERR_NO_ERROR;
    return g_lpTable->geturl(npp, url, target);
}

void vBrowserVersion(int& major, int& minor)
{
    major = g_lpTable ? g_lpTable->version >> 8 : 0;
    minor = g_lpTable ? g_lpTable->version & 0xFF : 0;
}

const char* pszBrowserKind()
{
    return g_lpTable && reinterpret_cast<intptr_t>(g_lpTable->getJavaPeer) == -1 ? "AX" : "NP";
}

NPError NP_EXPORTCALL NpGetEntryPoints(NPPluginFuncs* funcs)
{
    if (!funcs)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    funcs->version = 11;
    funcs->newp = NppNew;
    funcs->destroy = NppDestroy;
    funcs->setwindow = NppSetWindow;
    funcs->newstream = NppNewStream;
    funcs->destroystream = NppDestroyStream;
    funcs->asfile = NppStreamAsFile;
    funcs->writeready = NppWriteReady;
    funcs->write = NppWrite;
    funcs->print = NppPrint;
    funcs->event = nullptr;
    g_lpPluginFuncs = funcs;
    return NPERR_NO_ERROR;
}

NPError NP_EXPORTCALL NpInitialize(NPNetscapeFuncs* funcs)
{
    // Only a call that succeeded counts a user: one after a failure initialises.
    if (g_lUsers > 0)
    {
        ++g_lUsers;
        return NPERR_NO_ERROR;
    }
    if (!funcs)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    // The browser's table may be shorter or longer than ours: copy what both
    // have and leave the rest empty.
    std::memset(&g_table, 0, sizeof g_table);
    std::memcpy(&g_table, funcs, std::min<size_t>(funcs->size, sizeof g_table));
    if ((funcs->version >> 8) != NP_VERSION_MAJOR)
        return NPERR_INCOMPATIBLE_VERSION_ERROR;
    if ((funcs->version & 0xFF) >= NPVERS_HAS_NOTIFICATION && g_lpPluginFuncs)
    {
        g_lpPluginFuncs->urlnotify = NppUrlNotify;
        g_lpPluginFuncs->javaClass = nullptr;
    }
    g_lpTable = &g_table;
    ++g_lUsers;
    return NPERR_NO_ERROR;
}

NPError NP_EXPORTCALL NpShutdown()
{
    if (g_lUsers <= 0)
        return NPERR_NO_ERROR;
    if (--g_lUsers > 0)
    {
        // The browser unloads the library after this call; users remain, so
        // the module keeps one more load reference of its own.
        char path[512] = {};
        if (GetModuleFileNameA(hOwnModule(), path, sizeof path - 1))
            LoadLibraryA(path);
        return NPERR_NO_ERROR;
    }
    g_lpTable = nullptr;
    return NPERR_NO_ERROR;
}
} // namespace ChatPlugin
