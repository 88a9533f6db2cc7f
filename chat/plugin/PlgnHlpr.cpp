#include "PlgnHlpr.h"

#include "AxHttpStatus.h"
#include "FdComModule.h"
#include "ChatBrowser.h"
#include "NpChoice.h"
#include "PluginBase.h"

#include <objbase.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace ChatPlugin
{
namespace
{
constexpr HRESULT kSyntaxAnswer = static_cast<HRESULT>(0x800401E4);
constexpr const char kMessageClass[] = "VerboltPlgnHlprMsg";

NPNetscapeFuncs g_emulated;
long g_lLive = 0;
long g_lSerial = 0;
volatile LONG g_lWorkers = 0;
CxPlgnHlpr::FDownload g_download = nullptr;
// Taken by a worker to look its control up and post to it, and by a control
// to remove its atom: a control cannot go between the two steps.
std::mutex g_lock;

HANDLE hSemaphore()
{
    static HANDLE s_h =
        CreateSemaphoreA(nullptr, CxPlgnHlpr::kMaxDownloads, CxPlgnHlpr::kMaxDownloads, nullptr);
    return s_h;
}

NPError EmulatedGetUrl(NPP npp, const char* url, const char* target)
{
    if (!npp || !npp->ndata || !url)
        return NPERR_NO_ERROR;
    const std::string copy(url);
    static_cast<CxPlgnHlpr*>(npp->ndata)->vFetch(copy, target);
    return NPERR_NO_ERROR;
}

void* EmulatedAlloc(uint32_t size)
{
    return std::malloc(size);
}
void EmulatedFree(void* p)
{
    std::free(p);
}

std::string strLower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

char* lpszCopy(const std::string& s)
{
    char* p = static_cast<char*>(std::malloc(s.size() + 1));
    if (p)
        std::memcpy(p, s.c_str(), s.size() + 1);
    return p;
}

// The whole file, or false.
bool boReadFile(const char* path, std::vector<char>& bytes)
{
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && static_cast<unsigned long>(size) <= CPluginStream::kMaxBytes &&
         std::fseek(f, 0, SEEK_SET) == 0;
    if (ok)
    {
        try
        {
            bytes.resize(static_cast<size_t>(size));
            ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
        }
        catch (const std::bad_alloc&)
        {
            ok = false;
        }
    }
    std::fclose(f);
    return ok;
}
} // namespace

struct CxPlgnHlpr::SRequest
{
    std::string strResolved, strAsked;
    CxPlgnHlpr* lpOwner = nullptr;
    NPStream* lpStream = nullptr;
    uint16_t uStreamType = 0;
    ATOM atom = 0;
    std::string strAtomName;
    HWND hwndTarget = nullptr;
    // The worker's result.
    char szPath[kPathBytes] = {};
    HRESULT hr = E_FAIL;
    DWORD dwHttpStatus = 0;
};

CxPlgnHlpr::CxPlgnHlpr() : m_messages(*this, &CxPlgnHlpr::lOnMessage)
{
    std::memset(&m_funcs, 0, sizeof m_funcs);
    m_funcs.size = sizeof m_funcs;
    m_npp.pdata = nullptr;
    m_npp.ndata = this;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        char name[64];
        std::snprintf(name, sizeof name, "CxPlgnHlpr%p%li", static_cast<void*>(this), ++g_lSerial);
        m_atomName = name;
        m_atom = AddAtomA(name);
    }
    NpGetEntryPoints(&m_funcs);
    if (g_lLive++ == 0)
    {
        std::memset(&g_emulated, 0, sizeof g_emulated);
        g_emulated.size = sizeof g_emulated;
        g_emulated.version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
        g_emulated.geturl = EmulatedGetUrl;
        g_emulated.memalloc = EmulatedAlloc;
        g_emulated.memfree = EmulatedFree;
        // The mark by which the plug-in knows it runs under this emulation.
        g_emulated.getJavaPeer = reinterpret_cast<NPN_GetJavaPeerProcPtr>(static_cast<intptr_t>(-1));
        NpInitialize(&g_emulated);
    }
    HINSTANCE hModule = FdCom::CModule::Get().hModule();
    // Without the window (no class, no window) downloads are refused.
    if (FdWin::CWindowBase::boRegisterClass(hModule, kMessageClass))
        m_messages.hCreate(0, kMessageClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, hModule);
}

