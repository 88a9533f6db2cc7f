// npfdhosttest.dll: an NPAPI plug-in that logs what the browser gives it
// (to the file named by FD_NPTEST_LOG) and calls the browser functions as
// its EMBED's "actions" attribute says, once it has a window:
//   geturl|URL|TARGET            NPN_GetURL (empty TARGET: none)
//   notify|URL|TARGET|TAG        NPN_GetURLNotify, notifyData naming TAG
//   post|URL|TARGET|DATA         NPN_PostURL
//   postnotify|URL|TARGET|DATA|TAG
//   postfile|URL|TARGET|CONTENT  NPN_PostURL of a file holding CONTENT
//   push|TARGET|HTML             NPN_NewStream text/html, NPN_Write, NPN_DestroyStream
//   status|TEXT  useragent  getvalue
//   stype|normal|asfile|asfileonly  writeready|N  abort|TAG (NPN_DestroyStream at its first write)
//   paint|RRGGBB                 the window painted in that colour
//   leak|N  badfree              NPN_MemAlloc never freed; NPN_MemFree of a foreign pointer
// An EMBED with a "fail" attribute makes NPP_New fail.
#include "NpApi.h"
#include "TestLog.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using FdBrowserHost::SLogLine;
using FdHostTest::strPtr;

namespace
{
NPNetscapeFuncs g_browser;
int g_iMarker;

void vLog(const SLogLine& line)
{
    FdHostTest::vLog("FD_NPTEST_LOG", line);
}

struct SInstance
{
    std::string strId;
    std::string strActions;
    bool boActed = false;
    uint16_t wStreamType = NP_NORMAL;
    int32_t lWriteReady = 0x0FFFFFFF;
    std::string strAbortTag;
    COLORREF crPaint = CLR_INVALID;
    HWND hwndSubclassed = nullptr;
    HWND hwndWindow = nullptr; // the window of the last SetWindow
    WNDPROC pfnOld = nullptr;
};

struct SStreamData
{
    std::string strData;
    std::string strTag;
    int32_t lNextOffset = 0;
    bool boOffsetsOk = true;
};

SInstance* pInst(NPP npp)
{
    return npp ? static_cast<SInstance*>(npp->pdata) : nullptr;
}

const char* pszTag(void* notifyData)
{
    return notifyData ? static_cast<const char*>(notifyData) : "";
}

char* pszNewTag(const std::string& tag)
{
    char* p = static_cast<char*>(std::malloc(tag.size() + 1));
    std::memcpy(p, tag.c_str(), tag.size() + 1);
    return p;
}

LRESULT CALLBACK lPaintProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* inst = reinterpret_cast<SInstance*>(GetPropA(hwnd, "FdHostTestInstance"));
    if (inst && msg == WM_PAINT)
    {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        HBRUSH hbr = CreateSolidBrush(inst->crPaint);
        FillRect(hdc, &rc, hbr);
        DeleteObject(hbr);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (inst && msg == WM_KEYDOWN)
        vLog(SLogLine("KEYDOWN").add("id", inst->strId).addInt("vk", static_cast<int64_t>(wParam)));
    WNDPROC old = inst ? inst->pfnOld : DefWindowProcA;
    return CallWindowProcA(old, hwnd, msg, wParam, lParam);
}

// The "edit" action's field: a child edit control that takes the focus and
// logs the keys and characters that reach it.
WNDPROC g_pfnEditOld = nullptr;

LRESULT CALLBACK lEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const char* id = static_cast<const char*>(GetPropA(hwnd, "FdHostTestId"));
    if (msg == WM_KEYDOWN)
        vLog(SLogLine("EDITKEY").add("id", id ? id : "").addInt("vk", static_cast<int64_t>(wParam)));
    else if (msg == WM_CHAR)
        vLog(SLogLine("EDITCHAR")
                 .add("id", id ? id : "")
                 .add("char", std::string(1, static_cast<char>(wParam))));
    return CallWindowProcA(g_pfnEditOld, hwnd, msg, wParam, lParam);
}

void vMakeEdit(SInstance* inst, HWND parent)
{
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 2, 2, 100, 20, parent,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!edit)
        return;
    SetPropA(edit, "FdHostTestId", const_cast<char*>(inst->strId.c_str()));
    g_pfnEditOld = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(lEditProc)));
    SetFocus(edit);
}

