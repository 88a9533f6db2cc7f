#include "SearchDlg.h"

#include <commctrl.h>

#include <cstdio>

#include "DialogKeys.h"
#include "DirWalker.h"
#include "DiskSearchRes.h"
#include "FdUi.h"

CSearchDlg::CSearchDlg(HINSTANCE hResources)
    : m_hResources(hResources ? hResources : GetModuleHandleA(nullptr))
{
}

bool CSearchDlg::boPrepare(int32_t lRange)
{
    m_lRange = lRange > 0 ? lRange : 1;
    m_boCancel.store(false);
    m_boStopHere.store(false);
    m_boSkipDrive.store(false);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_display = SDisplay();
        m_boRefreshPosted = false;
    }
    if (!m_evShown.boValid() && m_evShown.dwCreate(true, false) != 0)
        return false;
    if (!m_evIdle.boValid() && m_evIdle.dwCreate(true, true) != 0)
        return false;
    m_evShown.boReset();
    m_evIdle.boSet();
    return true;
}

INT_PTR CSearchDlg::iRun(HWND hParent)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    return iRunModal(FdUi::iDialogBoxParam, m_hResources, MAKEINTRESOURCEA(IDD_DISKSEARCH), hParent);
}

INT_PTR CSearchDlg::iOnMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message)
    {
    case WM_INITDIALOG:
        vOnInit();
        return TRUE;
    case kMsgRefresh:
        vOnRefresh();
        return TRUE;
    case kMsgSearchDone:
        EndDialog(hWnd(), 1);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDCANCEL:
            // Also the Escape key and the close box.
            if (boConfirm("Annuler la recherche ?"))
            {
                m_boCancel.store(true);
                m_hBar = m_hFound = m_hDirectory = nullptr;
            }
            return TRUE;
        case IDC_SEARCH_STOPHERE:
            if (HIWORD(wParam) == BN_CLICKED && boConfirm("Terminer la recherche ?"))
                m_boStopHere.store(true);
            return TRUE;
        case IDC_SEARCH_SKIPDISK:
            if (HIWORD(wParam) == BN_CLICKED)
                m_boSkipDrive.store(true);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        m_hBar = m_hFound = m_hDirectory = nullptr;
        if (m_hStopIcon)
            DestroyIcon(m_hStopIcon);
        m_hStopIcon = nullptr;
        return FALSE;
    }
    return FALSE;
}

