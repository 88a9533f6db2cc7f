// The browser host's main window: the plug-ins in the upper part, below
// them the list of frames with what each shows, and the session log.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace FdBrowserHost
{
// What the window hands to its owner.
class IHostWindowEvents
{
public:
    virtual ~IHostWindowEvents() = default;
    virtual void vOnFetchProgress(int iStream) = 0;
    virtual void vOnWork() = 0;
    virtual void vOnTick() = 0;
    virtual void vOnCloseRequest() = 0;
};

class CHostWindow
{
public:
    static constexpr UINT kMsgFetch = WM_APP + 1; // wParam: stream id
    static constexpr UINT kMsgWork = WM_APP + 2;  // queued work of the session
    static constexpr UINT kTickMs = 20;
    static constexpr int kLogViewLines = 2000;

    CHostWindow() = default;
    CHostWindow(const CHostWindow&) = delete;
    CHostWindow& operator=(const CHostWindow&) = delete;
    ~CHostWindow();

    bool boCreate(const std::string& title, int clientWidth, int clientHeight, IHostWindowEvents* pEvents);
    void vDestroy();
    HWND hwnd() const { return m_hwnd; }
    // Client rectangle of the part where plug-ins go.
    RECT rcPluginArea() const;
    void vAddLogLine(const std::string& line);
    void vSetFrameLines(const std::vector<std::string>& lines);

    // A child window for a plug-in instance, at rc of the main window.
    static HWND hwndCreatePluginWindow(HWND hwndParent, const RECT& rc);

private:
    static LRESULT CALLBACK lWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT lOnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void vLayout();

    HWND m_hwnd = nullptr;
    HWND m_hwndFrames = nullptr;
    HWND m_hwndLog = nullptr;
    HFONT m_hFont = nullptr;
    IHostWindowEvents* m_pEvents = nullptr;
};
} // namespace FdBrowserHost
