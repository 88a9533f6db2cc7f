#pragma once
// The shell's folder browser, behind a replaceable function: it is a modal
// dialog, which tests on a headless machine must script.
#include <windows.h>

#include <string>

namespace FolderBrowser
{

constexpr UINT kFlags = 0x50;       // edit box, new dialog style
constexpr UINT kFolderFlags = 0x51; // the same, file-system folders only

enum class EResult
{
    Chosen,      // *lpstrPath holds the folder
    Cancelled,   // the user chose nothing
    NoAllocator, // the shell allocator could not be had
    NoPath,      // the chosen item has no file-system path
};

using BrowseFn = EResult (*)(HWND hwndOwner, const char* lpszTitle, UINT uFlags, std::string* lpstrPath);

// Shows the folder browser owned by hwndOwner, with no root.
EResult eBrowse(HWND hwndOwner, const char* lpszTitle, UINT uFlags, std::string* lpstrPath);
// Installs a replacement (null restores the shell's); returns the previous one.
BrowseFn pfnSetHook(BrowseFn pfn);

} // namespace FolderBrowser
