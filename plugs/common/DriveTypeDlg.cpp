#include "DriveTypeDlg.h"

#include "DialogKeys.h"
#include "DiskSearchRes.h"
#include "DriveMask.h"
#include "FdUi.h"

namespace
{
struct SBox
{
    int iId;
    uint32_t dwNibble;
};
const SBox kBoxes[] = {
    {IDC_DRIVE_FIXED, kDriveNibbleFixed},
    {IDC_DRIVE_NETWORK, kDriveNibbleNetwork},
    {IDC_DRIVE_CDROM, kDriveNibbleCdrom},
    {IDC_DRIVE_REMOVABLE, kDriveNibbleRemovable},
};
} // namespace

CDriveTypeDlg::CDriveTypeDlg(uint32_t dwMask, HINSTANCE hResources)
    : m_dwMask(dwMask), m_hResources(hResources ? hResources : GetModuleHandleA(nullptr))
{
}

INT_PTR CDriveTypeDlg::iRun()
{
    return FdUi::iDialogBoxParam(m_hResources, MAKEINTRESOURCEA(IDD_DRIVETYPE), GetActiveWindow(),
                                 &CDriveTypeDlg::DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDriveTypeDlg::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDriveTypeDlg* self = nullptr;
    if (message == WM_INITDIALOG)
    {
        self = reinterpret_cast<CDriveTypeDlg*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->m_hwnd = hwnd;
    }
    else
        self = reinterpret_cast<CDriveTypeDlg*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    try
    {
        return self->OnMessage(message, wParam, lParam);
    }
    catch (...)
    {
        return FALSE; // nothing may cross into the dialog manager
    }
}

INT_PTR CDriveTypeDlg::OnMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message)
    {
    case WM_INITDIALOG:
        for (const SBox& box : kBoxes)
            CheckDlgButton(m_hwnd, box.iId,
                           boNibbleSet(m_dwMask, box.dwNibble) ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    case WM_COMMAND:
    {
        const int iId = LOWORD(wParam);
        if (iId == IDOK || iId == IDCANCEL)
        {
            EndDialog(m_hwnd, iId);
            return TRUE;
        }
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        for (const SBox& box : kBoxes)
            if (box.iId == iId)
            {
                const bool boChecked = IsDlgButtonChecked(m_hwnd, iId) == BST_CHECKED;
                m_dwMask = dwMaskAfterCheck(m_dwMask, box.dwNibble, boChecked);
                return TRUE;
            }
        return FALSE;
    }
    case WM_DESTROY:
        m_hwnd = nullptr;
        return FALSE;
    }
    return FALSE;
}

HWND CDriveTypeDlg::hControlOfKey(const char* lpszKey) const
{
    const int32_t lId = lDriveTypeDlgControlOfKey(lpszKey);
    if (!m_hwnd || lId == 0)
        return nullptr;
    return lId == IDD_DRIVETYPE ? m_hwnd : GetDlgItem(m_hwnd, lId);
}
