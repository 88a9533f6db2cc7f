#include "SpawnThread.h"

#include <gtest/gtest.h>

namespace
{

class CDeafThread : public FdSystem::CSpawnThread
{
public:
    CDeafThread() { m_hRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    ~CDeafThread() override
    {
        SetEvent(m_hRelease);
        vStop(true);
        CloseHandle(m_hRelease);
    }

protected:
    DWORD dwThread() override
    {
        WaitForSingleObject(m_hRelease, INFINITE); // ignores the stop event
        return 0;
    }

private:
    HANDLE m_hRelease;
};

} // namespace

TEST(StopWait, ThreadIgnoringItsStopEventCostsTheFull8Seconds)
{
    CDeafThread t;
    ASSERT_TRUE(t.boStart());
    const DWORD start = GetTickCount();
    t.vStop(true);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 7900u);
    EXPECT_LT(elapsed, 12000u);
    EXPECT_TRUE(t.boIsRunning());
}
