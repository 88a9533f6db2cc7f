// The one dialog procedure of the suite's dialogs. The object comes as the
// lParam of WM_INITDIALOG and is kept in the dialog's DWLP_USER slot; every
// message from then on goes to its iOnMessage, up to WM_NCDESTROY. Messages
// before WM_INITDIALOG (WM_SETFONT, the frame's creation) have no object and
// are left to the dialog manager. No exception crosses the procedure: the
// system's dispatching frames cannot unwind, so a throw becomes
// iOnException's answer.
#pragma once

#include <windows.h>

#include <atomic>

namespace FdWin
{

class CDialogBase
{
public:
    // DialogBoxParamA's signature: the program's replaceable modal function
    // (the seam tests script) is passed in, so no modal dialog bypasses it.
    using FModal = INT_PTR (*)(HINSTANCE hInstance, LPCSTR lpszTemplate, HWND hParent, DLGPROC pfnProc,
                               LPARAM lParam);

    CDialogBase() = default;
    CDialogBase(const CDialogBase&) = delete;
    CDialogBase& operator=(const CDialogBase&) = delete;
    // Destroys a modeless dialog still up: call vDestroy sooner from a
    // derived class whose handlers must still run for WM_DESTROY.
    virtual ~CDialogBase();

    // Modal, through pfnModal, with this object as the dialog's handler:
    // pfnModal's answer (EndDialog's result, -1 when the dialog could not be
    // made, or what a scripted seam answers without showing it).
    INT_PTR iRunModal(FModal pfnModal, HINSTANCE hInstance, LPCSTR lpszTemplate, HWND hParent);
    // Modeless (CreateDialogParamA), with this object as its handler. Null
    // (GetLastError) on failure or when the object has a dialog already.
    HWND hCreate(HINSTANCE hInstance, LPCSTR lpszTemplate, HWND hParent);
    // Destroys a modeless dialog (on its own thread); the object stays usable.
    void vDestroy();

    // The dialog from WM_INITDIALOG until its last message; null otherwise.
    // Any thread may read it.
    HWND hWnd() const { return m_hWnd.load(); }
    // The object of a dialog whose procedure is this one (null otherwise).
    static CDialogBase* lpFromWindow(HWND hWnd);

protected:
    // Every message from WM_INITDIALOG on; FALSE for those the dialog
    // manager handles, as a dialog procedure answers.
    virtual INT_PTR iOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) = 0;
    // The answer when iOnMessage threw (the exception is dropped here).
    virtual INT_PTR iOnException(UINT /*uMsg*/) noexcept { return FALSE; }
    // For a message whose answer is a value (WM_NOTIFY): stores lResult as
    // the dialog's message result and gives the TRUE that says so.
    INT_PTR iAnswer(LRESULT lResult);

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    std::atomic<HWND> m_hWnd{nullptr};
};

} // namespace FdWin
