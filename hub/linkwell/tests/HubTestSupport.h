// Helpers of the tests that start Linkwell.exe: the hub's process, its
// registry settings and trace file, the stand-in game server's control port,
// and plain sockets on the loopback.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "TestHelper.h"

#include <cstdint>
#include <string>
#include <vector>

#include "TestKit.h"
#include "WinHandle.h"

namespace HubTest
{

// A bound, not a delay: a program that starts or ends slowly on a loaded
// machine must not fail a test.
constexpr DWORD kProcessWaitMs = 60000;

// The folder of the running test program (where Linkwell.exe is), with a
// final backslash.
using FdTestKit::strProgramFolder;

// A started program; the handle is closed with the object, and a program
// still running then is ended, so that a failed step leaves nothing behind
// for the next test.
class CProcess
{
public:
    CProcess() = default;
    ~CProcess();
    CProcess(const CProcess&) = delete;
    CProcess& operator=(const CProcess&) = delete;

    bool boStart(const std::string& commandLine);
    // Its exit code, or -1 when it did not end within dwMs.
    long lWait(DWORD dwMs = kProcessWaitMs);
    bool boRunning() const;
    DWORD dwPid() const { return m_dwPid; }
    HANDLE hProcess() const { return m_process.get(); }

private:
    FdWin::CHandle m_process;
    DWORD m_dwPid = 0;
};

// Ends every Linkwell.exe of the prefix that is still running (a hub that
// COM started for a failed test) and waits for them to be gone.
void vEndStrayHubs();

// Linkwell.exe with these arguments, waited for; its exit code or -1.
long lRunHub(const std::string& args, DWORD dwMs = kProcessWaitMs);

// HKEY_LOCAL_MACHINE "Software\FDGame\Binaries\LinkwellV2"; callers assert the result.
::testing::AssertionResult SetHubDword(const char* lpszName, DWORD dwValue);
void vDeleteHubValue(const char* lpszName);
bool boClassesKeyExists(const std::string& key);

// The trace files c:\Linkwell<date>.log, oldest first, in one text; and their removal.
std::string ReadHubTrace();
void vRemoveHubTrace();
bool boHubTraceExists();

// A TCP connection on the loopback.
class CSocket
{
public:
    CSocket();
    ~CSocket();
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;

    bool boConnect(uint16_t wPort, DWORD dwTimeoutMs = 5000);
    bool boSend(const std::string& bytes);
    // Up to n bytes, waiting at most the receive time-out; empty on failure.
    std::string Receive(size_t n);
    // Exactly n bytes, or what came before the time-out.
    std::string ReceiveAll(size_t n);
    // One line without its end.
    std::string ReceiveLine();
    SOCKET s() const { return m_socket; }

private:
    SOCKET m_socket = INVALID_SOCKET;
    std::string m_buffered;
};

// A listener that never accepts: a server that takes the connection but
// never answers (the kernel completes connects into its backlog).
class CSilentServer
{
public:
    bool boOpen();
    ~CSilentServer();
    uint16_t wPort() const { return m_wPort; }

private:
    SOCKET m_tcp = INVALID_SOCKET;
    SOCKET m_udp = INVALID_SOCKET;
    uint16_t m_wPort = 0;
};

// The stand-in game server's control port (FD_GAMESERVER_CONTROL).
class CGameServer
{
public:
    bool boConnect();
    uint16_t wPort() const { return m_wPort; }
    // One command, its reply line ("OK ..." or "ERR ...").
    std::string Command(const std::string& line);
    // The value of "key=" in a reply, or "".
    static std::string Field(const std::string& reply, const std::string& key);

private:
    CSocket m_control;
    uint16_t m_wPort = 0;
};

// Windows of a process: top-level ones of a class (null: any).
std::vector<HWND> ProcessWindows(DWORD dwPid, const char* lpszClass);

} // namespace HubTest
