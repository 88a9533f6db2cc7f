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
    return iRunModal(FdUi::iDialogBoxParam, m_hResources, MAKEINTRESOURCEA(IDD_DRIVETYPE), GetActiveWindow());
}

INT_PTR CDriveTypeDlg::iOnMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message)
    {
    case WM_INITDIALOG:
        for (const SBox& box : kBoxes)
            CheckDlgButton(hWnd(), box.iId,
                           boNibbleSet(m_dwMask, box.dwNibble) ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    case WM_COMMAND:
    {
        const int iId = LOWORD(wParam);
        if (iId == IDOK || iId == IDCANCEL)
        {
            EndDialog(hWnd(), iId);
            return TRUE;
        }
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        for (const SBox& box : kBoxes)
            if (box.iId == iId)
            {
                const bool boChecked = IsDlgButtonChecked(hWnd(), iId) == BST_CHECKED;
                m_dwMask = dwMaskAfterCheck(m_dwMask, box.dwNibble, boChecked);
                return TRUE;
            }
        return FALSE;
    }
    }
    return FALSE;
}

HWND CDriveTypeDlg::hControlOfKey(const char* lpszKey) const
{
    const int32_t lId = lDriveTypeDlgControlOfKey(lpszKey);
    if (!hWnd() || lId == 0)
        return nullptr;
    return lId == IDD_DRIVETYPE ? hWnd() : GetDlgItem(hWnd(), lId);
}
