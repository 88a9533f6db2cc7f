#include "NpInstance.h"

#include "NpInStream.h"
#include "NpMemory.h"
#include "NpPluginLib.h"
#include "Url.h"

#include <cstdio>

namespace FdBrowserHost
{
namespace
{
std::string strPtr(const void* p)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "%p", p);
    return sz;
}

// "own" when the window runs the host's procedure (its class's), "other" while
// a plug-in has subclassed it.
const char* pszProcOf(HWND hwnd)
{
    return GetWindowLongPtrA(hwnd, GWLP_WNDPROC) ==
                   static_cast<LONG_PTR>(GetClassLongPtrA(hwnd, GCLP_WNDPROC))
               ? "own"
               : "other";
}

// Reads a file to post; false when it cannot be read or is too large.
bool boReadPostFile(const std::string& path, std::string* pData)
{
    FdWin::CHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > static_cast<LONGLONG>(kMaxPostBytes))
        return false;
    std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD dwRead = 0;
    if (!data.empty() &&
        (!ReadFile(file.get(), &data[0], static_cast<DWORD>(data.size()), &dwRead, nullptr) ||
         dwRead != data.size()))
        return false;
    *pData = std::move(data);
    return true;
}
} // namespace

CNpInstance::CNpInstance(CHostSession& session, CNpPluginLib& lib, int id, const SElementContext& ctx,
                         std::string type)
    : m_session(session), m_lib(lib), m_id(id), m_ctx(ctx)
{
    m_type.assign(type.begin(), type.end());
    m_type.push_back('\0');
    m_npp.ndata = this;
}

CNpInstance::~CNpInstance()
{
    vDestroy();
}

const NPPluginFuncs& CNpInstance::funcs() const
{
    return m_lib.funcs();
}

bool CNpInstance::boCreate(const RECT& rc)
{
    m_rc = rc;
    m_hwnd = CHostWindow::hwndCreatePluginWindow(m_session.hwndMain(), rc);
    for (const SHtmlAttr& a : m_ctx.pElement->attrs)
    {
        m_argn.push_back(a.strName);
        m_argv.push_back(a.strValue);
    }
    for (std::size_t i = 0; i < m_argn.size(); ++i)
    {
        m_argnPtrs.push_back(&m_argn[i][0]);
        m_argvPtrs.push_back(&m_argv[i][0]);
    }
    m_argnPtrs.push_back(nullptr);
    m_argvPtrs.push_back(nullptr);
    const int16_t argc = static_cast<int16_t>(m_argn.size());

    NPError err = NPERR_GENERIC_ERROR;
    if (funcs().newp)
    {
        CHostSession::CCallGuard guard(m_session);
        err = funcs().newp(m_type.data(), &m_npp, NP_EMBED, argc, m_argnPtrs.data(), m_argvPtrs.data(),
                           nullptr);
    }
    SLogLine line("NPP_NEW");
    line.addInt("instance", m_id)
        .add("type", m_type.data())
        .add("frame", strFrameName(m_session.frames(), m_ctx.iFrame))
        .addInt("mode", NP_EMBED)
        .addInt("argc", argc);
    for (std::size_t i = 0; i < m_argn.size(); ++i)
        line.add("argn", m_argn[i]).add("argv", m_argv[i]);
    line.addInt("result", err);
    m_session.log().vWrite(line);
    if (err != NPERR_NO_ERROR)
    {
        DestroyWindow(m_hwnd);
        m_hwnd = nullptr;
        return false;
    }
    m_boAlive = true;

    m_window = NPWindow{};
    m_window.window = m_hwnd;
    m_window.x = rc.left;
    m_window.y = rc.top;
    m_window.width = static_cast<uint32_t>(rc.right - rc.left);
    m_window.height = static_cast<uint32_t>(rc.bottom - rc.top);
    m_window.clipRect = {0, 0, static_cast<uint16_t>(m_window.height), static_cast<uint16_t>(m_window.width)};
    m_window.type = NPWindowTypeWindow;
    eSetWindow("create");

    // A src attribute is streamed to the instance as a browser would.
    const std::string* src = m_ctx.pElement->pAttr("src");
    if (src && !src->empty() && m_boAlive)
        vStartStream("GET", strStripFragment(strResolveUrl(m_ctx.strBaseUrl, *src)), std::string(), *src,
                     false, nullptr);
    return true;
}

