// navpicker.dll called by its export names, as an outside setup program
// calls it, in a fresh prefix on the test display. The chooser dialog and
// the closing box are shown for real; a thread of the test finds them among
// the main thread's windows, reads them, clicks and ends them. The check
// report is mailed through testbed's fake provider, which records each
// message; what needs a process of its own (no mapi32, a mapi32 without
// MAPIResolveName) runs in NavSetup.exe.
#include "BmpFile.h"
#include "CheckReport.h"
#include "Screenshot.h"
#include "TestKit.h"
#include "WinHandle.h"
#include "WinModule.h"
#include "WinRegKey.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{
using FLanguage = int(__stdcall*)(const char*);
using FCount = int(__stdcall*)();
using FReset = void(__stdcall*)();
using FNext = int(__stdcall*)(char*, int, char*);
using FDate = int(__stdcall*)(const char*, const char*);
using FVersion = int(__stdcall*)(char*, int, const char*);
using FCheck = int(__stdcall*)(const char*, const char*, const char*, const char*, const char*, const char*,
                               const char*);

constexpr DWORD kFindBoundMs = 10000;
const char kszFallback[] = "C:\\ZELTOCheck.txt";

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

void vWrite(const std::string& strPath, const std::string& strText)
{
    std::ofstream(strPath, std::ios::binary) << strText;
}

bool boEndsWith(const std::string& s, const std::string& strEnd)
{
    return s.size() >= strEnd.size() && s.compare(s.size() - strEnd.size(), strEnd.size(), strEnd) == 0;
}

// The library and its exports, taken by name.
struct SNavpicker
{
    FdWin::CModule dll;
    FLanguage choose = nullptr, chooseAuto = nullptr, close = nullptr;
    FCount count = nullptr;
    FReset reset = nullptr;
    FNext next = nullptr;
    FDate date = nullptr;
    FVersion version = nullptr;
    FCheck check = nullptr;

    SNavpicker()
    {
        dll.dwLoad((strBin() + "navpicker.dll").c_str());
        choose = dll.pfn<FLanguage>("_ChooseBrowsers@4");
        chooseAuto = dll.pfn<FLanguage>("_ChooseBrowsersOnlyIfAutoFailed@4");
        close = dll.pfn<FLanguage>("_CloseBrowsers@4");
        count = dll.pfn<FCount>("_GetNumBrowsersSelected@0");
        reset = dll.pfn<FReset>("_EnumBrowser_Reset@0");
        next = dll.pfn<FNext>("_GetNextBrowser@12");
        date = dll.pfn<FDate>("_SetModifiedDate@8");
        version = dll.pfn<FVersion>("_TransformVersion@12");
        check = dll.pfn<FCheck>("_CheckZelto@28");
    }
    bool boComplete() const
    {
        return choose && chooseAuto && close && count && reset && next && date && version && check;
    }
    // Every folder of the selection, "<type>|<folder>", read as a caller does.
    std::vector<std::string> selection() const
    {
        std::vector<std::string> items;
        reset();
        const int n = count();
        for (int i = 0; i < n; ++i)
        {
            char szPath[MAX_PATH] = "";
            char szType[2] = "";
            next(szPath, sizeof szPath, szType);
            items.push_back(std::string(szType) + "|" + szPath);
        }
        return items;
    }
};

SNavpicker& navpicker()
{
    static SNavpicker n;
    return n;
}

// A text value of HKEY_LOCAL_MACHINE; a failure is the caller's.
void vSetString(const std::string& strKey, const char* lpszName, const std::string& strValue,
                FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FdWin::CRegKey key;
    LONG l = key.lCreate(HKEY_LOCAL_MACHINE, strKey.c_str(), KEY_WRITE);
    if (l == ERROR_SUCCESS)
        l = key.lSetString(lpszName, strValue);
    if (l != ERROR_SUCCESS)
        ADD_FAILURE_AT(where.lpszFile, where.iLine) << strKey << ": error " << l;
}

// The browser keys, Wine's own included, are taken away before each test.
void vClearBrowserKeys()
{
    for (const char* lpszKey :
         {"SOFTWARE\\MICROSOFT\\IE SETUP", "SOFTWARE\\MICROSOFT\\IE4", "SOFTWARE\\NETSCAPE"})
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, lpszKey);
}

void vMakeFile(const std::string& strPath)
{
    vWrite(strPath, "MZ");
}

// Two detected browsers: an Internet Explorer and a Netscape Navigator.
struct STwoBrowsers
{
    FdTestKit::CScratchFolder scratch;
    STwoBrowsers()
    {
        vClearBrowserKeys();
        CreateDirectoryA(scratch.File("IE").c_str(), nullptr);
        CreateDirectoryA(scratch.File("nav").c_str(), nullptr);
        CreateDirectoryA(scratch.File("nav\\Program").c_str(), nullptr);
        vMakeFile(scratch.File("IE\\IExplore.exe"));
        vMakeFile(scratch.File("nav\\Program\\Netscape.exe"));
        vSetString("SOFTWARE\\MICROSOFT\\IE SETUP\\SETUP", "PATH", scratch.File("IE"));
        vSetString("SOFTWARE\\NETSCAPE\\NETSCAPE NAVIGATOR", "CURRENTVERSION", "4.79 (en)");
        vSetString("SOFTWARE\\NETSCAPE\\NETSCAPE NAVIGATOR\\4.79 (en)\\MAIN", "INSTALL DIRECTORY",
                   scratch.File("nav"));
    }
    ~STwoBrowsers() { vClearBrowserKeys(); }
};

