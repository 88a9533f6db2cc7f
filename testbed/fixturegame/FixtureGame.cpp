// FixtureGame.exe: a stand-in for a game, for the launch tests and the demo. It
// shows one window titled "Fixture Game" and ends when the window is closed, or
// by itself after the milliseconds given by "--ms N" (without it, or with 0,
// it runs until closed). Exit code 0.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace
{
const char kClassName[] = "FdFixtureGame";
const UINT_PTR kEndTimer = 1;

// The number after "--ms" on the command line; 0 when absent.
UINT MsOfCommandLine(const char* commandLine)
{
    const char* option = commandLine ? std::strstr(commandLine, "--ms") : nullptr;
    if (!option)
        return 0;
    const unsigned long ms = std::strtoul(option + 4, nullptr, 10);
    return ms > 0x7FFFFFFFul ? 0x7FFFFFFFu : static_cast<UINT>(ms);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_TIMER:
        if (wParam == kEndTimer)
        {
            KillTimer(hwnd, kEndTimer);
            DestroyWindow(hwnd);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND hwnd = CreateWindowA(kClassName, "Fixture Game", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              320, 200, nullptr, nullptr, instance, nullptr);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, show);
    const UINT ms = MsOfCommandLine(commandLine);
    if (ms > 0)
        SetTimer(hwnd, kEndTimer, ms, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
