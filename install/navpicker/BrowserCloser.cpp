#include "BrowserCloser.h"

#include "BrowserIcons.h"
#include "ProcessList.h"
#include "WinHandle.h"

#include <cstring>
#include <memory>

namespace FdNavClose
{
namespace
{
const char kszIeFrame[] = "IEFrame";
const char kszCabinet[] = "CabinetWClass";
const char kszWebView[] = "Shell DocObject View";
const char* const kaszBrowserPrograms[] = {"iexplore.exe", "netscape.exe"};

struct SGdiDelete
{
    void operator()(HBITMAP h) const { DeleteObject(h); }
};
using TBitmap = std::unique_ptr<std::remove_pointer<HBITMAP>::type, SGdiDelete>;

bool boClassIs(HWND hWnd, const char* lpszClass)
{
    char sz[64] = "";
    return GetClassNameA(hWnd, sz, sizeof sz) > 0 && std::strcmp(sz, lpszClass) == 0;
}

BOOL CALLBACK boFindWebView(HWND hChild, LPARAM lParam)
{
    if (!boClassIs(hChild, kszWebView))
        return TRUE;
    *reinterpret_cast<bool*>(lParam) = true;
    return FALSE;
}

bool boHasWebView(HWND hWnd)
{
    bool boFound = false;
    EnumChildWindows(hWnd, boFindWebView, reinterpret_cast<LPARAM>(&boFound));
    return boFound;
}

BOOL CALLBACK boCollect(HWND hWnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

// The top-level windows as they are now: closing one changes the list.
std::vector<HWND> topLevelWindows()
{
    std::vector<HWND> windows;
    EnumWindows(boCollect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HMODULE hThisModule()
{
    HMODULE hModule = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<const char*>(&hThisModule), &hModule);
    return hModule;
}
} // namespace

std::vector<std::vector<uint8_t>> loadIconTable()
{
    std::vector<std::vector<uint8_t>> table;
    const HMODULE hModule = hThisModule();
    for (const char* lpszName : kaszIconNames)
    {
        HRSRC hInfo = FindResourceA(hModule, lpszName, kszIconType);
        if (!hInfo || SizeofResource(hModule, hInfo) != kIconBytes)
            continue;
        HGLOBAL hData = LoadResource(hModule, hInfo);
        const auto* lpBytes = static_cast<const uint8_t*>(hData ? LockResource(hData) : nullptr);
        if (lpBytes)
            table.emplace_back(lpBytes, lpBytes + kIconBytes);
    }
    return table;
}

bool CBrowserCloser::boReadSmallClassIcon(HWND hWnd, uint8_t* lpBytes)
{
    const HICON hIcon = reinterpret_cast<HICON>(GetClassLongPtrA(hWnd, GCLP_HICONSM));
    ICONINFO info;
    std::memset(&info, 0, sizeof info);
    if (!hIcon || !GetIconInfo(hIcon, &info))
        return false;
    // GetIconInfo hands out copies of both bitmaps.
    const TBitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap;
    std::memset(&bitmap, 0, sizeof bitmap);
    if (!color || !GetObjectA(color.get(), sizeof bitmap, &bitmap) || bitmap.bmWidth != kIconSide ||
        bitmap.bmHeight != kIconSide)
        return false;
    BITMAPINFO format;
    std::memset(&format, 0, sizeof format);
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = kIconSide;
    format.bmiHeader.biHeight = kIconSide; // bottom row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    const HDC hDisplay = GetDC(nullptr);
    if (!hDisplay)
        return false;
    const int iRows = GetDIBits(hDisplay, color.get(), 0, kIconSide, lpBytes, &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, hDisplay);
    return iRows == static_cast<int>(kIconSide);
}

bool CBrowserCloser::boCloseByClass(bool boCheckOnly)
{
    bool boFound = false;
    for (HWND hWnd : topLevelWindows())
    {
        const bool boBrowser =
            boClassIs(hWnd, kszIeFrame) || (boClassIs(hWnd, kszCabinet) && boHasWebView(hWnd));
        if (!boBrowser)
            continue;
        boFound = true;
        if (!boCheckOnly)
            PostMessageA(hWnd, WM_CLOSE, 0, 0);
    }
    return boFound;
}

bool CBrowserCloser::boCloseByIcon(bool boCheckOnly)
{
    const std::vector<std::vector<uint8_t>> table = loadIconTable();
    if (table.empty())
        return false;
    bool boFound = false;
    const DWORD dwSelf = GetCurrentProcessId();
    for (HWND hWnd : topLevelWindows())
    {
        uint8_t aIcon[kIconBytes];
        if (!IsWindow(hWnd) || !boReadSmallClassIcon(hWnd, aIcon))
            continue;
        bool boMatch = false;
        for (const std::vector<uint8_t>& picture : table)
            boMatch = boMatch || boIconMatches(aIcon, picture.data());
        if (!boMatch)
            continue;
        boFound = true;
        if (boCheckOnly)
            continue;
        DWORD dwProcess = 0;
        GetWindowThreadProcessId(hWnd, &dwProcess);
        // The calling process cannot end while it waits for itself: its own
        // windows are only told to close.
        FdWin::CHandle process(dwProcess != dwSelf ? OpenProcess(SYNCHRONIZE, FALSE, dwProcess) : nullptr);
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
        if (process.boValid())
            WaitForSingleObject(process.get(), kIconCloseWaitMs);
    }
    return boFound;
}

bool CBrowserCloser::boCloseBrowsers(bool boCheckOnly)
{
    bool boFound = boCloseByClass(boCheckOnly);
    // Every running browser program, ended with a pause after each.
    boFound = boKillProcessesByName(kaszBrowserPrograms, 2, true, boCheckOnly) || boFound;
    boFound = boCloseByIcon(boCheckOnly) || boFound;
    return boFound;
}

bool boCloseBrowsers(bool boCheckOnly)
{
    CBrowserCloser closer;
    return closer.boCloseBrowsers(boCheckOnly);
}
} // namespace FdNavClose
