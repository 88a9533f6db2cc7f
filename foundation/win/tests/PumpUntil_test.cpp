// The bounded message pump.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "PumpUntil.h"

using namespace FdWin;

namespace
{
constexpr UINT kMsgSet = WM_APP + 3;
// A bound no passing case comes near.
constexpr DWORD kSafetyMs = 10000;
} // namespace

TEST(PumpUntil, AConditionAlreadyTrueNeedsNoWait)
{
    int iChecks = 0;
    EXPECT_TRUE(boPumpUntil([&] { return ++iChecks > 0; }, 0));
    EXPECT_EQ(1, iChecks);
}

TEST(PumpUntil, AConditionThatNeverHoldsEndsAtTheBound)
{
    int iChecks = 0;
    const ULONGLONG qwStart = GetTickCount64();
    EXPECT_FALSE(boPumpUntil([&] { return ++iChecks < 0; }, 30));
    EXPECT_GE(GetTickCount64() - qwStart, 30u);
    // Looked at more than once: at the start and at the bound at least.
    EXPECT_GE(iChecks, 2);
}

TEST(PumpUntil, DispatchesTheThreadsMessages)
{
    // A thread message sets the flag: the pump must dispatch it.
    bool boSet = false;
    HWND hWnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    struct SProc
    {
        static LRESULT CALLBACK Proc(HWND h, UINT u, WPARAM w, LPARAM l)
        {
            if (u == kMsgSet)
            {
                *reinterpret_cast<bool*>(l) = true;
                return 0;
            }
            return DefWindowProcA(h, u, w, l);
        }
    };
    SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SProc::Proc));
    ASSERT_TRUE(PostMessageA(hWnd, kMsgSet, 0, reinterpret_cast<LPARAM>(&boSet)));
    EXPECT_TRUE(boPumpUntil([&] { return boSet; }, kSafetyMs));
    DestroyWindow(hWnd);
}

TEST(PumpUntil, MessagesWaitingAtTheBoundAreDispatchedBeforeTheLastLook)
{
    bool boSet = false;
    HWND hWnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    struct SProc
    {
        static LRESULT CALLBACK Proc(HWND h, UINT u, WPARAM w, LPARAM l)
        {
            if (u == kMsgSet)
            {
                *reinterpret_cast<bool*>(l) = true;
                return 0;
            }
            return DefWindowProcA(h, u, w, l);
        }
    };
    SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SProc::Proc));
    ASSERT_TRUE(PostMessageA(hWnd, kMsgSet, 0, reinterpret_cast<LPARAM>(&boSet)));
    // A bound already passed: the posted message still counts.
    EXPECT_TRUE(boPumpUntil([&] { return boSet; }, 0));
    EXPECT_FALSE(boDispatchOne());
    DestroyWindow(hWnd);
}

TEST(PumpUntil, SeesAConditionAnotherThreadSetsWithoutAMessage)
{
    std::atomic<bool> boSet{false};
    std::thread setter([&] { boSet = true; });
    EXPECT_TRUE(boPumpUntil([&] { return boSet.load(); }, kSafetyMs));
    setter.join();
}
