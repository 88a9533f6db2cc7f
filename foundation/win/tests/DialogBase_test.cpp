// The dialog base: the object at WM_INITDIALOG, the messages before it, modal
// runs through a seam, modeless dialogs, and no exception through the dialog
// procedure.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "DialogBase.h"
#include "DialogBaseTestRes.h"

using namespace FdWin;

namespace
{

constexpr UINT kMsgThrow = WM_APP + 1; // wParam 1: a std::exception, else an int
constexpr UINT kMsgEnd = WM_APP + 2;   // ends the dialog with wParam
constexpr INT_PTR kThrowAnswer = 77;

class CTestDialog : public CDialogBase
{
public:
    std::vector<UINT> m_seen;
    HWND m_hAtInit = nullptr;     // hWnd() when WM_INITDIALOG came
    bool m_boThrowAtInit = false; // WM_INITDIALOG throws (after posting kMsgEnd)
    INT_PTR m_iEndAtInit = 0;     // non-zero: WM_INITDIALOG ends the dialog with it
    int m_iExceptions = 0;

    HWND hMake()
    {
        return hCreate(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_DIALOGBASE_TEST), nullptr);
    }
    INT_PTR iAnswerOf(LRESULT lResult) { return iAnswer(lResult); }

protected:
    INT_PTR iOnMessage(UINT uMsg, WPARAM wParam, LPARAM) override
    {
        m_seen.push_back(uMsg);
        switch (uMsg)
        {
        case WM_INITDIALOG:
            m_hAtInit = hWnd();
            if (m_iEndAtInit != 0)
                EndDialog(hWnd(), m_iEndAtInit);
            if (m_boThrowAtInit)
            {
                PostMessageA(hWnd(), kMsgEnd, 9, 0);
                throw std::runtime_error("thrown at WM_INITDIALOG");
            }
            return TRUE;
        case kMsgThrow:
            if (wParam == 1)
                throw std::runtime_error("thrown in a handler");
            throw 42; // not even an exception class
        case kMsgEnd:
            EndDialog(hWnd(), static_cast<INT_PTR>(wParam));
            return TRUE;
        }
        return FALSE;
    }
    INT_PTR iOnException(UINT uMsg) noexcept override
    {
        ++m_iExceptions;
        return uMsg == kMsgThrow ? kThrowAnswer : FALSE;
    }
};

bool boSaw(const std::vector<UINT>& seen, UINT uMsg)
{
    for (UINT u : seen)
        if (u == uMsg)
            return true;
    return false;
}

// A seam as tests install them: records what it was given and what the
// dialog received before the object's procedure saw anything, then runs the
// dialog.
struct SSeamCall
{
    int iCalls = 0;
    LPARAM lParam = 0;
    HWND hParent = nullptr;
    DLGPROC pfnProc = nullptr;
    std::vector<UINT> before; // messages up to and with WM_INITDIALOG
    bool boInitDone = false;
};
SSeamCall g_seam;

INT_PTR CALLBACK RecordingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (!g_seam.boInitDone)
        g_seam.before.push_back(uMsg);
    if (uMsg == WM_INITDIALOG)
        g_seam.boInitDone = true;
    return g_seam.pfnProc(hWnd, uMsg, wParam, lParam);
}

INT_PTR RecordingSeam(HINSTANCE hInstance, LPCSTR lpszTemplate, HWND hParent, DLGPROC pfnProc, LPARAM lParam)
{
    ++g_seam.iCalls;
    g_seam.lParam = lParam;
    g_seam.hParent = hParent;
    g_seam.pfnProc = pfnProc;
    return DialogBoxParamA(hInstance, lpszTemplate, hParent, RecordingProc, lParam);
}

// A seam that answers without showing anything, as a scripted run does.
INT_PTR NeverShown(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM)
{
    return IDCANCEL;
}

} // namespace

TEST(DialogBase, TheObjectHasItsDialogFromWmInitDialogOn)
{
    CTestDialog dialog;
    EXPECT_EQ(nullptr, dialog.hWnd());
    HWND hWnd = dialog.hMake();
    ASSERT_NE(nullptr, hWnd);
    EXPECT_EQ(hWnd, dialog.hWnd());
    EXPECT_EQ(hWnd, dialog.m_hAtInit);
    EXPECT_EQ(&dialog, CDialogBase::lpFromWindow(hWnd));
    ASSERT_FALSE(dialog.m_seen.empty());
    // The template asks for a font: WM_SETFONT comes before WM_INITDIALOG
    // and has no object to go to.
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), dialog.m_seen.front());
    EXPECT_FALSE(boSaw(dialog.m_seen, WM_SETFONT));
    // A second dialog for the same object is refused.
    SetLastError(0);
    EXPECT_EQ(nullptr, dialog.hMake());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    // A value answer goes through the dialog's message result.
    EXPECT_EQ(TRUE, dialog.iAnswerOf(1234));
    EXPECT_EQ(1234, GetWindowLongPtrA(hWnd, DWLP_MSGRESULT));

    dialog.vDestroy();
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(nullptr, dialog.hWnd());
    EXPECT_TRUE(boSaw(dialog.m_seen, WM_DESTROY));
    EXPECT_TRUE(boSaw(dialog.m_seen, WM_NCDESTROY));
    // Made again once the first has gone.
    hWnd = dialog.hMake();
    ASSERT_NE(nullptr, hWnd);
    EXPECT_EQ(hWnd, dialog.hWnd());
}

