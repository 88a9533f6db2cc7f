#include "WinProcess.h"

#include <vector>

#include "PumpUntil.h"
#include "WinHandle.h"

namespace FdWin
{

SProgramRun runProgram(const std::string& strCommandLine, DWORD dwBoundMs, bool boPump)
{
    SProgramRun run;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // CreateProcessA may write into its command line.
    std::vector<char> commandLine(strCommandLine.begin(), strCommandLine.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi))
    {
        run.dwStartError = GetLastError();
        return run;
    }
    run.boStarted = true;
    CHandle process(pi.hProcess);
    CHandle thread(pi.hThread);
    run.boEnded = boPump ? boPumpUntil([&] { return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0; },
                                       dwBoundMs)
                         : WaitForSingleObject(process.get(), dwBoundMs) == WAIT_OBJECT_0;
    if (!run.boEnded)
    {
        TerminateProcess(process.get(), 1);
        // Its end is awaited so that nothing it holds outlives the call.
        WaitForSingleObject(process.get(), 5000);
        return run;
    }
    GetExitCodeProcess(process.get(), &run.dwExitCode);
    return run;
}

} // namespace FdWin