// The dialogs (and message boxes) the calling thread creates while it lives.
class CCreatedWindows
{
public:
    CCreatedWindows() { s_hHook = SetWindowsHookExA(WH_CBT, HookProc, nullptr, GetCurrentThreadId()); }
    ~CCreatedWindows()
    {
        UnhookWindowsHookEx(s_hHook);
        s_hHook = nullptr;
    }
    static std::vector<std::string> captions;
    static std::vector<std::string> destroyedTexts; // text 201 of a window as it goes

private:
    static LRESULT CALLBACK HookProc(int iCode, WPARAM wParam, LPARAM lParam)
    {
        if (iCode == HCBT_CREATEWND)
        {
            const auto* lpCreate = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
            if (lpCreate && lpCreate->lpcs && boDialogClass(lpCreate->lpcs->lpszClass))
                captions.push_back(lpCreate->lpcs->lpszName && !IS_INTRESOURCE(lpCreate->lpcs->lpszName)
                                       ? lpCreate->lpcs->lpszName
                                       : "");
        }
        else if (iCode == HCBT_DESTROYWND)
        {
            char sz[128] = "";
            if (GetDlgItemTextA(reinterpret_cast<HWND>(wParam), 201, sz, sizeof sz) > 0)
                destroyedTexts.push_back(sz);
        }
        return CallNextHookEx(s_hHook, iCode, wParam, lParam);
    }
    static bool boDialogClass(const char* lpszClass)
    {
        if (IS_INTRESOURCE(lpszClass))
            return LOWORD(reinterpret_cast<ULONG_PTR>(lpszClass)) == 32770;
        return std::strcmp(lpszClass, "#32770") == 0;
    }
    static HHOOK s_hHook;
};
HHOOK CCreatedWindows::s_hHook = nullptr;
std::vector<std::string> CCreatedWindows::captions;
std::vector<std::string> CCreatedWindows::destroyedTexts;

std::string strWindowText(HWND hWnd)
{
    char sz[512] = "";
    GetWindowTextA(hWnd, sz, sizeof sz);
    return sz;
}

struct SFind
{
    std::string strCaption;
    HWND hFound = nullptr;
};

BOOL CALLBACK boFindDialog(HWND hWnd, LPARAM lParam)
{
    auto* lpFind = reinterpret_cast<SFind*>(lParam);
    char szClass[32] = "";
    GetClassNameA(hWnd, szClass, sizeof szClass);
    if (std::strcmp(szClass, "#32770") != 0 || !IsWindowVisible(hWnd) ||
        strWindowText(hWnd) != lpFind->strCaption)
        return TRUE;
    lpFind->hFound = hWnd;
    return FALSE;
}

// A visible dialog of that thread with that caption, looked for up to the bound.
HWND hWaitDialog(DWORD dwThread, const std::string& strCaption)
{
    SFind find;
    find.strCaption = strCaption;
    FdTestKit::boWaitUntil(
        [&]
        {
            EnumThreadWindows(dwThread, boFindDialog, reinterpret_cast<LPARAM>(&find));
            return find.hFound != nullptr;
        },
        kFindBoundMs);
    return find.hFound;
}

// Runs `call` on this thread while `drive` runs on a thread of its own with
// this thread's id; the driver's findings are read after both have ended.
int iDriven(const std::function<int()>& call, const std::function<void(DWORD)>& drive)
{
    const DWORD dwThread = GetCurrentThreadId();
    std::thread driver([&] { drive(dwThread); });
    const int iResult = call();
    driver.join();
    return iResult;
}

void vPress(HWND hDialog, int iButton)
{
    PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(iButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hDialog, iButton)));
}

std::string strListText(HWND hList, int iRow, int iColumn)
{
    char sz[MAX_PATH] = "";
    LVITEMA item = {};
    item.iSubItem = iColumn;
    item.pszText = sz;
    item.cchTextMax = sizeof sz;
    SendMessageA(hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&item));
    return sz;
}

std::string strColumnText(HWND hList, int iColumn)
{
    char sz[128] = "";
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT;
    column.pszText = sz;
    column.cchTextMax = sizeof sz;
    SendMessageA(hList, LVM_GETCOLUMNA, static_cast<WPARAM>(iColumn), reinterpret_cast<LPARAM>(&column));
    return sz;
}

bool boRowSelected(HWND hList, int iRow)
{
    return (SendMessageA(hList, LVM_GETITEMSTATE, static_cast<WPARAM>(iRow), LVIS_SELECTED) &
            LVIS_SELECTED) != 0;
}

// What the driver saw of the chooser dialog.
struct SDialogSeen
{
    bool boFound = false;
    std::string strMessage, strOk, strCancel, strColumn0, strColumn1;
    int iWidth0 = 0, iWidth1 = 0;
    bool boAddVisible = true, boRemoveVisible = true, boSystemMenu = true;
    std::vector<std::string> rows; // "<type name>|<path>|<selected>"
    bool boClickHandled = false;
    bool boAllSelectedAfterClick = false;
    int iHighlightedRowPixels = 0, iRowPixels = 0;
    int iHighlightedFreePixels = 0;
};

