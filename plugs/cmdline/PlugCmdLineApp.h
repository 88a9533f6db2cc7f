// LudexPlugCmdLine.exe: start-up, registration and the main loop of the
// command-line launch plug, a COM local server in a single-threaded apartment.
#pragma once

#include <windows.h>

#include "FdComModule.h"

namespace PlugCmdLine
{
// The plug process ends this long after its last object is released.
constexpr DWORD kIdleExitMs = 10;

// Every class, for registration; the served classes (those with a class object).
const FdCom::SServerInfo& RegistrationInfo();
const FdCom::SServerInfo& ServedInfo();

int iRun(const char* pszCmdLine);
} // namespace PlugCmdLine
