// Running a program to its end.
#pragma once

#include <windows.h>

#include <string>

namespace FdWin
{

struct SProgramRun
{
    bool boStarted = false;
    bool boEnded = false;   // within the bound
    DWORD dwExitCode = 0;   // when ended
    DWORD dwStartError = 0; // GetLastError of a failed start
};

// Starts the command line (no console window) and waits up to dwBoundMs for
// its end, dispatching the calling thread's messages meanwhile when boPump
// (for a program that calls back into this thread's apartment or windows).
// A program still running at the bound is terminated.
SProgramRun runProgram(const std::string& strCommandLine, DWORD dwBoundMs, bool boPump = false);

} // namespace FdWin
