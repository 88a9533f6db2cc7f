#include "SehFilter.h"

#include <gtest/gtest.h>

#include <string>

#include "ExceptionTableCheck.h"
#include "TestKit.h"

namespace
{

// Runs the crash program; returns its exit code and the day's trace file.
DWORD RunCrash(const char* mode, std::string* log)
{
    const FdTestKit::CScratchFolder scratch;
    const std::string folder = scratch.Path() + "\\";
    // The folder goes without its final backslash, which would escape the closing quote.
    std::string cmd = "\"" + FdTestKit::strProgramFolder() + "foundation_seh_crash.exe\" \"" +
                      scratch.Path() + "\" " + mode;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    *log = "";
    WIN32_FIND_DATAA fd;
    const HANDLE find = FindFirstFileA((folder + "*.log").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE)
    {
        *log = FdTestKit::strReadFile(folder + fd.cFileName);
        FindClose(find);
    }
    return code;
}

} // namespace

TEST(SehFilter, FaultIsReportedAndEndsTheProgram)
{
    struct Case
    {
        const char* mode;
        DWORD exitCode;
        bool report;
    };
    const Case cases[] = {
        {"none", 0, false},
        {"main", EXCEPTION_ACCESS_VIOLATION, true},
        {"thread", EXCEPTION_ACCESS_VIOLATION, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mode);
        std::string log;
        EXPECT_EQ(RunCrash(c.mode, &log), c.exitCode);
        EXPECT_NE(log.find("started"), std::string::npos) << log;
        if (c.report)
        {
            EXPECT_NE(log.find("Classe d'exception:CSEHException\nCode:-1073741819\n"), std::string::npos)
                << log;
            EXPECT_NE(log.find("Exception structurée 0xC0000005"), std::string::npos) << log;
            EXPECT_NE(log.find("(écriture de l'adresse 0000000000000000)"), std::string::npos) << log;
            EXPECT_EQ(log.find("ended normally"), std::string::npos) << log;
        }
        else
        {
            EXPECT_NE(log.find("ended normally"), std::string::npos) << log;
        }
    }
}

TEST(SehFilter, ExceptionCopiesRecordAndContext)
{
    EXCEPTION_RECORD rec = {};
    rec.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    rec.ExceptionAddress = reinterpret_cast<void*>(0x1234);
    rec.NumberParameters = 2;
    rec.ExceptionInformation[0] = 0;
    rec.ExceptionInformation[1] = 0x10;
    CONTEXT ctx = {};
    ctx.ContextFlags = CONTEXT_CONTROL;
    EXCEPTION_POINTERS ptrs = {&rec, &ctx};
    const FdBase::CSEHException e(&ptrs);
    EXPECT_EQ(e.dwGetSystemCode(), (DWORD)EXCEPTION_ACCESS_VIOLATION);
    EXPECT_EQ(e.dwGetCode(), (uint32_t)EXCEPTION_ACCESS_VIOLATION);
    EXPECT_EQ(e.GetRecord().ExceptionInformation[1], 0x10u);
    EXPECT_EQ(e.GetContext().ContextFlags, (DWORD)CONTEXT_CONTROL);
    EXPECT_STREQ(e.lpszGetClassName(), "CSEHException");
    EXPECT_EQ(e.lpGetErrorRow(), nullptr);
    EXPECT_TRUE(FdTest::ErrorTableIs(e.lpGetErrorTable(), {})); // no rows: the code is the system's
    EXPECT_EQ(std::string(e.lpszGetText()), "Exception structurée 0xC0000005 à l'adresse 0000000000001234 "
                                            "(lecture de l'adresse 0000000000000010)");
    char report[2048];
    FdBase::ulFormatExceptionReport(e, report, sizeof(report));
    EXPECT_NE(std::string(report).find("Description:pas de description disponible"), std::string::npos);
}
