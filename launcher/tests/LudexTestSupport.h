// What the launcher's tests that run Ludex.exe share.
#pragma once

#include <windows.h>

// The id of the running Ludex.exe of this prefix (the last one listed), or 0.
DWORD dwLudexPid();
// Waits (at most 30 s) for the process to end; true when it has (or was gone).
bool boWaitForExit(DWORD pid);