void vSeeDialog(HWND hDialog, SDialogSeen& seen, bool boClickAndShoot)
{
    seen.boFound = true;
    const HWND hList = GetDlgItem(hDialog, 203);
    seen.strMessage = strWindowText(GetDlgItem(hDialog, 202));
    seen.strOk = strWindowText(GetDlgItem(hDialog, IDOK));
    seen.strCancel = strWindowText(GetDlgItem(hDialog, IDCANCEL));
    seen.boAddVisible = IsWindowVisible(GetDlgItem(hDialog, 3)) != FALSE;
    seen.boRemoveVisible = IsWindowVisible(GetDlgItem(hDialog, 4)) != FALSE;
    seen.boSystemMenu = (GetWindowLongPtrA(hDialog, GWL_STYLE) & WS_SYSMENU) != 0;
    seen.strColumn0 = strColumnText(hList, 0);
    seen.strColumn1 = strColumnText(hList, 1);
    seen.iWidth0 = static_cast<int>(SendMessageA(hList, LVM_GETCOLUMNWIDTH, 0, 0));
    seen.iWidth1 = static_cast<int>(SendMessageA(hList, LVM_GETCOLUMNWIDTH, 1, 0));
    const int iRows = static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < iRows; ++i)
        seen.rows.push_back(strListText(hList, i, 0) + "|" + strListText(hList, i, 1) + "|" +
                            (boRowSelected(hList, i) ? "selected" : "not selected"));
    if (!boClickAndShoot || iRows < 2)
        return;

    // The picture: the detected rows selected in the highlight colour (the
    // list has the focus), the list's free space below them in the window colour.
    SetForegroundWindow(hDialog);
    RedrawWindow(hDialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SendMessageA(hList, WM_NULL, 0, 0);
    RECT rcDialog = {};
    GetWindowRect(hDialog, &rcDialog);
    const FdBrowserHost::SPixels pixels = FdBrowserHost::captureWindowOnScreen(hDialog);
    if (const char* lpszDir = std::getenv("FD_NAVPICKER_ARTEFACTS"))
    {
        const std::vector<uint8_t> bytes = FdBrowserHost::bmpEncode(pixels);
        std::ofstream(std::string("Z:") + lpszDir + "/navpicker-chooser.bmp", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    auto rgb = [](COLORREF c) -> uint32_t
    { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); };
    const uint32_t dwHighlight = rgb(GetSysColor(COLOR_HIGHLIGHT));
    const uint32_t dwWindow = rgb(GetSysColor(COLOR_WINDOW));
    POINT ptList = {0, 0};
    ClientToScreen(hList, &ptList);
    const int x0 = ptList.x - rcDialog.left, y0 = ptList.y - rcDialog.top;
    auto at = [&](int x, int y)
    { return FdBrowserHost::dwPixel(pixels, static_cast<uint32_t>(x0 + x), static_cast<uint32_t>(y0 + y)); };
    RECT rcLast = {};
    for (int iRow = 0; iRow < iRows; ++iRow)
    {
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        SendMessageA(hList, LVM_GETITEMRECT, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&rc));
        rcLast = rc;
        for (int y = rc.top + 1; y < rc.bottom - 1; ++y)
            for (int x = rc.left + 2; x < rc.left + 80; ++x)
            {
                ++seen.iRowPixels;
                seen.iHighlightedRowPixels += at(x, y) == dwHighlight ? 1 : 0;
            }
    }
    RECT rcClient = {};
    GetClientRect(hList, &rcClient);
    for (int y = rcLast.bottom + 4; y < rcClient.bottom - 2; y += 3)
        for (int x = 4; x < rcClient.right - 4; x += 7)
            seen.iHighlightedFreePixels += at(x, y) != dwWindow ? 1 : 0;

    // A plain click on the first row, as the mouse gives it, which would
    // leave the second row unselected; then a marker the list handles after
    // the click: the focus moved to the second row.
    RECT rcRow = {};
    rcRow.left = LVIR_BOUNDS;
    SendMessageA(hList, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rcRow));
    const LPARAM lPoint = MAKELPARAM(rcRow.left + 20, (rcRow.top + rcRow.bottom) / 2);
    PostMessageA(hList, WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
    PostMessageA(hList, WM_LBUTTONUP, 0, lPoint);
    static LVITEMA focus;
    std::memset(&focus, 0, sizeof focus);
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    PostMessageA(hList, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&focus));
    seen.boClickHandled = FdTestKit::boPumpUntil(
        [&] { return SendMessageA(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) == 1; });
    seen.boAllSelectedAfterClick = true;
    for (int i = 0; i < iRows; ++i)
        seen.boAllSelectedAfterClick = seen.boAllSelectedAfterClick && boRowSelected(hList, i);
}

bool boControlHeld()
{
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

class NavpickerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(navpicker().boComplete()) << "an export is missing"; }
    SNavpicker& n = navpicker();
};
} // namespace

TEST_F(NavpickerTest, StaysLoadedAndRegistersItsEmptyTypeLibrary)
{
    const std::string strPath = strBin() + "navpicker.dll";
    // Freed more often than loaded, the library stays: it pinned itself.
    HMODULE hAgain = LoadLibraryA(strPath.c_str());
    ASSERT_EQ(n.dll.get(), hAgain);
    for (int i = 0; i < 4; ++i)
        FreeLibrary(hAgain);
    EXPECT_EQ(n.dll.get(), GetModuleHandleA(strPath.c_str()));

    using FServer = HRESULT(__stdcall*)();
    EXPECT_EQ(S_FALSE, n.dll.pfn<FServer>("DllCanUnloadNow")());
    ASSERT_EQ(S_OK, n.dll.pfn<FServer>("DllRegisterServer")());
    const char kszLibrary[] = "TypeLib\\{5C0E7A3D-91B4-4F62-8D1E-2A6B3F9C4E17}\\1.0";
    EXPECT_EQ("Navpicker 1.0 Type Library",
              FdTestKit::regText(HKEY_CLASSES_ROOT, kszLibrary, nullptr).value_or(""));
    using FClassObject = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
    void* pv = nullptr;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              n.dll.pfn<FClassObject>("DllGetClassObject")(IID_IUnknown, IID_IClassFactory, &pv));
    EXPECT_EQ(S_OK, n.dll.pfn<FServer>("DllUnregisterServer")());
    EXPECT_FALSE(FdTestKit::regText(HKEY_CLASSES_ROOT, kszLibrary, nullptr).has_value());
}

