// "Ludex.exe dbg launchscript=..." opens the test box with the script in its
// edit control; the box's picture is kept as a build artefact. Its dump button
// writes the local game list to a file and to the console.
#include "BmpFile.h"
#include "GameDefinitions.h"
#include "LocalGameData.h"
#include "Screenshot.h"
#include "SampleClient.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
constexpr int kScriptControl = 216;
constexpr int kDumpButton = 203;

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

using FdTestKit::strReadFile;

// The console's text mode writes each line end as CR LF.
std::string ConsoleText(const std::string& path)
{
    std::string text;
    for (char c : strReadFile(path))
        if (c != '\r')
            text += c;
    return text;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The dump writes the games of this machine into a new file only, and shows
// them on the console each time between its two lines.
TEST(LudexTestBox, TheDumpWritesTheLocalGameList)
{
    ASSERT_TRUE(SaveLocalGameList(*ParseGameDefinitions(
        "<game xmlns=\"g.def\" gid=\"dumped\" technoid=\"cmdline\"><gname>Dumped</gname>"
        "<version vnbr=\"3\" vid=\"d3\"/></game>",
        kGameDefNamespace)));
    FdTestKit::CScratchFolder scratch;
    const std::string dump = scratch.File("glreg.htm");
    const std::string outPath = scratch.File("console.txt");
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, out);
    SetEnvironmentVariableA("FD_LUDEX_DUMP", dump.c_str());
    std::string cmd = "\"" + strProgramFolder() + "Ludex.exe\" dbg";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    const BOOL started =
        CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(out);
    SetEnvironmentVariableA("FD_LUDEX_DUMP", nullptr);
    ASSERT_TRUE(started);
    const HWND box = hWaitForDialog(pi.dwProcessId);
    ASSERT_NE(nullptr, box);

    const std::string opening = "[[====== Local Game List Dump (" + dump + ")======]]\n\n";
    const std::string closing = "[[=======================================================]]\n\n";
    auto dumped = [&](size_t times)
    { return FdTestKit::boPumpUntil([&] { return Count(ConsoleText(outPath), closing) >= times; }, 20000); };
    // A new file: written with the list.
    PostMessageA(box, WM_COMMAND, kDumpButton, 0);
    EXPECT_TRUE(dumped(1));
    const std::string written = strReadFile(dump);
    EXPECT_NE(std::string::npos, written.find("gid=\"dumped\"")) << written;
    EXPECT_NE(std::string::npos, written.find("vid=\"d3\"")) << written;
    EXPECT_EQ(opening + written + closing, ConsoleText(outPath));

    // An existing file stays as it is; the console shows the list again.
    std::ofstream(dump, std::ios::binary | std::ios::trunc) << "kept";
    PostMessageA(box, WM_COMMAND, kDumpButton, 0);
    EXPECT_TRUE(dumped(2));
    EXPECT_EQ("kept", strReadFile(dump));
    EXPECT_EQ(2u, Count(ConsoleText(outPath), opening + written + closing));

    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Zelto\\Ludex\\localdata");
}
} // namespace
