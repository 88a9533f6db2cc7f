// The shared test kit, its failures placed at the caller's line.
#include <winsock2.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "TestKit.h"
#include "WinRegKey.h"
#include "WindowBase.h"

using namespace FdTestKit;

namespace
{

std::string strSelf()
{
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    return szPath;
}

// The one failure the statement reported, with its place.
struct SFailure
{
    int iCount = 0;
    std::string strFile;
    int iLine = 0;
    std::string strMessage;
};

template <class F> SFailure failureOf(F f)
{
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        f();
    }
    SFailure failure;
    failure.iCount = results.size();
    if (results.size() > 0)
    {
        const auto& r = results.GetTestPartResult(0);
        failure.strFile = r.file_name() ? r.file_name() : "";
        failure.iLine = r.line_number();
        failure.strMessage = r.message();
    }
    return failure;
}

} // namespace

// Started by the run-and-wait case as a program that never ends on its own.
TEST(TestKitChild, DISABLED_NeverEnds)
{
    WaitForSingleObject(GetCurrentProcess(), INFINITE);
}

TEST(TestKit, FreePortsAreFreeForWhatWasAsked)
{
    for (EPort eKind : {EPort::Tcp, EPort::Udp, EPort::TcpAndUdp})
    {
        SCOPED_TRACE(static_cast<int>(eKind));
        const uint16_t wPort = wFreePort(eKind);
        ASSERT_NE(0, wPort);
        WSADATA data;
        ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &data));
        for (int iType : {SOCK_STREAM, SOCK_DGRAM})
        {
            if ((iType == SOCK_STREAM && eKind == EPort::Udp) || (iType == SOCK_DGRAM && eKind == EPort::Tcp))
                continue;
            SOCKET s = socket(AF_INET, iType, 0);
            sockaddr_in a = {};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            a.sin_port = htons(wPort);
            EXPECT_EQ(0, bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a)) << "type " << iType;
            closesocket(s);
        }
        WSACleanup();
    }
}

TEST(TestKit, RunAndWaitGivesTheExitCode)
{
    const SRun run = runAndWait("cmd.exe /c exit 3", kWaitBoundMs);
    EXPECT_TRUE(run.boStarted);
    EXPECT_TRUE(run.boEnded);
    EXPECT_EQ(3u, run.dwExitCode);
}

namespace
{
// Counts the WM_APP messages it is sent.
class CCountingWindow : public FdWin::CWindowBase
{
public:
    int iCount = 0;

protected:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_APP)
            ++iCount;
        return lDefault(uMsg, wParam, lParam);
    }
};
} // namespace

TEST(TestKit, RunAndWaitPumpingServesThisThreadWhileItWaits)
{
    ASSERT_TRUE(FdWin::CWindowBase::boRegisterClass(GetModuleHandleA(nullptr), "FdTestKitCounting"));
    CCountingWindow window;
    ASSERT_NE(nullptr, window.hCreate(0, "FdTestKitCounting", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleA(nullptr)));
    ASSERT_TRUE(PostMessageA(window.hWnd(), WM_APP, 0, 0));
    EXPECT_EQ(3u, runAndWait("cmd.exe /c exit 3", kWaitBoundMs).dwExitCode);
    EXPECT_EQ(0, window.iCount);
    const SRun run = runAndWaitPumping("cmd.exe /c exit 4", kWaitBoundMs);
    EXPECT_TRUE(run.boEnded);
    EXPECT_EQ(4u, run.dwExitCode);
    EXPECT_EQ(1, window.iCount);
}

TEST(TestKit, RunAndWaitFailuresAreTheCallersLine)
{
    SRun run;
    int iLine = 0;
    SFailure failure = failureOf(
        [&]
        {
            iLine = __LINE__ + 1;
            run = runAndWait("no-such-program-here.exe", kWaitBoundMs);
        });
    EXPECT_FALSE(run.boStarted);
    EXPECT_EQ(1, failure.iCount);
    EXPECT_EQ(iLine, failure.iLine);
    EXPECT_NE(std::string::npos, failure.strFile.find("TestKit_test.cpp")) << failure.strFile;
    EXPECT_NE(std::string::npos, failure.strMessage.find("cannot start")) << failure.strMessage;

    // A program still running at the bound is ended and reported.
    const std::string strChild =
        "\"" + strSelf() +
        "\" --gtest_also_run_disabled_tests --gtest_filter=TestKitChild.DISABLED_NeverEnds";
    failure = failureOf(
        [&]
        {
            iLine = __LINE__ + 1;
            run = runAndWait(strChild, 100);
        });
    EXPECT_TRUE(run.boStarted);
    EXPECT_FALSE(run.boEnded);
    EXPECT_EQ(1, failure.iCount);
    EXPECT_EQ(iLine, failure.iLine);
    EXPECT_NE(std::string::npos, failure.strMessage.find("still running")) << failure.strMessage;
}

TEST(TestKit, ReadsRegistryValues)
{
    const std::string strPath = "Software\\OrbelleTest\\TestKit" + std::to_string(GetCurrentProcessId());
    {
        FdWin::CRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.lCreate(HKEY_CURRENT_USER, strPath.c_str(), KEY_ALL_ACCESS));
        ASSERT_EQ(ERROR_SUCCESS, key.lSetString("Text", "\xE9t\xE9"));
        ASSERT_EQ(ERROR_SUCCESS, key.lSetDword("Number", 8999));
    }
    EXPECT_EQ(std::optional<std::string>("\xE9t\xE9"), regText(HKEY_CURRENT_USER, strPath, "Text"));
    EXPECT_EQ(std::optional<DWORD>(8999), regDword(HKEY_CURRENT_USER, strPath, "Number"));
    EXPECT_FALSE(regText(HKEY_CURRENT_USER, strPath, "Number"));
    EXPECT_FALSE(regDword(HKEY_CURRENT_USER, strPath, "Missing"));
    EXPECT_FALSE(regText(HKEY_CURRENT_USER, strPath + "\\Missing", "Text"));
    RegDeleteTreeA(HKEY_CURRENT_USER, strPath.c_str());
}

TEST(TestKit, AScratchFolderGoesWithItsContents)
{
    std::string strPath;
    {
        CScratchFolder scratch;
        CScratchFolder other;
        strPath = scratch.Path();
        ASSERT_FALSE(strPath.empty());
        EXPECT_NE(strPath, other.Path());
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strPath.c_str()));
        ASSERT_TRUE(CreateDirectoryA(scratch.File("sub").c_str(), nullptr));
        HANDLE h = CreateFileA(scratch.File("sub\\file.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_READONLY, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        CloseHandle(h);
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strPath.c_str()));
}

TEST(TestKit, PumpUntilGivesTheConditionOrFalseAtTheBound)
{
    EXPECT_TRUE(boPumpUntil([] { return true; }));
    EXPECT_FALSE(boPumpUntil([] { return false; }, 20));
}

TEST(TestKit, ProcessIdsNamedFindsThisProgramInAnyCaseAndNothingElse)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    name = name.substr(name.find_last_of('\\') + 1);
    const std::vector<DWORD> ids = processIdsNamed(name.c_str());
    EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), GetCurrentProcessId())) << name;
    for (char& c : name)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    const std::vector<DWORD> upper = processIdsNamed(name.c_str());
    EXPECT_NE(upper.end(), std::find(upper.begin(), upper.end(), GetCurrentProcessId())) << name;
    EXPECT_TRUE(processIdsNamed("no-such-program.exe").empty());
}
