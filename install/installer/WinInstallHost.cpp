#include "WinInstallHost.h"

#include "FdUi.h"
#include "InstallEngine.h"
#include "InstallUtils.h"
#include "LzFileOp.h"
#include "WinHandle.h"
#include "WinRegKey.h"

#include <cstring>
#include <vector>

namespace FdInstall
{
namespace
{
constexpr char kszInstallKey[] = "Software\\FdGame";
constexpr char kszDefaultBlock[] = "040904E4";
constexpr REGSAM kReadAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_SET_VALUE;

HKEY hRoot(ERegRoot e)
{
    switch (e)
    {
    case ERegRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case ERegRoot::CurrentUser:
        return HKEY_CURRENT_USER;
    case ERegRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case ERegRoot::Users:
        return HKEY_USERS;
    }
    return HKEY_LOCAL_MACHINE;
}

FileTime ftOf(const FILETIME& ft)
{
    return (static_cast<FileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME fileTimeOf(FileTime ft)
{
    FILETIME out;
    out.dwLowDateTime = static_cast<DWORD>(ft & 0xFFFFFFFFu);
    out.dwHighDateTime = static_cast<DWORD>(ft >> 32);
    return out;
}

// Reads a value of any size: its size first, then the data, again while it grows.
bool boQueryValue(HKEY hKey, const char* lpszName, DWORD& dwType, std::vector<BYTE>& data)
{
    for (int iTry = 0; iTry < 4; ++iTry)
    {
        DWORD dwSize = 0;
        LONG l = RegQueryValueExA(hKey, lpszName, nullptr, &dwType, nullptr, &dwSize);
        if (l != ERROR_SUCCESS)
            return false;
        data.assign(dwSize + 1, 0);
        l = RegQueryValueExA(hKey, lpszName, nullptr, &dwType, data.data(), &dwSize);
        if (l == ERROR_SUCCESS)
        {
            data.resize(dwSize);
            return true;
        }
        if (l != ERROR_MORE_DATA)
            return false;
    }
    return false;
}
} // namespace

void CWinInstallHost::vAttach(CInstallEngine* lpEngine, IWorkerControl* lpControl)
{
    m_lpEngine = lpEngine;
    m_lpControl = lpControl;
}

void CWinInstallHost::vCheckMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            if (m_lpEngine)
                m_lpEngine->vStopFromOutside();
        }
        else if (msg.message == kReleaseProxyMessage && !msg.hwnd)
        {
            if (m_lpControl)
                m_lpControl->vOnReleaseRequest();
        }
        else
        {
            // COM's own window of the worker's apartment.
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // The same requests when their thread message could not be posted.
    if (m_lpControl && m_lpControl->boReleaseRequested())
        m_lpControl->vOnReleaseRequest();
    if (m_lpControl && m_lpControl->boStopRequested() && m_lpEngine)
        m_lpEngine->vStopFromOutside();
}

void CWinInstallHost::vMessageBox(const std::string& strText, const std::string& strTitle)
{
    FdUi::iMessageBox(nullptr, strText.c_str(), strTitle.c_str(), MB_OK);
}

bool CWinInstallHost::boKeyExists(const SRegPath& key)
{
    FdWin::CRegKey k;
    return k.lOpen(hRoot(key.eRoot), key.strSubKey.c_str(), KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

bool CWinInstallHost::boReadValue(const SRegPath& key, const std::string& strName, SRegValue& value)
{
    FdWin::CRegKey k;
    if (k.lOpen(hRoot(key.eRoot), key.strSubKey.c_str(), kReadAccess) != ERROR_SUCCESS &&
        k.lOpen(hRoot(key.eRoot), key.strSubKey.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    DWORD dwType = 0;
    std::vector<BYTE> data;
    if (!boQueryValue(k.h(), strName.empty() ? nullptr : strName.c_str(), dwType, data))
        return false;
    value.dwType = dwType;
    value.strData.assign(reinterpret_cast<const char*>(data.data()), data.size());
    if (dwType == REG_SZ || dwType == REG_EXPAND_SZ)
        value.strData = value.strData.substr(0, value.strData.find('\0'));
    return true;
}

bool CWinInstallHost::boWriteValue(const SRegPath& key, const std::string& strName, const SRegValue& value)
{
    FdWin::CRegKey k;
    if (k.lCreate(hRoot(key.eRoot), key.strSubKey.c_str(), KEY_SET_VALUE) != ERROR_SUCCESS)
        return false;
    // A string is written with its terminator.
    const DWORD dwSize = static_cast<DWORD>(value.strData.size() + (value.dwType == REG_SZ ? 1 : 0));
    return RegSetValueExA(k.h(), strName.empty() ? nullptr : strName.c_str(), 0, value.dwType,
                          reinterpret_cast<const BYTE*>(value.strData.c_str()), dwSize) == ERROR_SUCCESS;
}

std::string CWinInstallHost::strInstallDir()
{
    SRegValue value;
    SRegPath key;
    key.eRoot = ERegRoot::LocalMachine;
    key.strSubKey = kszInstallKey;
    if (!boReadValue(key, "", value) || value.dwType != REG_SZ)
        return std::string();
    return value.strData;
}

bool CWinInstallHost::boReadFile(const std::string& strPath, std::string& strContent)
{
    FdWin::CHandle file(CreateFileA(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF)
        return false;
    strContent.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD dwRead = 0;
    if (!strContent.empty() &&
        (!ReadFile(file.get(), &strContent[0], static_cast<DWORD>(strContent.size()), &dwRead, nullptr) ||
         dwRead != strContent.size()))
        return false;
    return true;
}

bool CWinInstallHost::boDeleteFile(const std::string& strPath)
{
    return DeleteFileA(strPath.c_str()) != FALSE;
}

bool CWinInstallHost::boCreateFolder(const std::string& strPath)
{
    if (strPath.empty())
        return false;
    const std::string strFolder = strPath.back() == '\\' ? strPath : strPath + "\\";
    return boCreateDirectoryChain(strFolder.c_str(), nullptr);
}

bool CWinInstallHost::boFileTimes(const std::string& strPath, FileTime& ftCreation, FileTime& ftLastWrite)
{
    FdWin::CHandle file(CreateFileA(strPath.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    FILETIME c, a, w;
    if (!file.boValid() || !GetFileTime(file.get(), &c, &a, &w))
        return false;
    ftCreation = ftOf(c);
    ftLastWrite = ftOf(w);
    return true;
}

bool CWinInstallHost::boSetFileTimes(const std::string& strPath, FileTime ftCreation, FileTime ftLastWrite)
{
    FdWin::CHandle file(CreateFileA(strPath.c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
        return false;
    const FILETIME c = fileTimeOf(ftCreation), w = fileTimeOf(ftLastWrite);
    return SetFileTime(file.get(), ftCreation ? &c : nullptr, nullptr, ftLastWrite ? &w : nullptr) != FALSE;
}

int CWinInstallHost::iExpandFile(const std::string& strSource, const std::string& strTarget,
                                 uint32_t& dwWin32Error)
{
    DWORD dw = 0;
    const int iResult = iLzFileOp(strSource.c_str(), strTarget.c_str(), kLzModeExpand, &dw);
    dwWin32Error = dw;
    return iResult;
}

bool CWinInstallHost::boFileVersion(const std::string& strPath, const std::string& strBlock,
                                    std::string& strVersion)
{
    DWORD dwHandle = 0;
    const DWORD dwSize = GetFileVersionInfoSizeA(strPath.c_str(), &dwHandle);
    if (dwSize == 0)
        return false;
    std::vector<char> info(dwSize);
    if (!GetFileVersionInfoA(strPath.c_str(), 0, dwSize, info.data()))
        return false;
    const std::string strQuery =
        "\\StringFileInfo\\" + (strBlock.empty() ? std::string(kszDefaultBlock) : strBlock) + "\\FileVersion";
    char* lpText = nullptr;
    UINT uLength = 0;
    if (!VerQueryValueA(info.data(), strQuery.c_str(), reinterpret_cast<void**>(&lpText), &uLength) ||
        !lpText)
        return false;
    // The length counts characters and may include the terminator.
    strVersion.assign(lpText, strnlen(lpText, uLength));
    return true;
}

bool CWinInstallHost::boRunAndWait(const std::string& strProgram, const std::string& strCommandLine)
{
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    si.dwFlags &= ~static_cast<DWORD>(STARTF_USESTDHANDLES);
    si.cbReserved2 = 0;
    si.lpReserved2 = nullptr;
    // CreateProcessA may write into the command line: give it a copy.
    std::vector<char> commandLine(strCommandLine.begin(), strCommandLine.end());
    commandLine.push_back('\0');
    PROCESS_INFORMATION pi;
    std::memset(&pi, 0, sizeof pi);
    if (!CreateProcessA(strProgram.c_str(), strCommandLine.empty() ? nullptr : commandLine.data(), nullptr,
                        nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    FdWin::CHandle process(pi.hProcess), thread(pi.hThread);
    // Waits without limit for the program, but a stop from outside ends the
    // wait (the program is left running) and the proxy can be asked back.
    for (;;)
    {
        const DWORD dw = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, INFINITE, QS_ALLINPUT);
        if (dw != WAIT_OBJECT_0 + 1)
            break;
        vCheckMessages();
        if (m_lpControl && m_lpControl->boStopRequested())
            break;
        if (m_lpEngine && m_lpEngine->boStopped())
            break;
    }
    return true;
}

bool CWinInstallHost::boSelfRegister(const std::string& strPath)
{
    return ::boSelfRegister(strPath.c_str());
}

std::vector<std::string> CWinInstallHost::driveRoots()
{
    std::vector<std::string> roots;
    const DWORD dwSize = GetEnvironmentVariableA(kszDriveRootsVariable, nullptr, 0);
    if (dwSize > 0)
    {
        std::vector<char> text(dwSize);
        GetEnvironmentVariableA(kszDriveRootsVariable, text.data(), dwSize);
        for (const std::string& strRoot : fieldsOf(std::string(text.data())))
        {
            if (!strRoot.empty())
                roots.push_back(strRoot);
        }
        return roots;
    }
    char szDrives[512] = "";
    const DWORD dwLength = GetLogicalDriveStringsA(sizeof szDrives - 1, szDrives);
    if (dwLength == 0 || dwLength >= sizeof szDrives)
        return roots;
    for (const char* p = szDrives; *p; p += std::strlen(p) + 1)
    {
        if (GetDriveTypeA(p) == DRIVE_FIXED)
            roots.push_back(p);
    }
    return roots;
}

bool CWinInstallHost::boListFolder(const std::string& strFolder, std::vector<SFolderEntry>& entries)
{
    WIN32_FIND_DATAA found;
    std::memset(&found, 0, sizeof found);
    HANDLE hFind = FindFirstFileA(strJoinPath(strFolder, "*").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    do
    {
        const std::string strName = found.cFileName;
        if (strName == "." || strName == "..")
            continue;
        SFolderEntry entry;
        entry.strName = strName;
        entry.boFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.boLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.ullSize = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        entries.push_back(entry);
    } while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    return true;
}

void CWinInstallHost::vReleaseCallback()
{
    if (m_lpControl)
        m_lpControl->vOnReleaseRequest();
}

void CWinInstallHost::vCloseBrowsers()
{
    if (m_lpControl)
        m_lpControl->vCloseBrowsers();
}

void CWinInstallHost::vOpenInBrowser(const std::string& strUrl)
{
    ShellExecuteA(nullptr, "open", strUrl.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
} // namespace FdInstall
