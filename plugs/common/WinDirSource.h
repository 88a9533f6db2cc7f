// The walk's file system on Windows: the drives from GetLogicalDrives (or
// folders that stand for them), folders listed with FindFirstFileEx.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "DirWalker.h"

// Folders that stand for the drives, separated by ';' (tests, and machines
// where a drive maps more than the search should see, as Wine's Z:).
constexpr char kszSearchDrivesVariable[] = "FD_SEARCH_DRIVES";

class CWinDirSource : public IDirSource
{
public:
    // Roots given here stand for the drives; with none, those of the variable
    // above; with neither, the drive letters C: to Z: that are present. Each
    // root is typed by its drive letter and measured by its volume.
    void vSetRoots(std::vector<std::string> roots) { m_roots = std::move(roots); }

    std::vector<SWalkDrive> Drives() override;
    bool boListFolder(const std::string& strFolder, const EntrySink& sink) override;

private:
    std::vector<std::string> m_roots;
};
