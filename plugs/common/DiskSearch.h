// The disk search: walks the drives the mask selects for files of given names
// on a thread of its own, while the progress dialog (119) runs modally on the
// calling thread and lets the user stop here, skip a drive or cancel.
//
//   class CWorker : public IDiskSearchOwner
//   {
//       void vOnFileMatching(const std::string& path) override; // search thread!
//   };
//   CDiskSearch search(worker, dwUpdateSearchMask(storedMask));
//   search.vClearNames();
//   search.boAddName("GAME.EXE");
//   if (search.lRun() == 1)   // 1: completed (400), also when stopped here
//       ... search.FoundPaths() ...
//   // 2: cancelled (401) or the dialog did not run; -2: no dialog object
//
// The program's resource script includes DiskSearch.rc. lRun and the
// destructor belong to one thread (the plug's main thread). The owner's
// progress and file-found calls come on the search thread while the calling
// thread sits in the dialog: the owner must not touch apartment-bound objects
// from them (queue such work to its own thread, or take FoundPaths() once lRun
// has returned: the same paths, in the same order, on the calling thread).
// Never delete the searcher from a callback: the destructor waits for the
// search thread. With the modal-box seam scripted (FD_UI_LOG) the dialog does
// not show, and the search ends not completed without walking;
// FD_SEARCH_DRIVES (WinDirSource.h) limits the drives for tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DirWalker.h"
#include "SpawnThread.h"
#include "WinDirSource.h"
#include "WinEvent.h"

class CSearchDlg;

// What the searcher tells its owner, in this order of slots.
class IDiskSearchOwner
{
public:
    virtual ~IDiskSearchOwner() = default;
    // Search thread, before each folder is read, after the dialog had nothing to say;
    // setting a flag stops, cancels or skips the drive as the dialog would.
    virtual void vOnSearchProgress(const std::string& /*strFolder*/, double /*dRatio*/, bool& /*boStop*/,
                                   bool& /*boCancel*/, bool& /*boSkipDrive*/)
    {
    }
    // Search thread: a file of one of the names (its full path).
    virtual void vOnFileMatching(const std::string& strPath) = 0;
    // Calling thread, after the dialog has ended.
    virtual void vOnSearchCompleted() {}
    virtual void vOnSearchCancelled() {}
};

class CDiskSearch : private IDirWalkerOwner
{
public:
    enum : int32_t
    {
        kRunCompleted = 1,
        kRunNotCompleted = 2,
        kRunNoDialog = -2,
        kProgressRange = 1000,
    };

    // dwMask: the drive-type mask (DriveMask.h). hResources: the module whose
    // resources hold dialog 119 (null: the program).
    CDiskSearch(IDiskSearchOwner& owner, uint32_t dwMask, HINSTANCE hResources = nullptr);
    // Stops a search thread that still runs and waits for its end.
    ~CDiskSearch();
    CDiskSearch(const CDiskSearch&) = delete;
    CDiskSearch& operator=(const CDiskSearch&) = delete;

    void vClearNames() { m_walker.Names().vClear(); }
    // False for an empty name or one already listed (case ignored).
    bool boAddName(const std::string& strName) { return m_walker.Names().boAdd(strName); }
    const std::vector<std::string>& Names() { return m_walker.Names().Names(); }
    void vSetMask(uint32_t dwMask) { m_walker.vSetMask(dwMask); }
    // Folders that stand for the drives (see WinDirSource.h); none: the real drives.
    void vSetDriveRoots(std::vector<std::string> roots) { m_source.vSetRoots(std::move(roots)); }

    // Runs the search with its dialog (modal, the active window as parent).
    int32_t lRun();
    // kSearchCompleted (400), kSearchCancelled (401), or 0 before a run ended.
    int32_t lResult() const { return m_lResult; }
    // The full paths found by the last run, in walk order.
    const std::vector<std::string>& FoundPaths() const { return m_found; }
    const CDirWalker& Walker() const { return m_walker; }
    // The dialog while it shows (null otherwise).
    HWND hDialog() const;

private:
    class CThread : public FdSystem::CSpawnThread
    {
    public:
        explicit CThread(CDiskSearch& search) : m_search(search) {}
        ~CThread() override { vStop(true); }

    protected:
        DWORD dwThread() override;

    private:
        CDiskSearch& m_search;
    };

    void vSearchThread();
    void vStopThread();
    void vOnWalkProgress(const std::string& strFolder, double dRatio, bool& boStop, bool& boCancel,
                         bool& boSkipDrive) override;
    void vOnWalkFileFound(const std::string& strPath, int32_t iCount) override;
    void vOnWalkDriveDone() override;

    IDiskSearchOwner& m_owner;
    HINSTANCE m_hResources;
    CWinDirSource m_source;
    CDirWalker m_walker;
    std::unique_ptr<CSearchDlg> m_dialog;
    FdWin::CEvent m_evStop; // manual reset: every wait of the search thread watches it
    std::vector<std::string> m_found;
    int32_t m_lResult = 0;
    CThread m_thread; // last: it goes first, joined, while the rest still stands
};