void vUnsubclass(SInstance* inst)
{
    if (!inst->hwndSubclassed)
        return;
    if (IsWindow(inst->hwndSubclassed))
    {
        SetWindowLongPtrA(inst->hwndSubclassed, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(inst->pfnOld));
        RemovePropA(inst->hwndSubclassed, "FdHostTestInstance");
    }
    inst->hwndSubclassed = nullptr;
}

void vSubclass(SInstance* inst, HWND hwnd)
{
    if (inst->crPaint == CLR_INVALID)
        return;
    SetPropA(hwnd, "FdHostTestInstance", inst);
    inst->pfnOld = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(lPaintProc)));
    inst->hwndSubclassed = hwnd;
    InvalidateRect(hwnd, nullptr, TRUE);
}

void vResult(SInstance* inst, const char* pszFunction, const std::string& what, int64_t result)
{
    vLog(SLogLine("CALL")
             .add("id", inst->strId)
             .add("fn", pszFunction)
             .add("what", what)
             .addInt("result", result));
}

const char* pszOrNull(const std::string& s)
{
    return s.empty() ? nullptr : s.c_str();
}

void vAct(NPP npp, SInstance* inst)
{
    for (const std::string& action : FdHostTest::split(inst->strActions, ';'))
    {
        const std::vector<std::string> f = FdHostTest::split(FdHostTest::strTrim(action), '|');
        auto arg = [&](std::size_t i) { return i < f.size() ? f[i] : std::string(); };
        const std::string& verb = f[0];
        if (verb == "geturl")
            vResult(inst, "NPN_GetURL", arg(1), g_browser.geturl(npp, arg(1).c_str(), pszOrNull(arg(2))));
        else if (verb == "notify")
            vResult(inst, "NPN_GetURLNotify", arg(1),
                    g_browser.geturlnotify(npp, arg(1).c_str(), pszOrNull(arg(2)), pszNewTag(arg(3))));
        else if (verb == "post")
            vResult(inst, "NPN_PostURL", arg(1),
                    g_browser.posturl(npp, arg(1).c_str(), pszOrNull(arg(2)),
                                      static_cast<uint32_t>(arg(3).size()), arg(3).data(), 0));
        else if (verb == "postnotify")
            vResult(inst, "NPN_PostURLNotify", arg(1),
                    g_browser.posturlnotify(npp, arg(1).c_str(), pszOrNull(arg(2)),
                                            static_cast<uint32_t>(arg(3).size()), arg(3).data(), 0,
                                            pszNewTag(arg(4))));
        else if (verb == "postfile")
        {
            char szDir[MAX_PATH];
            char szFile[MAX_PATH];
            GetTempPathA(MAX_PATH, szDir);
            GetTempFileNameA(szDir, "npt", 0, szFile);
            FILE* fp = std::fopen(szFile, "wb");
            if (fp)
            {
                std::fwrite(arg(3).data(), 1, arg(3).size(), fp);
                std::fclose(fp);
            }
            vResult(inst, "NPN_PostURL", arg(1),
                    g_browser.posturl(npp, arg(1).c_str(), pszOrNull(arg(2)),
                                      static_cast<uint32_t>(std::strlen(szFile)), szFile, 1));
            DeleteFileA(szFile);
        }
        else if (verb == "push")
        {
            NPStream* s = nullptr;
            char type[] = "text/html";
            NPError err = g_browser.newstream(npp, type, arg(1).c_str(), &s);
            vResult(inst, "NPN_NewStream", arg(1), err);
            if (err == NPERR_NO_ERROR)
            {
                std::string html = arg(2);
                const int32_t n = g_browser.write(npp, s, static_cast<int32_t>(html.size() + 1), &html[0]);
                vResult(inst, "NPN_Write", arg(1), n);
                vResult(inst, "NPN_DestroyStream", arg(1), g_browser.destroystream(npp, s, NPRES_DONE));
            }
        }
        else if (verb == "status")
        {
            g_browser.status(npp, arg(1).c_str());
            vResult(inst, "NPN_Status", arg(1), 0);
        }
        else if (verb == "useragent")
            vLog(SLogLine("USERAGENT").add("id", inst->strId).add("text", g_browser.uagent(npp)));
        else if (verb == "getvalue")
        {
            HWND hwnd = nullptr;
            const NPError err = g_browser.getvalue(npp, NPNVnetscapeWindow, &hwnd);
            vLog(SLogLine("GETVALUE")
                     .add("id", inst->strId)
                     .addInt("result", err)
                     .add("window", IsWindow(hwnd) ? "1" : "0")
                     .add("toplevel", hwnd && !GetParent(hwnd) ? "1" : "0"));
        }
        else if (verb == "stype")
            inst->wStreamType = arg(1) == "asfile"       ? NP_ASFILE
                                : arg(1) == "asfileonly" ? NP_ASFILEONLY
                                                         : NP_NORMAL;
        else if (verb == "writeready")
            inst->lWriteReady = std::atoi(arg(1).c_str());
        else if (verb == "abort")
            inst->strAbortTag = arg(1);
        else if (verb == "leak")
            vResult(inst, "NPN_MemAlloc", arg(1),
                    g_browser.memalloc(static_cast<uint32_t>(std::atoi(arg(1).c_str()))) ? 1 : 0);
        else if (verb == "edit")
            vMakeEdit(inst, inst->hwndWindow);
        else if (verb == "badfree")
        {
            g_browser.memfree(&g_iMarker);
            vResult(inst, "NPN_MemFree", "foreign", 0);
        }
        else if (!verb.empty())
            vLog(SLogLine("ERROR").add("id", inst->strId).add("text", "unknown action " + verb));
    }
}

