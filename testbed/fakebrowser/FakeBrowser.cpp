// A stand-in browser for the tests and the demo: a top-level window of a given
// class (optionally with a web-view child and a small class icon made from a
// browser picture), which records in its log file how it started, the icon
// it shows, that it was asked to close, and its end.
//
//   FakeBrowser.exe [--log PATH] [--class NAME] [--view] [--icon NAME]
//                   [--shift N] [--shift-one N] [--on-close end|ignore|wait:EVENT]
//                   [--no-window] [ADDRESS]
//
// Log lines "<pid>|<what>": "START <command line>", "URL <address>",
// "ICON <768 bytes in hexadecimal>", "READY", "WM_CLOSE", "EXIT".
// --on-close: end at once (default), ignore the request, or end once the
// named event is set. --no-window records the address and ends.
#include "IconPictures.h"
#include "WindowBase.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr DWORD kCloseWaitMs = 60000;

struct SOptions
{
    std::string strLog, strClass = "FakeBrowserFrame", strIcon, strOnClose = "end", strAddress;
    bool boView = false, boNoWindow = false;
    int iShift = 0, iShiftOne = 0;
};

SOptions g_options;

void vLog(const std::string& strText)
{
    if (g_options.strLog.empty())
        return;
    HANDLE h = CreateFileA(g_options.strLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    const std::string strLine = std::to_string(GetCurrentProcessId()) + "|" + strText + "\r\n";
    DWORD dw = 0;
    WriteFile(h, strLine.data(), static_cast<DWORD>(strLine.size()), &dw, nullptr);
    CloseHandle(h);
}

SOptions optionsOf(int argc, char** argv)
{
    SOptions o;
    for (int i = 1; i < argc; ++i)
    {
        const std::string a = argv[i];
        const bool boValue = i + 1 < argc;
        if (a == "--log" && boValue)
            o.strLog = argv[++i];
        else if (a == "--class" && boValue)
            o.strClass = argv[++i];
        else if (a == "--icon" && boValue)
            o.strIcon = argv[++i];
        else if (a == "--shift" && boValue)
            o.iShift = std::atoi(argv[++i]);
        else if (a == "--shift-one" && boValue)
            o.iShiftOne = std::atoi(argv[++i]);
        else if (a == "--on-close" && boValue)
            o.strOnClose = argv[++i];
        else if (a == "--view")
            o.boView = true;
        else if (a == "--no-window")
            o.boNoWindow = true;
        else
            o.strAddress = a;
    }
    return o;
}

class CFrame : public FdWin::CWindowBase
{
protected:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_CLOSE)
        {
            vLog("WM_CLOSE");
            if (g_options.strOnClose == "ignore")
                return 0;
            if (g_options.strOnClose.rfind("wait:", 0) == 0)
            {
                HANDLE hEvent = CreateEventA(nullptr, TRUE, FALSE, g_options.strOnClose.substr(5).c_str());
                if (hEvent)
                {
                    WaitForSingleObject(hEvent, kCloseWaitMs);
                    CloseHandle(hEvent);
                }
            }
            vDestroy();
            return 0;
        }
        if (uMsg == WM_DESTROY)
        {
            PostQuitMessage(0);
            return 0;
        }
        return lDefault(uMsg, wParam, lParam);
    }
};

class CView : public FdWin::CWindowBase
{
protected:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        return lDefault(uMsg, wParam, lParam);
    }
};
} // namespace

int main(int argc, char** argv)
{
    g_options = optionsOf(argc, argv);
    vLog(std::string("START ") + GetCommandLineA());
    if (!g_options.strAddress.empty())
        vLog("URL " + g_options.strAddress);
    if (g_options.boNoWindow)
    {
        vLog("EXIT");
        return 0;
    }
    const HINSTANCE hInstance = GetModuleHandleA(nullptr);
    CFrame frame;
    CView view;
    if (!FdWin::CWindowBase::boRegisterClass(hInstance, g_options.strClass.c_str()) ||
        !frame.hCreate(0, g_options.strClass.c_str(), "Fake browser", WS_OVERLAPPEDWINDOW, 10, 10, 240, 160,
                       nullptr, nullptr, hInstance))
    {
        vLog("NO WINDOW " + std::to_string(GetLastError()));
        return 2;
    }
    if (g_options.boView && (!FdWin::CWindowBase::boRegisterClass(hInstance, "Shell DocObject View") ||
                             !view.hCreate(0, "Shell DocObject View", "", WS_CHILD | WS_VISIBLE, 0, 0, 100,
                                           100, frame.hWnd(), nullptr, hInstance)))
        vLog("NO VIEW " + std::to_string(GetLastError()));
    if (!g_options.strIcon.empty())
    {
        const HICON hIcon = FdNavCloseTest::hMakeIcon(
            FdNavCloseTest::picture(g_options.strIcon, g_options.iShift, g_options.iShiftOne));
        SetClassLongPtrA(frame.hWnd(), GCLP_HICONSM, reinterpret_cast<LONG_PTR>(hIcon));
        uint8_t aBytes[FdNavClose::kIconBytes];
        FdNavCloseTest::CIconReader reader;
        if (hIcon && reader.boRead(frame.hWnd(), aBytes))
            vLog("ICON " + FdNavCloseTest::strHex(aBytes, sizeof aBytes));
        else
            vLog("NO ICON");
    }
    ShowWindow(frame.hWnd(), SW_SHOWNOACTIVATE);
    vLog("READY");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    vLog("EXIT");
    return 0;
}
