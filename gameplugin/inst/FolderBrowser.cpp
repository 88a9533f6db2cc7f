#include "FolderBrowser.h"

#include <shlobj.h>

#include <atomic>
#include <cstring>

namespace FolderBrowser
{
namespace
{
std::atomic<BrowseFn> g_hook{nullptr};

EResult eShellBrowse(HWND hwndOwner, const char* lpszTitle, UINT uFlags, std::string* lpstrPath)
{
    IMalloc* lpMalloc = nullptr;
    if (FAILED(SHGetMalloc(&lpMalloc)) || !lpMalloc)
        return EResult::NoAllocator;
    char szDisplay[MAX_PATH] = "";
    BROWSEINFOA info;
    std::memset(&info, 0, sizeof info);
    info.hwndOwner = hwndOwner;
    info.pszDisplayName = szDisplay;
    info.lpszTitle = lpszTitle;
    info.ulFlags = uFlags;
    LPITEMIDLIST lpItems = SHBrowseForFolderA(&info);
    EResult eResult = EResult::Cancelled;
    if (lpItems)
    {
        char szPath[MAX_PATH] = "";
        if (SHGetPathFromIDListA(lpItems, szPath))
        {
            *lpstrPath = szPath;
            eResult = EResult::Chosen;
        }
        else
            eResult = EResult::NoPath;
        lpMalloc->Free(lpItems);
    }
    lpMalloc->Release();
    return eResult;
}
} // namespace

EResult eBrowse(HWND hwndOwner, const char* lpszTitle, UINT uFlags, std::string* lpstrPath)
{
    lpstrPath->clear();
    BrowseFn pfn = g_hook.load();
    return pfn ? pfn(hwndOwner, lpszTitle, uFlags, lpstrPath)
               : eShellBrowse(hwndOwner, lpszTitle, uFlags, lpstrPath);
}

BrowseFn pfnSetHook(BrowseFn pfn)
{
    return g_hook.exchange(pfn);
}

} // namespace FolderBrowser
