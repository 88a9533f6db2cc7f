// CLaunchScriptMgr: the launcher's engine driver. It keeps the page's parameters
// as script variables, runs the launch script named by "lscr", and keeps the
// engine moving: a worker thread wakes every 200 ms and posts a tick to the
// hidden relay window "LUDEXRELAYTICK", whose handler animates the tray icon and
// steps the script on the main thread.
#pragma once

#include "ConsoleLog.h"
#include "EngineTick.h"
#include "LaunchPlatform.h"
#include "LaunchScript.h"
#include "NoticeDlg.h"
#include "ScriptMgrLink.h"
#include "TrayRelay.h"
#include "WindowBase.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CLaunchScriptMgr : public IScriptMgr, public CTrayRelay, private IScriptEngineHost
{
public:
    static constexpr UINT kMsgTick = WM_USER + 555;     // 0x62B
    static constexpr UINT kMsgStopTick = WM_USER + 556; // 0x62C
    static constexpr UINT kTrayId = 666;
    static constexpr UINT kMenuGame = 0x22D;
    static constexpr UINT kMenuAllGames = 0x22E;
    static constexpr UINT kMenuAbout = 0x22B;
    static constexpr UINT kMenuClose = 0x22C;

    CLaunchScriptMgr();
    ~CLaunchScriptMgr() override;

    static std::unique_ptr<IScriptMgr> Create();
    // The tick thread's period; tests shorten it.
    static void SetTickPeriod(DWORD ms);
    // The hub's LPC port for the game server links (8999); tests take another.
    static void SetHubPort(uint16_t port);

    void SetComponent(IScriptMgrSink* sink) override { m_pSink = sink; }
    bool IsRunningEngine() const override { return m_inEngine; }
    void OnParameter(const CStringExt& name, const CStringExt& value) override;
    void Ignition() override;
    void OnDownloadEnd(const CStringExt& url, const CStringExt& path, bool error) override;
    void OpenGameDialog(uint32_t menuId) override;
    void OnCommand(const CStringExt& word) override;

    void SetScriptVar(const std::string& name, const std::string& value);
    // "" when the variable is not set.
    std::string GetScriptVar(const std::string& name) const;
    // Reads a vardef text into the variables (the test box's variable script).
    bool LoadVarScript(const std::string& text);
    CLaunchScript& Script() { return m_script; }
    // One tick, as the relay window runs it.
    void OnTick();
    HWND GetRelayWindow() const { return m_relay.hWnd(); }
    bool IsGameDialogOpen() const { return m_gameDialogOpen; }
    // Cleared, the end of a script no longer ends the launcher (the test box).
    void SetQuitWhenEnded(bool quit) { m_tick.SetQuitWhenEnded(quit); }
    // The progress window while it shows, else null.
    HWND GetProgressWindow() const { return m_progress.GetHwnd(); }
    // A load outstanding, or a sub-script running or queued.
    bool IsBusy() const;

    // Menu commands and the tray menu.
    void OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnTrayMenu(HWND hwnd) override;

private:
    // IScriptEngineHost
    void WriteLog(const std::string& text) override;
    void RequestEnd() override { m_tick.RequestEnd(); }
    void NotifyEvent(int32_t code) override;
    void RequestDownload(const std::string& url) override;
    void ShowProgress(bool show) override;
    void Alert(const std::string& text, const std::string& caption) override;
    std::unique_ptr<CScriptItem> NewItem(const std::string& keyword) override;
    int32_t ShowMessageBox(const std::string& text, const std::string& title, uint32_t style) override;
    void NavigateHostFrame(const std::string& url, const std::string& frame) override;
    bool RandomBytes(uint8_t* bytes, size_t count) override;
    std::string RegRead(const std::string& path, const std::string& name,
                        const std::string& defaultText) override;
    int32_t RegWrite(const std::string& path, const std::string& name, const std::string& text,
                     uint32_t newType) override;
    // The game server links (LaunchScriptMgrLink.cpp).
    bool StartHubLibrary() override;
    void StopHubLibrary() override;
    std::unique_ptr<IServerLink> OpenServerLink(const std::string& address, const std::string& port,
                                                const std::string& msgd, CServerLinkSink* sink) override;
    void RegisterPlug(const std::string& technoid, const std::string& classid) override;
    ILaunchHost* LaunchHost() override { return &m_launch; }

    void StartTick();
    void StopTick();
    static unsigned __stdcall TickThreadProc(void* argument);
    // The relay window's messages: a tick runs the engine, the rest is the static control's.
    LRESULT OnRelayMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs work on the engine now, or after the engine call in progress when one
    // is (a message pumped inside an engine call must not re-enter it).
    void RunEngine(const std::function<void()>& work);
    void SwitchLogOn();

    CLaunchPlatform m_launch;
    CLaunchScript m_script;
    IScriptMgrSink* m_pSink = nullptr;
    DWORD m_creatorThreadId;
    volatile DWORD m_tickThreadId = 0;
    HANDLE m_hTickThread = nullptr;
    HANDLE m_hTickStarted = nullptr;
    CEngineTick m_tick;
    // A static control subclassed on the creating thread; the tick thread posts to it.
    FdWin::TMemberWindow<CLaunchScriptMgr> m_relay;
    bool m_gameDialogOpen = false;
    bool m_inEngine = false;
    std::vector<std::function<void()>> m_deferred;
    CConsoleLog m_log;
    bool m_logOn = false;
    // The notice window shown while a script or launchinit's lists download.
    CNoticeDlg m_progress;
};
