// "Ludex.exe dbg launchscript=..." opens the test box with the script in its
// edit control; the box's picture is kept as a build artefact.
#include "BmpFile.h"
#include "Screenshot.h"
#include "SampleClient.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace
{
constexpr int kScriptControl = 216;

struct SFind
{
    DWORD pid;
    HWND hwnd;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lParam)
{
    auto* find = reinterpret_cast<SFind*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[16] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == find->pid && std::string(cls) == "#32770" && IsWindowVisible(hwnd))
    {
        find->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The visible dialog of process pid, waited for a while.
HWND hWaitForDialog(DWORD pid)
{
    const DWORD start = GetTickCount();
    SFind find = {pid, nullptr};
    while (!find.hwnd && GetTickCount() - start < 20000)
    {
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&find));
        if (!find.hwnd)
            WaitForSingleObject(GetCurrentProcess(), 50); // a short pause between looks
    }
    return find.hwnd;
}

// The window as the screen shows it.
FdBrowserHost::SPixels Capture(HWND hwnd)
{
    return FdBrowserHost::captureWindowOnScreen(hwnd);
}

TEST(LudexTestBox, DbgOpensTheBoxWithTheLaunchScript)
{
    const std::string script = "C:\\scripts\\lnch.xml";
    std::string cmd = "\"" + strProgramFolder() + "Ludex.exe\" dbg launchscript=" + script;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    const HWND box = hWaitForDialog(pi.dwProcessId);
    ASSERT_NE(nullptr, box);
    char text[300] = "";
    GetDlgItemTextA(box, kScriptControl, text, sizeof text);
    EXPECT_EQ(script, text);
    SetForegroundWindow(box);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    // The picture: the edit control's white field beside its text, the
    // dialog's face around it.
    const FdBrowserHost::SPixels pixels = Capture(box);
    const char* artefact = std::getenv("FD_LUDEX_SCREENSHOT");
    if (artefact && !pixels.bgrx.empty())
    {
        const std::vector<uint8_t> bytes = FdBrowserHost::bmpEncode(pixels);
        std::ofstream(std::string("Z:") + artefact, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    RECT boxRect = {}, edit = {};
    GetWindowRect(box, &boxRect);
    GetWindowRect(GetDlgItem(box, kScriptControl), &edit);
    auto at = [&](LONG x, LONG y)
    {
        return FdBrowserHost::dwPixel(pixels, static_cast<uint32_t>(x - boxRect.left),
                                      static_cast<uint32_t>(y - boxRect.top));
    };
    auto rgb = [](COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); };
    EXPECT_EQ(rgb(GetSysColor(COLOR_WINDOW)), at(edit.right - 6, (edit.top + edit.bottom) / 2));
    EXPECT_EQ(rgb(GetSysColor(COLOR_BTNFACE)), at((boxRect.left + boxRect.right) / 2, boxRect.bottom - 6));

    // Cancel ends the box and the program.
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}
} // namespace
