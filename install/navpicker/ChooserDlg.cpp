#include "ChooserDlg.h"

#include "BrowserDetect.h"
#include "FdUi.h"
#include "NavpickerRes.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>

namespace FdNav
{
void vHoldControlKey(bool boHeld)
{
    BYTE aKeys[256];
    if (!GetKeyboardState(aKeys))
        return;
    if (boHeld)
        aKeys[VK_CONTROL] |= 0x80;
    else
        aKeys[VK_CONTROL] &= static_cast<BYTE>(~0x80);
    SetKeyboardState(aKeys);
}

void CChooserDlg::vSetTexts(const char* lpszTitle, const char* lpszMessage, const char* lpszAdd,
                            const char* lpszRemove, const char* lpszCancel, const char* lpszOk)
{
    m_strTitle = lpszTitle;
    m_strMessage = lpszMessage;
    m_strAdd = lpszAdd;
    m_strRemove = lpszRemove;
    m_strCancel = lpszCancel;
    m_strOk = lpszOk;
}

void CChooserDlg::vSetColumns(const char* lpszFirst, int iFirstWidth, const char* lpszSecond,
                              int iSecondWidth)
{
    m_strColumn0 = lpszFirst;
    m_iWidth0 = iFirstWidth;
    m_strColumn1 = lpszSecond;
    m_iWidth1 = iSecondWidth;
}

void CChooserDlg::vSetHidden(int iButton, bool boHidden)
{
    if (iButton == IDCANCEL)
        m_boHideCancel = boHidden;
    else if (iButton == IDC_CHOOSER_ADD)
        m_boHideAdd = boHidden;
    else if (iButton == IDC_CHOOSER_REMOVE)
        m_boHideRemove = boHidden;
}

INT_PTR CChooserDlg::iRun(HINSTANCE hModule, HWND hOwner, CBrowserList& list, CSelection& selection)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    m_lpList = &list;
    m_lpSelection = &selection;
    const INT_PTR iResult = iRunModal(FdUi::iDialogBoxParam, hModule, MAKEINTRESOURCEA(IDD_CHOOSER), hOwner);
    m_lpList = nullptr;
    m_lpSelection = nullptr;
    m_hList = nullptr;
    return iResult;
}

bool CChooserDlg::boAskProgram(HWND hDialog, std::string& strPath)
{
    char szFile[MAX_PATH] = "";
    char szTitle[MAX_PATH] = "";
    OPENFILENAMEA ofn;
    std::memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hDialog;
    ofn.lpstrFilter = "Browser (IExplore.exe,Netscape.exe)\0*.exe\0";
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = sizeof szFile;
    ofn.lpstrFileTitle = szTitle;
    ofn.nMaxFileTitle = sizeof szTitle;
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn))
        return false;
    strPath = szFile;
    return true;
}

