#include "InstallUtils.h"

#include "LzBuffer.h"
#include "LzFileOp.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <string>

using namespace FdTestKit;

namespace
{
const char kTestProg[] = "gameplugin_testprog.exe";
const char kTestReg[] = "gameplugin_testreg.dll";
const char kTestNoReg[] = "gameplugin_testnoreg.dll";

// Environment of the helper programs for one test; cleared at the end.
class CHelperEnv
{
public:
    explicit CHelperEnv(const std::string& strLog)
    {
        SetEnvironmentVariableA("FD_TESTPROG_LOG", strLog.c_str());
    }
    ~CHelperEnv()
    {
        for (const char* name :
             {"FD_TESTPROG_LOG", "FD_TESTPROG_EXIT", "FD_TESTPROG_SLEEP_MS", "FD_TESTREG_RESULT"})
            SetEnvironmentVariableA(name, nullptr);
    }
    void vSet(const char* name, const char* value) { SetEnvironmentVariableA(name, value); }
};

std::string strLog(const std::string& path)
{
    std::string s;
    boReadFile(path, &s);
    return s;
}
} // namespace

TEST(InstallUtils, CreateDirectoryChainMakesTheFolderPartOnly)
{
    CScratchFolder dir;
    bool boExisted = true;
    ASSERT_TRUE(boCreateDirectoryChain((dir.File("a\\b\\file.txt")).c_str(), &boExisted));
    EXPECT_FALSE(boExisted);
    EXPECT_TRUE(boFileExists(dir.File("a\\b")));
    EXPECT_FALSE(boFileExists(dir.File("a\\b\\file.txt")));

    ASSERT_TRUE(boCreateDirectoryChain((dir.File("a\\b\\other.txt")).c_str(), &boExisted));
    EXPECT_TRUE(boExisted);
    // A path ending in "\" creates the whole path; the flag tells about the last level.
    ASSERT_TRUE(boCreateDirectoryChain((dir.File("a\\c\\")).c_str(), &boExisted));
    EXPECT_FALSE(boExisted);
    EXPECT_TRUE(boFileExists(dir.File("a\\c")));
    EXPECT_TRUE(boCreateDirectoryChain((dir.File("a\\c\\")).c_str(), nullptr));
}

TEST(InstallUtils, CreateDirectoryChainStopsAtAFileInTheWay)
{
    CScratchFolder dir;
    ASSERT_TRUE(boWriteFile(dir.File("blocker"), "x"));
    EXPECT_FALSE(boCreateDirectoryChain((dir.File("blocker\\sub\\file.txt")).c_str(), nullptr));
    EXPECT_FALSE(boFileExists(dir.File("blocker\\sub")));
}