void CSearchDlg::vOnInit()
{
    const HWND hwnd = hWnd();
    m_hBar = GetDlgItem(hwnd, IDC_SEARCH_PROGRESS);
    m_hFound = GetDlgItem(hwnd, IDC_SEARCH_FOUNDCOUNT);
    m_hDirectory = GetDlgItem(hwnd, IDC_SEARCH_DIRECTORY);
    SendMessageA(m_hBar, PBM_SETRANGE, 0, MAKELPARAM(0, m_lRange));
    SendMessageA(m_hBar, PBM_SETSTEP, 1, 0);
    SendMessageA(m_hBar, PBM_SETPOS, 0, 0);
    SetWindowTextA(m_hFound, "0");

    // Centred on the desktop, above every other window.
    RECT rc = {}, desk = {};
    GetWindowRect(hwnd, &rc);
    GetWindowRect(GetDesktopWindow(), &desk);
    const int x = desk.left + ((desk.right - desk.left) - (rc.right - rc.left)) / 2;
    const int y = desk.top + ((desk.bottom - desk.top) - (rc.bottom - rc.top)) / 2;
    SetWindowPos(hwnd, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);

    m_hStopIcon = static_cast<HICON>(
        LoadImageA(m_hResources, MAKEINTRESOURCEA(IDI_SEARCH_STOP), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    if (m_hStopIcon)
        SendDlgItemMessageA(hwnd, IDC_SEARCH_STOPHERE, BM_SETIMAGE, IMAGE_ICON,
                            reinterpret_cast<LPARAM>(m_hStopIcon));
    m_evShown.boSet();
}

bool CSearchDlg::boConfirm(const char* lpszQuestion)
{
    const HWND hwnd = hWnd();
    char szCaption[128] = "";
    GetWindowTextA(hwnd, szCaption, sizeof szCaption);
    // The search thread waits while the box is up.
    m_evIdle.boReset();
    const int iAnswer = FdUi::iMessageBox(hwnd, lpszQuestion, szCaption, MB_OKCANCEL | MB_ICONQUESTION);
    m_evIdle.boSet();
    return iAnswer == IDOK;
}

void CSearchDlg::vOnRefresh()
{
    SDisplay display;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        display = std::move(m_display);
        m_display = SDisplay();
        m_boRefreshPosted = false;
    }
    if (m_boCancel.load() || m_boStopHere.load())
        return;
    if (display.boPosition && m_hBar)
    {
        const LRESULT lNow = SendMessageA(m_hBar, PBM_GETPOS, 0, 0);
        if (display.lPosition > lNow)
            SendMessageA(m_hBar, PBM_SETPOS, static_cast<WPARAM>(display.lPosition), 0);
    }
    if (display.boFound && m_hFound)
    {
        char szCount[16];
        std::snprintf(szCount, sizeof szCount, "%d", display.lFound);
        SetWindowTextA(m_hFound, szCount);
    }
    if (display.boDirectory && m_hDirectory)
        SetWindowTextA(m_hDirectory, display.strDirectory.c_str());
}

template <typename F> void CSearchDlg::vQueue(F change)
{
    bool boPost = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        change(m_display);
        boPost = !m_boRefreshPosted;
        m_boRefreshPosted = true;
    }
    // A null window would make PostMessage post to this thread's own queue.
    const HWND hwnd = hWnd();
    if (boPost && (!hwnd || !PostMessageA(hwnd, kMsgRefresh, 0, 0)))
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_boRefreshPosted = false;
    }
}

bool CSearchDlg::boWaitShown(HANDLE hStop)
{
    const HANDLE handles[2] = {hStop, m_evShown.get()};
    return WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
}

void CSearchDlg::vProgress(const std::string& strFolder, double dRatio, bool& boStop, bool& boCancel,
                           bool& boSkip, HANDLE hStop)
{
    const HANDLE handles[2] = {hStop, m_evIdle.get()};
    if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
        return; // stopping: the searcher has told the walk already
    if (m_boCancel.load())
    {
        boStop = boCancel = true;
        return;
    }
    if (m_boStopHere.load())
    {
        boStop = true;
        return;
    }
    if (m_boSkipDrive.load())
    {
        boSkip = true;
        return;
    }
    const int32_t lPosition = lProgressPosition(dRatio, m_lRange);
    vQueue(
        [&](SDisplay& d)
        {
            d.lPosition = lPosition;
            d.boPosition = true;
            d.strDirectory = strFolder;
            d.boDirectory = true;
        });
}

void CSearchDlg::vShowFoundCount(int32_t lCount)
{
    vQueue(
        [&](SDisplay& d)
        {
            d.lFound = lCount;
            d.boFound = true;
        });
}

void CSearchDlg::vShowDirectory(const std::string& strText)
{
    vQueue(
        [&](SDisplay& d)
        {
            d.strDirectory = strText;
            d.boDirectory = true;
        });
}

void CSearchDlg::vShowProgressEnd()
{
    vQueue(
        [&](SDisplay& d)
        {
            d.lPosition = m_lRange;
            d.boPosition = true;
        });
}

void CSearchDlg::vSearchDone()
{
    if (const HWND hwnd = hWnd())
        PostMessageA(hwnd, kMsgSearchDone, 0, 0);
}

HWND CSearchDlg::hControlOfKey(const char* lpszKey) const
{
    const HWND hwnd = hWnd();
    const int32_t lId = lSearchDlgControlOfKey(lpszKey);
    if (!hwnd || lId == 0)
        return nullptr;
    return lId == IDD_DISKSEARCH ? hwnd : GetDlgItem(hwnd, lId);
}
