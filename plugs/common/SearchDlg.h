// The disk search's progress dialog (119): a progress bar, the count of files
// found, the folder being read, and the buttons Stop here, Skip disk and
// Cancel. It runs modally on the searching program's main thread; the search
// thread only reads its answers and queues what it shows: the dialog updates
// its controls and ends itself on private messages, on its own thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "DialogBase.h"
#include "WinEvent.h"

class CSearchDlg : private FdWin::CDialogBase
{
public:
    // Private messages of the dialog (posted by the search thread).
    enum : UINT
    {
        kMsgRefresh = WM_APP + 119, // shows what vProgress and the setters queued
        kMsgSearchDone,             // the search ended: the dialog ends itself
    };

    // hResources: the module whose resources hold the dialog (null: the program).
    explicit CSearchDlg(HINSTANCE hResources = nullptr);
    CSearchDlg(const CSearchDlg&) = delete;
    CSearchDlg& operator=(const CSearchDlg&) = delete;

    // Main thread, before a run: flags cleared, range of the bar (1000 in the plug).
    // False when the dialog's events cannot be made.
    bool boPrepare(int32_t lRange);
    // Main thread: shows the dialog modally through the modal-box seam with hParent
    // as parent; returns when it has ended (the seam's result).
    INT_PTR iRun(HWND hParent);

    // Search thread: waits until the dialog shows or hStop fires; false on the latter.
    bool boWaitShown(HANDLE hStop);
    // Search thread, before each folder: waits while a confirmation box is up
    // (or until hStop fires), then answers the user's requests; with none, queues
    // the ratio and the folder for display. A confirmed Cancel gives stop and
    // cancel, a confirmed Stop here gives stop, Skip disk gives skip.
    void vProgress(const std::string& strFolder, double dRatio, bool& boStop, bool& boCancel, bool& boSkip,
                   HANDLE hStop);
    void vShowFoundCount(int32_t lCount);
    void vShowDirectory(const std::string& strText);
    void vShowProgressEnd();
    void vResetSkipDrive() { m_boSkipDrive.store(false); }
    // The search has ended: the dialog ends itself with 1.
    void vSearchDone();

    // Any thread may read it.
    using FdWin::CDialogBase::hWnd;
    // The control showing a text key's text; null for an unknown key or with no window.
    HWND hControlOfKey(const char* lpszKey) const;

private:
    struct SDisplay
    {
        int32_t lPosition = 0;
        int32_t lFound = 0;
        std::string strDirectory;
        bool boPosition = false, boFound = false, boDirectory = false;
    };

    INT_PTR iOnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void vOnInit();
    void vOnRefresh();
    bool boConfirm(const char* lpszQuestion);
    // Search thread: queues a change and posts one refresh for all that wait.
    template <typename F> void vQueue(F change);

    HINSTANCE m_hResources;
    int32_t m_lRange = 1000;
    HWND m_hBar = nullptr;
    HWND m_hFound = nullptr;
    HWND m_hDirectory = nullptr;
    HICON m_hStopIcon = nullptr;
    FdWin::CEvent m_evShown; // manual reset: set while the dialog is up
    FdWin::CEvent m_evIdle;  // manual reset: set while no confirmation box is up
    std::atomic<bool> m_boCancel{false};
    std::atomic<bool> m_boStopHere{false};
    std::atomic<bool> m_boSkipDrive{false};
    std::mutex m_mutex; // guards m_display and m_boRefreshPosted
    SDisplay m_display;
    bool m_boRefreshPosted = false;
};