TEST_F(NavpickerTest, TransformVersionGivesEightDigits)
{
    const std::string strLong(300, '7');
    const struct
    {
        const char* lpszIn;
        int iSize;
        const char* lpszOut;
    } cases[] = {
        {"1234", 32, "01020034"},
        {"5.00.2920.0000", 32, "05009900"},
        {"12345678", 32, "12345678"},
        {"4, 7, 1", 32, "04070100"},
        {strLong.c_str(), 32, "99000000"},
        {strLong.c_str(), 5, "9900"},
        {"1234", 1, ""},
    };
    for (const auto& c : cases)
    {
        char szOut[32];
        std::memset(szOut, '#', sizeof szOut);
        EXPECT_EQ(1, n.version(szOut, c.iSize, c.lpszIn)) << c.lpszIn;
        EXPECT_STREQ(c.lpszOut, szOut) << std::string(c.lpszIn).substr(0, 20) << " size " << c.iSize;
        EXPECT_EQ('#', szOut[c.iSize < 31 ? c.iSize : 31]) << "written past the size";
    }
}

TEST_F(NavpickerTest, SetModifiedDateSetsTheLastWriteTime)
{
    FdTestKit::CScratchFolder scratch;
    const std::string strFile = scratch.File("dated.txt");
    vWrite(strFile, "x");
    // Only the last-write time is read back: Wine keeps no creation time of
    // its own, it answers one derived from the others.
    auto lastWriteTime = [&](FILETIME& lastWrite)
    {
        FdWin::CHandle file(
            CreateFileA(strFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        GetFileTime(file.get(), nullptr, nullptr, &lastWrite);
    };
    auto systemTime = [](const FILETIME& ft)
    {
        SYSTEMTIME st = {};
        FileTimeToSystemTime(&ft, &st);
        char sz[32];
        std::snprintf(sz, sizeof sz, "%02d/%02d/%04d %02d:%02d:%02d", st.wDay, st.wMonth, st.wYear, st.wHour,
                      st.wMinute, st.wSecond);
        return std::string(sz);
    };
    const struct
    {
        const char* lpszDate; // literal texts: the library must not write into them
        int iResult;
        const char* lpszSet;
    } cases[] = {
        {"01/01/2002 10:30:00", 0, "01/01/2002 09:30:00"},
        {"15/08/2005 23:59:58", 0, "15/08/2005 22:59:58"},
        // Hour 0 stays on its own day, as the installer's dates do.
        {"01/01/2002 00:30:00", 0, "01/01/2002 00:30:00"},
        {"01/01/2002 01:00:00", 0, "01/01/2002 00:00:00"},
        {"31/02/2002 10:30:00", -1, nullptr},
        {"1/1/2002 10:30:00", -1, nullptr},
        {"", -1, nullptr},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.iResult, n.date(strFile.c_str(), c.lpszDate)) << c.lpszDate;
        if (!c.lpszSet)
            continue;
        FILETIME lastWrite = {};
        lastWriteTime(lastWrite);
        EXPECT_EQ(c.lpszSet, systemTime(lastWrite)) << c.lpszDate;
    }
    EXPECT_EQ(-1, n.date(strFile.c_str(), nullptr));
    EXPECT_EQ(-2, n.date(scratch.File("missing.txt").c_str(), "01/01/2002 10:30:00"));
    // Opened without sharing: a file someone holds cannot be dated.
    FdWin::CHandle held(CreateFileA(strFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(-2, n.date(strFile.c_str(), "01/01/2002 10:30:00"));
}

TEST_F(NavpickerTest, DetectionFromTheFourRegistryPlaces)
{
    vClearBrowserKeys();
    FdTestKit::CScratchFolder scratch;
    const std::string strTop = scratch.Path();
    SetEnvironmentVariableA("NAVTEST_TOP", strTop.c_str());
    for (const char* lpszFolder : {"IE", "nav", "nav\\Program"})
        CreateDirectoryA(scratch.File(lpszFolder).c_str(), nullptr);
    vMakeFile(scratch.File("IE\\IExplore.exe"));
    vMakeFile(scratch.File("nav\\Program\\Netscape.exe"));
    vMakeFile(scratch.File("ns6netscp6.exe"));
    // The same program by two keys, once with other letter cases.
    vSetString("SOFTWARE\\MICROSOFT\\IE SETUP\\SETUP", "PATH", scratch.File("IE"));
    vSetString("SOFTWARE\\MICROSOFT\\IE4\\SETUP", "PATH", "%NAVTEST_TOP%\\ie");
    vSetString("SOFTWARE\\NETSCAPE\\NETSCAPE NAVIGATOR", "CURRENTVERSION", "4.79 (en)");
    vSetString("SOFTWARE\\NETSCAPE\\NETSCAPE NAVIGATOR\\4.79 (en)\\MAIN", "INSTALL DIRECTORY",
               "%NAVTEST_TOP%\\nav");
    // Netscape 6's folder without its trailing backslash: the program name is glued on.
    vSetString("SOFTWARE\\NETSCAPE\\NETSCAPE 6", "CURRENTVERSION", "6.2");
    vSetString("SOFTWARE\\NETSCAPE\\NETSCAPE 6\\6.2\\MAIN", "INSTALL DIRECTORY", scratch.File("ns6"));

    CCreatedWindows windows;
    CCreatedWindows::captions.clear();
    EXPECT_EQ(1, n.chooseAuto("u.s. english"));
    EXPECT_TRUE(CCreatedWindows::captions.empty()) << "a window was shown: " << CCreatedWindows::captions[0];
    const std::vector<std::string> expected = {"1|" + strTop + "\\IE\\", "0|" + strTop + "\\nav\\Program\\",
                                               "0|" + strTop + "\\"};
    EXPECT_EQ(expected, n.selection());

    // Another choose call starts from an empty selection.
    EXPECT_EQ(1, n.chooseAuto("U.S. English"));
    EXPECT_EQ(expected, n.selection());

    // A program deleted since is gone at the next detection, and one whose
    // file is missing is not taken.
    ASSERT_TRUE(DeleteFileA(scratch.File("nav\\Program\\Netscape.exe").c_str()));
    EXPECT_EQ(1, n.chooseAuto("U.S. English"));
    EXPECT_EQ((std::vector<std::string>{expected[0], expected[2]}), n.selection());
    vClearBrowserKeys();
}

TEST_F(NavpickerTest, GetNextBrowserBounds)
{
    STwoBrowsers browsers;
    ASSERT_EQ(1, n.chooseAuto("U.S. English"));
    ASSERT_EQ(2, n.count());
    const std::string strIe = browsers.scratch.File("IE\\");
    const std::string strNav = browsers.scratch.File("nav\\Program\\");
    n.reset();
    char szPath[MAX_PATH];
    char szType[2];
    std::memset(szPath, 'x', sizeof szPath);
    // A buffer exactly the folder's length leaves no room for its zero.
    EXPECT_EQ(0, n.next(szPath, static_cast<int>(strIe.size()), szType));
    EXPECT_STREQ("", szPath);
    EXPECT_STREQ("1", szType);
    // Past the end the last one comes again.
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(1, n.next(szPath, static_cast<int>(strNav.size()) + 1, szType)) << i;
        EXPECT_EQ(strNav, szPath) << i;
        EXPECT_STREQ("0", szType) << i;
    }

    // A cancelled dialog leaves nothing selected: 1 and an empty path.
    const int iResult = iDriven([&] { return n.choose("Français"); },
                                [&](DWORD dwThread)
                                {
                                    if (HWND hDialog = hWaitDialog(dwThread, "Sélection des navigateurs"))
                                        vPress(hDialog, IDCANCEL);
                                });
    EXPECT_EQ(0, iResult);
    EXPECT_EQ(0, n.count());
    std::memset(szPath, 'x', sizeof szPath);
    EXPECT_EQ(1, n.next(szPath, sizeof szPath, szType));
    EXPECT_STREQ("", szPath);
}

TEST_F(NavpickerTest, ChooserDialogShownAndDriven)
{
    STwoBrowsers browsers;
    const std::string strIeProgram = browsers.scratch.File("IE\\IExplore.exe");
    const std::string strNavProgram = browsers.scratch.File("nav\\Program\\Netscape.exe");

    // English, a click on a row, then OK.
    SDialogSeen english;
    int iResult = iDriven([&] { return n.choose("U.S. English"); },
                          [&](DWORD dwThread)
                          {
                              HWND hDialog = hWaitDialog(dwThread, "Browsers selection");
                              if (!hDialog)
                                  return;
                              vSeeDialog(hDialog, english, true);
                              vPress(hDialog, IDOK);
                          });
    ASSERT_TRUE(english.boFound);
    EXPECT_EQ(1, iResult);
    EXPECT_EQ("Please choose the browser(s) to be used with this program:", english.strMessage);
    EXPECT_EQ("Ok", english.strOk);
    EXPECT_EQ("Quit", english.strCancel);
    EXPECT_EQ("Browser", english.strColumn0);
    EXPECT_EQ("Path to browser", english.strColumn1);
    EXPECT_EQ(90, english.iWidth0);
    EXPECT_EQ(250, english.iWidth1);
    EXPECT_FALSE(english.boAddVisible);
    EXPECT_FALSE(english.boRemoveVisible);
    EXPECT_FALSE(english.boSystemMenu);
    EXPECT_EQ((std::vector<std::string>{"Internet Explorer|" + strIeProgram + "|selected",
                                        "Netscape|" + strNavProgram + "|selected"}),
              english.rows);
    EXPECT_TRUE(english.boClickHandled);
    EXPECT_TRUE(english.boAllSelectedAfterClick);
    EXPECT_GT(english.iHighlightedRowPixels, english.iRowPixels / 2)
        << english.iHighlightedRowPixels << " of " << english.iRowPixels;
    EXPECT_EQ(0, english.iHighlightedFreePixels);
    EXPECT_FALSE(boControlHeld());
    EXPECT_EQ((std::vector<std::string>{"1|" + browsers.scratch.File("IE\\"),
                                        "0|" + browsers.scratch.File("nav\\Program\\")}),
              n.selection());

    // French, then Quit.
    SDialogSeen french;
    iResult = iDriven([&] { return n.choose("Français"); },
                      [&](DWORD dwThread)
                      {
                          HWND hDialog = hWaitDialog(dwThread, "Sélection des navigateurs");
                          if (!hDialog)
                              return;
                          vSeeDialog(hDialog, french, false);
                          vPress(hDialog, IDCANCEL);
                      });
    ASSERT_TRUE(french.boFound);
    EXPECT_EQ(0, iResult);
    EXPECT_EQ("Nous avons détecté la présence sur votre ordinateur des navigateurs suivants compatibles avec "
              "ce site:",
              french.strMessage);
    EXPECT_EQ("Quitter", french.strCancel);
    EXPECT_EQ("Navigateur", french.strColumn0);
    EXPECT_EQ("Chemin vers le navigateur", french.strColumn1);
    EXPECT_EQ(2u, french.rows.size());
    EXPECT_FALSE(boControlHeld());
    EXPECT_EQ(0, n.count());
}

TEST_F(NavpickerTest, CloseBrowsersAsksFirst)
{
    vClearBrowserKeys();
    // Nothing runs: no box, 1.
    CCreatedWindows windows;
    CCreatedWindows::captions.clear();
    EXPECT_EQ(1, n.close("U.S. English"));
    EXPECT_TRUE(CCreatedWindows::captions.empty());

    FdTestKit::CScratchFolder scratch;
    const std::string strLog = scratch.File("frame.log");
    std::string strCommand = "\"" + strBin() + "FakeBrowser.exe\" --class IEFrame --log \"" + strLog + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(
        CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    FdWin::CHandle process(pi.hProcess), thread(pi.hThread);
    ASSERT_TRUE(FdTestKit::boPumpUntil(
        [&] { return strReadFile(strLog).find("|READY") != std::string::npos; }, 20000));

    struct SBox
    {
        bool boFound = false;
        std::string strText;
    };
    auto answer = [](const char* lpszCaption, int iButton, SBox& box)
    {
        return [=, &box](DWORD dwThread)
        {
            HWND hBox = hWaitDialog(dwThread, lpszCaption);
            if (!hBox)
                return;
            box.boFound = true;
            box.strText = strWindowText(GetDlgItem(hBox, 0xFFFF));
            vPress(hBox, iButton);
        };
    };
    SBox cancelled;
    EXPECT_EQ(0, iDriven([&] { return n.close("Français"); },
                         answer("Fermeture des navigateurs", IDCANCEL, cancelled)));
    ASSERT_TRUE(cancelled.boFound);
    EXPECT_EQ("L'installation nécessite la fermeture de vos navigateurs.\nCliquez sur Ok pour effectuer "
              "cette fermeture "
              "automatiquement et lancer l'installation.",
              cancelled.strText);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process.get(), 0));
    EXPECT_EQ(std::string::npos, strReadFile(strLog).find("WM_CLOSE"));

    SBox accepted;
    EXPECT_EQ(1,
              iDriven([&] { return n.close("U.S. English"); }, answer("Closing browsers", IDOK, accepted)));
    ASSERT_TRUE(accepted.boFound);
    EXPECT_EQ(
        "Your browser(s) must be closed to begin the installation.\nClick Ok to close them automatically and "
        "begin the installation.",
        accepted.strText);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 10000));
    EXPECT_NE(std::string::npos, strReadFile(strLog).find("|WM_CLOSE"));
}

