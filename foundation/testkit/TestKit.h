// What the Windows tests of every folder share: a bounded message pump, a
// free loopback port, registry reads, running a program with a bound, and a
// scratch folder. Failures inside the kit are reported at the caller's file
// and line (the SWhere argument defaults to the call site).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "WinProcess.h"

namespace FdTestKit
{

// A call site. As a default argument, SWhere::here() is evaluated where the
// caller calls: its file and line.
struct SWhere
{
    const char* lpszFile;
    int iLine;
    static SWhere here(const char* lpszFile = __builtin_FILE(), int iLine = __builtin_LINE())
    {
        return SWhere{lpszFile, iLine};
    }
};

// Safety bound of a wait; a passing test never comes near it.
constexpr DWORD kWaitBoundMs = 5000;

// Pumps the calling thread's messages until `done` holds; false when the
// bound passes first (the caller asserts: some tests expect false).
bool boPumpUntil(const std::function<bool()>& done, DWORD dwBoundMs = kWaitBoundMs);
// Pumps the calling thread's messages for dwMs (to let nothing happen).
void vPumpFor(DWORD dwMs);

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

} // namespace FdTestKit
