#pragma once
// Closing every running browser before files are copied into its folders:
// windows of the browsers' classes, processes by their program names, and
// top-level windows whose small class icon is one of the browser pictures.
// The installer and navpicker.dll link it.
#include "IconMatch.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace FdNavClose
{
// Wait for the process of a window closed for its icon.
constexpr DWORD kIconCloseWaitMs = 4000;

class CBrowserCloser
{
public:
    virtual ~CBrowserCloser() = default;

    // Looks for browser windows and processes and, unless boCheckOnly, closes
    // them: WM_CLOSE to "IEFrame" windows and to "CabinetWClass" windows that
    // show a web view, termination (exit code 1) of "iexplore.exe" and
    // "netscape.exe", WM_CLOSE to windows with a browser's icon followed by a
    // bounded wait for their process. True when anything was found.
    bool boCloseBrowsers(bool boCheckOnly);

protected:
    // The window's small class icon read back as a 24-bit 16 x 16 picture
    // (kIconBytes); false when it has none or it is not 16 x 16.
    virtual bool boReadSmallClassIcon(HWND hWnd, uint8_t* lpBytes);

private:
    bool boCloseByClass(bool boCheckOnly);
    bool boCloseByIcon(bool boCheckOnly);
};

// The five pictures of this module's "ICONS" resources (those of wrong size left out).
std::vector<std::vector<uint8_t>> loadIconTable();

// CBrowserCloser().boCloseBrowsers(boCheckOnly).
bool boCloseBrowsers(bool boCheckOnly);
} // namespace FdNavClose
