#include "InstallUtils.h"

#include "AnsiText.h"
#include "LzFileOp.h"
#include "WinHandle.h"
#include "WinModule.h"
#include "WinRegKey.h"

#include <cstring>
#include <vector>

namespace
{
constexpr char kszTempPrefix[] = "_tp";
constexpr char kszRegServerSwitch[] = "/regserver";
constexpr char kszProgramExtension[] = ".exe";
constexpr char kszRegisterExport[] = "DllRegisterServer";
constexpr uintptr_t kLoadLibraryErrorLimit = 32; // handles below this value are errors

bool boIsSlash(char c)
{
    return c == '\\' || c == '/';
}

// Length of the root of a path that is never created: "X:\", "\\server\share\"
// or a leading "\".
size_t ulRootLength(const std::string& strPath)
{
    if (strPath.size() >= 2 && strPath[1] == ':')
        return strPath.size() >= 3 && boIsSlash(strPath[2]) ? 3 : 2;
    if (strPath.size() >= 2 && boIsSlash(strPath[0]) && boIsSlash(strPath[1]))
    {
        size_t ulSlashes = 0;
        for (size_t i = 2; i < strPath.size(); ++i)
        {
            if (boIsSlash(strPath[i]) && ++ulSlashes == 2)
                return i + 1;
        }
        return strPath.size();
    }
    return !strPath.empty() && boIsSlash(strPath[0]) ? 1 : 0;
}

bool boEndsWithNoCase(const char* lpszText, const char* lpszEnd)
{
    const size_t n = std::strlen(lpszText), m = std::strlen(lpszEnd);
    return n >= m && boAnsiEqualNoCase(lpszText + n - m, m, lpszEnd, m);
}

} // namespace

bool boCreateDirectoryChain(const char* lpszPath, bool* lpboExisted)
{
    if (lpboExisted)
        *lpboExisted = true;
    if (!lpszPath)
        return false;
    const std::string strPath(lpszPath);
    const size_t ulLast = strPath.find_last_of("\\/");
    if (ulLast == std::string::npos)
        return true;
    const std::string strFolder = strPath.substr(0, ulLast);
    // Each level ends at a slash or at the end; the root itself is never created.
    for (size_t i = ulRootLength(strFolder) + 1; i <= strFolder.size(); ++i)
    {
        if (i < strFolder.size() && !boIsSlash(strFolder[i]))
            continue;
        if (boIsSlash(strFolder[i - 1]))
            continue; // an empty level ("a\\b")
        const std::string strLevel = strFolder.substr(0, i);
        if (CreateDirectoryA(strLevel.c_str(), nullptr))
        {
            if (lpboExisted)
                *lpboExisted = false;
        }
        else if (GetLastError() == ERROR_ALREADY_EXISTS)
        {
            if (lpboExisted)
                *lpboExisted = true;
        }
        else
        {
            return false;
        }
    }
    return true;
}

bool boExpandFile(const char* lpszSource, const char* lpszTarget, DWORD* lpdwWin32Error, int* lpiLzError)
{
    DWORD dwWin32 = 0;
    const int iLz = iLzFileOp(lpszSource, lpszTarget, kLzModeExpand, &dwWin32);
    if (lpdwWin32Error)
        *lpdwWin32Error = dwWin32;
    if (lpiLzError)
        *lpiLzError = iLz;
    return iLz == kLzOk;
}

bool boCopyBufferToFile(const uint8_t* lpBuffer, uint32_t dwLength, const char* lpszTarget,
                        DWORD* lpdwWin32Error, int* lpiLzError)
{
    DWORD dwWin32 = 0;
    const int iLz = iLzFileOpBuffer(lpBuffer, dwLength, lpszTarget, kLzModeExpand, &dwWin32);
    if (lpdwWin32Error)
        *lpdwWin32Error = dwWin32;
    if (lpiLzError)
        *lpiLzError = iLz;
    return iLz == kLzOk;
}

bool boRunAndWait(const char* lpszApplication, const char* lpszCommandLine, DWORD dwTimeoutMs)
{
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    // No handle is inherited: the caller's standard handles and the C runtime's
    // descriptor table would mean nothing to the new process.
    si.dwFlags &= ~static_cast<DWORD>(STARTF_USESTDHANDLES);
    si.cbReserved2 = 0;
    si.lpReserved2 = nullptr;
    // CreateProcessA may write into the command line: give it a copy.
    std::vector<char> commandLine;
    if (lpszCommandLine)
        commandLine.assign(lpszCommandLine, lpszCommandLine + std::strlen(lpszCommandLine) + 1);
    PROCESS_INFORMATION pi;
    std::memset(&pi, 0, sizeof pi);
    if (!CreateProcessA(lpszApplication, commandLine.empty() ? nullptr : commandLine.data(), nullptr, nullptr,
                        FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    const FdWin::CHandle thread(pi.hThread);
    const FdWin::CHandle process(pi.hProcess);
    if (WaitForSingleObject(process.get(), dwTimeoutMs) != WAIT_OBJECT_0)
        return false;
    DWORD dwExitCode = 1;
    return GetExitCodeProcess(process.get(), &dwExitCode) && dwExitCode == 0;
}

bool boSelfRegister(const char* lpszPath)
{
    if (!lpszPath || !*lpszPath)
        return false;
    if (boEndsWithNoCase(lpszPath, kszProgramExtension))
    {
        // The program's own name comes first, quoted, as every program expects.
        const std::string strCommandLine = std::string("\"") + lpszPath + "\" " + kszRegServerSwitch;
        return boRunAndWait(lpszPath, strCommandLine.c_str(), kSelfRegisterTimeoutMs);
    }
    FdWin::CModule module;
    module.vAttach(LoadLibraryA(lpszPath));
    if (reinterpret_cast<uintptr_t>(module.get()) < kLoadLibraryErrorLimit)
    {
        // Not a module (the values below the limit are 16-bit error codes): nothing to free.
        module.hDetach();
        return false;
    }
    using RegisterFn = HRESULT(STDAPICALLTYPE*)();
    const RegisterFn pfnRegister = module.pfn<RegisterFn>(kszRegisterExport);
    return pfnRegister && SUCCEEDED(pfnRegister());
}

LONG lDeleteRegistryTree(HKEY hRoot, const char* lpszSubkey, int iDepth)
{
    FdWin::CRegKey key;
    LONG lResult = RegOpenKeyExA(hRoot, lpszSubkey, 0,
                                 KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
                                     KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY,
                                 key.phOut());
    if (lResult != ERROR_SUCCESS)
        return lResult;
    for (;;)
    {
        char szName[kRegistryKeyNameMax + 1];
        DWORD dwName = sizeof szName;
        lResult = RegEnumKeyExA(key.h(), 0, szName, &dwName, nullptr, nullptr, nullptr, nullptr);
        if (lResult == ERROR_NO_MORE_ITEMS)
            break;
        if (lResult != ERROR_SUCCESS)
            return lResult;
        lResult = lDeleteRegistryTree(key.h(), szName, iDepth + 1);
        if (lResult != ERROR_SUCCESS)
            return lResult;
    }
    key.lClose();
    if (iDepth > 0)
        return RegDeleteKeyA(hRoot, lpszSubkey);
    return ERROR_SUCCESS;
}

std::string strMakeTempFileName(const char* lpszFolder)
{
    char szPath[MAX_PATH];
    if (!lpszFolder || GetTempFileNameA(lpszFolder, kszTempPrefix, 0, szPath) == 0)
        return std::string();
    return szPath;
}