INT_PTR CChooserDlg::iOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        vOnInit();
        return TRUE;
    case WM_NOTIFY:
    {
        const auto* lpHeader = reinterpret_cast<const NMHDR*>(lParam);
        if (!lpHeader || lpHeader->idFrom != IDC_CHOOSER_LIST)
            return FALSE;
        if (lpHeader->code == NM_CLICK)
        {
            vHoldControlKey(true);
            vSelectDetected();
        }
        else if (lpHeader->code == LVN_ITEMCHANGING &&
                 boKeepsDetected(reinterpret_cast<const NMLISTVIEW*>(lParam)))
        {
            // A list that reads the Control key from the click itself
            // rather than from the keyboard state would drop the others.
            return iAnswer(TRUE);
        }
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDOK:
            for (int iRow = 0; iRow < static_cast<int>(m_lpList->records().size()); ++iRow)
            {
                if (!boRowSelected(iRow))
                    continue;
                const SBrowserRecord& record = m_lpList->records()[static_cast<size_t>(iRow)];
                m_lpSelection->vAppend(record.lType, strFolderOf(record.strPath));
            }
            vEnd(IDOK);
            return TRUE;
        case IDCANCEL:
            vEnd(IDCANCEL);
            return TRUE;
        case IDC_CHOOSER_ADD:
            vOnAdd();
            return TRUE;
        case IDC_CHOOSER_REMOVE:
            vOnRemove();
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void CChooserDlg::vOnInit()
{
    const HWND hDialog = hWnd();
    m_hList = GetDlgItem(hDialog, IDC_CHOOSER_LIST);
    vCentre();
    vHoldControlKey(true);
    const struct
    {
        int iId;
        bool boHidden;
    } buttons[] = {
        {IDCANCEL, m_boHideCancel}, {IDC_CHOOSER_ADD, m_boHideAdd}, {IDC_CHOOSER_REMOVE, m_boHideRemove}};
    bool boAnyHidden = false;
    for (const auto& b : buttons)
    {
        if (!b.boHidden)
            continue;
        ShowWindow(GetDlgItem(hDialog, b.iId), SW_HIDE);
        boAnyHidden = true;
    }
    if (boAnyHidden)
    {
        const LONG_PTR lStyle = GetWindowLongPtrA(hDialog, GWL_STYLE);
        SetWindowLongPtrA(hDialog, GWL_STYLE, lStyle & ~static_cast<LONG_PTR>(WS_SYSMENU));
        SetWindowPos(hDialog, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    SetWindowTextA(hDialog, m_strTitle.c_str());
    SetDlgItemTextA(hDialog, IDC_CHOOSER_MESSAGE, m_strMessage.c_str());
    SetDlgItemTextA(hDialog, IDC_CHOOSER_ADD, m_strAdd.c_str());
    SetDlgItemTextA(hDialog, IDC_CHOOSER_REMOVE, m_strRemove.c_str());
    SetDlgItemTextA(hDialog, IDCANCEL, m_strCancel.c_str());
    SetDlgItemTextA(hDialog, IDOK, m_strOk.c_str());
    const struct
    {
        const std::string& strText;
        int iWidth;
    } columns[] = {{m_strColumn0, m_iWidth0}, {m_strColumn1, m_iWidth1}};
    for (int i = 0; i < 2; ++i)
    {
        LVCOLUMNA column;
        std::memset(&column, 0, sizeof column);
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(columns[i].strText.c_str());
        column.cx = columns[i].iWidth;
        column.iSubItem = i;
        SendMessageA(m_hList, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        SendMessageA(m_hList, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), columns[i].iWidth);
    }
    SendMessageA(m_hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    vDetectBrowsers(*m_lpList, m_boPreselect);
    vFill();
}

void CChooserDlg::vCentre()
{
    const HWND hDialog = hWnd();
    RECT rcArea = {};
    const HWND hOwner = GetWindow(hDialog, GW_OWNER);
    if (hOwner && IsWindowVisible(hOwner) && !IsIconic(hOwner))
        GetWindowRect(hOwner, &rcArea);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0);
    RECT rc = {};
    GetWindowRect(hDialog, &rc);
    const int iWidth = rc.right - rc.left;
    const int iHeight = rc.bottom - rc.top;
    SetWindowPos(hDialog, nullptr, rcArea.left + (rcArea.right - rcArea.left - iWidth) / 2,
                 rcArea.top + (rcArea.bottom - rcArea.top - iHeight) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CChooserDlg::vFill()
{
    m_boFilling = true;
    SendMessageA(m_hList, LVM_DELETEALLITEMS, 0, 0);
    const std::vector<SBrowserRecord>& records = m_lpList->records();
    for (size_t i = 0; i < records.size(); ++i)
    {
        LVITEMA item;
        std::memset(&item, 0, sizeof item);
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(lpszTypeName(records[i].lType));
        item.lParam = static_cast<LPARAM>(i);
        const int iRow =
            static_cast<int>(SendMessageA(m_hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (iRow < 0)
            continue;
        LVITEMA sub;
        std::memset(&sub, 0, sizeof sub);
        sub.iSubItem = 1;
        sub.pszText = const_cast<char*>(records[i].strPath.c_str());
        SendMessageA(m_hList, LVM_SETITEMTEXTA, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&sub));
    }
    m_boFilling = false;
    vSelectDetected();
}

bool CChooserDlg::boKeepsDetected(const NMLISTVIEW* lpChange) const
{
    if (m_boFilling || !(lpChange->uChanged & LVIF_STATE) || !(lpChange->uOldState & LVIS_SELECTED) ||
        (lpChange->uNewState & LVIS_SELECTED) || lpChange->iItem < 0)
        return false;
    const size_t ulRow = static_cast<size_t>(lpChange->iItem);
    return ulRow < m_lpList->records().size() && m_lpList->records()[ulRow].boDetected;
}

void CChooserDlg::vSelectDetected()
{
    const std::vector<SBrowserRecord>& records = m_lpList->records();
    for (size_t i = 0; i < records.size(); ++i)
    {
        if (!records[i].boDetected)
            continue;
        LVITEMA state;
        std::memset(&state, 0, sizeof state);
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        SendMessageA(m_hList, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
    }
}

bool CChooserDlg::boRowSelected(int iRow) const
{
    return (SendMessageA(m_hList, LVM_GETITEMSTATE, static_cast<WPARAM>(iRow), LVIS_SELECTED) &
            LVIS_SELECTED) != 0;
}

void CChooserDlg::vOnAdd()
{
    std::string strPath;
    if (!boAskProgram(hWnd(), strPath))
        return;
    SBrowserRecord record;
    record.lType = lTypeOfProgram(strPath);
    record.strPath = strPath;
    record.boDetected = false;
    m_lpList->boAdd(record);
    vFill();
}

void CChooserDlg::vOnRemove()
{
    // From the last row, so that the rows still to look at keep their places.
    for (int iRow = static_cast<int>(m_lpList->records().size()) - 1; iRow >= 0; --iRow)
    {
        if (boRowSelected(iRow) && !m_lpList->records()[static_cast<size_t>(iRow)].boDetected)
            m_lpList->vRemoveAt(static_cast<size_t>(iRow));
    }
    vFill();
}

void CChooserDlg::vEnd(INT_PTR iResult)
{
    vHoldControlKey(false);
    EndDialog(hWnd(), iResult);
}
} // namespace FdNav
