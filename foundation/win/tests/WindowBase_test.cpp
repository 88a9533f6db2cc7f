// The window base: the object at WM_NCCREATE, subclassing, the last message,
// and no exception through the window procedure.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "WindowBase.h"

using namespace FdWin;

namespace
{

const char kClass[] = "FdWinTestWindow";
constexpr UINT kMsgThrow = WM_APP + 1;
constexpr UINT kMsgAnswer = WM_APP + 2;
constexpr LRESULT kThrowAnswer = 77;

class CTestWindow : public CWindowBase
{
public:
    std::vector<UINT> m_seen;
    bool m_boFinal = false;
    bool m_boDeleteAtEnd = false;
    bool* m_lpboDeleted = nullptr;

    HWND hMake()
    {
        if (!boRegisterClass(GetModuleHandleA(nullptr), kClass))
            return nullptr;
        return hCreate(0, kClass, "test", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr));
    }

protected:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        m_seen.push_back(uMsg);
        if (uMsg == kMsgThrow)
        {
            if (wParam == 1)
                throw std::runtime_error("thrown in a handler");
            throw 42; // not even an exception class
        }
        if (uMsg == kMsgAnswer)
            return 5;
        return lDefault(uMsg, wParam, lParam);
    }
    LRESULT lOnException(UINT uMsg) noexcept override { return uMsg == kMsgThrow ? kThrowAnswer : 0; }
    void vOnFinalMessage() override
    {
        m_boFinal = true;
        if (m_boDeleteAtEnd)
        {
            *m_lpboDeleted = true;
            delete this;
        }
    }
};

bool boSaw(const std::vector<UINT>& seen, UINT uMsg)
{
    for (UINT u : seen)
        if (u == uMsg)
            return true;
    return false;
}

} // namespace

TEST(WindowBase, TheObjectHasItsWindowFromNcCreateOn)
{
    CTestWindow window;
    HWND hWnd = window.hMake();
    ASSERT_NE(nullptr, hWnd);
    EXPECT_EQ(hWnd, window.hWnd());
    EXPECT_EQ(&window, CWindowBase::lpFromWindow(hWnd));
    ASSERT_FALSE(window.m_seen.empty());
    EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), window.m_seen.front());
    EXPECT_TRUE(boSaw(window.m_seen, WM_CREATE));
    EXPECT_EQ(5, SendMessageA(hWnd, kMsgAnswer, 0, 0));
    // A second window for the same object is refused.
    EXPECT_EQ(nullptr, window.hMake());

    window.vDestroy();
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(nullptr, window.hWnd());
    EXPECT_TRUE(window.m_boFinal);
    EXPECT_TRUE(boSaw(window.m_seen, WM_NCDESTROY));
}

TEST(WindowBase, AThrowStopsAtTheWindowProcedure)
{
    CTestWindow window;
    HWND hWnd = window.hMake();
    ASSERT_NE(nullptr, hWnd);
    EXPECT_EQ(kThrowAnswer, SendMessageA(hWnd, kMsgThrow, 1, 0));
    EXPECT_EQ(kThrowAnswer, SendMessageA(hWnd, kMsgThrow, 2, 0));
    // Posted and dispatched by a loop: the same.
    ASSERT_TRUE(PostMessageA(hWnd, kMsgThrow, 1, 0));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, hWnd, kMsgThrow, kMsgThrow, PM_REMOVE));
    EXPECT_EQ(kThrowAnswer, DispatchMessageA(&msg));
    // The window goes on.
    EXPECT_EQ(5, SendMessageA(hWnd, kMsgAnswer, 0, 0));
}

TEST(WindowBase, AWindowThatGoesOnItsOwnUntiesAndMayDeleteItsObject)
{
    bool boDeleted = false;
    CTestWindow* lpWindow = new CTestWindow;
    lpWindow->m_boDeleteAtEnd = true;
    lpWindow->m_lpboDeleted = &boDeleted;
    HWND hWnd = lpWindow->hMake();
    ASSERT_NE(nullptr, hWnd);
    DestroyWindow(hWnd);
    EXPECT_TRUE(boDeleted);
    EXPECT_EQ(nullptr, CWindowBase::lpFromWindow(hWnd));
}

TEST(WindowBase, ASubclassedWindowKeepsWhatTheObjectLeaves)
{
    HWND hButton = CreateWindowExA(0, "button", "before", WS_POPUP | WS_DISABLED, 0, 0, 1, 1, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, hButton);
    {
        CTestWindow window;
        ASSERT_TRUE(window.boSubclass(hButton));
        EXPECT_FALSE(window.boSubclass(hButton));
        EXPECT_EQ(&window, CWindowBase::lpFromWindow(hButton));
        // The button's own procedure still keeps its text.
        EXPECT_TRUE(SetWindowTextA(hButton, "after"));
        char szText[16] = {};
        GetWindowTextA(hButton, szText, sizeof szText);
        EXPECT_STREQ("after", szText);
        EXPECT_TRUE(boSaw(window.m_seen, WM_SETTEXT));
        EXPECT_EQ(kThrowAnswer, SendMessageA(hButton, kMsgThrow, 1, 0));
        // Destroying it gives the previous procedure back first.
        window.vDestroy();
        EXPECT_TRUE(window.m_boFinal);
        EXPECT_EQ(nullptr, window.hWnd());
    }
    EXPECT_FALSE(IsWindow(hButton));
}

TEST(WindowBase, AWindowSomeoneElseOwnsIsLetGoUndestroyed)
{
    HWND hButton = CreateWindowExA(0, "button", "", WS_POPUP | WS_DISABLED, 0, 0, 1, 1, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, hButton);
    // The owner's own data stays its own.
    SetWindowLongPtrA(hButton, GWLP_USERDATA, 1234);
    const LONG_PTR previous = GetWindowLongPtrA(hButton, GWLP_WNDPROC);
    CTestWindow window;
    ASSERT_TRUE(window.boSubclass(hButton));
    CTestWindow second;
    EXPECT_FALSE(second.boSubclass(hButton)) << "one object per window";
    EXPECT_EQ(1234, GetWindowLongPtrA(hButton, GWLP_USERDATA));
    window.vUnsubclass();
    EXPECT_EQ(nullptr, window.hWnd());
    EXPECT_EQ(nullptr, CWindowBase::lpFromWindow(hButton));
    EXPECT_EQ(previous, GetWindowLongPtrA(hButton, GWLP_WNDPROC));
    EXPECT_TRUE(IsWindow(hButton));
    const size_t ulSeen = window.m_seen.size();
    SetWindowTextA(hButton, "x");
    EXPECT_EQ(ulSeen, window.m_seen.size()) << "no message after the object let go";
    DestroyWindow(hButton);
}