// ---- NPP functions
NPError NppNew(NPMIMEType type, NPP npp, uint16_t mode, int16_t argc, char* argn[], char* argv[],
               NPSavedData*)
{
    SLogLine line("NPP_NEW");
    line.add("type", type).addInt("mode", mode).addInt("argc", argc);
    std::string id;
    std::string actions;
    bool boFail = false;
    for (int i = 0; i < argc; ++i)
    {
        line.add("argn", argn[i]).add("argv", argv[i]);
        if (_stricmp(argn[i], "name") == 0)
            id = argv[i];
        else if (_stricmp(argn[i], "actions") == 0)
            actions = argv[i];
        else if (_stricmp(argn[i], "fail") == 0)
            boFail = true;
    }
    line.add("id", id);
    vLog(line);
    if (boFail)
        return NPERR_GENERIC_ERROR;
    auto* inst = new SInstance;
    inst->strId = id;
    inst->strActions = actions;
    for (const std::string& one : FdHostTest::split(actions, ';'))
    {
        const std::string action = FdHostTest::strTrim(one);
        if (action.compare(0, 6, "paint|") == 0)
            inst->crPaint = static_cast<COLORREF>(std::strtoul(action.substr(6).c_str(), nullptr, 16));
    }
    // RRGGBB -> COLORREF (0x00BBGGRR)
    if (inst->crPaint != CLR_INVALID)
        inst->crPaint = RGB((inst->crPaint >> 16) & 0xFF, (inst->crPaint >> 8) & 0xFF, inst->crPaint & 0xFF);
    npp->pdata = inst;
    return NPERR_NO_ERROR;
}

NPError NppDestroy(NPP npp, NPSavedData**)
{
    SInstance* inst = pInst(npp);
    if (!inst)
        return NPERR_INVALID_INSTANCE_ERROR;
    vLog(SLogLine("NPP_DESTROY").add("id", inst->strId));
    vUnsubclass(inst);
    delete inst;
    npp->pdata = nullptr;
    return NPERR_NO_ERROR;
}

