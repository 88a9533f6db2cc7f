// The launcher's program entry: registration switches, the class objects with
// the idle exit, the message loop or the test box.
#pragma once

#include <windows.h>

namespace Ludex
{
// Thread message to the main thread: shows the "KillApp" box; the loop goes on.
constexpr UINT kMsgKillApp = 0x62D;
// The process leaves this long after its last object is released.
constexpr DWORD kIdleExitMs = 5000;

int iRun(HINSTANCE hInstance, const char* pszCmdLine);
} // namespace Ludex
