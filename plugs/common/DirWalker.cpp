#include "DirWalker.h"

#include <cmath>

#include "TextUtil.h"

namespace
{
std::string strLowered(const std::string& s)
{
    std::string out(s);
    for (char& c : out)
        c = ToLowerAscii(c);
    return out;
}

constexpr double kBytesPerMB = 1048576.0;
} // namespace

double dProgressRatio(double dSeenMB, double dTotalMB)
{
    // No used space known (an empty selection, a drive that gave no figures):
    // nothing to measure against.
    if (!(dTotalMB > 0) || !std::isfinite(dTotalMB) || !(dSeenMB > 0))
        return 0;
    const double dRatio = dSeenMB / dTotalMB;
    return dRatio < 1 ? dRatio : 1;
}

int32_t lProgressPosition(double dRatio, int32_t iRange)
{
    if (!(dRatio > 0) || iRange <= 0)
        return 0;
    if (dRatio >= 1)
        return iRange;
    return static_cast<int32_t>(dRatio * iRange);
}

std::vector<std::string> SplitSearchRoots(const std::string& strList)
{
    std::vector<std::string> roots;
    size_t pos = 0;
    while (pos <= strList.size())
    {
        size_t end = strList.find(';', pos);
        if (end == std::string::npos)
            end = strList.size();
        std::string strRoot = strList.substr(pos, end - pos);
        if (!strRoot.empty())
        {
            if (strRoot.back() != '\\')
                strRoot += '\\';
            roots.push_back(strRoot);
        }
        pos = end + 1;
    }
    return roots;
}

bool CSearchNames::boAdd(const std::string& strName)
{
    if (strName.empty())
        return false;
    std::string strLow = strLowered(strName);
    for (const std::string& s : m_lowered)
        if (s == strLow)
            return false;
    m_names.push_back(strName);
    m_lowered.push_back(std::move(strLow));
    return true;
}

bool CSearchNames::boMatches(const std::string& strFileName) const
{
    if (m_lowered.empty())
        return false;
    const std::string strLow = strLowered(strFileName);
    for (const std::string& s : m_lowered)
        if (s == strLow)
            return true;
    return false;
}

void CDirWalker::vRequestStop(bool boCancel)
{
    // Cancel first: the walk reads it once it has seen the stop.
    if (boCancel)
        m_boCancel.store(true);
    m_boStop.store(true);
}

void CDirWalker::vResetStop()
{
    m_boStop.store(false);
    m_boCancel.store(false);
}

int32_t CDirWalker::lWalkDrives()
{
    m_drives.clear();
    m_dTotalMB = 0;
    m_dSeenMB = 0;
    m_dLastRatio = 0;
    m_lFound = 0;
    m_ullFiles = 0;
    m_ullFolders = 0;
    m_boSkipDrive = false;

    for (const SWalkDrive& drive : m_source.Drives())
    {
        if (!boDriveTypeSelected(m_dwMask, drive.dwType))
            continue;
        m_drives.push_back(drive);
        if (drive.dUsedMB > 0)
            m_dTotalMB += drive.dUsedMB;
    }

    for (const SWalkDrive& drive : m_drives)
    {
        if (m_boStop.load())
            break;
        vWalkFolder(drive.strRoot, 0);
        m_boSkipDrive = false;
        m_owner.vOnWalkDriveDone();
    }
    return m_boStop.load() && m_boCancel.load() ? kSearchCancelled : kSearchCompleted;
}

void CDirWalker::vWalkFolder(std::string strFolder, int iDepth)
{
    if (boHalted() || strFolder.empty())
        return;
    if (strFolder.back() != '\\')
        strFolder += '\\';

    m_dLastRatio = dProgressRatio(m_dSeenMB, m_dTotalMB);
    bool boStop = false, boCancel = false, boSkip = false;
    m_owner.vOnWalkProgress(strFolder, m_dLastRatio, boStop, boCancel, boSkip);
    if (boStop)
        vRequestStop(boCancel);
    if (boSkip)
        m_boSkipDrive = true;
    if (boHalted())
        return;

    ++m_ullFolders;
    // Depth first in listing order, as the listing comes: a sub-folder is walked
    // when it is met.
    m_source.boListFolder(strFolder,
                          [&](const SDirEntry& entry)
                          {
                              if (boHalted())
                                  return false;
                              if (entry.strName.empty() || entry.strName == "." || entry.strName == "..")
                                  return true;
                              if (entry.boFolder)
                              {
                                  // Links and junctions can lead back up the tree or onto another drive.
                                  if (!entry.boReparse && iDepth < kMaxWalkDepth)
                                      vWalkFolder(strFolder + entry.strName, iDepth + 1);
                                  return !boHalted();
                              }
                              ++m_ullFiles;
                              m_dSeenMB += static_cast<double>(entry.ullSize) / kBytesPerMB;
                              if (m_names.boMatches(entry.strName))
                              {
                                  ++m_lFound;
                                  m_owner.vOnWalkFileFound(strFolder + entry.strName, m_lFound);
                              }
                              return true;
                          });
}
