#include "DialogBase.h"

namespace FdWin
{

CDialogBase::~CDialogBase()
{
    vDestroy();
}

INT_PTR CDialogBase::iRunModal(FModal pfnModal, HINSTANCE hInstance, LPCSTR lpszTemplate, HWND hParent)
{
    const INT_PTR iResult =
        pfnModal(hInstance, lpszTemplate, hParent, DialogProc, reinterpret_cast<LPARAM>(this));
    // The modal loop has ended and its dialog is gone, even where the last
    // message did not come this way (a seam that ran another procedure).
    m_hWnd.store(nullptr);
    return iResult;
}

HWND CDialogBase::hCreate(HINSTANCE hInstance, LPCSTR lpszTemplate, HWND hParent)
{
    if (m_hWnd.load() != nullptr)
    {
        SetLastError(ERROR_ALREADY_EXISTS);
        return nullptr;
    }
    // The dialog is tied to the object at WM_INITDIALOG, before CreateDialogParamA returns.
    return CreateDialogParamA(hInstance, lpszTemplate, hParent, DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialogBase::vDestroy()
{
    const HWND hWnd = m_hWnd.load();
    if (hWnd == nullptr)
        return;
    // WM_NCDESTROY unties the object; whatever happens, it holds no dialog after this.
    DestroyWindow(hWnd);
    if (m_hWnd.load() == hWnd)
    {
        // Not destroyed (another thread's dialog): let it go all the same.
        SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        m_hWnd.store(nullptr);
    }
}

CDialogBase* CDialogBase::lpFromWindow(HWND hWnd)
{
    if (hWnd == nullptr || GetWindowLongPtrA(hWnd, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&DialogProc))
        return nullptr;
    return reinterpret_cast<CDialogBase*>(GetWindowLongPtrA(hWnd, DWLP_USER));
}

INT_PTR CDialogBase::iAnswer(LRESULT lResult)
{
    SetWindowLongPtrA(m_hWnd.load(), DWLP_MSGRESULT, lResult);
    return TRUE;
}

INT_PTR CALLBACK CDialogBase::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG)
    {
        CDialogBase* lpSelf = reinterpret_cast<CDialogBase*>(lParam);
        if (lpSelf == nullptr)
            return FALSE;
        SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        lpSelf->m_hWnd.store(hWnd);
    }
    CDialogBase* lpSelf = reinterpret_cast<CDialogBase*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    // Messages before WM_INITDIALOG and after the object let go.
    if (lpSelf == nullptr)
        return FALSE;
    INT_PTR iResult = FALSE;
    try
    {
        iResult = lpSelf->iOnMessage(uMsg, wParam, lParam);
    }
    catch (...)
    {
        iResult = lpSelf->iOnException(uMsg);
    }
    if (uMsg == WM_NCDESTROY)
    {
        // The last message: the object holds no dialog any more.
        SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        lpSelf->m_hWnd.store(nullptr);
    }
    return iResult;
}

} // namespace FdWin
