// The Windows half of the test kit, what the Windows tests of every folder
// share: bounded message pumps, a free loopback port, registry reads,
// running a program with a bound, a scratch folder and the program's own
// folder. Failures inside the kit are reported at the caller's file and line
// (the SWhere argument defaults to the call site). The portable half is
// TestFiles.h (files and golden files) and TestHelper.h.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "WinProcess.h"

namespace FdTestKit
{

// Safety bound of a wait; a passing test never comes near it.
constexpr DWORD kWaitBoundMs = 5000;

// Given each message the pump takes before it is dispatched: true when the
// hook handled it (it is then not dispatched), as a program's own loop does.
using FMessageHook = std::function<bool(const MSG&)>;

// Pumps the calling thread's messages until `done` holds (looked at before
// each message); false when the bound passes first (the caller asserts:
// some tests expect false).
bool boPumpUntil(const std::function<bool()>& done, DWORD dwBoundMs = kWaitBoundMs);
bool boPumpUntil(const std::function<bool()>& done, DWORD dwBoundMs, const FMessageHook& hook);
// Looks at `done` every few milliseconds until it holds, without pumping:
// for a thread that owns no window, such as the one that drives another
// thread's modal dialog. False when the bound passes first.
bool boWaitUntil(const std::function<bool()>& done, DWORD dwBoundMs = kWaitBoundMs);
// Pumps the calling thread's messages for dwMs (to let nothing happen).
void vPumpFor(DWORD dwMs);
// Dispatches the messages waiting for the calling thread, without waiting,
// at most uMost of them (a window that keeps posting to itself cannot hold
// the test); the hook as above.
void vPumpWaiting(const FMessageHook& hook = nullptr, size_t uMost = SIZE_MAX);
// Removes the waiting messages of the calling thread in [uFirst, uLast]
// (all when both are 0) without dispatching them.
void vDiscardWaiting(UINT uFirst = 0, UINT uLast = 0);

enum class EPort
{
    Tcp,
    Udp,
    TcpAndUdp, // free for both at once
};
// A port of 127.0.0.1 that nothing uses right now; 0 (and a failure at the
// caller's line) when none was found.
uint16_t wFreePort(EPort eKind = EPort::Tcp, SWhere where = SWhere::here());

// A REG_SZ/REG_EXPAND_SZ or REG_DWORD value; empty when the key or the value
// is missing or of another type (tests that expect it assert on that).
std::optional<std::string> regText(HKEY hRoot, const std::string& strPath, const char* lpszName);
std::optional<DWORD> regDword(HKEY hRoot, const std::string& strPath, const char* lpszName);
// Whether the key exists; the names of its sub-keys, sorted (none when the
// key is missing).
bool regKeyExists(HKEY hRoot, const std::string& strPath);
std::vector<std::string> regSubKeys(HKEY hRoot, const std::string& strPath);

// The ids of the running processes of that program name (compared without
// regard to case; under Wine, those of the test's own prefix).
std::vector<DWORD> processIdsNamed(const char* lpszName);

using SRun = FdWin::SProgramRun;
// Starts the command line (no window), waits for its end up to dwBoundMs and
// gives its exit code. A start failure or a program still running at the
// bound is a failure at the caller's line; such a program is terminated.
SRun runAndWait(const std::string& strCommandLine, DWORD dwBoundMs, SWhere where = SWhere::here());
// The same, dispatching the calling thread's messages while it waits: for a
// program that calls back into this thread's apartment or windows.
SRun runAndWaitPumping(const std::string& strCommandLine, DWORD dwBoundMs, SWhere where = SWhere::here());

// A new empty folder under the temporary folder, removed with its contents
// when the object goes. Path() ends without a backslash.
class CScratchFolder
{
public:
    explicit CScratchFolder(SWhere where = SWhere::here());
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    const std::string& Path() const { return m_strPath; }
    std::string File(const std::string& strName) const { return m_strPath + "\\" + strName; }

private:
    std::string m_strPath;
};

// Removes a folder and everything in it; false when something stayed.
bool boRemoveTree(const std::string& strPath);

// Whether a file or folder of that path exists.
bool boFileExists(const std::string& strPath);
// The folder of the running test program, where every program and DLL of
// the build lies; it ends with a backslash.
std::string strProgramFolder();

} // namespace FdTestKit
