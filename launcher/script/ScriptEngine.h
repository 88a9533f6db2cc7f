// What the launch-script engine's portable parts need from their surroundings:
// the console transcript, the end of the launcher, the host page's events, the
// plug registry and the item kinds of the platform. CScriptLog is the engine
// objects' console log, switched on by the script variable "log:console".
#pragma once

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ItemTank.h"
#include "ServerLinkSink.h"
#include "VarTank.h"

class CScriptItem;
class CLaunchScript;
class ILaunchHost;

class IScriptEngineHost
{
public:
    // One piece of the console transcript.
    virtual void WriteLog(const std::string& text) = 0;
    // Ends the launcher on its next tick.
    virtual void RequestEnd() {}
    // An event for the host page and the game server link.
    virtual void NotifyEvent(int32_t /*code*/) {}
    virtual void RegisterPlug(const std::string& /*technoid*/, const std::string& /*classid*/) {}
    // Downloads url for the script; the host answers with the script's OnDownloadEnd.
    virtual void RequestDownload(const std::string& /*url*/) {}
    // Shows or closes the progress window of the first load.
    virtual void ShowProgress(bool /*show*/) {}
    // A message box (text, caption).
    virtual void Alert(const std::string& /*text*/, const std::string& /*caption*/) {}
    // A message box with a MessageBoxStyle style; the button pressed (IDOK = 1 ...).
    virtual int32_t ShowMessageBox(const std::string& /*text*/, const std::string& /*title*/, uint32_t /*style*/)
    {
        return 1;
    }
    virtual void NavigateHostFrame(const std::string& /*url*/, const std::string& /*frame*/) {}
    // Cryptographic random bytes; false when none could be had.
    virtual bool RandomBytes(uint8_t* /*bytes*/, size_t /*count*/) { return false; }
    // A registry value by its full path (root word first): REG_SZ or REG_EXPAND_SZ as
    // text, REG_DWORD as its decimal number; defaultText on any failure.
    virtual std::string RegRead(const std::string& /*path*/, const std::string& /*name*/,
                                const std::string& defaultText)
    {
        return defaultText;
    }
    // Writes text with the value's stored type, or newType (kRegSz, kRegBinary,
    // kRegDword) for a new value; 1 when written.
    virtual int32_t RegWrite(const std::string& /*path*/, const std::string& /*name*/, const std::string& /*text*/,
                             uint32_t /*newType*/)
    {
        return 0;
    }
    static constexpr uint32_t kRegSz = 1;
    static constexpr uint32_t kRegBinary = 3;
    static constexpr uint32_t kRegDword = 4;
    // Starts the hub client library for a launch part's link; each true is
    // undone by one StopHubLibrary.
    virtual bool StartHubLibrary() { return true; }
    virtual void StopHubLibrary() {}
    // A link to the game server through the hub, open, that tells sink of its
    // loss and of the server's commands; null when it could not be opened.
    virtual std::unique_ptr<IServerLink> OpenServerLink(const std::string& /*address*/, const std::string& /*port*/,
                                                        const std::string& /*msgd*/, CServerLinkSink* /*sink*/)
    {
        return nullptr;
    }
    // The item of a factory keyword (given as the factory spells it); null when
    // this host has no such item.
    virtual std::unique_ptr<CScriptItem> NewItem(const std::string& keyword) = 0;
    // An event with its custom text (empty: none).
    virtual void NotifyEventText(int32_t code, const std::string& /*custom*/) { NotifyEvent(code); }
    // The launch plugs, the local game data and the game choice (launchinit); null: none.
    virtual ILaunchHost* LaunchHost() { return nullptr; }

protected:
    ~IScriptEngineHost() = default;
};

// The stores and services a launch part and its items share (owned by the launch script).
struct CScriptContext
{
    CVarTank vars;
    CItemTank items;
    IScriptEngineHost* host = nullptr;
    // The launch script that owns the context (its loads serve items); may be null.
    CLaunchScript* script = nullptr;
    // Component commands that came before the launch part started.
    std::vector<std::string> pendingCommands;
};

class CScriptLog
{
public:
    // Switched on when the context's "log:console" variable is set.
    void Init(const CScriptContext* context);
    bool IsOn() const { return m_pHost != nullptr; }
    template <typename T>
    CScriptLog& operator<<(const T& value)
    {
        if (m_pHost)
        {
            std::ostringstream text;
            text << value;
            m_pHost->WriteLog(text.str());
        }
        return *this;
    }

private:
    IScriptEngineHost* m_pHost = nullptr;
};
