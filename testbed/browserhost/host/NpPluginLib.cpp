#include "NpPluginLib.h"

#include "NpMemory.h"
#include "PluginMatch.h"
#include "VersionStrings.h"

namespace FdBrowserHost
{
namespace
{
const char* pszSet(const void* p)
{
    return p ? "1" : "0";
}
} // namespace

CNpPluginLib::CNpPluginLib(std::string path) : m_strPath(std::move(path))
{
    m_strMime = strVersionString(m_strPath, "MIMEType");
    m_strExtents = strVersionString(m_strPath, "FileExtents");
}

bool CNpPluginLib::boServesType(const std::string& type) const
{
    return boMimeListHas(m_strMime, type);
}

bool CNpPluginLib::boServesExtension(const std::string& ext) const
{
    return boExtentListHas(m_strExtents, ext);
}

bool CNpPluginLib::boStart(CHostLog& log, const NPNetscapeFuncs& browser)
{
    if (m_eState == EState::Started)
        return true;
    if (m_eState != EState::NotLoaded)
        return false;
    m_eState = EState::Failed;
    HMODULE h = LoadLibraryA(m_strPath.c_str());
    if (!h)
    {
        log.vWrite(SLogLine("PLUGIN_LOAD").add("path", m_strPath).addInt("error", GetLastError()));
        return false;
    }
    m_module.vAttach(h);
    log.vWrite(SLogLine("PLUGIN_LOAD").add("path", m_strPath).add("mime", m_strMime).addInt("error", 0));
    auto pfnEntry = reinterpret_cast<NP_GetEntryPointsFunc>(
        reinterpret_cast<void*>(GetProcAddress(h, "NP_GetEntryPoints")));
    auto pfnInit =
        reinterpret_cast<NP_InitializeFunc>(reinterpret_cast<void*>(GetProcAddress(h, "NP_Initialize")));
    auto pfnShutdown =
        reinterpret_cast<NP_ShutdownFunc>(reinterpret_cast<void*>(GetProcAddress(h, "NP_Shutdown")));
    if (!pfnEntry || !pfnInit || !pfnShutdown)
    {
        log.vWrite(SLogLine("ERROR")
                       .add("what", "plugin")
                       .add("path", m_strPath)
                       .add("text", "NP_GetEntryPoints, NP_Initialize or NP_Shutdown missing"));
        m_module.boFree();
        return false;
    }

    m_funcs = NPPluginFuncs{};
    m_funcs.size = sizeof(NPPluginFuncs);
    const NPError errEntry = pfnEntry(&m_funcs);
    log.vWrite(SLogLine("NP_GETENTRYPOINTS")
                   .addInt("result", errEntry)
                   .addInt("size", m_funcs.size)
                   .addInt("version", m_funcs.version));
    if (errEntry != NPERR_NO_ERROR)
    {
        m_module.boFree();
        return false;
    }

    m_browser = browser;
    const NPError errInit = pfnInit(&m_browser);
    log.vWrite(SLogLine("NP_INITIALIZE")
                   .addInt("result", errInit)
                   .addInt("size", m_browser.size)
                   .addInt("version", m_browser.version));
    // What the plug-in's table holds once both calls are done.
    log.vWrite(SLogLine("NP_FUNCS")
                   .addInt("size", m_funcs.size)
                   .addInt("version", m_funcs.version)
                   .add("newp", pszSet(reinterpret_cast<void*>(m_funcs.newp)))
                   .add("destroy", pszSet(reinterpret_cast<void*>(m_funcs.destroy)))
                   .add("setwindow", pszSet(reinterpret_cast<void*>(m_funcs.setwindow)))
                   .add("newstream", pszSet(reinterpret_cast<void*>(m_funcs.newstream)))
                   .add("destroystream", pszSet(reinterpret_cast<void*>(m_funcs.destroystream)))
                   .add("asfile", pszSet(reinterpret_cast<void*>(m_funcs.asfile)))
                   .add("writeready", pszSet(reinterpret_cast<void*>(m_funcs.writeready)))
                   .add("write", pszSet(reinterpret_cast<void*>(m_funcs.write)))
                   .add("print", pszSet(reinterpret_cast<void*>(m_funcs.print)))
                   .add("event", pszSet(reinterpret_cast<void*>(m_funcs.event)))
                   .add("urlnotify", pszSet(reinterpret_cast<void*>(m_funcs.urlnotify)))
                   .add("javaclass", pszSet(m_funcs.javaClass))
                   .add("getvalue", pszSet(reinterpret_cast<void*>(m_funcs.getvalue)))
                   .add("setvalue", pszSet(reinterpret_cast<void*>(m_funcs.setvalue))));
    if (errInit != NPERR_NO_ERROR)
    {
        // A plug-in that refused to start gets no NP_Shutdown.
        m_module.boFree();
        return false;
    }
    m_eState = EState::Started;
    return true;
}

void CNpPluginLib::vShutdown(CHostLog& log)
{
    if (m_eState != EState::Started)
        return;
    m_eState = EState::Ended;
    auto pfnShutdown = reinterpret_cast<NP_ShutdownFunc>(
        reinterpret_cast<void*>(GetProcAddress(m_module.get(), "NP_Shutdown")));
    const NPError err = pfnShutdown();
    log.vWrite(SLogLine("NP_SHUTDOWN")
                   .add("path", m_strPath)
                   .addInt("result", err)
                   .addInt("memalloc_live", static_cast<int64_t>(CNpMemory::Get().nLive())));
    m_module.boFree();
}
} // namespace FdBrowserHost
