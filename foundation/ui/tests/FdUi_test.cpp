#include "FdUi.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace
{
std::string g_strSeen;
int HookBox(HWND, const char* text, const char* caption, UINT)
{
    g_strSeen = std::string(caption) + ":" + text;
    return IDNO;
}

TEST(FdUi, HookReplacesTheBoxAndIsRestored)
{
    FdUi::MessageBoxFn prev = FdUi::pfnSetMessageBoxHook(HookBox);
    EXPECT_EQ(IDNO, FdUi::iMessageBox(nullptr, "Texte é", "Titre", MB_YESNO));
    EXPECT_EQ("Titre:Texte \xE9", g_strSeen);
    EXPECT_EQ(HookBox, FdUi::pfnSetMessageBoxHook(prev));
}

TEST(FdUi, DefaultAnswerIsTheFirstButton)
{
    struct
    {
        UINT type;
        int answer;
    } rows[] = {{MB_OK, IDOK},           {MB_OKCANCEL, IDOK},       {MB_YESNO | MB_ICONSTOP, IDYES},
                {MB_YESNOCANCEL, IDYES}, {MB_RETRYCANCEL, IDRETRY}, {MB_ABORTRETRYIGNORE, IDABORT}};
    for (const auto& r : rows)
        EXPECT_EQ(r.answer, FdUi::iDefaultAnswer(r.type)) << "type " << r.type;
}

// A program started with FD_UI_LOG writes its boxes to the file and takes
// its answers from FD_UI_ANSWERS; this runs the scripted mode in a child.
TEST(FdUi, ScriptedModeLogsAndAnswersInTurn)
{
    char szExe[MAX_PATH];
    GetModuleFileNameA(nullptr, szExe, MAX_PATH);
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    std::string strLog = std::string(szTemp) + "fd_ui_script.log";
    DeleteFileA(strLog.c_str());

    SetEnvironmentVariableA("FD_UI_LOG", strLog.c_str());
    SetEnvironmentVariableA("FD_UI_ANSWERS", "7,5");
    std::string cmd = std::string("\"") + szExe + "\" --gtest_filter=FdUiChild.*";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    SetEnvironmentVariableA("FD_UI_CHILD", "1");
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    SetEnvironmentVariableA("FD_UI_CHILD", nullptr);
    SetEnvironmentVariableA("FD_UI_LOG", nullptr);
    SetEnvironmentVariableA("FD_UI_ANSWERS", nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, code);

    std::ifstream in(strLog, std::ios::binary);
    std::string l1, l2, l3, l4, l5;
    std::getline(in, l1);
    std::getline(in, l2);
    std::getline(in, l3);
    std::getline(in, l4);
    std::getline(in, l5);
    EXPECT_EQ("MSGBOX|4|Titre|Première", l1);
    EXPECT_EQ("MSGBOX|0|T2|Seconde", l2);
    EXPECT_EQ("DIALOG|101", l3);
    EXPECT_EQ("MSGBOX|1|T4|Quatrième", l4);
    EXPECT_EQ("MENU|10|20|5:Un|-|6~:Deux", l5);
    DeleteFileA(strLog.c_str());
}

TEST(FdUiChild, AnswersFromTheScript)
{
    if (!GetEnvironmentVariableA("FD_UI_CHILD", nullptr, 0))
        GTEST_SKIP() << "runs as the child of ScriptedModeLogsAndAnswersInTurn";
    EXPECT_EQ(7, FdUi::iMessageBox(nullptr, "Première", "Titre", MB_YESNO));
    EXPECT_EQ(5, FdUi::iMessageBox(nullptr, "Seconde", "T2", MB_OK));
    EXPECT_EQ(IDCANCEL,
              FdUi::iDialogBoxParam(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101), nullptr, nullptr, 0));
    EXPECT_EQ(IDOK, FdUi::iMessageBox(nullptr, "Quatrième", "T4", MB_OKCANCEL)); // answers used up
    HMENU menu = CreatePopupMenu();
    InsertMenuA(menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, 5, "Un");
    InsertMenuA(menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    InsertMenuA(menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING | MF_GRAYED, 6, "Deux");
    EXPECT_EQ(0, FdUi::iTrackPopupMenu(menu, 0, 10, 20, nullptr)); // dismissed
    DestroyMenu(menu);
}
} // namespace