TEST(InstallUtils, ExpandFileAndCopyBufferReportBothCodes)
{
    CScratchFolder dir;
    const std::string data(5000, 'q');
    CLzBuffer lz;
    ASSERT_TRUE(lz.boCompress(reinterpret_cast<const uint8_t*>(data.data()), 5000, true));
    const std::string packed(reinterpret_cast<const char*>(lz.lpGetData()), lz.dwGetSize());
    ASSERT_TRUE(boWriteFile(dir.File("pkg.ex_"), packed));

    DWORD dwWin32 = 1;
    int iLz = -1;
    ASSERT_TRUE(boExpandFile((dir.File("pkg.ex_")).c_str(), (dir.File("pkg.exe")).c_str(), &dwWin32, &iLz));
    EXPECT_EQ(iLz, kLzOk);
    std::string got;
    ASSERT_TRUE(boReadFile(dir.File("pkg.exe"), &got));
    EXPECT_TRUE(got == data);

    EXPECT_FALSE(boExpandFile((dir.File("none.ex_")).c_str(), (dir.File("x")).c_str(), &dwWin32, &iLz));
    EXPECT_EQ(iLz, kLzCantOpenSource);
    EXPECT_EQ(dwWin32, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    ASSERT_TRUE(boCopyBufferToFile(reinterpret_cast<const uint8_t*>(packed.data()),
                                   static_cast<uint32_t>(packed.size()), (dir.File("copy.exe")).c_str(),
                                   &dwWin32, &iLz));
    ASSERT_TRUE(boReadFile(dir.File("copy.exe"), &got));
    EXPECT_TRUE(got == data);
    EXPECT_FALSE(boCopyBufferToFile(reinterpret_cast<const uint8_t*>(packed.data()), 20,
                                    (dir.File("cut.exe")).c_str(), &dwWin32, &iLz));
    EXPECT_EQ(iLz, kLzExpandFailed);
}

TEST(InstallUtils, RunAndWaitNeedsACleanEndInTime)
{
    CScratchFolder dir;
    CHelperEnv env(dir.File("log.txt"));
    const std::string prog = strProgramFolder() + "" + kTestProg;
    const std::string cmd = "\"" + prog + "\" run";

    EXPECT_TRUE(boRunAndWait(prog.c_str(), cmd.c_str(), 20000));
    EXPECT_EQ(strLog(dir.File("log.txt")), cmd + "\n");

    env.vSet("FD_TESTPROG_EXIT", "3");
    EXPECT_FALSE(boRunAndWait(prog.c_str(), cmd.c_str(), 20000)) << "a failing exit code counts";

    env.vSet("FD_TESTPROG_EXIT", "0");
    env.vSet("FD_TESTPROG_SLEEP_MS", "3000");
    EXPECT_FALSE(boRunAndWait(prog.c_str(), cmd.c_str(), 50)) << "a time-out is a failure";

    EXPECT_FALSE(boRunAndWait((dir.File("missing.exe")).c_str(), "missing.exe", 1000));
}

TEST(InstallUtils, SelfRegisterRunsProgramsInAnyCaseWithRegserver)
{
    CScratchFolder dir;
    CHelperEnv env(dir.File("log.txt"));
    const std::string prog = strProgramFolder() + "" + kTestProg;
    for (const char* name : {"lower.exe", "UPPER.EXE", "Mixed.Exe"})
    {
        const std::string copy = dir.File(name);
        ASSERT_TRUE(CopyFileA(prog.c_str(), copy.c_str(), FALSE));
        DeleteFileA((dir.File("log.txt")).c_str());
        EXPECT_TRUE(boSelfRegister(copy.c_str())) << name;
        EXPECT_EQ(strLog(dir.File("log.txt")), "\"" + copy + "\" /regserver\n") << name;
    }
    env.vSet("FD_TESTPROG_EXIT", "1");
    EXPECT_FALSE(boSelfRegister((dir.File("lower.exe")).c_str()));
}

TEST(InstallUtils, SelfRegisterCallsDllRegisterServer)
{
    CScratchFolder dir;
    CHelperEnv env(dir.File("log.txt"));
    const std::string reg = strProgramFolder() + "" + kTestReg;
    EXPECT_TRUE(boSelfRegister(reg.c_str()));
    EXPECT_EQ(strLog(dir.File("log.txt")), "DllRegisterServer\n");

    env.vSet("FD_TESTREG_RESULT", "1"); // S_FALSE still succeeds
    EXPECT_TRUE(boSelfRegister(reg.c_str()));
    env.vSet("FD_TESTREG_RESULT", std::to_string(static_cast<long>(E_FAIL)).c_str());
    EXPECT_FALSE(boSelfRegister(reg.c_str()));

    EXPECT_FALSE(boSelfRegister((strProgramFolder() + "" + kTestNoReg).c_str())) << "no export";
    EXPECT_FALSE(boSelfRegister((dir.File("missing.dll")).c_str()));
}

TEST(InstallUtils, DeleteRegistryTree)
{
    const char kRoot[] = "Software\\FdGamePluginTest";
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\FdGamePluginTest\\a\\b\\c", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(h);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\FdGamePluginTest\\d", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(h);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(h, "kept", 0, REG_SZ, reinterpret_cast<const BYTE*>("v"), 2), ERROR_SUCCESS);
    RegCloseKey(h);

    // Depth 0 empties the key of subkeys and keeps it with its values.
    EXPECT_EQ(lDeleteRegistryTree(HKEY_CURRENT_USER, kRoot, 0), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kRoot, 0, KEY_READ, &h), ERROR_SUCCESS);
    DWORD dwSubkeys = 99, dwValues = 99;
    RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, &dwSubkeys, nullptr, nullptr, &dwValues, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(h);
    EXPECT_EQ(dwSubkeys, 0u);
    EXPECT_EQ(dwValues, 1u);

    // Depth 1 removes the key itself.
    EXPECT_EQ(lDeleteRegistryTree(HKEY_CURRENT_USER, kRoot, 1), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kRoot, 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(lDeleteRegistryTree(HKEY_CURRENT_USER, kRoot, 0), ERROR_FILE_NOT_FOUND);
}

TEST(InstallUtils, TemporaryNamesAreNewEmptyFiles)
{
    CScratchFolder dir;
    const std::string first = strMakeTempFileName(dir.Path().c_str());
    const std::string second = strMakeTempFileName(dir.Path().c_str());
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.substr(0, dir.Path().size() + 4), dir.Path() + "\\_tp");
    std::string content = "x";
    ASSERT_TRUE(boReadFile(first, &content));
    EXPECT_EQ(content, "");
    EXPECT_EQ(strMakeTempFileName((dir.File("missing")).c_str()), "");
}
