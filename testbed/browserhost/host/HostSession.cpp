#include "HostSession.h"

#include "AxControl.h"
#include "ElementSize.h"
#include "NpBrowserFuncs.h"
#include "NpInstance.h"
#include "NpPluginLib.h"
#include "PluginMatch.h"
#include "Screenshot.h"
#include "Url.h"

#include <cstdlib>

namespace FdBrowserHost
{
namespace
{
const int kMargin = 8;
const uint64_t kFirstStepDelayMs = 200;
const uint64_t kStepIntervalMs = 150;
const std::size_t kMaxLoggedHtmlBytes = 1024 * 1024;

std::string strExeFolder()
{
    char sz[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, sz, MAX_PATH);
    std::string s(sz, n < MAX_PATH ? n : 0);
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string strFullPath(const std::string& path)
{
    char sz[MAX_PATH];
    const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, sz, nullptr);
    return n && n < MAX_PATH ? std::string(sz, n) : path;
}

// The page as an address: http and file addresses as given, paths made absolute.
std::string strPageUrl(const std::string& page)
{
    const std::string scheme = strSchemeOf(page);
    if (!scheme.empty())
        return page;
    return strFileUrlFromPath(strFullPath(page));
}

// The text of a local HTML file an address opens, when it is one.
bool boLocalHtml(const std::string& url, std::string* pPath, std::string* pText, bool* pboRead)
{
    if (strSchemeOf(url) != "file" || !boPathFromFileUrl(strStripFragment(url), pPath))
        return false;
    const std::string ext = strExtensionOf(strStripFragment(url));
    if (ext != "htm" && ext != "html")
        return false;
    *pboRead = false;
    FdWin::CHandle file(CreateFileA(pPath->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
        return true;
    std::string text(kMaxLoggedHtmlBytes, '\0');
    DWORD dwRead = 0;
    if (!ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &dwRead, nullptr))
        return true;
    text.resize(dwRead);
    *pText = std::move(text);
    *pboRead = true;
    return true;
}
} // namespace

CHostSession::CHostSession(const SHostOptions& options) : m_options(options) {}

CHostSession::~CHostSession()
{
    m_pszEndReason = m_pszEndReason ? m_pszEndReason : "destroyed";
    m_iCallDepth = 0;
    vEnd();
}

int CHostSession::iRun()
{
    m_qwStartMs = GetTickCount64();
    std::string logPath = m_options.strLog;
    if (logPath.empty())
    {
        const char* psz = std::getenv("FD_BROWSERHOST_LOG");
        logPath = psz ? psz : "";
    }
    DWORD dwError = 0;
    if (!m_log.boOpen(logPath, &dwError))
        return 4;

    const std::string pageUrl = strPageUrl(m_options.strPage);
    m_log.vWrite(SLogLine("SESSION")
                     .add("page", pageUrl)
                     .add("user_agent", kUserAgent)
                     .addInt("np_version", m_options.wNpVersion)
                     .add("activex", m_options.boNoActiveX ? "0" : "1"));
    if (!m_window.boCreate("FdBrowserHost - " + pageUrl, static_cast<int>(m_options.dwWidth),
                           static_cast<int>(m_options.dwHeight), this))
    {
        m_log.vWrite(SLogLine("ERROR").add("what", "window").addInt("error", GetLastError()));
        return 5;
    }
    m_log.vSetObserver([this](const std::string& line) { m_window.vAddLogLine(line); });
    m_windowNames.push_back("_top");
    m_windowUrls.push_back(pageUrl);

    if (!boLoadPage(pageUrl, kUserAgent, m_log, &m_model))
    {
        m_iExitCode = 3;
        m_pszEndReason = "page";
        vEnd();
        return m_iExitCode;
    }
    vFillBrowserFuncs(this, m_options.wNpVersion, &m_browserFuncs);
    vFindPlugins();
    vShowFrames();
    RECT area = m_window.rcPluginArea();
    m_xNext = area.left + kMargin;
    m_yNext = area.top + kMargin;
    vCreateElements();
    m_qwNextStepMs = GetTickCount64() + kFirstStepDelayMs;

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && boPreTranslate(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return m_iExitCode;
}

void CHostSession::vFindPlugins()
{
    std::vector<std::string> paths;
    for (const std::string& p : m_options.plugins)
        paths.push_back(strFullPath(p));
    if (paths.empty())
    {
        const std::string folder = strExeFolder();
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((folder + "np*.dll").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE)
        {
            do
                paths.push_back(folder + fd.cFileName);
            while (FindNextFileA(h, &fd));
            FindClose(h);
        }
    }
    for (const std::string& p : paths)
    {
        auto lib = std::make_unique<CNpPluginLib>(p);
        m_log.vWrite(SLogLine("PLUGIN")
                         .add("path", p)
                         .add("mime", lib->strMimeTypes())
                         .add("extents", lib->strExtents()));
        m_plugins.push_back(std::move(lib));
    }
}

CNpPluginLib* CHostSession::pPluginFor(const SPlugElement& e, const std::string& baseUrl, std::string* pType)
{
    const std::string* type = e.pAttr("type");
    if (type && !type->empty())
    {
        *pType = *type;
        for (auto& lib : m_plugins)
            if (lib->boServesType(*type))
                return lib.get();
        return nullptr;
    }
    const std::string* src = e.pAttr("src");
    if (!src)
        return nullptr;
    const std::string ext = strExtensionOf(strResolveUrl(baseUrl, *src));
    for (auto& lib : m_plugins)
        if (lib->boServesExtension(ext))
        {
            *pType = strFirstMime(lib->strMimeTypes());
            return lib.get();
        }
    return nullptr;
}

RECT CHostSession::rcPlace(const SPlugElement& e)
{
    const RECT area = m_window.rcPluginArea();
    const uint32_t areaWidth = static_cast<uint32_t>(area.right - area.left - 2 * kMargin);
    const uint32_t areaHeight = static_cast<uint32_t>(area.bottom - area.top - 2 * kMargin);
    const int w = static_cast<int>(dwElementLength(e.pAttr("width"), kDefaultElementWidth, areaWidth));
    const int h = static_cast<int>(dwElementLength(e.pAttr("height"), kDefaultElementHeight, areaHeight));
    if (m_xNext + w > area.right - kMargin && m_xNext > area.left + kMargin)
    {
        m_xNext = area.left + kMargin;
        m_yNext += m_rowHeight + kMargin;
        m_rowHeight = 0;
    }
    RECT rc = {m_xNext, m_yNext, m_xNext + w, m_yNext + h};
    m_xNext += w + kMargin;
    if (h > m_rowHeight)
        m_rowHeight = h;
    return rc;
}

bool CHostSession::boCreateElement(const SElementContext& ctx, const RECT& rc)
{
    const SPlugElement& e = *ctx.pElement;
    if (e.eKind == EPlugKind::Object)
    {
        const std::string* classid = e.pAttr("classid");
        if (!classid || classid->empty() || m_options.boNoActiveX)
        {
            m_log.vWrite(SLogLine("SKIP")
                             .add("element", "OBJECT")
                             .add("text", m_options.boNoActiveX ? "ActiveX is off" : "no classid"));
            return false;
        }
        auto control = std::make_unique<CAxControl>(*this, iNewId(), ctx);
        if (!control->boCreate(rc))
            return false;
        m_controls.push_back(std::move(control));
        return true;
    }
    std::string type;
    CNpPluginLib* lib = pPluginFor(e, ctx.strBaseUrl, &type);
    if (!lib)
    {
        m_log.vWrite(
            SLogLine("ERROR").add("what", "plugin").add("type", type).add("text", "no plug-in serves it"));
        return false;
    }
    if (!lib->boStart(m_log, m_browserFuncs))
        return false;
    m_instances.push_back(std::make_unique<CNpInstance>(*this, *lib, iNewId(), ctx, type));
    if (!m_instances.back()->boCreate(rc))
    {
        m_instances.pop_back();
        return false;
    }
    return true;
}

void CHostSession::vCreateElements()
{
    for (const SLoadedDoc& doc : m_model.docs)
    {
        const std::vector<SPlugElement>& elements = doc.page.elements;
        // An element is hidden inside an OBJECT that was created, or inside
        // a hidden one.
        std::vector<bool> created(elements.size(), false);
        std::vector<bool> hidden(elements.size(), false);
        for (std::size_t i = 0; i < elements.size(); ++i)
        {
            const int parent = elements[i].iInsideObject;
            if (parent >= 0 &&
                (created[static_cast<std::size_t>(parent)] || hidden[static_cast<std::size_t>(parent)]))
            {
                hidden[i] = true;
                continue;
            }
            SElementContext ctx;
            ctx.pElement = &elements[i];
            ctx.iFrame = doc.iFrame;
            ctx.strBaseUrl = doc.strBase;
            created[i] = boCreateElement(ctx, rcPlace(elements[i]));
        }
    }
}

CNpInstance* CHostSession::pFindInstance(NPP npp) const
{
    for (const auto& inst : m_instances)
        if (inst->npp() == npp)
            return inst.get();
    return nullptr;
}

STarget CHostSession::navigate(const SNavigation& nav)
{
    const STarget t = resolveTarget(m_model.frames, nav.iSelfFrame, nav.strTarget);
    SLogLine line("NAVIGATE");
    line.addInt("instance", nav.iInstance)
        .add("method", nav.strMethod)
        .add("url", nav.strUrl)
        .add("target", nav.strTarget)
        .add("frame", t.strFrame)
        .add("known", t.boKnown ? "1" : "0");
    if (nav.pData)
        line.add("data", *nav.pData);
    m_log.vWrite(line);

    bool boFrame = false;
    for (std::size_t i = 0; i < m_model.frames.size(); ++i)
        if (strFrameName(m_model.frames, static_cast<int>(i)) == t.strFrame)
        {
            m_model.frameUrls[i] = nav.strUrl;
            boFrame = true;
            break;
        }
    if (!boFrame)
    {
        bool boFound = false;
        for (std::size_t i = 0; i < m_windowNames.size() && t.strFrame != "_blank"; ++i)
            if (m_windowNames[i] == t.strFrame)
            {
                m_windowUrls[i] = nav.strUrl;
                boFound = true;
            }
        if (!boFound)
        {
            m_windowNames.push_back(t.strFrame);
            m_windowUrls.push_back(nav.strUrl);
        }
    }
    vShowFrames();

    std::string path;
    std::string text;
    bool boRead = false;
    if (boLocalHtml(nav.strUrl, &path, &text, &boRead))
    {
        if (boRead)
            m_log.vWrite(SLogLine("HTML")
                             .addInt("instance", nav.iInstance)
                             .add("frame", t.strFrame)
                             .add("url", nav.strUrl)
                             .add("data", text));
        else
            m_log.vWrite(
                SLogLine("ERROR").add("what", "html").add("url", nav.strUrl).addInt("error", GetLastError()));
    }
    return t;
}

void CHostSession::vStatus(int iInstance, const std::string& text)
{
    m_log.vWrite(SLogLine("STATUS").addInt("instance", iInstance).add("text", text));
}

void CHostSession::vQueueNotify(int iInstance, const std::string& url, NPReason reason, void* notifyData)
{
    m_notifies.push_back({iInstance, url, reason, notifyData});
    vScheduleWork();
}

void CHostSession::vScheduleWork()
{
    if (m_boWorkPosted)
        return;
    m_boWorkPosted = true;
    PostMessageA(m_window.hwnd(), CHostWindow::kMsgWork, 0, 0);
}

void CHostSession::vOnWork()
{
    // A plug-in pumping messages inside one of its calls: the tick comes back.
    if (m_iCallDepth > 0 || m_boEnded)
        return;
    m_boWorkPosted = false;
    while (!m_notifies.empty())
    {
        const SPendingNotify n = m_notifies.front();
        m_notifies.pop_front();
        for (const auto& inst : m_instances)
        {
            if (inst->id() != n.iInstance)
                continue;
            const NPPluginFuncs& f = inst->funcs();
            if (f.urlnotify)
            {
                CCallGuard guard(*this);
                f.urlnotify(inst->npp(), n.strUrl.c_str(), n.reason, n.pvNotifyData);
            }
            char sz[32];
            std::snprintf(sz, sizeof sz, "%p", n.pvNotifyData);
            m_log.vWrite(SLogLine("URLNOTIFY")
                             .addInt("instance", n.iInstance)
                             .add("url", n.strUrl)
                             .addInt("reason", n.reason)
                             .add("notifydata", sz)
                             .add("called", f.urlnotify ? "1" : "0"));
        }
    }
    for (const auto& inst : m_instances)
        inst->vReapStreams();
}

void CHostSession::vOnFetchProgress(int iStream)
{
    for (std::size_t i = 0; i < m_instances.size(); ++i)
        if (m_instances[i]->boOnFetchProgress(iStream))
            return;
}

bool CHostSession::boBusy() const
{
    if (!m_notifies.empty() || m_boWorkPosted)
        return true;
    for (const auto& inst : m_instances)
        if (inst->boBusy())
            return true;
    return false;
}

void CHostSession::vOnTick()
{
    if (m_boEnded)
        return;
    if (m_pszEndReason)
    {
        vEnd();
        return;
    }
    if (m_iCallDepth > 0)
        return;
    if (m_boWorkPosted)
        vOnWork();
    for (std::size_t i = 0; i < m_instances.size(); ++i)
        m_instances[i]->vRetryStreams();
    const uint64_t now = GetTickCount64();
    if (m_options.dwQuitAfterMs && now - m_qwStartMs >= m_options.dwQuitAfterMs)
    {
        vRequestEnd("timeout");
        return;
    }
    if (m_nStepsDone < m_options.steps.size())
    {
        if (now >= m_qwNextStepMs && boStepReady())
        {
            vRunStep();
            m_qwNextStepMs = GetTickCount64() + kStepIntervalMs;
        }
        return;
    }
    if (m_options.dwQuitWhenIdleMs && (m_options.boIdleDespiteTransfers || !boBusy()) &&
        now - m_log.qwLastLineMs() >= m_options.dwQuitWhenIdleMs)
        vRequestEnd("idle");
}

bool CHostSession::boStepReady() const
{
    const SStep& step = m_options.steps[m_nStepsDone];
    return step.eKind != EStep::Await || GetFileAttributesA(step.strText.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CHostSession::vPostFocusKeys(const SStep& step)
{
    std::vector<uint32_t> keys;
    if (step.eKind == EStep::FocusKey)
        keys.push_back(step.a);
    else
        for (char c : step.strText)
            keys.push_back(dwTypedKey(c));
    HWND focus = GetFocus();
    int owner = 0;
    const auto holds = [focus](HWND hwnd)
    { return focus && hwnd && (hwnd == focus || IsChild(hwnd, focus)); };
    for (const auto& inst : m_instances)
        if (holds(inst->hwnd()))
            owner = inst->id();
    for (const auto& c : m_controls)
        if (holds(c->hwnd()))
            owner = c->id();
    char cls[128] = "";
    if (focus)
    {
        GetClassNameA(focus, cls, sizeof cls);
        // Posted as the keyboard would queue them (repeat count 1, the scan
        // code, key up with its previous-state and transition bits), so that
        // the loop's TranslateMessage makes the characters.
        for (uint32_t vk : keys)
        {
            const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) & 0xFF) << 16;
            PostMessageA(focus, WM_KEYDOWN, vk, scan | 1);
            PostMessageA(focus, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u) | scan);
        }
    }
    SLogLine line(step.eKind == EStep::FocusKey ? "KEY" : "TYPE");
    line.addInt("instance", owner);
    if (step.eKind == EStep::FocusKey)
        line.addInt("vk", step.a);
    else
        line.add("text", step.strText);
    m_log.vWrite(line.add("window", cls));
}

void CHostSession::vRunStep()
{
    const SStep& step = m_options.steps[m_nStepsDone++];
    static const char* const kNames[] = {"same", "new", "null", "resize", "key", "focuskey", "type", "await"};
    SLogLine line("STEP");
    line.add("step", kNames[static_cast<int>(step.eKind)]).addInt("a", step.a).addInt("b", step.b);
    if (!step.strText.empty())
        line.add(step.eKind == EStep::Await ? "file" : "text", step.strText);
    m_log.vWrite(line);
    if (step.eKind == EStep::FocusKey || step.eKind == EStep::Type)
    {
        vPostFocusKeys(step);
        return;
    }
    if (step.eKind == EStep::Await)
        return;
    for (std::size_t i = 0; i < m_instances.size(); ++i)
        m_instances[i]->vStep(step);
    for (std::size_t i = 0; i < m_controls.size(); ++i)
        m_controls[i]->vStep(step);
}

bool CHostSession::boPreTranslate(MSG* pMsg)
{
    for (const auto& c : m_controls)
        if (c->boPreTranslate(pMsg))
            return true;
    return false;
}

void CHostSession::vOnCloseRequest()
{
    vRequestEnd("closed");
}

void CHostSession::vRequestEnd(const char* pszReason)
{
    if (!m_pszEndReason)
        m_pszEndReason = pszReason;
    vEnd();
}

void CHostSession::vTakeScreenshot()
{
    SPixels pixels;
    DWORD dwError = 0;
    const bool boOk = boWriteScreenshot(m_window.hwnd(), m_options.strScreenshot, &pixels, &dwError);
    m_log.vWrite(SLogLine("SCREENSHOT")
                     .add("file", m_options.strScreenshot)
                     .addInt("width", pixels.dwWidth)
                     .addInt("height", pixels.dwHeight)
                     .addInt("error", boOk ? 0 : dwError));
}

void CHostSession::vEnd()
{
    // Not inside a plug-in's call: the tick comes back for it.
    if (m_boEnded || m_iCallDepth > 0)
        return;
    m_boEnded = true;
    m_log.vWrite(SLogLine("QUIT").add("reason", m_pszEndReason ? m_pszEndReason : ""));
    if (!m_options.strScreenshot.empty() && m_window.hwnd())
        vTakeScreenshot();
    for (auto& c : m_controls)
        c->vClose();
    m_controls.clear();
    for (auto& inst : m_instances)
        inst->vDestroy();
    m_instances.clear();
    m_notifies.clear();
    for (auto& lib : m_plugins)
        lib->vShutdown(m_log);
    m_plugins.clear();
    m_log.vWrite(SLogLine("END").addInt("exit", m_iExitCode));
    m_log.vSetObserver(nullptr);
    if (m_window.hwnd())
    {
        m_window.vDestroy();
        PostQuitMessage(m_iExitCode);
    }
}

void CHostSession::vShowFrames()
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < m_windowNames.size(); ++i)
        lines.push_back(m_windowNames[i] + (i ? " (fenêtre)" : "") + ": " + m_windowUrls[i]);
    for (std::size_t i = 0; i < m_model.frames.size(); ++i)
        lines.push_back(strFrameName(m_model.frames, static_cast<int>(i)) + " (dans " +
                        strFrameName(m_model.frames, m_model.frames[i].iParent) +
                        "): " + m_model.frameUrls[i]);
    m_window.vSetFrameLines(lines);
}
} // namespace FdBrowserHost
