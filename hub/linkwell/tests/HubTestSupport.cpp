#include "HubTestSupport.h"

#include <ws2tcpip.h>

#include "TestKit.h"

#include <algorithm>
#include <cstdlib>

namespace HubTest
{

namespace
{
constexpr const char* kSettingsKey = "Software\\FDGame\\Binaries\\LinkwellV2";
// The logger's folder text is a prefix of the file names: "c:\\Linkwell20261208.log".
constexpr const char* kTracePrefix = "c:\\Linkwell";
constexpr const char* kTraceFolder = "c:\\";
constexpr DWORD kReceiveTimeoutMs = 15000;
// Game-server commands such as WAIT answer within their own bound.
constexpr DWORD kControlTimeoutMs = 130000;

struct SWinsock
{
    SWinsock() { ok = WSAStartup(MAKEWORD(2, 2), &data) == 0; }
    ~SWinsock()
    {
        // Only a successful start is undone.
        if (ok)
            WSACleanup();
    }
    WSADATA data;
    bool ok = false;
};

void vEnsureWinsock()
{
    static SWinsock s_winsock;
}

sockaddr_in Loopback(uint16_t wPort)
{
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(wPort);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

std::vector<std::string> TraceFiles()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((std::string(kTracePrefix) + "*.log").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(std::string(kTraceFolder) + found.cFileName);
    while (FindNextFileA(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

bool CProcess::boStart(const std::string& commandLine)
{
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::string cmd = commandLine;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    m_process.vAttach(pi.hProcess);
    m_dwPid = pi.dwProcessId;
    return true;
}

CProcess::~CProcess()
{
    if (boRunning())
    {
        TerminateProcess(m_process.get(), 1);
        WaitForSingleObject(m_process.get(), kProcessWaitMs);
    }
}

long CProcess::lWait(DWORD dwMs)
{
    if (!m_process.boValid() || WaitForSingleObject(m_process.get(), dwMs) != WAIT_OBJECT_0)
        return -1;
    DWORD dwCode = 0;
    GetExitCodeProcess(m_process.get(), &dwCode);
    return static_cast<long>(dwCode);
}

bool CProcess::boRunning() const
{
    return m_process.boValid() && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT;
}

void vEndStrayHubs()
{
    for (DWORD id : FdTestKit::processIdsNamed("Linkwell.exe"))
    {
        FdWin::CHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (!process.boValid())
            continue;
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), kProcessWaitMs);
    }
}

long lRunHub(const std::string& args, DWORD dwMs)
{
    CProcess hub;
    if (!hub.boStart("\"" + strProgramFolder() + "Linkwell.exe\" " + args))
        return -1;
    return hub.lWait(dwMs);
}

::testing::AssertionResult SetHubDword(const char* lpszName, DWORD dwValue)
{
    HKEY hKey = nullptr;
    LONG lError =
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr);
    if (lError != ERROR_SUCCESS)
        return ::testing::AssertionFailure()
               << "cannot create HKLM\\" << kSettingsKey << ": error " << lError;
    lError = RegSetValueExA(hKey, lpszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                            sizeof(dwValue));
    RegCloseKey(hKey);
    if (lError != ERROR_SUCCESS)
        return ::testing::AssertionFailure()
               << "cannot write " << lpszName << " under HKLM\\" << kSettingsKey << ": error " << lError;
    return ::testing::AssertionSuccess();
}

void vDeleteHubValue(const char* lpszName)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_WRITE, &hKey) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(hKey, lpszName);
    RegCloseKey(hKey);
}

bool boClassesKeyExists(const std::string& key)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

std::string ReadHubTrace()
{
    std::string text;
    for (const std::string& name : TraceFiles())
    {
        HANDLE h =
            CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        char buffer[65536];
        DWORD n = 0;
        while (ReadFile(h, buffer, sizeof(buffer), &n, nullptr) && n > 0)
            text.append(buffer, n);
        CloseHandle(h);
    }
    return text;
}

void vRemoveHubTrace()
{
    for (const std::string& name : TraceFiles())
        DeleteFileA(name.c_str());
}

bool boHubTraceExists()
{
    return !TraceFiles().empty();
}

CSocket::CSocket()
{
    vEnsureWinsock();
}

CSocket::~CSocket()
{
    if (m_socket != INVALID_SOCKET)
        closesocket(m_socket);
}

bool CSocket::boConnect(uint16_t wPort, DWORD dwTimeoutMs)
{
    const DWORD dwStart = GetTickCount();
    do
    {
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        const DWORD dwTimeout = kReceiveTimeoutMs;
        setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&dwTimeout),
                   sizeof(dwTimeout));
        sockaddr_in a = Loopback(wPort);
        if (connect(m_socket, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0)
            return true;
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
        Sleep(50); // the listener may not be up yet
    } while (GetTickCount() - dwStart < dwTimeoutMs);
    return false;
}