namespace
{
// One message as the fake provider recorded it.
struct SMail
{
    std::string strHead; // every line before the body
    std::string strBody;
};

std::vector<SMail> mailsOf(const std::string& strLog)
{
    std::vector<SMail> mails;
    size_t at = 0;
    SMail current;
    while (at < strLog.size())
    {
        const size_t ulEnd = strLog.find('\n', at);
        if (ulEnd == std::string::npos)
            break;
        const std::string strLine = strLog.substr(at, ulEnd - at);
        at = ulEnd + 1;
        if (strLine.rfind("BODY ", 0) == 0)
        {
            const size_t ulLength = std::stoul(strLine.substr(5));
            current.strBody = strLog.substr(at, ulLength);
            at += ulLength + 1;
            continue;
        }
        current.strHead += strLine + "\n";
        if (strLine == "LOGOFF")
        {
            mails.push_back(current);
            current = SMail();
        }
    }
    return mails;
}

class CheckZeltoTest : public NavpickerTest
{
protected:
    void SetUp() override
    {
        NavpickerTest::SetUp();
        vClearBrowserKeys();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer\\Plugins");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\NavTest");
        vSetString("Software\\Clients\\Mail", nullptr, "FakeMapi");
        vSetString("Software\\Clients\\Mail\\FakeMapi", "DLLPath", strBin() + "FakeMapi.dll");
        m_strMailLog = scratch.File("mail.log");
        SetEnvironmentVariableA("FD_FAKEMAPI_LOG", m_strMailLog.c_str());
        SetEnvironmentVariableA("FD_FAKEMAPI_FAIL", nullptr);
        DeleteFileA(kszFallback);
        m_strLog = scratch.File("setup.log");
        vWrite(m_strLog, "log");
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("FD_FAKEMAPI_FAIL", nullptr);
        SetEnvironmentVariableA("FD_FAKEMAPI_LOG", nullptr);
    }
    int iCheck(const std::string& strLog, const char* lpszLanguage = "U.S. English")
    {
        return n.check("unused", "SOFTWARE\\NavTest", scratch.Path().c_str(), strLog.c_str(), "support",
                       "Zelto check", lpszLanguage);
    }
    std::vector<SMail> mails() const { return mailsOf(strReadFile(m_strMailLog)); }

