#include "DiskSearch.h"

#include <new>

#include "SearchDlg.h"

CDiskSearch::CDiskSearch(IDiskSearchOwner& owner, uint32_t dwMask, HINSTANCE hResources)
    : m_owner(owner), m_hResources(hResources), m_walker(*this, m_source), m_thread(*this)
{
    m_walker.vSetMask(dwMask);
}

CDiskSearch::~CDiskSearch()
{
    vStopThread();
}

HWND CDiskSearch::hDialog() const
{
    return m_dialog ? m_dialog->hWnd() : nullptr;
}

void CDiskSearch::vStopThread()
{
    // The walk's flag first, then the event that wakes the thread's waits: a
    // thread woken by the event finds the walk told already.
    m_walker.vRequestStop(true);
    if (m_evStop.boValid())
        m_evStop.boSet();
    m_thread.vStop(true);
}

int32_t CDiskSearch::lRun()
{
    if (!m_dialog)
    {
        m_dialog.reset(new (std::nothrow) CSearchDlg(m_hResources));
        if (!m_dialog)
            return kRunNoDialog;
    }
    m_lResult = 0;
    m_found.clear();
    if (!m_dialog->boPrepare(kProgressRange))
        return kRunNotCompleted;
    if (!m_evStop.boValid() && m_evStop.dwCreate(true, false) != 0)
        return kRunNotCompleted;
    m_evStop.boReset();
    m_walker.vResetStop();
    if (!m_thread.boStart())
        return kRunNotCompleted;

    m_dialog->iRun(GetActiveWindow());

    // The dialog has ended: normally because the thread finished; otherwise
    // (the dialog could not show) the walk is cancelled. Either way it is joined
    // before its result is read.
    vStopThread();
    if (m_lResult == kSearchCompleted)
    {
        m_owner.vOnSearchCompleted();
        return kRunCompleted;
    }
    if (m_lResult == kSearchCancelled)
        m_owner.vOnSearchCancelled();
    return kRunNotCompleted;
}

DWORD CDiskSearch::CThread::dwThread()
{
    m_search.vSearchThread();
    return 0;
}

void CDiskSearch::vSearchThread()
{
    CSearchDlg& dialog = *m_dialog;
    if (!dialog.boWaitShown(m_evStop.get()))
        return;
    dialog.vShowDirectory("Searching devices...");
    const int32_t lResult = m_walker.lWalkDrives();
    if (lResult == kSearchCompleted)
        dialog.vShowProgressEnd();
    m_lResult = lResult;
    dialog.vSearchDone();
}

void CDiskSearch::vOnWalkProgress(const std::string& strFolder, double dRatio, bool& boStop, bool& boCancel,
                                  bool& boSkipDrive)
{
    m_dialog->vProgress(strFolder, dRatio, boStop, boCancel, boSkipDrive, m_evStop.get());
    if (!boStop && !boSkipDrive)
        m_owner.vOnSearchProgress(strFolder, dRatio, boStop, boCancel, boSkipDrive);
}

void CDiskSearch::vOnWalkFileFound(const std::string& strPath, int32_t iCount)
{
    m_dialog->vShowFoundCount(iCount);
    m_found.push_back(strPath);
    m_owner.vOnFileMatching(strPath);
}

void CDiskSearch::vOnWalkDriveDone()
{
    m_dialog->vResetSkipDrive();
}