NPError CNpInstance::eSetWindow(const char* pszWhy, HWND hwndLeft)
{
    NPError err = NPERR_GENERIC_ERROR;
    if (funcs().setwindow)
    {
        CHostSession::CCallGuard guard(m_session);
        err = funcs().setwindow(&m_npp, &m_window);
    }
    SLogLine line("NPP_SETWINDOW");
    line.addInt("instance", m_id)
        .add("why", pszWhy)
        .add("hwnd", strPtr(m_window.window))
        .addInt("x", m_window.x)
        .addInt("y", m_window.y)
        .addInt("width", m_window.width)
        .addInt("height", m_window.height)
        .addInt("result", err);
    HWND hwndGiven = static_cast<HWND>(m_window.window);
    if (hwndGiven && IsWindow(hwndGiven))
        line.add("proc", pszProcOf(hwndGiven));
    if (hwndLeft && IsWindow(hwndLeft))
        line.add("left", strPtr(hwndLeft)).add("left_proc", pszProcOf(hwndLeft));
    m_session.log().vWrite(line);
    return err;
}

void CNpInstance::vDestroy()
{
    if (m_boAlive)
    {
        for (std::size_t i = 0; i < m_in.size(); ++i)
            m_in[i]->vEnd(NPRES_USER_BREAK, "the instance ends");
        for (auto& out : m_out)
            m_session.log().vWrite(SLogLine("PUSH")
                                       .addInt("instance", m_id)
                                       .add("target", out->strTarget)
                                       .add("type", out->strType)
                                       .addInt("reason", NPRES_USER_BREAK)
                                       .add("complete", "0")
                                       .add("data", out->strData));
        m_out.clear();
        NPSavedData* pSaved = nullptr;
        NPError err = NPERR_GENERIC_ERROR;
        if (funcs().destroy)
        {
            CHostSession::CCallGuard guard(m_session);
            err = funcs().destroy(&m_npp, &pSaved);
        }
        m_boAlive = false;
        SLogLine line("NPP_DESTROY");
        line.addInt("instance", m_id).addInt("result", err);
        if (pSaved)
            line.addInt("saved", pSaved->len);
        m_session.log().vWrite(line);
        // Saved data belongs to the browser now; this one keeps none.
        if (pSaved && (!CNpMemory::Get().boFree(pSaved->buf) || !CNpMemory::Get().boFree(pSaved)))
            m_session.log().vWrite(SLogLine("ERROR")
                                       .add("what", "memory")
                                       .addInt("instance", m_id)
                                       .add("text", "saved data not allocated with NPN_MemAlloc"));
    }
    m_in.clear();
    if (m_hwnd)
        DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
}

bool CNpInstance::boBusy() const
{
    for (const auto& s : m_in)
        if (!s->boEnded())
            return true;
    return false;
}

void CNpInstance::vStartStream(const std::string& method, const std::string& absUrl, const std::string& body,
                               const std::string& requestedUrl, bool boNotify, void* notifyData)
{
    SFetchRequest req;
    req.strUrl = absUrl;
    req.strMethod = method;
    req.strBody = body;
    req.strUserAgent = kUserAgent;
    const int id = m_session.iNewId();
    m_in.push_back(std::make_unique<CNpInStream>(*this, id, requestedUrl, boNotify, notifyData, req));
}

NPError CNpInstance::eGetUrl(const char* url, const char* target, bool boNotify, void* notifyData)
{
    if (!url)
        return NPERR_INVALID_URL;
    const std::string abs = strResolveUrl(m_ctx.strBaseUrl, url);
    m_session.log().vWrite(SLogLine("GETURL")
                               .addInt("instance", m_id)
                               .add("url", url)
                               .add("target", target)
                               .add("notify", boNotify ? "1" : "0"));
    if (target)
    {
        SNavigation nav;
        nav.iInstance = m_id;
        nav.iSelfFrame = m_ctx.iFrame;
        nav.strUrl = abs;
        nav.strTarget = target;
        m_session.navigate(nav);
        if (boNotify)
            m_session.vQueueNotify(m_id, url, NPRES_DONE, notifyData);
        return NPERR_NO_ERROR;
    }
    vStartStream("GET", strStripFragment(abs), std::string(), url, boNotify, notifyData);
    return NPERR_NO_ERROR;
}