NPError NppSetWindow(NPP npp, NPWindow* window)
{
    SInstance* inst = pInst(npp);
    if (!inst)
        return NPERR_INVALID_INSTANCE_ERROR;
    HWND hwnd = window ? static_cast<HWND>(window->window) : nullptr;
    SLogLine line("SETWINDOW");
    line.add("id", inst->strId).add("hwnd", strPtr(hwnd));
    if (hwnd)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        HWND top = nullptr;
        g_browser.getvalue(npp, NPNVnetscapeWindow, &top);
        line.add("is_window", IsWindow(hwnd) ? "1" : "0")
            .add("child_of_browser", GetParent(hwnd) == top ? "1" : "0")
            .addInt("client_width", rc.right)
            .addInt("client_height", rc.bottom);
    }
    if (window)
        line.addInt("width", window->width)
            .addInt("height", window->height)
            .addInt("type", window->type)
            .addInt("clip_bottom", window->clipRect.bottom)
            .addInt("clip_right", window->clipRect.right);
    line.add("previous_alive", inst->hwndSubclassed && IsWindow(inst->hwndSubclassed) ? "1" : "0");
    vLog(line);
    if (hwnd != inst->hwndSubclassed)
    {
        vUnsubclass(inst);
        if (hwnd)
            vSubclass(inst, hwnd);
    }
    inst->hwndWindow = hwnd;
    if (hwnd && !inst->boActed)
    {
        inst->boActed = true;
        vAct(npp, inst);
    }
    return NPERR_NO_ERROR;
}

NPError NppNewStream(NPP npp, NPMIMEType type, NPStream* stream, NPBool seekable, uint16_t* stype)
{
    SInstance* inst = pInst(npp);
    if (!inst)
        return NPERR_INVALID_INSTANCE_ERROR;
    auto* data = new SStreamData;
    data->strTag = pszTag(stream->notifyData);
    stream->pdata = data;
    *stype = inst->wStreamType;
    vLog(SLogLine("NEWSTREAM")
             .add("id", inst->strId)
             .add("url", stream->url)
             .add("type", type)
             .addInt("end", stream->end)
             .add("tag", data->strTag)
             .addInt("seekable", seekable)
             .add("headers", stream->headers ? "1" : "0"));
    return NPERR_NO_ERROR;
}

int32_t NppWriteReady(NPP npp, NPStream*)
{
    SInstance* inst = pInst(npp);
    return inst ? inst->lWriteReady : 0;
}

int32_t NppWrite(NPP npp, NPStream* stream, int32_t offset, int32_t len, void* buffer)
{
    SInstance* inst = pInst(npp);
    auto* data = static_cast<SStreamData*>(stream->pdata);
    if (!inst || !data)
        return -1;
    if (offset != data->lNextOffset)
        data->boOffsetsOk = false;
    data->lNextOffset = offset + len;
    if (len > inst->lWriteReady)
        data->boOffsetsOk = false; // more than announced ready
    data->strData.append(static_cast<const char*>(buffer), static_cast<std::size_t>(len));
    if (!inst->strAbortTag.empty() && data->strTag == inst->strAbortTag)
    {
        inst->strAbortTag.clear();
        const std::string tag = data->strTag; // the stream's data goes inside the call
        const NPError err = g_browser.destroystream(npp, stream, NPRES_USER_BREAK);
        vResult(inst, "NPN_DestroyStream", tag, err);
    }
    return len;
}

NPError NppDestroyStream(NPP npp, NPStream* stream, NPReason reason)
{
    SInstance* inst = pInst(npp);
    auto* data = static_cast<SStreamData*>(stream->pdata);
    if (!inst || !data)
        return NPERR_INVALID_INSTANCE_ERROR;
    vLog(SLogLine("DESTROYSTREAM")
             .add("id", inst->strId)
             .add("url", stream->url)
             .add("tag", data->strTag)
             .addInt("reason", reason)
             .addInt("bytes", static_cast<int64_t>(data->strData.size()))
             .add("hash", FdHostTest::strHash(data->strData))
             .add("offsets_ok", data->boOffsetsOk ? "1" : "0")
             .add("data", data->strData.substr(0, 256)));
    delete data;
    stream->pdata = nullptr;
    return NPERR_NO_ERROR;
}

void NppStreamAsFile(NPP npp, NPStream* stream, const char* fname)
{
    SInstance* inst = pInst(npp);
    std::string content;
    if (FILE* f = fname ? std::fopen(fname, "rb") : nullptr)
    {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            content.append(buf, n);
        std::fclose(f);
    }
    auto* data = static_cast<SStreamData*>(stream->pdata);
    vLog(SLogLine("ASFILE")
             .add("id", inst ? inst->strId : "")
             .add("tag", data ? data->strTag : "")
             .add("file", fname)
             .add("content", content));
}

