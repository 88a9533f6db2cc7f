#include "BrowserDetect.h"

#include "WinRegKey.h"

#include <windows.h>

namespace FdNav
{
namespace
{
constexpr DWORD kValueRoom = 1024;
constexpr DWORD kExpandRoom = 2048;

// A text value of an HKEY_LOCAL_MACHINE key, read into kValueRoom bytes.
bool boReadValue(const std::string& strKey, const char* lpszName, std::string& strValue)
{
    FdWin::CRegKey key;
    if (key.lOpen(HKEY_LOCAL_MACHINE, strKey.c_str(), KEY_READ) != ERROR_SUCCESS)
        return false;
    char sz[kValueRoom];
    DWORD dwSize = sizeof sz;
    DWORD dwType = 0;
    if (RegQueryValueExA(key.h(), lpszName, nullptr, &dwType, reinterpret_cast<BYTE*>(sz), &dwSize) !=
            ERROR_SUCCESS ||
        (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
        return false;
    // The stored text need not end with its zero.
    size_t ulLength = 0;
    while (ulLength < dwSize && sz[ulLength])
        ++ulLength;
    strValue.assign(sz, ulLength);
    return true;
}

void vAddCandidate(CBrowserList& list, const std::string& strPath, int32_t lType, bool boDetected)
{
    char sz[kExpandRoom];
    const DWORD dwLength = ExpandEnvironmentStringsA(strPath.c_str(), sz, sizeof sz);
    if (dwLength == 0 || dwLength > sizeof sz)
        return;
    // A record whose file is missing would vanish at the next detection.
    if (!boFileExists(sz))
        return;
    SBrowserRecord record;
    record.lType = lType;
    record.strPath = sz;
    record.boDetected = boDetected;
    list.boAdd(record);
}

void vAddNetscape(CBrowserList& list, const std::string& strKey, const char* lpszProgram, bool boDetected)
{
    std::string strVersion, strFolder;
    if (boReadValue(strKey, "CURRENTVERSION", strVersion) &&
        boReadValue(strKey + "\\" + strVersion + "\\MAIN", "INSTALL DIRECTORY", strFolder))
        vAddCandidate(list, strFolder + lpszProgram, kTypeNetscape, boDetected);
}
} // namespace

bool boFileExists(const std::string& strPath)
{
    const DWORD dw = GetFileAttributesA(strPath.c_str());
    return dw != INVALID_FILE_ATTRIBUTES && !(dw & FILE_ATTRIBUTE_DIRECTORY);
}

void vDetectBrowsers(CBrowserList& list, bool boDetected)
{
    std::vector<SBrowserRecord>& records = list.records();
    for (size_t i = records.size(); i-- > 0;)
    {
        if (!boFileExists(records[i].strPath))
            list.vRemoveAt(i);
    }
    std::string strFolder;
    if (boReadValue("SOFTWARE\\MICROSOFT\\IE SETUP\\SETUP", "PATH", strFolder))
        vAddCandidate(list, strFolder + "\\IExplore.exe", kTypeExplorer, boDetected);
    if (boReadValue("SOFTWARE\\MICROSOFT\\IE4\\SETUP", "PATH", strFolder))
        vAddCandidate(list, strFolder + "\\IExplore.exe", kTypeExplorer, boDetected);
    vAddNetscape(list, "SOFTWARE\\NETSCAPE\\NETSCAPE NAVIGATOR", "\\Program\\Netscape.exe", boDetected);
    // Netscape 6 keeps its folder with the trailing separator: none is added.
    vAddNetscape(list, "SOFTWARE\\NETSCAPE\\NETSCAPE 6", "netscp6.exe", boDetected);
}
} // namespace FdNav