NPError CNpInstance::ePostUrl(const char* url, const char* target, uint32_t len, const char* buf, NPBool file,
                              bool boNotify, void* notifyData)
{
    if (!url)
        return NPERR_INVALID_URL;
    if (!buf && len)
        return NPERR_INVALID_PARAM;
    std::string data;
    if (file)
    {
        // buf names a local file (a path or a file address).
        std::string path(buf ? buf : "", buf ? len : 0);
        path = path.c_str();
        std::string fromUrl;
        if (boPathFromFileUrl(path, &fromUrl))
            path = fromUrl;
        if (!boReadPostFile(path, &data))
            return NPERR_FILE_NOT_FOUND;
    }
    else
    {
        if (len > kMaxPostBytes)
            return NPERR_INVALID_PARAM;
        data.assign(buf ? buf : "", len);
    }
    const std::string abs = strResolveUrl(m_ctx.strBaseUrl, url);
    m_session.log().vWrite(SLogLine("POSTURL")
                               .addInt("instance", m_id)
                               .add("url", url)
                               .add("target", target)
                               .add("notify", boNotify ? "1" : "0")
                               .add("file", file ? "1" : "0")
                               .add("data", data));
    if (target)
    {
        SNavigation nav;
        nav.iInstance = m_id;
        nav.iSelfFrame = m_ctx.iFrame;
        nav.strMethod = "POST";
        nav.strUrl = abs;
        nav.strTarget = target;
        nav.pData = &data;
        m_session.navigate(nav);
        if (boNotify)
            m_session.vQueueNotify(m_id, url, NPRES_DONE, notifyData);
        return NPERR_NO_ERROR;
    }
    vStartStream("POST", strStripFragment(abs), data, url, boNotify, notifyData);
    return NPERR_NO_ERROR;
}

NPError CNpInstance::eNewStream(NPMIMEType type, const char* target, NPStream** ppStream)
{
    if (!ppStream || !target || !type)
        return NPERR_INVALID_PARAM;
    auto out = std::make_unique<SOutStream>();
    out->strType = type;
    out->strTarget = target;
    out->stream.ndata = out.get();
    out->stream.url = out->strTarget.c_str();
    *ppStream = &out->stream;
    m_out.push_back(std::move(out));
    return NPERR_NO_ERROR;
}

CNpInstance::SOutStream* CNpInstance::pFindOut(NPStream* p)
{
    for (auto& out : m_out)
        if (&out->stream == p)
            return out.get();
    return nullptr;
}

CNpInStream* CNpInstance::pFindIn(NPStream* p)
{
    for (auto& in : m_in)
        if (in->pStream() == p && in->boStarted())
            return in.get();
    return nullptr;
}

int32_t CNpInstance::lWrite(NPStream* pStream, int32_t len, void* buffer)
{
    SOutStream* out = pFindOut(pStream);
    if (!out || len < 0 || (!buffer && len))
    {
        m_session.log().vWrite(
            SLogLine("ERROR")
                .add("what", "NPN_Write")
                .addInt("instance", m_id)
                .add("text", out ? "bad length or buffer" : "not a stream of this instance's own"));
        return -1;
    }
    if (out->strData.size() + static_cast<std::size_t>(len) > kMaxPushBytes)
    {
        out->boOverflow = true;
        return -1;
    }
    out->strData.append(static_cast<const char*>(buffer), static_cast<std::size_t>(len));
    return len;
}

NPError CNpInstance::eDestroyStream(NPStream* pStream, NPReason reason)
{
    if (SOutStream* out = pFindOut(pStream))
    {
        const STarget t = resolveTarget(m_session.frames(), m_ctx.iFrame, out->strTarget);
        m_session.log().vWrite(SLogLine("PUSH")
                                   .addInt("instance", m_id)
                                   .add("target", out->strTarget)
                                   .add("frame", t.strFrame)
                                   .add("known", t.boKnown ? "1" : "0")
                                   .add("type", out->strType)
                                   .addInt("reason", reason)
                                   .add("complete", out->boOverflow ? "0" : "1")
                                   .add("data", out->strData));
        for (auto it = m_out.begin(); it != m_out.end(); ++it)
            if (it->get() == out)
            {
                m_out.erase(it);
                break;
            }
        return NPERR_NO_ERROR;
    }
    if (CNpInStream* in = pFindIn(pStream))
    {
        if (!in->boEnded())
            in->vEnd(reason, "ended by the plug-in");
        return NPERR_NO_ERROR;
    }
    m_session.log().vWrite(SLogLine("ERROR")
                               .add("what", "NPN_DestroyStream")
                               .addInt("instance", m_id)
                               .add("text", "not a stream of this instance's own"));
    return NPERR_INVALID_PARAM;
}

void CNpInstance::vStatus(const char* message)
{
    m_session.vStatus(m_id, message ? message : "");
}

