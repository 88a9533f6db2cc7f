// One NPAPI plug-in DLL: what it serves (from its version resource), and
// its start (NP_GetEntryPoints, then NP_Initialize, as browsers on Windows
// call them) and its end (NP_Shutdown, then FreeLibrary).
#pragma once

#include "HostLog.h"
#include "NpApi.h"
#include "WinModule.h"

#include <string>

namespace FdBrowserHost
{
class CNpPluginLib
{
public:
    explicit CNpPluginLib(std::string path);
    CNpPluginLib(const CNpPluginLib&) = delete;
    CNpPluginLib& operator=(const CNpPluginLib&) = delete;

    const std::string& strPath() const { return m_strPath; }
    const std::string& strMimeTypes() const { return m_strMime; }
    const std::string& strExtents() const { return m_strExtents; }
    bool boServesType(const std::string& type) const;
    bool boServesExtension(const std::string& ext) const;

    // Loads and starts the plug-in the first time; true while it is
    // started. Each call of the plug-in's exports is logged.
    bool boStart(CHostLog& log, const NPNetscapeFuncs& browser);
    // NP_Shutdown (logged with the NPN_MemAlloc blocks still live) and
    // FreeLibrary; nothing when it never started.
    void vShutdown(CHostLog& log);

    const NPPluginFuncs& funcs() const { return m_funcs; }

private:
    enum class EState
    {
        NotLoaded,
        Started,
        Failed,
        Ended
    };

    std::string m_strPath;
    std::string m_strMime;
    std::string m_strExtents;
    EState m_eState = EState::NotLoaded;
    FdWin::CModule m_module;
    NPPluginFuncs m_funcs = {};
    NPNetscapeFuncs m_browser = {}; // the plug-in may keep a pointer to it until NP_Shutdown
};
} // namespace FdBrowserHost