CxPlgnHlpr::~CxPlgnHlpr()
{
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (m_atom)
            DeleteAtom(m_atom);
        m_atom = 0;
    }
    // Results posted before the atom went: freed here, no plug-in call.
    if (const HWND hwnd = m_messages.hWnd())
    {
        MSG msg;
        while (PeekMessageA(&msg, hwnd, kResultMessage, kResultMessage, PM_REMOVE))
            vFreeRequest(reinterpret_cast<SRequest*>(msg.lParam));
        m_messages.vDestroy();
    }
    if (m_funcs.destroy)
    {
        const NPP_DestroyProcPtr destroy = m_funcs.destroy;
        std::memset(&m_funcs, 0, sizeof m_funcs);
        destroy(&m_npp, nullptr);
    }
    if (--g_lLive == 0)
    {
        NpShutdown();
        std::memset(&g_emulated, 0, sizeof g_emulated);
    }
}

void CxPlgnHlpr::vSetDownloadFunction(FDownload download)
{
    g_download = download;
}

long CxPlgnHlpr::lLiveObjects()
{
    return g_lLive;
}

long CxPlgnHlpr::lWorkersRunning()
{
    return g_lWorkers;
}

void CxPlgnHlpr::vAddParam(const std::string& name, const std::string& value)
{
    m_names.push_back(name);
    m_values.push_back(value);
    m_params[strLower(name)] = value;
}

std::string CxPlgnHlpr::strParam(const std::string& lowerName) const
{
    auto it = m_params.find(lowerName);
    return it == m_params.end() ? std::string() : it->second;
}

void CxPlgnHlpr::vAfterLoad(const std::string& pageUrl)
{
    vSplitPageUrl(pageUrl, m_pageDir, m_siteRoot);
    // One instance per control, even when the bag is loaded again.
    if (m_funcs.newp && !m_npp.pdata)
    {
        std::vector<char*> argn, argv;
        for (size_t i = 0; i < m_names.size(); ++i)
        {
            argn.push_back(const_cast<char*>(m_names[i].c_str()));
            argv.push_back(const_cast<char*>(m_values[i].c_str()));
        }
        std::string type = strParam("type");
        m_funcs.newp(&type[0], &m_npp, NP_EMBED, static_cast<int16_t>(std::min<size_t>(argn.size(), 0x7FFF)),
                     argn.data(), argv.data(), nullptr);
    }
    m_type = strParam("type");
    m_src = strParam("src");
    m_srcEnding = ChatPlugin::strSrcEnding(m_type, m_src);
}

void CxPlgnHlpr::vOnCreate(HWND hwnd, const CREATESTRUCTA& create)
{
    if (m_funcs.setwindow)
    {
        m_window = {};
        m_window.window = hwnd;
        m_window.x = create.x;
        m_window.y = create.y;
        m_window.width = static_cast<uint32_t>(std::max(create.cx, 0));
        m_window.height = static_cast<uint32_t>(std::max(create.cy, 0));
        m_window.type = NPWindowTypeWindow;
        m_funcs.setwindow(&m_npp, &m_window);
    }
    if (!m_src.empty())
        EmulatedGetUrl(&m_npp, m_src.c_str(), nullptr);
}

void CxPlgnHlpr::vFetch(const std::string& url, const char* target)
{
    if (!boHasSite() || url.empty())
        return;
    const std::string resolved = strResolveUrl(url, m_pageDir, m_siteRoot);
    if (target)
    {
        vNavigate(resolved, target);
        return;
    }
    auto* stream = static_cast<NPStream*>(std::calloc(1, sizeof(NPStream)));
    char* streamUrl = lpszCopy(resolved);
    auto* request = new (std::nothrow) SRequest;
    if (!stream || !streamUrl || !request || !m_messages.hWnd())
    {
        std::free(stream);
        std::free(streamUrl);
        delete request;
        return;
    }
    stream->url = streamUrl;
    std::string mime = strChooseMime(resolved, m_srcEnding, m_type);
    uint16_t streamType = 0;
    if (!m_funcs.newstream || m_funcs.newstream(&m_npp, &mime[0], stream, 0, &streamType) != NPERR_NO_ERROR)
    {
        request->lpStream = stream;
        vFreeRequest(request);
        return;
    }
    request->strResolved = resolved;
    request->strAsked = url;
    request->lpOwner = this;
    request->lpStream = stream;
    request->uStreamType = streamType;
    request->atom = m_atom;
    request->strAtomName = m_atomName;
    request->hwndTarget = m_messages.hWnd();
    // The worker holds a load reference of the module until its last
    // instruction: a control released meanwhile may let the host unload it.
    HMODULE hModule = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCSTR>(&CxPlgnHlpr::dwWorker), &hModule);
    InterlockedIncrement(&g_lWorkers);
    HANDLE thread = CreateThread(nullptr, 0, dwWorker, request, 0, nullptr);
    if (!thread)
    {
        InterlockedDecrement(&g_lWorkers);
        if (hModule)
            FreeLibrary(hModule);
        request->hr = E_OUTOFMEMORY;
        vDeliver(request);
        return;
    }
    CloseHandle(thread);
}