NPError CNpInstance::eGetValue(NPNVariable variable, void* value)
{
    if (!value)
        return NPERR_INVALID_PARAM;
    switch (variable)
    {
    case NPNVnetscapeWindow:
        *static_cast<HWND*>(value) = m_session.hwndMain();
        return NPERR_NO_ERROR;
    case NPNVjavascriptEnabledBool:
    case NPNVasdEnabledBool:
    case NPNVisOfflineBool:
    case NPNVSupportsWindowless:
        *static_cast<NPBool*>(value) = 0;
        return NPERR_NO_ERROR;
    default:
        return NPERR_GENERIC_ERROR;
    }
}

NPError CNpInstance::eSetValue(NPPVariable variable, void* value)
{
    switch (variable)
    {
    case NPPVpluginWindowBool:
        // Only windowed plug-ins are hosted.
        return value ? NPERR_NO_ERROR : NPERR_GENERIC_ERROR;
    case NPPVpluginTransparentBool:
    case NPPVpluginKeepLibraryInMemory:
        return NPERR_NO_ERROR;
    default:
        return NPERR_GENERIC_ERROR;
    }
}

void CNpInstance::vInvalidateRect(const NPRect* pRect)
{
    if (!m_hwnd)
        return;
    if (!pRect)
    {
        InvalidateRect(m_hwnd, nullptr, TRUE);
        return;
    }
    RECT rc = {pRect->left, pRect->top, pRect->right, pRect->bottom};
    InvalidateRect(m_hwnd, &rc, TRUE);
}

void CNpInstance::vInvalidateRegion(NPRegion region)
{
    if (m_hwnd)
        InvalidateRgn(m_hwnd, static_cast<HRGN>(region), TRUE);
}

void CNpInstance::vForceRedraw()
{
    if (m_hwnd)
        UpdateWindow(m_hwnd);
}

bool CNpInstance::boOnFetchProgress(int iStream)
{
    for (std::size_t i = 0; i < m_in.size(); ++i)
        if (m_in[i]->id() == iStream)
        {
            m_in[i]->vPump();
            return true;
        }
    return false;
}

void CNpInstance::vRetryStreams()
{
    // By index: a plug-in call may add streams.
    for (std::size_t i = 0; i < m_in.size(); ++i)
        if (m_in[i]->boWaiting())
            m_in[i]->vPump();
}

void CNpInstance::vReapStreams()
{
    for (auto it = m_in.begin(); it != m_in.end();)
        it = (*it)->boEnded() ? m_in.erase(it) : it + 1;
}

void CNpInstance::vStep(const SStep& step)
{
    if (!m_boAlive)
        return;
    switch (step.eKind)
    {
    case EStep::SameWindow:
        eSetWindow("same");
        break;
    case EStep::NewWindow:
    {
        HWND old = m_hwnd;
        m_hwnd = CHostWindow::hwndCreatePluginWindow(m_session.hwndMain(), m_rc);
        m_window.window = m_hwnd;
        eSetWindow("new", old);
        // The old window goes once the plug-in has left it.
        if (old)
            DestroyWindow(old);
        break;
    }
    case EStep::NullWindow:
    {
        HWND left = static_cast<HWND>(m_window.window);
        m_window.window = nullptr;
        eSetWindow("null", left);
        break;
    }
    case EStep::Resize:
        m_rc.right = m_rc.left + static_cast<LONG>(step.a);
        m_rc.bottom = m_rc.top + static_cast<LONG>(step.b);
        if (m_hwnd)
            MoveWindow(m_hwnd, m_rc.left, m_rc.top, static_cast<int>(step.a), static_cast<int>(step.b), TRUE);
        m_window.width = step.a;
        m_window.height = step.b;
        m_window.clipRect = {0, 0, static_cast<uint16_t>(step.b), static_cast<uint16_t>(step.a)};
        eSetWindow("resize");
        break;
    case EStep::Key:
        if (m_hwnd)
        {
            SetFocus(m_hwnd);
            PostMessageA(m_hwnd, WM_KEYDOWN, step.a, 1);
            PostMessageA(m_hwnd, WM_KEYUP, step.a, static_cast<LPARAM>(0xC0000001u));
        }
        m_session.log().vWrite(SLogLine("KEY").addInt("instance", m_id).addInt("vk", step.a));
        break;
    case EStep::FocusKey:
    case EStep::Type:
    case EStep::Await:
        break; // the session's own steps
    }
}
} // namespace FdBrowserHost