    FdTestKit::CScratchFolder scratch;
    std::string m_strMailLog, m_strLog;
};
} // namespace

TEST_F(CheckZeltoTest, ReportMailedThroughTheProvider)
{
    {
        FdWin::CRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.lCreate(HKEY_LOCAL_MACHINE, "SOFTWARE\\NavTest", KEY_WRITE));
        const BYTE aBinary[] = {0x0A, 0xFF};
        RegSetValueExA(key.h(), "Bin", 0, REG_BINARY, aBinary, sizeof aBinary);
        key.lSetDword("Count", 7);
        key.lSetString(nullptr, "top");
    }
    vSetString("SOFTWARE\\NavTest\\Sub", "Inner", "deep");
    CreateDirectoryA(scratch.File("sub").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((strBin() + "navpicker_testver.dll").c_str(),
                          scratch.File("sub\\fixture.dll").c_str(), FALSE));
    char szBefore[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof szBefore, szBefore);

    CCreatedWindows windows;
    CCreatedWindows::captions.clear();
    CCreatedWindows::destroyedTexts.clear();
    ASSERT_EQ(1, iCheck(m_strLog));
    char szAfter[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof szAfter, szAfter);
    EXPECT_STREQ(szBefore, szAfter) << "the caller's current directory";
    EXPECT_EQ(std::vector<std::string>{"Check Zelto"}, CCreatedWindows::captions);
    EXPECT_EQ(std::vector<std::string>{"Checking, please be patient..."}, CCreatedWindows::destroyedTexts);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kszFallback));

    const std::vector<SMail> sent = mails();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ("LOGON flags=1 profile=(null)\n"
              "RESOLVE flags=8 name=support\n"
              "SEND flags=8 subject=Zelto check recipients=1 files=1\n"
              "TO class=1 name=Resolved support address=SMTP:support@zelto.example\n"
              "ATTACH position=-1 path=" +
                  m_strLog + " name=setup.log\nLOGOFF\n",
              sent[0].strHead);
    const std::string& r = sent[0].strBody;
    using namespace FdNavReport;
    EXPECT_EQ(0u, r.find(strBanner()));
    EXPECT_NE(std::string::npos, r.find(strBanner() + strSectionBox(kszTitleSystem)));
    // The system part is what the version record says.
    OSVERSIONINFOEXA ex = {};
    ex.dwOSVersionInfoSize = sizeof ex;
    GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex));
    SOsVersion version;
    version.dwPlatformId = ex.dwPlatformId;
    version.dwMajor = ex.dwMajorVersion;
    version.dwMinor = ex.dwMinorVersion;
    version.dwBuild = ex.dwBuildNumber;
    version.strService = ex.szCSDVersion;
    version.boExtended = true;
    version.byProductType = ex.wProductType;
    version.wSuiteMask = ex.wSuiteMask;
    EXPECT_NE(std::string::npos, r.find(strSectionBox(kszTitleSystem) + strSystemDescription(version) +
                                        "\r\n\r\n" + strSectionBox(kszTitleRegistry)));
    for (const char* lpszLine :
         {"-->Dumping de la clé [SOFTWARE\\NavTest]\r\n\r\n\r\n[SOFTWARE\\NavTest]\r\n\r\n",
          "\r\n(default):SZ=top\r\n", "\r\nBin:BINARY=0AFF\r\n", "\r\nCount:DWORD=7\r\n",
          "\r\n  [SOFTWARE\\NavTest\\Sub]\r\n\r\n  Inner:SZ=deep\r\n\r\n-->Dumping terminé.\r\n\r\n",
          "-->Dumping de la clé [Software\\Microsoft\\Internet Explorer\\Plugins]\r\n\r\n*Impossible "
          "d'ouvrir la clé "
          "[Software\\Microsoft\\Internet Explorer\\Plugins].\r\n Erreur 2 - ",
          "-->Dumping des disques fixes:\r\n\r\nC:\\"})
        EXPECT_NE(std::string::npos, r.find(lpszLine)) << lpszLine;
    EXPECT_NE(std::string::npos, r.find(strRule() + "-->Dumping de la clé [Software\\Netscape]"));
    EXPECT_NE(std::string::npos, r.find(strSectionBox(kszTitleFileSystem) + "-->Dumping du répertoire [" +
                                        scratch.Path() + "]\r\n\r\n\r\n[" + scratch.Path() + "]\r\n\r\n"));
    EXPECT_NE(std::string::npos, r.find("\r\n  [" + scratch.File("sub") +
                                        "]\r\n\r\n  fixture.dll: "
                                        "\\StringFileInfo\\040c04e4\\FileVersion=3, 1, 4, 15\r\n"));
    EXPECT_NE(std::string::npos,
              r.find("setup.log: \r\n*Erreur à la récupération de la version du fichier.\r\n Erreur "));
    EXPECT_TRUE(boEndsWith(r, strSectionBox(kszTitleMail) +
                                  "-->Le chemin du fichier de log de l'installation est " + m_strLog +
                                  ".\r\n"));
    // The drives' line: roots joined by " - ".
    const size_t ulDrives = r.find("-->Dumping des disques fixes:\r\n\r\n") + 33;
    const std::string strDrives = r.substr(ulDrives, r.find("\r\n", ulDrives) - ulDrives);
    EXPECT_EQ(0u, strDrives.find("C:\\")) << strDrives;
    for (size_t i = 3; i < strDrives.size(); i += 6)
        EXPECT_EQ(" - ", strDrives.substr(i, 3)) << strDrives;
}

