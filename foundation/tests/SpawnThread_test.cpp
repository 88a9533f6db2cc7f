#include "SpawnThread.h"

#include <gtest/gtest.h>

#include <atomic>

using FdSystem::CSpawnThread;
using FdSystem::CThreadTimer;

namespace
{

// Waits for its stop event unless told to ignore it; then waits for `release`.
class CWorker : public CSpawnThread
{
public:
    explicit CWorker(bool boIgnoreStop, std::atomic<int>* lpDeleted = nullptr)
        : m_boIgnoreStop(boIgnoreStop), m_lpDeleted(lpDeleted)
    {
        m_hRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_hStarted = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    ~CWorker() override
    {
        vStop(true);
        CloseHandle(m_hRelease);
        CloseHandle(m_hStarted);
        if (m_lpDeleted)
            ++*m_lpDeleted;
    }
    void vRelease() { SetEvent(m_hRelease); }
    bool boWaitStarted() { return WaitForSingleObject(m_hStarted, 5000) == WAIT_OBJECT_0; }

protected:
    DWORD dwThread() override
    {
        SetEvent(m_hStarted);
        if (m_boIgnoreStop)
            WaitForSingleObject(m_hRelease, INFINITE);
        else
            WaitForSingleObject(hGetStopEvent(), INFINITE);
        return 42;
    }

private:
    bool m_boIgnoreStop;
    std::atomic<int>* m_lpDeleted;
    HANDLE m_hRelease;
    HANDLE m_hStarted;
};

class CCountingTimer : public CThreadTimer
{
public:
    ~CCountingTimer() override { vStop(true); }
    std::atomic<int> m_iTicks{0};
    std::atomic<DWORD> m_dwTickThread{0};

protected:
    void OnTimer() override
    {
        m_dwTickThread = GetCurrentThreadId();
        ++m_iTicks;
    }
};

} // namespace

TEST(SpawnThread, StartsAndStopsOnItsEvent)
{
    CWorker w(false);
    ASSERT_TRUE(w.boStart());
    ASSERT_TRUE(w.boWaitStarted());
    EXPECT_NE(w.dwGetThreadId(), 0u);
    EXPECT_NE(w.hGetStopEvent(), nullptr);
    EXPECT_FALSE(w.boStart()) << "one thread at a time";
    w.vStop(true);
    EXPECT_FALSE(w.boIsRunning());
    EXPECT_EQ(w.dwGetThreadId(), 0u);
    EXPECT_EQ(w.hGetStopEvent(), nullptr);
    ASSERT_TRUE(w.boStart()) << "a stopped object starts again";
    w.vStop(true);
}

TEST(SpawnThread, TimedOutStopKeepsTheEventAndTheObject)
{
    std::atomic<int> deleted{0};
    CWorker* w = new CWorker(true, &deleted);
    w->vSetStopWait(50);
    ASSERT_TRUE(w->boStart());
    ASSERT_TRUE(w->boWaitStarted());
    w->vStop(true);
    EXPECT_TRUE(w->boIsRunning());
    // The running thread's handles stay valid: nothing it waits on was closed.
    EXPECT_NE(w->hGetStopEvent(), nullptr);
    EXPECT_NE(w->dwGetThreadId(), 0u);
    EXPECT_FALSE(FdSystem::boStopAndDelete(w));
    EXPECT_EQ(deleted, 0) << "an object whose thread runs is never freed";
    w->vRelease();
    w->vSetStopWait(5000);
    EXPECT_TRUE(FdSystem::boStopAndDelete(w));
    EXPECT_EQ(deleted, 1);
}

TEST(SpawnThread, StopWithoutWaitingThenStart)
{
    CWorker w(false);
    ASSERT_TRUE(w.boStart());
    ASSERT_TRUE(w.boWaitStarted());
    w.vStop(false);
    // The thread ends on its own; the next start picks up after it.
    for (int i = 0; i < 500 && w.boIsRunning(); ++i)
        Sleep(10);
    EXPECT_FALSE(w.boIsRunning());
    EXPECT_TRUE(w.boStart());
    w.vStop(true);
}

TEST(ThreadTimer, CallsOnTimerEachPeriodOnItsThread)
{
    CCountingTimer t;
    ASSERT_TRUE(t.boStartMs(10));
    EXPECT_EQ(t.dwGetPeriodMs(), 10u);
    for (int i = 0; i < 500 && t.m_iTicks < 3; ++i)
        Sleep(10);
    t.vStop(true);
    const int ticks = t.m_iTicks;
    EXPECT_GE(ticks, 3);
    EXPECT_NE(t.m_dwTickThread.load(), GetCurrentThreadId());
    Sleep(50);
    EXPECT_EQ(t.m_iTicks, ticks) << "no tick after the stop";
}

TEST(ThreadTimer, StopIsPromptWithALongPeriod)
{
    CCountingTimer t;
    ASSERT_TRUE(t.boStart(60));
    EXPECT_EQ(t.dwGetPeriodMs(), 60000u);
    t.vSetStopWait(CSpawnThread::kStopWaitMs);
    const DWORD start = GetTickCount();
    t.vStop(true);
    EXPECT_FALSE(t.boIsRunning());
    EXPECT_LT(GetTickCount() - start, 2000u); // far below both the period and the stop wait
    EXPECT_EQ(t.m_iTicks, 0);
}
