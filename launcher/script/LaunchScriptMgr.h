// CLaunchScriptMgr: the launcher's engine driver as far as the component's
// road goes: it keeps the page's parameters as script variables, starts the
// launch script named by "lscr" (downloaded through the host page when it is
// not a local source) and reads it once it is there. Running the script's
// items is not done here yet.
#pragma once

#include "ConsoleLog.h"
#include "ScriptMgrLink.h"
#include "XmlDocument.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CLaunchScriptMgr : public IScriptMgr, private CXmlEventSink
{
public:
    CLaunchScriptMgr();
    ~CLaunchScriptMgr() override;

    static std::unique_ptr<IScriptMgr> Create();

    void SetComponent(IScriptMgrSink* sink) override { m_pSink = sink; }
    void OnParameter(const CStringExt& name, const CStringExt& value) override;
    void Ignition() override;
    void OnDownloadEnd(const CStringExt& url, const CStringExt& path, bool error) override;
    void OpenGameDialog(uint32_t menuId) override;
    void OnCommand(const CStringExt& word) override;

    void SetScriptVar(const std::string& name, const std::string& value) { m_vars[name] = value; }
    // "" when the variable is not set.
    std::string GetScriptVar(const std::string& name) const;
    // The launch script's document (tree of the last load).
    const CXmlDocument& Script() const { return m_script; }
    // States of the launch script's load.
    enum class ELoad
    {
        None,        // no load asked for
        Downloading, // waiting for the host's download end
        Loaded,      // read
        Failed       // could not be read
    };
    ELoad GetLoadState() const { return m_eLoad; }
    const std::vector<CStringExt>& PendingCommands() const { return m_pendingCommands; }

private:
    // Reads source into the script document; a protocol the library does not
    // read itself is downloaded through the host first.
    void vLoad(const CStringExt& source);
    void ResolveProtocol(CStringExt& protocol, CStringExt& location, CXmlDocument* document) override;

    IScriptMgrSink* m_pSink = nullptr;
    std::map<std::string, std::string> m_vars; // names are case-sensitive
    CConsoleLog m_log;
    CXmlDocument m_script;
    ELoad m_eLoad = ELoad::None;
    CStringExt m_strDownloadUrl; // the load waiting for its download
    std::vector<CStringExt> m_pendingCommands;
};
