#include "HostWindow.h"

namespace FdBrowserHost
{
namespace
{
const char kMainClass[] = "FdBrowserHostMain";
const char kPluginClass[] = "FdBrowserHostPlugin";
const UINT_PTR kTickTimer = 1;
const int kFramesViewHeight = 64;
const int kGap = 4;
// The plug-ins get this share (percent) of the client height.
const int kPluginAreaPercent = 62;

bool boRegisterClasses()
{
    static bool s_boDone = false;
    if (s_boDone)
        return true;
    HINSTANCE hinst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = hinst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kPluginClass;
    if (!RegisterClassExA(&wc))
        return false;
    s_boDone = true;
    return true;
}
} // namespace

CHostWindow::~CHostWindow()
{
    vDestroy();
}

bool CHostWindow::boCreate(const std::string& title, int clientWidth, int clientHeight,
                           IHostWindowEvents* pEvents)
{
    m_pEvents = pEvents;
    if (!boRegisterClasses())
        return false;
    HINSTANCE hinst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = lWndProc;
    wc.hInstance = hinst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClass;
    RegisterClassExA(&wc);

    const DWORD dwStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT rc = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&rc, dwStyle, FALSE);
    m_hwnd = CreateWindowExA(0, kMainClass, title.c_str(), dwStyle, 0, 0, rc.right - rc.left,
                             rc.bottom - rc.top, nullptr, nullptr, hinst, this);
    if (!m_hwnd)
        return false;
    m_hFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const DWORD dwList =
        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL;
    m_hwndFrames = CreateWindowExA(0, "LISTBOX", "", dwList, 0, 0, 10, 10, m_hwnd, nullptr, hinst, nullptr);
    m_hwndLog = CreateWindowExA(0, "LISTBOX", "", dwList, 0, 0, 10, 10, m_hwnd, nullptr, hinst, nullptr);
    SendMessageA(m_hwndFrames, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    SendMessageA(m_hwndLog, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    SendMessageA(m_hwndLog, LB_SETHORIZONTALEXTENT, 4000, 0);
    SendMessageA(m_hwndFrames, LB_SETHORIZONTALEXTENT, 2000, 0);
    vLayout();
    SetTimer(m_hwnd, kTickTimer, kTickMs, nullptr);
    ShowWindow(m_hwnd, SW_SHOWNORMAL);
    UpdateWindow(m_hwnd);
    return true;
}

void CHostWindow::vDestroy()
{
    if (m_hwnd)
    {
        KillTimer(m_hwnd, kTickTimer);
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
    m_hwnd = nullptr;
    m_hwndFrames = nullptr;
    m_hwndLog = nullptr;
}

RECT CHostWindow::rcPluginArea() const
{
    RECT rc = {0, 0, 0, 0};
    GetClientRect(m_hwnd, &rc);
    rc.bottom = rc.top + (rc.bottom - rc.top) * kPluginAreaPercent / 100;
    return rc;
}

void CHostWindow::vLayout()
{
    RECT rc;
    GetClientRect(m_hwnd, &rc);
    const RECT area = rcPluginArea();
    int y = area.bottom + kGap;
    const int width = rc.right - 2 * kGap;
    MoveWindow(m_hwndFrames, kGap, y, width, kFramesViewHeight, TRUE);
    y += kFramesViewHeight + kGap;
    const int logHeight = rc.bottom - y - kGap;
    MoveWindow(m_hwndLog, kGap, y, width, logHeight > 0 ? logHeight : 0, TRUE);
}

void CHostWindow::vAddLogLine(const std::string& line)
{
    if (!m_hwndLog)
        return;
    std::string shown = line;
    for (char& c : shown)
        if (c == '\t')
            c = ' ';
    if (SendMessageA(m_hwndLog, LB_GETCOUNT, 0, 0) >= kLogViewLines)
        SendMessageA(m_hwndLog, LB_DELETESTRING, 0, 0);
    const LRESULT index = SendMessageA(m_hwndLog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    SendMessageA(m_hwndLog, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void CHostWindow::vSetFrameLines(const std::vector<std::string>& lines)
{
    if (!m_hwndFrames)
        return;
    SendMessageA(m_hwndFrames, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines)
        SendMessageA(m_hwndFrames, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

HWND CHostWindow::hwndCreatePluginWindow(HWND hwndParent, const RECT& rc)
{
    if (!boRegisterClasses())
        return nullptr;
    return CreateWindowExA(0, kPluginClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                           rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, hwndParent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

LRESULT CALLBACK CHostWindow::lWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
    {
        auto* pcs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pcs->lpCreateParams));
        reinterpret_cast<CHostWindow*>(pcs->lpCreateParams)->m_hwnd = hwnd;
    }
    auto* self = reinterpret_cast<CHostWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->lOnMessage(msg, wParam, lParam);
}

LRESULT CHostWindow::lOnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case kMsgFetch:
        m_pEvents->vOnFetchProgress(static_cast<int>(wParam));
        return 0;
    case kMsgWork:
        m_pEvents->vOnWork();
        return 0;
    case WM_TIMER:
        if (wParam == kTickTimer)
            m_pEvents->vOnTick();
        return 0;
    case WM_SIZE:
        if (m_hwndLog)
            vLayout();
        return 0;
    case WM_CLOSE:
        m_pEvents->vOnCloseRequest();
        return 0;
    default:
        return DefWindowProcA(m_hwnd, msg, wParam, lParam);
    }
}
} // namespace FdBrowserHost
