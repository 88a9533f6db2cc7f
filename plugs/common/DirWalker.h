// The disk search's walk over the drives, platform-free: which drives, which
// folders, which files match, the progress ratio and the stop, cancel and
// skip-drive requests. The file system comes through IDirSource (FindFirstFile
// on Windows, a fake in tests); the searcher answers IDirWalkerOwner.
//
//   CDirWalker walker(owner, source);
//   walker.Names().boAdd("game.exe");
//   walker.vSetMask(dwUpdateSearchMask(stored));
//   int32_t result = walker.lWalkDrives(); // kSearchCompleted or kSearchCancelled
//
// lWalkDrives runs on the search thread; vRequestStop may come from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DriveMask.h"

enum : int32_t
{
    kSearchCompleted = 400, // walked to the end, or stopped here (what was found counts)
    kSearchCancelled = 401, // cancelled: what was found must be dropped
};

// Folders deeper than this below a drive's root are not entered.
constexpr int kMaxWalkDepth = 64;

// MB seen over MB to walk, in 0..1; 0 when there is nothing to walk (no used
// space known), 1 when more was seen than the drives said they held.
double dProgressRatio(double dSeenMB, double dTotalMB);
// The position of a progress bar 0..iRange for a ratio (clamped).
int32_t lProgressPosition(double dRatio, int32_t iRange);

// The names to find: no duplicates, compared without regard to case (C-locale
// rules, as every name comparison of the plugs).
class CSearchNames
{
public:
    void vClear()
    {
        m_names.clear();
        m_lowered.clear();
    }
    // False (and nothing added) for an empty name or one already there.
    bool boAdd(const std::string& strName);
    bool boMatches(const std::string& strFileName) const;
    const std::vector<std::string>& Names() const { return m_names; }
    bool boEmpty() const { return m_names.empty(); }

private:
    std::vector<std::string> m_names;   // as given
    std::vector<std::string> m_lowered; // the same, lower-cased
};

// The roots of a ';'-separated list, each ending with a backslash; empty
// items dropped.
std::vector<std::string> SplitSearchRoots(const std::string& strList);

struct SWalkDrive
{
    std::string strRoot; // "C:\" (ends with a backslash)
    uint32_t dwType = 0; // GetDriveTypeA's number
    double dUsedMB = 0;  // total MB minus free MB
};

struct SDirEntry
{
    std::string strName;
    bool boFolder = false;
    bool boReparse = false; // a link or junction: never entered
    uint64_t ullSize = 0;
};

class IDirSource
{
public:
    using EntrySink = std::function<bool(const SDirEntry&)>; // false ends the listing

    virtual ~IDirSource() = default;
    // The drives present, C: to Z:, in order, with their types and used space.
    virtual std::vector<SWalkDrive> Drives() = 0;
    // Hands each entry of the folder (a path ending with a backslash) to sink,
    // "." and ".." included or not; false when the folder cannot be listed.
    virtual bool boListFolder(const std::string& strFolder, const EntrySink& sink) = 0;
};

class IDirWalkerOwner
{
public:
    virtual ~IDirWalkerOwner() = default;
    // Before each folder is read: the searcher's answer (all three start false).
    virtual void vOnWalkProgress(const std::string& strFolder, double dRatio, bool& boStop, bool& boCancel,
                                 bool& boSkipDrive) = 0;
    // A file whose name is one of the names; iCount counts the matches so far.
    virtual void vOnWalkFileFound(const std::string& strPath, int32_t iCount) = 0;
    // After each drive (the skip request of the searcher is reset there).
    virtual void vOnWalkDriveDone() = 0;
};

class CDirWalker
{
public:
    CDirWalker(IDirWalkerOwner& owner, IDirSource& source) : m_owner(owner), m_source(source) {}
    CDirWalker(const CDirWalker&) = delete;
    CDirWalker& operator=(const CDirWalker&) = delete;

    CSearchNames& Names() { return m_names; }
    void vSetMask(uint32_t dwMask) { m_dwMask = dwMask; }
    uint32_t dwMask() const { return m_dwMask; }

    // Lists the drives the mask selects and walks them in order: kSearchCompleted,
    // or kSearchCancelled when a stop came with cancel.
    int32_t lWalkDrives();
    // From any thread: ends the walk at the next folder or file.
    void vRequestStop(bool boCancel);
    // Before a walk: clears an earlier stop (a stop asked during the walk stays).
    void vResetStop();

    // Bookkeeping of the last walk.
    const std::vector<SWalkDrive>& SelectedDrives() const { return m_drives; }
    double dTotalMB() const { return m_dTotalMB; }
    double dSeenMB() const { return m_dSeenMB; }
    double dLastRatio() const { return m_dLastRatio; }
    int32_t lFoundCount() const { return m_lFound; }
    uint64_t ullFilesSeen() const { return m_ullFiles; }
    uint64_t ullFoldersRead() const { return m_ullFolders; }

private:
    void vWalkFolder(std::string strFolder, int iDepth);
    bool boHalted() const { return m_boStop.load() || m_boSkipDrive; }

    IDirWalkerOwner& m_owner;
    IDirSource& m_source;
    CSearchNames m_names;
    uint32_t m_dwMask = kDriveNibbleFixed;
    std::vector<SWalkDrive> m_drives;
    std::atomic<bool> m_boStop{false};
    std::atomic<bool> m_boCancel{false};
    bool m_boSkipDrive = false;
    double m_dTotalMB = 0;
    double m_dSeenMB = 0;
    double m_dLastRatio = 0;
    int32_t m_lFound = 0;
    uint64_t m_ullFiles = 0;
    uint64_t m_ullFolders = 0;
};
