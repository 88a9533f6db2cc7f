// The killable-process table shared between processes, the process list and
// termination by name.
#include "InstTestSupport.h"
#include "KillableProcessMap.h"
#include "ProcessList.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <memory>

using namespace InstTest;

namespace
{
// Runs the table helper in a process of its own; its exit code.
DWORD dwKillTab(const std::string& strArgs)
{
    const std::string strExe = FdTestKit::strProgramFolder() + "gameplugin_killtab.exe";
    std::string strCommand = "\"" + strExe + "\" " + strArgs;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(strExe.c_str(), &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 100;
    CloseHandle(pi.hThread);
    DWORD dwCode = 101;
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &dwCode);
    CloseHandle(pi.hProcess);
    return dwCode;
}

bool boListed(const std::string& strText, FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    std::vector<std::string> texts;
    EXPECT_TRUE(CKillableProcessMap::Get().boGetList(&texts));
    for (const std::string& s : texts)
        if (s == strText)
            return true;
    return false;
}

TEST(Killable, TableIsSharedBetweenProcessesAndHoldsFiftyEntries)
{
    CKillableProcessMap& map = CKillableProcessMap::Get();
    EXPECT_EQ(0u, dwKillTab("add-name C:\\Zelto\\Autre.exe"));
    EXPECT_TRUE(boListed("NAME:C:\\Zelto\\Autre.exe"));
    ASSERT_TRUE(map.boAddPid(4242));
    EXPECT_EQ(0u, dwKillTab("has PID:4242"));
    ASSERT_TRUE(map.boRemovePid(4242));
    EXPECT_EQ(1u, dwKillTab("has PID:4242"));
    EXPECT_EQ(0u, dwKillTab("remove-name c:\\zelto\\autre.exe"));
    EXPECT_FALSE(boListed("NAME:C:\\Zelto\\Autre.exe"));

    // Fill the free slots; the next distinct entry is refused, in any process.
    std::vector<std::string> texts;
    ASSERT_TRUE(map.boGetList(&texts));
    std::vector<uint32_t> added;
    for (uint32_t dwPid = 70000; texts.size() + added.size() < 50; ++dwPid)
    {
        ASSERT_TRUE(map.boAddPid(dwPid));
        added.push_back(dwPid);
    }
    EXPECT_FALSE(map.boAddPid(69999));
    EXPECT_EQ(1u, dwKillTab("add-pid 69998"));
    EXPECT_EQ(0u, dwKillTab("add-pid " + std::to_string(added.back()))); // equal: no slot needed
    for (uint32_t dwPid : added)
        map.boRemovePid(dwPid);
    EXPECT_EQ(0u, dwKillTab("add-pid 69998"));
    EXPECT_TRUE(map.boRemovePid(69998));
}

TEST(Killable, ProcessListNamesThisProgram)
{
    std::unique_ptr<SProcessRecord[]> records(new SProcessRecord[kProcessListMax]);
    const size_t n = ProcessList_Fill(records.get(), kProcessListMax);
    ASSERT_GT(n, 0u);
    bool boFound = false;
    for (size_t i = 0; i < n; ++i)
    {
        if (records[i].dwPid == GetCurrentProcessId())
        {
            boFound = true;
            EXPECT_STREQ("gameplugin_inst_test.exe", records[i].szExeFile);
            EXPECT_EQ(nullptr, records[i].hwndMain);
        }
    }
    EXPECT_TRUE(boFound);
}

TEST(Killable, CheckOnlyLeavesTheSleeperARealKillEndsIt)
{
    const std::string strExe = FdTestKit::strProgramFolder() + "gameplugin_testprog.exe";
    SetEnvironmentVariableA("FD_TESTPROG_SLEEP_MS", "60000");
    std::string strCommand = "\"" + strExe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(strExe.c_str(), &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    SetEnvironmentVariableA("FD_TESTPROG_SLEEP_MS", nullptr);
    CloseHandle(pi.hThread);

    const char* lpaszNames[] = {"nothing.exe", "GAMEPLUGIN_TESTPROG.EXE"};
    EXPECT_TRUE(boKillProcessesByName(lpaszNames, 2, false, true));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(pi.hProcess, 0));
    EXPECT_TRUE(boKillProcessesByName(lpaszNames, 2, false, false));
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(pi.hProcess, 10000));
    EXPECT_FALSE(boKillProcessesByName(lpaszNames, 1, false, false));
    if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);

    // This program is never a victim.
    const char* lpaszSelf[] = {"gameplugin_inst_test.exe"};
    EXPECT_FALSE(boKillProcessesByName(lpaszSelf, 1, false, false));
}
} // namespace