void NppPrint(NPP, NPPrint*) {}

int16_t NppHandleEvent(NPP, void*)
{
    return 0;
}

void NppUrlNotify(NPP npp, const char* url, NPReason reason, void* notifyData)
{
    SInstance* inst = pInst(npp);
    vLog(SLogLine("URLNOTIFY")
             .add("id", inst ? inst->strId : "")
             .add("url", url)
             .addInt("reason", reason)
             .add("tag", pszTag(notifyData)));
    std::free(notifyData);
}

NPError NppGetValue(NPP, NPPVariable variable, void* value)
{
    if (variable == NPPVpluginNameString)
    {
        *static_cast<const char**>(value) = "FdBrowserHost test plug-in";
        return NPERR_NO_ERROR;
    }
    return NPERR_GENERIC_ERROR;
}

NPError NppSetValue(NPP, NPNVariable, void*)
{
    return NPERR_GENERIC_ERROR;
}

const char* pszSet(const void* p)
{
    return p ? "1" : "0";
}
} // namespace

extern "C" NPError NP_EXPORTCALL NP_GetEntryPoints(NPPluginFuncs* pFuncs)
{
    if (!pFuncs)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    vLog(SLogLine("NP_GETENTRYPOINTS").addInt("size", pFuncs->size).addInt("version_in", pFuncs->version));
    const uint16_t wSize = pFuncs->size;
    *pFuncs = NPPluginFuncs{};
    pFuncs->size = wSize;
    pFuncs->version = (NP_VERSION_MAJOR << 8) | NPVERS_HAS_NOTIFICATION;
    pFuncs->newp = NppNew;
    pFuncs->destroy = NppDestroy;
    pFuncs->setwindow = NppSetWindow;
    pFuncs->newstream = NppNewStream;
    pFuncs->destroystream = NppDestroyStream;
    pFuncs->asfile = NppStreamAsFile;
    pFuncs->writeready = NppWriteReady;
    pFuncs->write = NppWrite;
    pFuncs->print = NppPrint;
    pFuncs->event = NppHandleEvent;
    pFuncs->urlnotify = NppUrlNotify;
    pFuncs->getvalue = NppGetValue;
    pFuncs->setvalue = NppSetValue;
    return NPERR_NO_ERROR;
}

extern "C" NPError NP_EXPORTCALL NP_Initialize(NPNetscapeFuncs* pFuncs)
{
    if (!pFuncs)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    vLog(SLogLine("NP_INITIALIZE")
             .addInt("size", pFuncs->size)
             .addInt("version", pFuncs->version)
             .add("geturl", pszSet(reinterpret_cast<void*>(pFuncs->geturl)))
             .add("posturl", pszSet(reinterpret_cast<void*>(pFuncs->posturl)))
             .add("newstream", pszSet(reinterpret_cast<void*>(pFuncs->newstream)))
             .add("write", pszSet(reinterpret_cast<void*>(pFuncs->write)))
             .add("destroystream", pszSet(reinterpret_cast<void*>(pFuncs->destroystream)))
             .add("status", pszSet(reinterpret_cast<void*>(pFuncs->status)))
             .add("uagent", pszSet(reinterpret_cast<void*>(pFuncs->uagent)))
             .add("memalloc", pszSet(reinterpret_cast<void*>(pFuncs->memalloc)))
             .add("memfree", pszSet(reinterpret_cast<void*>(pFuncs->memfree)))
             .add("geturlnotify", pszSet(reinterpret_cast<void*>(pFuncs->geturlnotify)))
             .add("posturlnotify", pszSet(reinterpret_cast<void*>(pFuncs->posturlnotify)))
             .add("getvalue", pszSet(reinterpret_cast<void*>(pFuncs->getvalue)))
             .add("forceredraw", pszSet(reinterpret_cast<void*>(pFuncs->forceredraw))));
    if ((pFuncs->version >> 8) != NP_VERSION_MAJOR)
        return NPERR_INCOMPATIBLE_VERSION_ERROR;
    g_browser = *pFuncs;
    return NPERR_NO_ERROR;
}

extern "C" NPError NP_EXPORTCALL NP_Shutdown()
{
    vLog(SLogLine("NP_SHUTDOWN"));
    return NPERR_NO_ERROR;
}
