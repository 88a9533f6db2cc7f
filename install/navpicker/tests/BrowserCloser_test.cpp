// The closing of the browsers with fake browsers running: windows of the
// browsers' classes, a program named iexplore.exe that ignores WM_CLOSE, and
// windows whose small icons are browser pictures changed by 15 in every byte
// (a browser) or by 16 in one byte (not one).
#include "BrowserCloser.h"
#include "IconPictures.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>

using namespace FdNavClose;
using namespace FdNavCloseTest;

namespace
{
std::string strBin()
{
    const char* p = std::getenv("FD_BIN_DIR");
    std::string s = std::string("Z:") + (p ? p : "");
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s + "\\";
}

using FdTestKit::strReadFile;

// One fake browser: its process and its log.
struct SFake
{
    std::string strLog;
    PROCESS_INFORMATION pi = {};
    ~SFake()
    {
        if (pi.hProcess)
        {
            TerminateProcess(pi.hProcess, 9);
            WaitForSingleObject(pi.hProcess, 5000);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
    }
    std::string strLogText() const { return strReadFile(strLog); }
    bool boLogs(const std::string& strWhat) const
    {
        return strLogText().find("|" + strWhat) != std::string::npos;
    }
    bool boAlive() const { return WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD dwExitCode() const
    {
        DWORD dw = STILL_ACTIVE;
        GetExitCodeProcess(pi.hProcess, &dw);
        return dw;
    }
};

std::unique_ptr<SFake> start(const std::string& strProgram, const std::string& strLog,
                             const std::string& strArgs, FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    auto fake = std::make_unique<SFake>();
    fake->strLog = strLog;
    std::string cmd = "\"" + strProgram + "\" --log \"" + strLog + "\" " + strArgs;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    EXPECT_TRUE(
        CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &fake->pi))
        << cmd;
    EXPECT_TRUE(FdTestKit::boPumpUntil([&] { return fake->boLogs("READY") || !fake->boAlive(); }, 20000))
        << cmd;
    EXPECT_TRUE(fake->boLogs("READY")) << cmd << "\n" << fake->strLogText();
    return fake;
}

// Reads a window's icon as Windows would. Wine keeps icons inside the process
// that made them, so another process's window answers through the picture
// its fake browser logged.
class CTestCloser : public CBrowserCloser
{
public:
    std::map<DWORD, const SFake*> fakes;

protected:
    bool boReadSmallClassIcon(HWND hWnd, uint8_t* lpBytes) override
    {
        if (CBrowserCloser::boReadSmallClassIcon(hWnd, lpBytes))
            return true;
        DWORD dwProcess = 0;
        GetWindowThreadProcessId(hWnd, &dwProcess);
        const auto it = fakes.find(dwProcess);
        if (it == fakes.end())
            return false;
        const std::string strLog = it->second->strLogText();
        const size_t at = strLog.find("|ICON ");
        if (at == std::string::npos)
            return false;
        const std::vector<uint8_t> bytes = bytesOfHex(strLog.substr(at + 6, kIconBytes * 2));
        if (bytes.size() != kIconBytes)
            return false;
        std::copy(bytes.begin(), bytes.end(), lpBytes);
        return true;
    }
};

// A window of this process with a small class icon, which records WM_CLOSE.
class CIconWindow
{
public:
    CIconWindow(const char* lpszClass, const std::vector<uint8_t>& picture)
    {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = lpszClass;
        wc.hIconSm = m_hIcon = hMakeIcon(picture);
        RegisterClassExA(&wc);
        m_hWnd = CreateWindowExA(0, lpszClass, "icon", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CIconWindow()
    {
        DestroyWindow(m_hWnd);
        DestroyIcon(m_hIcon);
    }
    HWND hWnd() const { return m_hWnd; }
    int iCloses = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        auto* p = reinterpret_cast<CIconWindow*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (uMsg == WM_CLOSE && p)
        {
            ++p->iCloses;
            return 0;
        }
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    }
    HWND m_hWnd = nullptr;
    HICON m_hIcon = nullptr;
};
} // namespace

TEST(BrowserCloser, ReadsSmallClassIconsAndMatchesWithinFifteen)
{
    const std::vector<uint8_t> plus15 = picture("IEXPLORE500", 15, 0);
    const std::vector<uint8_t> plus16 = picture("NETSCAPE404", 0, 16);
    ASSERT_EQ(kIconBytes, plus15.size());
    ASSERT_EQ(kIconBytes, plus16.size());
    {
        // The picture comes back byte for byte through the 24-bit display.
        CIconWindow near15("NearIcon", plus15);
        uint8_t aRead[kIconBytes] = {};
        CIconReader reader;
        ASSERT_TRUE(reader.boRead(near15.hWnd(), aRead));
        EXPECT_EQ(strHex(plus15.data(), plus15.size()), strHex(aRead, sizeof aRead));
        EXPECT_TRUE(boCloseBrowsers(true));
        EXPECT_EQ(0, near15.iCloses);
        EXPECT_TRUE(boCloseBrowsers(false));
        FdTestKit::vPumpFor(0);
        EXPECT_EQ(1, near15.iCloses);
    }
    CIconWindow off16("OffIcon", plus16);
    EXPECT_FALSE(boCloseBrowsers(true));
    EXPECT_FALSE(boCloseBrowsers(false));
    FdTestKit::vPumpFor(0);
    EXPECT_EQ(0, off16.iCloses);
}

TEST(BrowserCloser, ChecksThenClosesFakeBrowsers)
{
    FdTestKit::CScratchFolder scratch;
    const std::string strFake = strBin() + "FakeBrowser.exe";
    const std::string strSleeper = scratch.File("iexplore.exe");
    ASSERT_TRUE(CopyFileA(strFake.c_str(), strSleeper.c_str(), FALSE));

    EXPECT_FALSE(boCloseBrowsers(true)) << "nothing runs yet";

    auto ie = start(strFake, scratch.File("ie.log"), "--class IEFrame");
    auto cabView = start(strFake, scratch.File("cabview.log"), "--class CabinetWClass --view");
    auto cabPlain = start(strFake, scratch.File("cabplain.log"), "--class CabinetWClass --on-close ignore");
    auto sleeper = start(strSleeper, scratch.File("sleeper.log"), "--class SleeperFrame --on-close ignore");
    auto icon15 =
        start(strFake, scratch.File("icon15.log"), "--class Icon15Frame --icon IEXPLORE40 --shift 15");
    auto icon16 = start(strFake, scratch.File("icon16.log"),
                        "--class Icon16Frame --icon NETSCAPE304 --shift-one 16 --on-close ignore");
    ASSERT_TRUE(icon15->boLogs("ICON ")) << icon15->strLogText();
    ASSERT_TRUE(icon16->boLogs("ICON ")) << icon16->strLogText();
    SFake* all[] = {ie.get(), cabView.get(), cabPlain.get(), sleeper.get(), icon15.get(), icon16.get()};

    CTestCloser closer;
    for (SFake* f : all)
        closer.fakes[f->pi.dwProcessId] = f;

    // Checking only finds them and changes nothing.
    EXPECT_TRUE(closer.boCloseBrowsers(true));
    for (SFake* f : all)
    {
        EXPECT_FALSE(f->boLogs("WM_CLOSE")) << f->strLog;
        EXPECT_TRUE(f->boAlive()) << f->strLog;
    }

    EXPECT_TRUE(closer.boCloseBrowsers(false));
    // The +15 window was closed and its process awaited before the call returned.
    EXPECT_TRUE(icon15->boLogs("WM_CLOSE"));
    EXPECT_FALSE(icon15->boAlive());
    // The sleeper was ended by its name, with exit code 1.
    EXPECT_FALSE(sleeper->boAlive());
    EXPECT_EQ(1u, sleeper->dwExitCode());
    EXPECT_FALSE(sleeper->boLogs("WM_CLOSE"));
    // WM_CLOSE went to the browser frame and the cabinet with a web view only.
    EXPECT_TRUE(FdTestKit::boPumpUntil([&] { return !ie->boAlive() && !cabView->boAlive(); }, 10000));
    EXPECT_TRUE(ie->boLogs("WM_CLOSE"));
    EXPECT_TRUE(cabView->boLogs("WM_CLOSE"));
    EXPECT_FALSE(cabPlain->boLogs("WM_CLOSE"));
    EXPECT_TRUE(cabPlain->boAlive());
    EXPECT_FALSE(icon16->boLogs("WM_CLOSE"));
    EXPECT_TRUE(icon16->boAlive());

    // What is left is no browser: nothing is found, nothing changes.
    EXPECT_FALSE(closer.boCloseBrowsers(true));
    EXPECT_FALSE(closer.boCloseBrowsers(false));
    EXPECT_TRUE(cabPlain->boAlive());
    EXPECT_TRUE(icon16->boAlive());
}
