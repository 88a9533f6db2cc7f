// The drive-type dialog (106): which types of drives the disk search walks,
// one check box per nibble of the mask.
//
//   CDriveTypeDlg dlg(dwStoredMask);
//   if (dlg.iRun() == IDOK && dlg.dwMask() != dwStoredMask)
//       ... store strDriveMaskText(dlg.dwMask()) ...
#pragma once

#include <windows.h>

#include <cstdint>

#include "DialogBase.h"

class CDriveTypeDlg : private FdWin::CDialogBase
{
public:
    // hResources: the module whose resources hold the dialog (null: the program).
    explicit CDriveTypeDlg(uint32_t dwMask, HINSTANCE hResources = nullptr);
    CDriveTypeDlg(const CDriveTypeDlg&) = delete;
    CDriveTypeDlg& operator=(const CDriveTypeDlg&) = delete;

    // Modal, through the modal-box seam, with the active window as parent:
    // IDOK or IDCANCEL (or the seam's answer; -1 when the dialog cannot be made).
    INT_PTR iRun();
    // The mask as the clicks left it (also after Cancel: the caller keeps it only on IDOK).
    uint32_t dwMask() const { return m_dwMask; }
    using FdWin::CDialogBase::hWnd;
    // The control showing a text key's text; null for an unknown key or with no window.
    HWND hControlOfKey(const char* lpszKey) const;

private:
    INT_PTR iOnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    uint32_t m_dwMask;
    HINSTANCE m_hResources;
};
