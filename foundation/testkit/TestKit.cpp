#include <winsock2.h>

#include "TestKit.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "PumpUntil.h"
#include "WinHandle.h"
#include "WinRegKey.h"

namespace FdTestKit
{

namespace
{

// Winsock for the port probes; WSACleanup only after a WSAStartup that
// succeeded, each probe balancing its own start.
class CWinsock
{
public:
    CWinsock() : m_iResult(WSAStartup(MAKEWORD(2, 2), &m_data)) {}
    ~CWinsock()
    {
        if (m_iResult == 0)
            WSACleanup();
    }
    CWinsock(const CWinsock&) = delete;
    CWinsock& operator=(const CWinsock&) = delete;
    int iResult() const { return m_iResult; }

private:
    WSADATA m_data = {};
    int m_iResult;
};

class CSocket
{
public:
    explicit CSocket(int iType) : m_s(socket(AF_INET, iType, 0)) {}
    ~CSocket()
    {
        if (m_s != INVALID_SOCKET)
            closesocket(m_s);
    }
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    // Binds to 127.0.0.1:wPort (0: any); the port bound, 0 on failure.
    uint16_t wBind(uint16_t wPort)
    {
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(wPort);
        int iLen = sizeof a;
        if (m_s == INVALID_SOCKET || bind(m_s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            getsockname(m_s, reinterpret_cast<sockaddr*>(&a), &iLen) != 0)
            return 0;
        return ntohs(a.sin_port);
    }

private:
    SOCKET m_s;
};

constexpr int kPortTries = 20;

} // namespace

bool boPumpUntil(const std::function<bool()>& done, DWORD dwBoundMs)
{
    return FdWin::boPumpUntil(done, dwBoundMs);
}

bool boPumpUntil(const std::function<bool()>& done, DWORD dwBoundMs, const FMessageHook& hook)
{
    if (!hook)
        return FdWin::boPumpUntil(done, dwBoundMs);
    const ULONGLONG qwStart = GetTickCount64();
    for (;;)
    {
        if (done())
            return true;
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (!hook(msg))
            {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            continue;
        }
        const ULONGLONG qwElapsed = GetTickCount64() - qwStart;
        if (qwElapsed >= dwBoundMs)
            return done();
        const DWORD dwLeft = static_cast<DWORD>(dwBoundMs - qwElapsed);
        MsgWaitForMultipleObjectsEx(0, nullptr, std::min(dwLeft, FdWin::kPumpPollMs), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

bool boWaitUntil(const std::function<bool()>& done, DWORD dwBoundMs)
{
    const ULONGLONG qwStart = GetTickCount64();
    while (!done())
    {
        if (GetTickCount64() - qwStart >= dwBoundMs)
            return done();
        Sleep(FdWin::kPumpPollMs);
    }
    return true;
}

void vPumpFor(DWORD dwMs)
{
    FdWin::vPumpFor(dwMs);
}

void vPumpWaiting(const FMessageHook& hook, size_t uMost)
{
    MSG msg;
    for (size_t i = 0; i < uMost && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
        if (!hook || !hook(msg))
        {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
}

void vDiscardWaiting(UINT uFirst, UINT uLast)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, uFirst, uLast, PM_REMOVE))
    {
    }
}

uint16_t wFreePort(EPort eKind, SWhere where)
{
    CWinsock winsock;
    if (winsock.iResult() != 0)
    {
        ADD_FAILURE_AT(where.lpszFile, where.iLine) << "WSAStartup failed: " << winsock.iResult();
        return 0;
    }
    // The system picks the port for the first kind; the other kind must be
    // free on the same number, or another one is tried.
    for (int i = 0; i < kPortTries; ++i)
    {
        CSocket first(eKind == EPort::Udp ? SOCK_DGRAM : SOCK_STREAM);
        const uint16_t wPort = first.wBind(0);
        if (wPort == 0)
            continue;
        if (eKind != EPort::TcpAndUdp)
            return wPort;
        CSocket second(SOCK_DGRAM);
        if (second.wBind(wPort) == wPort)
            return wPort;
    }
    ADD_FAILURE_AT(where.lpszFile, where.iLine)
        << "no free port on 127.0.0.1 after " << kPortTries << " tries";
    return 0;
}

std::optional<std::string> regText(HKEY hRoot, const std::string& strPath, const char* lpszName)
{
    FdWin::CRegKey key;
    std::string strValue;
    if (key.lOpen(hRoot, strPath.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS ||
        key.lQueryString(lpszName, &strValue) != ERROR_SUCCESS)
        return std::nullopt;
    return strValue;
}

std::optional<DWORD> regDword(HKEY hRoot, const std::string& strPath, const char* lpszName)
{
    FdWin::CRegKey key;
    DWORD dwValue = 0;
    if (key.lOpen(hRoot, strPath.c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS ||
        key.lQueryDword(lpszName, &dwValue) != ERROR_SUCCESS)
        return std::nullopt;
    return dwValue;
}

bool regKeyExists(HKEY hRoot, const std::string& strPath)
{
    FdWin::CRegKey key;
    return key.lOpen(hRoot, strPath.c_str(), KEY_READ) == ERROR_SUCCESS;
}

std::vector<std::string> regSubKeys(HKEY hRoot, const std::string& strPath)
{
    std::vector<std::string> names;
    FdWin::CRegKey key;
    if (key.lOpen(hRoot, strPath.c_str(), KEY_READ) != ERROR_SUCCESS)
        return names;
    char sz[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD dwSize = sizeof sz;
        if (RegEnumKeyExA(key.h(), i, sz, &dwSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(sz, dwSize);
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace
{

SRun runWaiting(const std::string& strCommandLine, DWORD dwBoundMs, bool boPump, SWhere where)
{
    const SRun run = FdWin::runProgram(strCommandLine, dwBoundMs, boPump);
    if (!run.boStarted)
        ADD_FAILURE_AT(where.lpszFile, where.iLine)
            << "cannot start \"" << strCommandLine << "\": error " << run.dwStartError;
    else if (!run.boEnded)
        ADD_FAILURE_AT(where.lpszFile, where.iLine)
            << "\"" << strCommandLine << "\" still running after " << dwBoundMs << " ms: terminated";
    return run;
}

} // namespace

SRun runAndWait(const std::string& strCommandLine, DWORD dwBoundMs, SWhere where)
{
    return runWaiting(strCommandLine, dwBoundMs, false, where);
}

SRun runAndWaitPumping(const std::string& strCommandLine, DWORD dwBoundMs, SWhere where)
{
    return runWaiting(strCommandLine, dwBoundMs, true, where);
}

CScratchFolder::CScratchFolder(SWhere where)
{
    static std::atomic<unsigned> s_uNext{0};
    char szTemp[MAX_PATH + 1] = {};
    const DWORD dwLen = GetTempPathA(MAX_PATH, szTemp);
    if (dwLen == 0 || dwLen > MAX_PATH)
    {
        ADD_FAILURE_AT(where.lpszFile, where.iLine) << "no temporary folder: error " << GetLastError();
        return;
    }
    std::string strBase(szTemp, dwLen);
    if (strBase.back() == '\\')
        strBase.pop_back();
    // Process id, tick and a counter: folders of parallel tests never meet.
    for (int i = 0; i < 100; ++i)
    {
        const std::string strPath = strBase + "\\fdtest-" + std::to_string(GetCurrentProcessId()) + "-" +
                                    std::to_string(GetTickCount()) + "-" + std::to_string(s_uNext++);
        if (CreateDirectoryA(strPath.c_str(), nullptr))
        {
            m_strPath = strPath;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    ADD_FAILURE_AT(where.lpszFile, where.iLine)
        << "cannot create a scratch folder in " << strBase << ": error " << GetLastError();
}

CScratchFolder::~CScratchFolder()
{
    if (!m_strPath.empty())
        boRemoveTree(m_strPath);
}

bool boRemoveTree(const std::string& strPath)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((strPath + "\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::string strName = data.cFileName;
            if (strName == "." || strName == "..")
                continue;
            const std::string strChild = strPath + "\\" + strName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                boRemoveTree(strChild);
            else
            {
                SetFileAttributesA(strChild.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(strChild.c_str());
            }
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    return RemoveDirectoryA(strPath.c_str()) != FALSE;
}

bool boFileExists(const std::string& strPath)
{
    return GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string strProgramFolder()
{
    char szPath[MAX_PATH + 1] = {};
    const DWORD dwLen = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    const std::string strPath(szPath, dwLen);
    return strPath.substr(0, strPath.find_last_of("\\/") + 1);
}

std::vector<DWORD> processIdsNamed(const char* lpszName)
{
    std::vector<DWORD> ids;
    const FdWin::CHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap.boValid())
        return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL b = Process32First(snap.get(), &entry); b; b = Process32Next(snap.get(), &entry))
        if (lstrcmpiA(entry.szExeFile, lpszName) == 0)
            ids.push_back(entry.th32ProcessID);
    return ids;
}

} // namespace FdTestKit
