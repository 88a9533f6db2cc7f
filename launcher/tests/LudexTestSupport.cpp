#include "LudexTestSupport.h"

#include <tlhelp32.h>

DWORD dwLudexPid()
{
    DWORD pid = 0;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32First(snap, &entry); ok; ok = Process32Next(snap, &entry))
        if (lstrcmpiA(entry.szExeFile, "Ludex.exe") == 0)
            pid = entry.th32ProcessID;
    CloseHandle(snap);
    return pid;
}

bool boWaitForExit(DWORD pid)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process)
        return true;
    const bool ended = WaitForSingleObject(process, 30000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}
