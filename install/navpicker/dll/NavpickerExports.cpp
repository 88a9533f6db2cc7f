// navpicker.dll's exports: choosing the browsers, handing back their folders,
// closing them, a file's date, a version code and the check report. All the
// state is the process's and every call runs on its caller's thread.
#include "BrowserDetect.h"
#include "BrowserCloser.h"
#include "BrowserList.h"
#include "CheckZelto.h"
#include "ChooserDlg.h"
#include "FdUi.h"
#include "InstallTexts.h"
#include "NavTexts.h"
#include "NavpickerRes.h"
#include "VersionText.h"
#include "WinHandle.h"

#include <windows.h>

#include <cstring>
#include <string>

using namespace FdNav;

namespace
{
constexpr int kColumnFirstWidth = 90;
constexpr int kColumnSecondWidth = 250;

struct SState
{
    CBrowserList browsers;
    CSelection selection;
    CChooserDlg dialog;
};

SState& state()
{
    static SState s;
    return s;
}

HINSTANCE hThisModule()
{
    HMODULE hModule = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<const char*>(&hThisModule), &hModule);
    return hModule;
}

// The dialog's texts in the caller's language, the browser list, preselection
// on; the selection starts empty.
void vPrepare(const char* lpszLanguage)
{
    SState& s = state();
    const bool boEn = boEnglish(lpszLanguage);
    s.dialog.vSetTexts(lpszText(boEn, kTextTitle), lpszText(boEn, kTextMessage), lpszText(boEn, kTextAdd),
                       lpszText(boEn, kTextRemove), lpszText(boEn, kTextQuit), lpszText(boEn, kTextOk));
    s.dialog.vSetColumns(lpszText(boEn, kTextColumnBrowser), kColumnFirstWidth,
                         lpszText(boEn, kTextColumnPath), kColumnSecondWidth);
    s.dialog.vSetPreselect(true);
    s.selection.vClear();
}

int iShowChooser()
{
    SState& s = state();
    const INT_PTR iEnd = s.dialog.iRun(hThisModule(), GetActiveWindow(), s.browsers, s.selection);
    if (iEnd != IDOK)
        return 0;
    s.selection.vSetCount(s.selection.ulItems());
    return s.selection.ulCount() > 0 ? 1 : 0;
}
} // namespace

extern "C" int __stdcall NavChooseBrowsers(const char* lpszLanguage)
{
    vPrepare(lpszLanguage);
    return iShowChooser();
}

extern "C" int __stdcall NavChooseBrowsersOnlyIfAutoFailed(const char* lpszLanguage)
{
    vPrepare(lpszLanguage);
    SState& s = state();
    vDetectBrowsers(s.browsers, true);
    for (const SBrowserRecord& record : s.browsers.records())
    {
        if (record.boDetected)
            s.selection.vAppend(record.lType, strFolderOf(record.strPath));
    }
    if (s.selection.ulItems() == 0)
        return iShowChooser();
    s.selection.vSetCount(s.selection.ulItems());
    return 1;
}

extern "C" int __stdcall NavGetNumBrowsersSelected()
{
    return static_cast<int>(state().selection.ulCount());
}

extern "C" void __stdcall NavEnumBrowserReset()
{
    state().selection.vReset();
}

extern "C" int __stdcall NavGetNextBrowser(char* lpszPath, int iPathSize, char* lpszType)
{
    return state().selection.iNext(lpszPath, iPathSize > 0 ? static_cast<size_t>(iPathSize) : 0, lpszType);
}

extern "C" int __stdcall NavCloseBrowsers(const char* lpszLanguage)
{
    if (!FdNavClose::boCloseBrowsers(true))
        return 1;
    const bool boEn = boEnglish(lpszLanguage);
    if (FdUi::iMessageBox(nullptr, lpszText(boEn, kTextCloseMessage), lpszText(boEn, kTextCloseCaption),
                          MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return 0;
    FdNavClose::boCloseBrowsers(false);
    return 1;
}

extern "C" int __stdcall NavSetModifiedDate(const char* lpszFile, const char* lpszDate)
{
    if (!lpszDate || !lpszFile)
        return -1;
    // The caller's text stays as it is, constant or not.
    const FdInstall::FileTime ft = FdInstall::ftParseDateText(std::string(lpszDate));
    if (ft == 0)
        return -1;
    FdWin::CHandle file(CreateFileA(lpszFile, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
        return -2;
    FILETIME lastWrite;
    lastWrite.dwLowDateTime = static_cast<DWORD>(ft & 0xFFFFFFFFu);
    lastWrite.dwHighDateTime = static_cast<DWORD>(ft >> 32);
    SetFileTime(file.get(), nullptr, nullptr, &lastWrite);
    return 0;
}

extern "C" int __stdcall NavTransformVersion(char* lpszOut, int iOutSize, const char* lpszVersion)
{
    vNormaliseVersion(lpszOut, iOutSize > 0 ? static_cast<size_t>(iOutSize) : 0, lpszVersion,
                      kVersionModeCode);
    return 1;
}

extern "C" int __stdcall NavCheckZelto(const char* lpszUnused, const char* lpszRegistryKey,
                                       const char* lpszFolder, const char* lpszLogPath,
                                       const char* lpszRecipient, const char* lpszSubject,
                                       const char* lpszLanguage)
{
    SCheckArgs args;
    args.lpszUnused = lpszUnused;
    args.lpszRegistryKey = lpszRegistryKey;
    args.lpszFolder = lpszFolder;
    args.lpszLogPath = lpszLogPath;
    args.lpszRecipient = lpszRecipient;
    args.lpszSubject = lpszSubject;
    args.lpszLanguage = lpszLanguage;
    return iCheckZelto(hThisModule(), args);
}