TEST_F(CheckZeltoTest, MissingLogIsSaidAndNotAttached)
{
    const std::string strMissing = scratch.File("no-such.log");
    ASSERT_EQ(1, iCheck(strMissing, "Français"));
    const std::vector<SMail> sent = mails();
    ASSERT_EQ(1u, sent.size());
    EXPECT_NE(std::string::npos,
              sent[0].strHead.find("SEND flags=8 subject=Zelto check recipients=1 files=0\n"));
    EXPECT_EQ(std::string::npos, sent[0].strHead.find("ATTACH"));
    EXPECT_TRUE(boEndsWith(sent[0].strBody, "-->Le chemin du fichier de log de l'installation est " +
                                                strMissing + ".\r\n*Ce fichier n'existe pas.\r\n\r\n"));
}

TEST_F(CheckZeltoTest, FailedMailGoesToTheFallbackFile)
{
    const struct
    {
        const char* lpszFail;
        const char* lpszEnd;
        bool boLoggedOff;
    } cases[] = {
        {"abort", "*Erreur à l'envoi du mail.\r\n\r\nLa fonction lpfnMAPISendMail a échoué.\r\n Erreur 1",
         true},
        {"resolve",
         "*Erreur à l'envoi du mail.\r\n\r\nLa fonction lpfnMAPIResolveName a échoué.\r\n Erreur 14", true},
        {"logon", "*Erreur à l'envoi du mail.\r\n\r\nUnable to logon.\r\n Erreur 3", false},
    };
    for (const auto& c : cases)
    {
        DeleteFileA(m_strMailLog.c_str());
        DeleteFileA(kszFallback);
        SetEnvironmentVariableA("FD_FAKEMAPI_FAIL", c.lpszFail);
        EXPECT_EQ(0, iCheck(m_strLog)) << c.lpszFail;
        const std::string strFile = strReadFile(kszFallback);
        EXPECT_EQ(0u, strFile.find(FdNavReport::strBanner())) << c.lpszFail;
        EXPECT_TRUE(boEndsWith(strFile, c.lpszEnd)) << c.lpszFail << "\n"
                                                    << strFile.substr(strFile.size() - 200);
        EXPECT_EQ(c.boLoggedOff, boEndsWith(strReadFile(m_strMailLog), "LOGOFF\n")) << c.lpszFail;
    }
}