DWORD WINAPI CxPlgnHlpr::dwWorker(void* lpRequest)
{
    vWork(static_cast<SRequest*>(lpRequest));
    HMODULE hModule = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&CxPlgnHlpr::dwWorker), &hModule);
    InterlockedDecrement(&g_lWorkers);
    FreeLibraryAndExitThread(hModule, 0);
}

void CxPlgnHlpr::vWork(SRequest* request)
{
    WaitForSingleObject(hSemaphore(), INFINITE);
    // URL monikers want COM on the thread; it is left only if it was entered.
    const HRESULT hrCom = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const FDownload download = g_download ? g_download : FdAx::hrDownloadToCacheFile;
    request->hr = download(request->strResolved.c_str(), request->szPath, kPathBytes, &request->dwHttpStatus);
    for (int i = 0; i < kSyntaxRetries && request->hr == kSyntaxAnswer; ++i)
        request->hr =
            download(request->strResolved.c_str(), request->szPath, kPathBytes, &request->dwHttpStatus);
    request->szPath[kPathBytes - 1] = '\0';
    if (SUCCEEDED(hrCom))
        CoUninitialize();
    ReleaseSemaphore(hSemaphore(), 1, nullptr);
    bool posted = false;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (FindAtomA(request->strAtomName.c_str()) == request->atom && request->atom)
            posted =
                PostMessageA(request->hwndTarget, kResultMessage, 0, reinterpret_cast<LPARAM>(request)) != 0;
    }
    if (!posted)
        vFreeRequest(request);
}

void CxPlgnHlpr::vFreeRequest(SRequest* request)
{
    if (!request)
        return;
    if (NPStream* stream = request->lpStream)
    {
        // The plug-in's object of a stream that will never end.
        delete static_cast<CPluginStream*>(stream->pdata);
        std::free(const_cast<char*>(stream->url));
        std::free(stream);
    }
    delete request;
}

void CxPlgnHlpr::vDeliver(SRequest* request)
{
    NPStream* stream = request->lpStream;
    const bool failed =
        FAILED(request->hr) || FdAx::boHttpStatusFailed(request->dwHttpStatus) || request->szPath[0] == '\0';
    NPReason reason = NPRES_NETWORK_ERR;
    if (!failed && request->uStreamType == NP_ASFILE && m_funcs.asfile)
    {
        m_funcs.asfile(&m_npp, stream, request->szPath);
        reason = NPRES_DONE;
    }
    else if (!failed && request->uStreamType == NP_NORMAL && m_funcs.write)
    {
        std::vector<char> bytes;
        if (boReadFile(request->szPath, bytes))
        {
            m_funcs.write(&m_npp, stream, 0, static_cast<int32_t>(bytes.size()), bytes.data());
            reason = NPRES_DONE;
        }
    }
    if (m_funcs.destroystream)
    {
        m_funcs.destroystream(&m_npp, stream, reason);
        std::free(const_cast<char*>(stream->url));
        std::free(stream);
        request->lpStream = nullptr;
    }
    vFreeRequest(request);
}

LRESULT CxPlgnHlpr::lOnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kResultMessage)
    {
        if (auto* request = reinterpret_cast<SRequest*>(lParam))
            vDeliver(request);
        return 0;
    }
    return m_messages.lCallDefault(msg, wParam, lParam);
}
} // namespace ChatPlugin
