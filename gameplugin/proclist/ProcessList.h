#pragma once
// The machine's running processes, and their termination: the suite stops the
// programs that stand in the way of an installation by their executable names.
#include <windows.h>

#include <cstddef>
#include <cstdint>

// One running process.
struct SProcessRecord
{
    static constexpr size_t kExeFileMax = 583;

    DWORD dwPid;
    DWORD dwReserved1;               // left 0
    DWORD dwReserved2;               // left 0
    HWND hwndMain;                   // 0 when unknown; the walkers leave it 0
    char szExeFile[kExeFileMax + 1]; // executable file name without folder
};

constexpr size_t kProcessListMax = 500;
constexpr DWORD kKillWaitMs = 500; // pause after each termination when asked to wait

// Fills up to `ulMax` records; the number filled. Windows 9x walks Toolhelp; NT reads
// the performance data and falls back to Toolhelp when that lists nothing.
size_t ProcessList_Fill(SProcessRecord* lpRecords, size_t ulMax);
// Toolhelp32, its functions taken from KERNEL32.DLL at run time.
size_t ProcessList_FillToolhelp(SProcessRecord* lpRecords, size_t ulMax);
// The "process" object of the NT performance data ("id process" counter).
size_t ProcessList_FillPerflib(SProcessRecord* lpRecords, size_t ulMax);

// Enables SeDebugPrivilege in the process token; true when no error is reported.
bool boEnableDebugPrivilege();
// Forced or without a window: terminates the process (true when it did). Otherwise
// posts WM_CLOSE to its window (true when posted).
bool boTerminateProcess(const SProcessRecord& record, bool boForce);
// For every running process whose executable name equals one of the names
// (ignoring case): marks it found and, unless boCheckOnly, terminates it (not
// forced), pausing 500 ms after each when boWait. The calling process is never
// touched. True when a process matched.
bool boKillProcessesByName(const char* const* lpaszNames, size_t ulCount, bool boWait, bool boCheckOnly);
