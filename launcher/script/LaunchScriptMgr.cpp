#include "LaunchScriptMgr.h"

#include "FdUi.h"

#include <windows.h>

CLaunchScriptMgr::CLaunchScriptMgr()
{
    // The script reader works on the pre-process pass; the tree is kept too
    // until the script's own readers exist.
    m_script.vSetOperatingMode(kXmlModePreProcess | kXmlModeTree);
}

CLaunchScriptMgr::~CLaunchScriptMgr() = default;

std::unique_ptr<IScriptMgr> CLaunchScriptMgr::Create()
{
    return std::unique_ptr<IScriptMgr>(new CLaunchScriptMgr());
}

std::string CLaunchScriptMgr::GetScriptVar(const std::string& name) const
{
    const auto it = m_vars.find(name);
    return it == m_vars.end() ? std::string() : it->second;
}

void CLaunchScriptMgr::OnParameter(const CStringExt& name, const CStringExt& value)
{
    m_log << "OBPP param : [" << name << "] :" << value << "\n";
    SetScriptVar(name, value);
}

void CLaunchScriptMgr::Ignition()
{
    const CStringExt script = GetScriptVar("lscr");
    m_log << "[[Ludex Ignition : LaunchScript = " << script << "]]\n";
    if (script.empty())
    {
        FdUi::iMessageBox(nullptr, "Launchscript was not defined", "Ludex", MB_OK);
        return;
    }
    vLoad(script);
}

void CLaunchScriptMgr::vLoad(const CStringExt& source)
{
    m_strDownloadUrl.clear();
    m_eLoad = ELoad::Loaded;
    const int32_t result = m_script.lLoad(source, this);
    if (m_eLoad == ELoad::Downloading)
        return;
    if (result != 0)
        m_eLoad = ELoad::Failed;
    m_log << "Launch script " << source << " : " << (m_eLoad == ELoad::Loaded ? "read" : "unreadable")
          << "\n";
}

void CLaunchScriptMgr::ResolveProtocol(CStringExt& protocol, CStringExt& location, CXmlDocument*)
{
    if (!m_pSink)
        return;
    CStringExt url = protocol;
    url.MakeLower();
    url += "://" + location;
    m_eLoad = ELoad::Downloading;
    m_strDownloadUrl = url;
    location.clear(); // taken over: nothing is read now
    m_pSink->RequestHostDownload(url, CStringExt());
}

void CLaunchScriptMgr::OnDownloadEnd(const CStringExt& url, const CStringExt& path, bool error)
{
    m_log << "Download end : " << url << " -> " << path << (error ? " (error)" : "") << "\n";
    // Only the end of the download that the script's load waits for counts.
    if (m_eLoad != ELoad::Downloading)
        return;
    if (error || path.empty())
    {
        m_eLoad = ELoad::Failed;
        return;
    }
    vLoad("file://" + path);
}

void CLaunchScriptMgr::OpenGameDialog(uint32_t menuId)
{
    m_log << "Game dialog " << menuId << "\n";
}

void CLaunchScriptMgr::OnCommand(const CStringExt& word)
{
    m_log << "OBPP command : [" << word << "]\n";
    m_pendingCommands.push_back(word);
}
