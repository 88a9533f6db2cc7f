#include "ListTTL2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

using FdMisc::CListTTL2;
using FdMisc::CTTLItem;

namespace
{

struct Msg
{
    CTTLItem item;
    int id;
    int repeats; // re-inserted this many times before removal
};

struct Sink
{
    CListTTL2* list = nullptr;
    std::vector<int> expired;
    std::atomic<DWORD> thread{0};
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    size_t doneAfter = 1;
    ~Sink() { CloseHandle(done); }

    static void OnExpired(CTTLItem* it, uintptr_t ctx)
    {
        Sink* s = reinterpret_cast<Sink*>(ctx);
        Msg* m = reinterpret_cast<Msg*>(it);
        s->thread = GetCurrentThreadId();
        s->expired.push_back(m->id);
        // Runs under the list's lock: the list's own calls must not block.
        if (m->repeats-- > 0)
            s->list->vInsert(it, 10, 1);
        else
            s->list->vRemove(it);
        if (s->expired.size() >= s->doneAfter)
            SetEvent(s->done);
    }
};

std::vector<int> g_fnExpired;
void OnExpiredFn(CTTLItem* it)
{
    g_fnExpired.push_back(reinterpret_cast<Msg*>(it)->id);
}

class CHookedList : public CListTTL2
{
public:
    ~CHookedList() override { vClose(); }
    std::atomic<DWORD> m_dwStartThread{0};
    std::atomic<int> m_iEnds{0};

protected:
    void vOnTickThreadStart() override { m_dwStartThread = GetCurrentThreadId(); }
    void vOnTickThreadEnd() override { ++m_iEnds; }
};

} // namespace

TEST(ListTTL2, UnitFlagScalesBothTimes)
{
    struct Case
    {
        uint8_t unit;
        uint32_t maxDelay, tick, wantMax, wantTick;
    };
    const Case cases[] = {{1, 3600000, 50, 3600000, 50}, {0, 3600, 1, 3600000, 1000}, {2, 5, 2, 5000, 2000}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(int(c.unit));
        CListTTL2 list(CListTTL2::kManualTick);
        ASSERT_TRUE(list.boInit(c.maxDelay, c.tick, &OnExpiredFn, c.unit));
        EXPECT_EQ(list.dwGetTickMs(), c.wantTick);
        Msg m{{}, 1, 0};
        list.vInsert(&m.item, 0xFFFFFFFFu, 1);
        EXPECT_EQ(m.item.dwDelay, c.wantMax);
        list.vClose();
        EXPECT_FALSE(m.item.boIsLinked());
    }
}

TEST(ListTTL2, NothingHappensWhileNotInitialised)
{
    CListTTL2 list(CListTTL2::kManualTick);
    Msg m{{}, 1, 0};
    list.vInsert(&m.item, 10, 1);
    EXPECT_FALSE(m.item.boIsLinked());
    EXPECT_EQ(list.lpGetFirst(false), nullptr);
    ASSERT_TRUE(list.boInit(1000, 10, &OnExpiredFn, 1));
    list.vInsert(&m.item, 10, 1);
    EXPECT_EQ(list.ulGetCount(), 1u);
    list.vClose();
    EXPECT_EQ(list.ulGetCount(), 0u);
    EXPECT_FALSE(list.boIsInitialised());
    list.vInsert(&m.item, 10, 1);
    EXPECT_FALSE(m.item.boIsLinked());
}

TEST(ListTTL2, FunctionCallbackAndSuspendCount)
{
    g_fnExpired.clear();
    CListTTL2 list(CListTTL2::kManualTick);
    ASSERT_TRUE(list.boInit(1000, 50, &OnExpiredFn, 1));
    Msg a{{}, 1, 0};
    list.vInsert(&a.item, 50, 1);
    EXPECT_EQ(list.lSuspend(true), 1);
    EXPECT_EQ(list.lSuspend(true), 2);
    list.vTick();
    EXPECT_EQ(list.lSuspend(false), 1);
    list.vTick();
    EXPECT_TRUE(g_fnExpired.empty()) << "suspended ticks do not age the list";
    EXPECT_EQ(list.lSuspend(false), 0);
    EXPECT_EQ(list.lSuspend(false), 0) << "an unmatched resume keeps 0";
    list.vTick();
    EXPECT_EQ(g_fnExpired, std::vector<int>{1}); // the callback kept it: still linked
    EXPECT_EQ(list.lpGetFirst(true), &a.item);
}

TEST(ListTTL2, TickThreadExpiresAndCallbacksReinsertUnderTheLock)
{
    Sink sink;
    CHookedList list;
    sink.list = &list;
    sink.doneAfter = 4;
    ASSERT_TRUE(list.boInitMethod(60000, 5, &Sink::OnExpired, reinterpret_cast<uintptr_t>(&sink), 1));
    Msg a{{}, 1, 2}, b{{}, 2, 0};
    list.vInsert(&b.item, 20, 1);
    list.vInsert(&a.item, 10, 1);
    ASSERT_EQ(WaitForSingleObject(sink.done, 5000), (DWORD)WAIT_OBJECT_0);
    list.vClose();
    EXPECT_EQ(list.m_iEnds, 1);
    EXPECT_NE(list.m_dwStartThread.load(), 0u);
    EXPECT_EQ(list.m_dwStartThread.load(), sink.thread.load());
    EXPECT_NE(sink.thread.load(), GetCurrentThreadId());
    ASSERT_EQ(sink.expired.size(), 4u);
    EXPECT_EQ(sink.expired[0], 1);
    EXPECT_EQ(std::count(sink.expired.begin(), sink.expired.end(), 1), 3);
    EXPECT_EQ(std::count(sink.expired.begin(), sink.expired.end(), 2), 1);
    EXPECT_FALSE(a.item.boIsLinked());
    EXPECT_FALSE(b.item.boIsLinked());
}