TEST(DialogBase, TheObjectsDestructorDestroysItsModelessDialog)
{
    HWND hWnd = nullptr;
    {
        CTestDialog dialog;
        hWnd = dialog.hMake();
        ASSERT_NE(nullptr, hWnd);
    }
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST(DialogBase, ADialogThatGoesOnItsOwnLetsTheObjectGo)
{
    CTestDialog dialog;
    HWND hWnd = dialog.hMake();
    ASSERT_NE(nullptr, hWnd);
    ASSERT_TRUE(DestroyWindow(hWnd));
    EXPECT_EQ(nullptr, dialog.hWnd());
    EXPECT_EQ(nullptr, CDialogBase::lpFromWindow(hWnd));
    EXPECT_EQ(static_cast<UINT>(WM_NCDESTROY), dialog.m_seen.back());
}

TEST(DialogBase, AThrowStopsAtTheDialogProcedure)
{
    CTestDialog dialog;
    HWND hWnd = dialog.hMake();
    ASSERT_NE(nullptr, hWnd);
    struct
    {
        WPARAM wParam;
        bool boPosted;
    } const rows[] = {{1, false}, {2, false}, {1, true}, {2, true}};
    int iExpected = 0;
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << "wParam " << row.wParam << (row.boPosted ? " posted" : " sent"));
        if (row.boPosted)
        {
            ASSERT_TRUE(PostMessageA(hWnd, kMsgThrow, row.wParam, 0));
            MSG msg;
            ASSERT_TRUE(PeekMessageA(&msg, hWnd, kMsgThrow, kMsgThrow, PM_REMOVE));
            DispatchMessageA(&msg);
        }
        else
            SendMessageA(hWnd, kMsgThrow, row.wParam, 0);
        EXPECT_EQ(++iExpected, dialog.m_iExceptions);
        // The dialog goes on.
        EXPECT_TRUE(IsWindow(hWnd));
        EXPECT_EQ(hWnd, dialog.hWnd());
    }
    // The answer after a throw is the object's, as the procedure gives it.
    dialog.m_seen.clear();
    const DLGPROC pfnProc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(hWnd, DWLP_DLGPROC));
    ASSERT_NE(nullptr, pfnProc);
    EXPECT_EQ(kThrowAnswer, pfnProc(hWnd, kMsgThrow, 1, 0));
    EXPECT_EQ(1u, dialog.m_seen.size());
}

TEST(DialogBase, AModalRunGoesThroughTheSeamGivenWithTheObject)
{
    CTestDialog dialog;
    dialog.m_iEndAtInit = 7;
    g_seam = SSeamCall();
    EXPECT_EQ(7, dialog.iRunModal(RecordingSeam, GetModuleHandleA(nullptr),
                                  MAKEINTRESOURCEA(IDD_DIALOGBASE_TEST), nullptr));
    EXPECT_EQ(1, g_seam.iCalls);
    EXPECT_EQ(reinterpret_cast<LPARAM>(&dialog), g_seam.lParam);
    EXPECT_EQ(nullptr, g_seam.hParent);
    // The dialog saw messages before WM_INITDIALOG; the object saw none of them.
    ASSERT_FALSE(g_seam.before.empty());
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), g_seam.before.back());
    EXPECT_TRUE(boSaw(g_seam.before, WM_SETFONT));
    ASSERT_FALSE(dialog.m_seen.empty());
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), dialog.m_seen.front());
    EXPECT_NE(nullptr, dialog.m_hAtInit);
    EXPECT_EQ(nullptr, dialog.hWnd());
    EXPECT_FALSE(IsWindow(dialog.m_hAtInit));
}

TEST(DialogBase, AThrowAtWmInitDialogLeavesTheModalLoopRunning)
{
    CTestDialog dialog;
    dialog.m_boThrowAtInit = true;
    g_seam = SSeamCall();
    EXPECT_EQ(9, dialog.iRunModal(RecordingSeam, GetModuleHandleA(nullptr),
                                  MAKEINTRESOURCEA(IDD_DIALOGBASE_TEST), nullptr));
    EXPECT_EQ(1, dialog.m_iExceptions);
    EXPECT_TRUE(boSaw(dialog.m_seen, kMsgEnd));
    EXPECT_EQ(nullptr, dialog.hWnd());
}

TEST(DialogBase, ASeamThatShowsNothingGivesItsAnswer)
{
    CTestDialog dialog;
    EXPECT_EQ(IDCANCEL, dialog.iRunModal(NeverShown, GetModuleHandleA(nullptr),
                                         MAKEINTRESOURCEA(IDD_DIALOGBASE_TEST), nullptr));
    EXPECT_TRUE(dialog.m_seen.empty());
    EXPECT_EQ(nullptr, dialog.hWnd());
}

TEST(DialogBase, AnotherDialogsWindowHasNoObject)
{
    EXPECT_EQ(nullptr, CDialogBase::lpFromWindow(nullptr));
    EXPECT_EQ(nullptr, CDialogBase::lpFromWindow(GetDesktopWindow()));
}
