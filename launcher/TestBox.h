// The test box (dialog 102): a developer runs a launch script by hand, with
// the launch-script text and the variable-script text of the command line.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class CLaunchScriptMgr;

class CTestBox
{
public:
    static constexpr UINT_PTR kTimerId = 666;
    static constexpr UINT kTimerMs = 50;

    CTestBox(const std::string& launchScript, const std::string& varScript);
    ~CTestBox();
    CTestBox(const CTestBox&) = delete;
    CTestBox& operator=(const CTestBox&) = delete;

    // Runs the dialog modally (owner: the active window); its end code.
    INT_PTR iRun(HINSTANCE hInstance);

    // The animated caption after tick ticks: the letters of text spread apart
    // by up to a half-cycle of 110 / length blanks and drawn together again.
    static std::string Caption(const std::string& text, uint32_t tick);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR iOnMessage(HWND hwnd, UINT message, WPARAM wParam);
    void vRun(HWND hwnd);

    std::string m_launchScript;
    std::string m_varScript;
    std::unique_ptr<CLaunchScriptMgr> m_mgr;
    uint32_t m_tick = 0;
};
