// The test box (dialog 102): a developer runs a launch script by hand, with
// the launch-script text and the variable-script text of the command line.
// Without a browser plug-in the box fetches the script's downloads itself and
// hands their ends to the manager on a later turn of its loop; a page command
// given on the command line ("command=word") reaches the manager before the
// script starts. The end of a script leaves the box up; "Liste des jeux" dumps
// the local game list to a file and to the console.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "ConsoleLog.h"
#include "DialogBase.h"
#include "ScriptMgrLink.h"

class CLaunchScriptMgr;

class CTestBox : private FdWin::CDialogBase, private IScriptMgrSink
{
public:
    static constexpr UINT_PTR kTimerId = 666;
    static constexpr UINT kTimerMs = 50;

    // Posted to the box when a download has ended.
    static constexpr UINT kMsgDownloadEnd = WM_APP + 1;

    CTestBox(const std::string& launchScript, const std::string& varScript, const std::string& command = "");
    ~CTestBox();
    CTestBox(const CTestBox&) = delete;
    CTestBox& operator=(const CTestBox&) = delete;

    // Runs the dialog modally (owner: the active window); its end code.
    INT_PTR iRun(HINSTANCE hInstance);

    // The animated caption after tick ticks: the letters of text spread apart
    // by up to a half-cycle of 110 / length blanks and drawn together again.
    static std::string Caption(const std::string& text, uint32_t tick);

    // Where the dump goes: "c:\temp\glreg.htm", or the file named by the
    // environment variable FD_LUDEX_DUMP (tests).
    static std::string DumpPath();

private:
    INT_PTR iOnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void vRun(HWND hwnd);
    void vDumpGameList();

    // IScriptMgrSink: only downloads do something here.
    void NavigateHostFrame(const CStringExt&, const CStringExt&) override {}
    int32_t RequestHostDownload(const CStringExt& url, const CStringExt& unused) override;
    long LeaveHost() override { return 0; }
    void Notify(int32_t) override {}
    void vDeliverDownloadEnd();

    struct SDownloadEnd
    {
        std::string url;
        std::string path;
        bool error;
    };
    std::deque<SDownloadEnd> m_downloadEnds;
    std::string m_command;
    std::string m_launchScript;
    std::string m_varScript;
    // The box's console, released after the manager.
    CConsoleLog m_log;
    std::unique_ptr<CLaunchScriptMgr> m_mgr;
    uint32_t m_tick = 0;
};
