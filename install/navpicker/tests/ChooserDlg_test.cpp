// The chooser dialog with its add and remove buttons shown (no export shows
// them): programs added by the user, once each, removed again, while a
// detected browser stays. The file-open dialog is replaced by a fixed answer;
// the dialog itself is shown on the display and driven by a thread of the test.
#include "ChooserDlg.h"
#include "NavpickerRes.h"
#include "TestKit.h"
#include "WinRegKey.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace FdNav;

namespace
{
class CAnsweringDlg : public CChooserDlg
{
public:
    std::string strAnswer;
    int iAsked = 0;

protected:
    bool boAskProgram(HWND, std::string& strPath) override
    {
        ++iAsked;
        strPath = strAnswer;
        return true;
    }
};

struct SFind
{
    HWND hFound = nullptr;
};

BOOL CALLBACK boFindDialog(HWND hWnd, LPARAM lParam)
{
    char szClass[32] = "";
    GetClassNameA(hWnd, szClass, sizeof szClass);
    if (std::strcmp(szClass, "#32770") != 0 || !IsWindowVisible(hWnd))
        return TRUE;
    reinterpret_cast<SFind*>(lParam)->hFound = hWnd;
    return FALSE;
}

std::vector<std::string> rowsOf(HWND hList)
{
    std::vector<std::string> rows;
    const int n = static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
    {
        char sz[MAX_PATH] = "";
        LVITEMA item = {};
        item.iSubItem = 1;
        item.pszText = sz;
        item.cchTextMax = sizeof sz;
        SendMessageA(hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        const bool boSelected =
            (SendMessageA(hList, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED) & LVIS_SELECTED) !=
            0;
        rows.push_back(std::string(sz) + (boSelected ? " +" : " -"));
    }
    return rows;
}

void vSelect(HWND hList, int iRow, bool boSelected)
{
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = boSelected ? LVIS_SELECTED : 0;
    SendMessageA(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(iRow), reinterpret_cast<LPARAM>(&state));
}
} // namespace

TEST(ChooserDlg, AddTwiceKeepsOneRowAndRemoveSparesDetected)
{
    FdTestKit::CScratchFolder scratch;
    for (const char* lpszKey :
         {"SOFTWARE\\MICROSOFT\\IE SETUP", "SOFTWARE\\MICROSOFT\\IE4", "SOFTWARE\\NETSCAPE"})
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, lpszKey);
    const std::string strIe = scratch.File("IExplore.exe");
    const std::string strOther = scratch.File("Other.exe");
    std::ofstream(strIe) << "MZ";
    std::ofstream(strOther) << "MZ";
    {
        FdWin::CRegKey key;
        ASSERT_EQ(ERROR_SUCCESS,
                  key.lCreate(HKEY_LOCAL_MACHINE, "SOFTWARE\\MICROSOFT\\IE4\\SETUP", KEY_WRITE));
        key.lSetString("PATH", scratch.Path());
    }

    CAnsweringDlg dialog;
    dialog.strAnswer = strOther;
    dialog.vSetTexts("Choice", "Pick", "Add", "Remove", "Quit", "Ok");
    dialog.vSetColumns("Browser", 90, "Path", 250);
    dialog.vSetHidden(IDC_CHOOSER_ADD, false);
    dialog.vSetHidden(IDC_CHOOSER_REMOVE, false);
    CBrowserList list;
    CSelection selection;

    std::vector<std::string> afterAdds, afterRemove;
    bool boSystemMenu = false, boAddShown = false;
    const DWORD dwThread = GetCurrentThreadId();
    std::thread driver(
        [&]
        {
            SFind find;
            FdTestKit::boWaitUntil(
                [&]
                {
                    EnumThreadWindows(dwThread, boFindDialog, reinterpret_cast<LPARAM>(&find));
                    return find.hFound != nullptr;
                },
                10000);
            const HWND hDialog = find.hFound;
            if (!hDialog)
                return;
            const HWND hList = GetDlgItem(hDialog, IDC_CHOOSER_LIST);
            boSystemMenu = (GetWindowLongPtrA(hDialog, GWL_STYLE) & WS_SYSMENU) != 0;
            boAddShown = IsWindowVisible(GetDlgItem(hDialog, IDC_CHOOSER_ADD)) != FALSE;
            SendMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDC_CHOOSER_ADD, BN_CLICKED), 0);
            SendMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDC_CHOOSER_ADD, BN_CLICKED), 0);
            afterAdds = rowsOf(hList);
            // Remove with both rows selected: only the added one goes.
            vSelect(hList, 1, true);
            SendMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDC_CHOOSER_REMOVE, BN_CLICKED), 0);
            afterRemove = rowsOf(hList);
            PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
    const INT_PTR iResult = dialog.iRun(GetModuleHandleA(nullptr), nullptr, list, selection);
    driver.join();

    EXPECT_EQ(IDOK, iResult);
    EXPECT_TRUE(boSystemMenu) << "nothing hidden: the system menu stays";
    EXPECT_TRUE(boAddShown);
    EXPECT_EQ(2, dialog.iAsked);
    EXPECT_EQ((std::vector<std::string>{strIe + " +", strOther + " -"}), afterAdds);
    EXPECT_EQ((std::vector<std::string>{strIe + " +"}), afterRemove);
    ASSERT_EQ(1u, selection.items().size());
    EXPECT_EQ(scratch.Path() + "\\", selection.items()[0].strPath);
    EXPECT_EQ(kTypeExplorer, selection.items()[0].lType);
    EXPECT_EQ(0, GetKeyState(VK_CONTROL) & 0x8000) << "the Control key is let go";
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\MICROSOFT\\IE4");
}