bool CSocket::boSend(const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size())
    {
        const int n = send(m_socket, bytes.data() + done, int(bytes.size() - done), 0);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

std::string CSocket::Receive(size_t n)
{
    if (!m_buffered.empty())
    {
        std::string out = m_buffered.substr(0, n);
        m_buffered.erase(0, out.size());
        return out;
    }
    std::string out(n, '\0');
    const int got = recv(m_socket, &out[0], int(n), 0);
    out.resize(got > 0 ? size_t(got) : 0);
    return out;
}

std::string CSocket::ReceiveAll(size_t n)
{
    std::string out;
    while (out.size() < n)
    {
        const std::string part = Receive(n - out.size());
        if (part.empty())
            break;
        out += part;
    }
    return out;
}

std::string CSocket::ReceiveLine()
{
    for (;;)
    {
        const size_t end = m_buffered.find('\n');
        if (end != std::string::npos)
        {
            std::string line = m_buffered.substr(0, end);
            m_buffered.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        char chunk[4096];
        const int got = recv(m_socket, chunk, sizeof(chunk), 0);
        if (got <= 0)
            return "ERR no reply";
        m_buffered.append(chunk, size_t(got));
    }
}

bool CSilentServer::boOpen()
{
    vEnsureWinsock();
    m_wPort = FdTestKit::wFreePort(FdTestKit::EPort::TcpAndUdp);
    m_tcp = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    m_udp = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in a = Loopback(m_wPort);
    return bind(m_tcp, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0 && listen(m_tcp, 8) == 0 &&
           bind(m_udp, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0;
}

CSilentServer::~CSilentServer()
{
    if (m_tcp != INVALID_SOCKET)
        closesocket(m_tcp);
    if (m_udp != INVALID_SOCKET)
        closesocket(m_udp);
}

bool CGameServer::boConnect()
{
    const char* lpszPort = std::getenv("FD_GAMESERVER_PORT");
    const char* lpszControl = std::getenv("FD_GAMESERVER_CONTROL");
    if (lpszPort == nullptr || lpszControl == nullptr)
        return false;
    m_wPort = static_cast<uint16_t>(std::atoi(lpszPort));
    if (!m_control.boConnect(static_cast<uint16_t>(std::atoi(lpszControl))))
        return false;
    const DWORD dwTimeout = kControlTimeoutMs;
    setsockopt(m_control.s(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&dwTimeout),
               sizeof(dwTimeout));
    return Command("PING") == "OK PONG";
}

std::string CGameServer::Command(const std::string& line)
{
    if (!m_control.boSend(line + "\n"))
        return "ERR send";
    return m_control.ReceiveLine();
}

std::string CGameServer::Field(const std::string& reply, const std::string& key)
{
    const std::string wanted = " " + key + "=";
    const size_t at = (" " + reply).find(wanted);
    if (at == std::string::npos)
        return "";
    const size_t start = at + wanted.size() - 1;
    const size_t end = reply.find(' ', start);
    return reply.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::vector<HWND> ProcessWindows(DWORD dwPid, const char* lpszClass)
{
    struct SSearch
    {
        DWORD dwPid;
        const char* lpszClass;
        std::vector<HWND> found;
    } search{dwPid, lpszClass, {}};
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL
        {
            SSearch* s = reinterpret_cast<SSearch*>(lParam);
            DWORD dwPid = 0;
            GetWindowThreadProcessId(hWnd, &dwPid);
            char name[64] = {};
            GetClassNameA(hWnd, name, sizeof(name));
            if (dwPid == s->dwPid && (s->lpszClass == nullptr || lstrcmpiA(name, s->lpszClass) == 0))
                s->found.push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace HubTest
