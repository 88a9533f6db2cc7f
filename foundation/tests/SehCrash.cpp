// Faults on purpose with the structured-exception filter installed; the filter's report
// goes to a trace file in the folder given as first argument (without a final backslash).
//   foundation_seh_crash <folder> main|thread|none
#include <windows.h>

#include <process.h>

#include <cstring>
#include <string>

#include "SehFilter.h"
#include "TxtFileLogger.h"

namespace
{

void Report(const FdBase::CSEHException&, const char* lpszReport, void* lpContext)
{
    auto* log = static_cast<FdMisc::CTxtFileLogger*>(lpContext);
    log->vLog("!ERREUR! exception structurée :\n");
    log->vLog(lpszReport);
    log->vFlush();
}

void Fault()
{
    int* volatile p = nullptr;
    *p = 1;
}

unsigned __stdcall FaultingThread(void*)
{
    Fault();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    static FdMisc::CTxtFileLogger log(4096);
    const std::string folder = std::string(argv[1]) + "\\";
    log.vSetFolder(folder.c_str());
    log.vSetHourly(false);
    log.vEnable(true);
    FdBase::vInstallSehFilter(&Report, &log);
    log.vLog("started");
    if (std::strcmp(argv[2], "main") == 0)
        Fault();
    if (std::strcmp(argv[2], "thread") == 0)
    {
        const uintptr_t h = _beginthreadex(nullptr, 0, &FaultingThread, nullptr, 0, nullptr);
        WaitForSingleObject(reinterpret_cast<HANDLE>(h), INFINITE);
    }
    log.vLog("ended normally");
    log.vFlush();
    log.vEnable(false);
    return 0;
}
