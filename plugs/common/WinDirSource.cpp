#include "WinDirSource.h"

namespace
{
constexpr double kBytesPerMB = 1048576.0;

std::vector<std::string> RootsOfVariable()
{
    char szList[4096];
    const DWORD n = GetEnvironmentVariableA(kszSearchDrivesVariable, szList, sizeof szList);
    if (n == 0 || n >= sizeof szList)
        return {};
    return SplitSearchRoots(std::string(szList, n));
}

SWalkDrive DriveOf(const std::string& strRoot)
{
    SWalkDrive drive;
    drive.strRoot = strRoot;
    // GetDriveTypeA wants the root of the drive, not a folder inside it.
    std::string strDrive = strRoot;
    if (strRoot.size() >= 2 && strRoot[1] == ':')
        strDrive = strRoot.substr(0, 2) + "\\";
    drive.dwType = GetDriveTypeA(strDrive.c_str());
    ULARGE_INTEGER avail = {}, total = {}, free = {};
    if (GetDiskFreeSpaceExA(strRoot.c_str(), &avail, &total, &free))
        drive.dUsedMB = static_cast<double>(total.QuadPart) / kBytesPerMB -
                        static_cast<double>(free.QuadPart) / kBytesPerMB;
    return drive;
}
} // namespace

std::vector<SWalkDrive> CWinDirSource::Drives()
{
    std::vector<std::string> roots = m_roots.empty() ? RootsOfVariable() : m_roots;
    if (roots.empty())
    {
        const DWORD dwPresent = GetLogicalDrives();
        for (int i = 2; i < 26; ++i) // A: and B: are never searched
            if (dwPresent & (1u << i))
                roots.push_back(std::string(1, static_cast<char>('A' + i)) + ":\\");
    }
    std::vector<SWalkDrive> drives;
    for (const std::string& strRoot : roots)
        drives.push_back(DriveOf(strRoot));
    return drives;
}

bool CWinDirSource::boListFolder(const std::string& strFolder, const EntrySink& sink)
{
    WIN32_FIND_DATAA found;
    // The short names are not needed: the basic information lists faster.
    HANDLE hFind = FindFirstFileExA((strFolder + "*.*").c_str(), FindExInfoBasic, &found,
                                    FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    SDirEntry entry;
    do
    {
        entry.strName = found.cFileName;
        entry.boFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.boReparse = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.ullSize = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        if (!sink(entry))
            break;
    } while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    return true;
}