TEST_F(CheckZeltoTest, WithoutMapi32OrOneOfItsFunctions)
{
    // A mapi32.dll that lacks MAPIResolveName, loaded in place of Wine's own
    // from the setup program's folder.
    FdTestKit::CScratchFolder setup;
    for (const char* lpszFile : {"NavSetup.exe", "navpicker.dll"})
        ASSERT_TRUE(CopyFileA((strBin() + lpszFile).c_str(), setup.File(lpszFile).c_str(), FALSE))
            << lpszFile;
    ASSERT_TRUE(CopyFileA((strBin() + "FakeMapiShort.dll").c_str(), setup.File("mapi32.dll").c_str(), FALSE));
    // Wine takes a program's DLL overrides from the registry by its file name
    // (as WINEDLLOVERRIDES gives them to a whole session): mapi32 disabled
    // ("") for the setup program, the native one first ("native") for its copy.
    ASSERT_TRUE(CopyFileA(setup.File("NavSetup.exe").c_str(), setup.File("ShortSetup.exe").c_str(), FALSE));
    const struct
    {
        std::string strProgram;
        const char* lpszOverrides; // the program's key below AppDefaults
        const char* lpszMapi32;
        const char* lpszEnd;
    } cases[] = {
        {strBin() + "NavSetup.exe", "NavSetup.exe", "",
         "*Erreur à l'envoi du mail.\r\n\r\nUnable to load MAPI32.dll"},
        {setup.File("ShortSetup.exe"), "ShortSetup.exe", "native",
         "*Erreur à l'envoi du mail.\r\n\r\nCould not find the MAPIResolveName function"},
    };
    for (const auto& c : cases)
    {
        DeleteFileA(kszFallback);
        {
            FdWin::CRegKey key;
            ASSERT_EQ(ERROR_SUCCESS, key.lCreate(HKEY_CURRENT_USER,
                                                 (std::string("Software\\Wine\\AppDefaults\\") +
                                                  c.lpszOverrides + "\\DllOverrides")
                                                     .c_str(),
                                                 KEY_WRITE));
            ASSERT_EQ(ERROR_SUCCESS, key.lSetString("mapi32", c.lpszMapi32));
        }
        const FdTestKit::SRun run =
            FdTestKit::runAndWait("\"" + c.strProgram + "\" check SOFTWARE\\NavTest \"" + scratch.Path() +
                                      "\" \"" + m_strLog + "\" support \"Zelto check\" Français",
                                  60000);
        EXPECT_EQ(0u, run.dwExitCode) << c.lpszOverrides;
        const std::string strFile = strReadFile(kszFallback);
        EXPECT_EQ(0u, strFile.find(FdNavReport::strBanner())) << c.lpszOverrides;
        EXPECT_TRUE(boEndsWith(strFile, c.lpszEnd))
            << c.lpszOverrides << "\n"
            << strFile.substr(strFile.size() > 200 ? strFile.size() - 200 : 0);
    }
    EXPECT_TRUE(strReadFile(m_strMailLog).empty()) << "the provider was reached";
}
