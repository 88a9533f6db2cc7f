// The link between the launcher's component and its launch-script manager:
// what the component hands the manager (page parameters, commands, download
// ends) and what the manager asks of the host page through the component.
#pragma once

#include "StringExt.h"

#include <cstdint>
#include <memory>

// Implemented by the component; each call does nothing while no host
// callback is held.
class IScriptMgrSink
{
public:
    // Shows url in the named frame of the page.
    virtual void NavigateHostFrame(const CStringExt& url, const CStringExt& frame) = 0;
    // Asks the plug-in to download url; the end comes back as OnDownloadEnd. 0.
    virtual int32_t RequestHostDownload(const CStringExt& url, const CStringExt& unused) = 0;
    // The launcher leaves the page (the callback's CmptOut); its result.
    virtual long LeaveHost() = 0;
    virtual void Notify(int32_t value) = 0;

protected:
    ~IScriptMgrSink() = default;
};

// The manager, created by the component at the first Advise.
class IScriptMgr
{
public:
    virtual ~IScriptMgr() = default;
    virtual void SetComponent(IScriptMgrSink* sink) = 0;
    // A page parameter (any name but "DLPATH").
    virtual void OnParameter(const CStringExt& name, const CStringExt& value) = 0;
    // "dowk": runs the launch script named by the variable "lscr".
    virtual void Ignition() = 0;
    // "DLDONE" (error false) or "DLERR" (error true) for the last download.
    virtual void OnDownloadEnd(const CStringExt& url, const CStringExt& path, bool error) = 0;
    // "docf": the game management dialog (menu id 558 for all games).
    virtual void OpenGameDialog(uint32_t menuId) = 0;
    // Any other command word of the page.
    virtual void OnCommand(const CStringExt& word) = 0;
    // True while the engine runs: one of its calls (to a plug, to the page) is
    // on the stack, and an incoming COM call may arrive in its modal loop.
    virtual bool IsRunningEngine() const { return false; }
};

using ScriptMgrFactory = std::unique_ptr<IScriptMgr> (*)();
