#include "TtlDeltaList.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using FdMisc::CTtlDeltaList;
using FdMisc::CTTLItem;

namespace
{

struct Rec
{
    CTTLItem item; // first member: the item's address is the record's
    int id;
};

Rec* AsRec(CTTLItem* it)
{
    return reinterpret_cast<Rec*>(it);
}

// A list whose expiry runs a test-supplied action and records the ids handed out.
struct Harness
{
    CTtlDeltaList list;
    std::vector<int> expired;
    std::function<void(Rec*)> action; // default: remove

    Harness(uint32_t maxDelay = 3600000)
    {
        list.vSetMaxDelay(maxDelay);
        list.vSetCallback(&Harness::OnExpired, reinterpret_cast<uintptr_t>(this));
    }
    static void OnExpired(CTTLItem* it, uintptr_t ctx)
    {
        Harness* h = reinterpret_cast<Harness*>(ctx);
        h->expired.push_back(AsRec(it)->id);
        if (h->action)
            h->action(AsRec(it));
        else
            h->list.vRemove(it);
    }
    // (id, deadline) pairs in list order; also checks the links.
    std::vector<std::pair<int, long long>> Deadlines(FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        std::vector<std::pair<int, long long>> out;
        long long acc = 0;
        CTTLItem* head = list.lpGetHead();
        CTTLItem* last = nullptr;
        for (CTTLItem* x = head; x; x = x->lpNext)
        {
            if (x != head)
            {
                EXPECT_EQ(x->lpPrev, last);
            }
            acc += x->lDelta;
            out.push_back({AsRec(x)->id, acc});
            last = x;
        }
        if (head)
        {
            EXPECT_EQ(head->lpPrev, last) << "head's previous pointer must be the tail";
        }
        EXPECT_EQ(out.size(), list.ulGetCount());
        return out;
    }
};

typedef std::vector<std::pair<int, long long>> DL;

} // namespace

TEST(TtlDeltaList, InsertsInDeadlineOrderWithDeltas)
{
    Harness h;
    Rec a{{}, 300}, b{{}, 100}, c{{}, 200};
    h.list.vInsert(&a.item, 300, 1);
    h.list.vInsert(&b.item, 100, 1);
    h.list.vInsert(&c.item, 200, 1);
    EXPECT_EQ(h.Deadlines(), (DL{{100, 100}, {200, 200}, {300, 300}}));
    EXPECT_EQ(b.item.lDelta, 100);
    EXPECT_EQ(c.item.lDelta, 100);
    EXPECT_EQ(a.item.lDelta, 100);
    EXPECT_EQ(h.list.dwGetTailTime(), 300u);
}

TEST(TtlDeltaList, DelayIsCappedAtTheMax)
{
    struct Case
    {
        uint32_t delay;
        long long deadline;
    };
    const Case cases[] = {{0xFFFFFFFFu, 5000}, {5000, 5000}, {5001, 5000}, {4999, 4999}, {0, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.delay);
        Harness h(5000);
        Rec r{{}, 1};
        h.list.vInsert(&r.item, c.delay, 1);
        EXPECT_EQ(h.Deadlines(), (DL{{1, c.deadline}}));
        EXPECT_EQ(r.item.dwDelay, (uint32_t)c.deadline);
    }
}

TEST(TtlDeltaList, EqualDeadlinesFollowTheFlag)
{
    for (uint8_t flag : {0, 1})
    {
        SCOPED_TRACE(int(flag));
        Harness h;
        Rec early{{}, 0}, a{{}, 1}, b{{}, 2}, c{{}, 3}, late{{}, 9};
        h.list.vInsert(&late.item, 900, flag);
        h.list.vInsert(&early.item, 100, flag);
        h.list.vInsert(&a.item, 500, flag);
        h.list.vInsert(&b.item, 500, flag);
        h.list.vInsert(&c.item, 500, flag);
        const DL want = flag == 1 ? DL{{0, 100}, {1, 500}, {2, 500}, {3, 500}, {9, 900}}
                                  : DL{{0, 100}, {3, 500}, {2, 500}, {1, 500}, {9, 900}};
        EXPECT_EQ(h.Deadlines(), want);
        for (int i = 0; i < 5; ++i)
            h.list.vTick(200);
        EXPECT_EQ(h.expired,
                  flag == 1 ? (std::vector<int>{0, 1, 2, 3, 9}) : (std::vector<int>{0, 3, 2, 1, 9}));
    }
}

TEST(TtlDeltaList, RemovalKeepsOtherDeadlines)
{
    struct Case
    {
        int remove;
        DL want;
        uint32_t tail;
    };
    const Case cases[] = {
        {1, {{2, 200}, {3, 300}}, 300}, {2, {{1, 100}, {3, 300}}, 300}, {3, {{1, 100}, {2, 200}}, 200}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.remove);
        Harness h;
        Rec r[3] = {{{}, 1}, {{}, 2}, {{}, 3}};
        for (Rec& x : r)
            h.list.vInsert(&x.item, x.id * 100, 1);
        h.list.vRemove(&r[c.remove - 1].item);
        EXPECT_EQ(h.Deadlines(), c.want);
        EXPECT_EQ(h.list.dwGetTailTime(), c.tail);
        EXPECT_FALSE(r[c.remove - 1].item.boIsLinked());
        h.list.vRemove(&r[c.remove - 1].item); // twice: nothing happens
        EXPECT_EQ(h.list.ulGetCount(), 2u);
    }
}

TEST(TtlDeltaList, TickOnEmptyListDoesNothing)
{
    Harness h;
    h.list.vTick(50);
    EXPECT_EQ(h.list.lpGetHead(), nullptr);
    EXPECT_EQ(h.list.dwGetTailTime(), 0u);
}

TEST(TtlDeltaList, ItemsExpireAtTheirDeadlines)
{
    Harness h;
    Rec a{{}, 1}, b{{}, 2}, c{{}, 3};
    h.list.vInsert(&a.item, 60, 1);
    h.list.vInsert(&b.item, 100, 1);
    h.list.vInsert(&c.item, 101, 1);
    h.list.vTick(50);
    EXPECT_TRUE(h.expired.empty());
    h.list.vTick(50); // 100: a is late by 40, b on time; both expire in this tick
    EXPECT_EQ(h.expired, (std::vector<int>{1, 2}));
    EXPECT_EQ(h.Deadlines(), (DL{{3, 1}}));
    h.list.vTick(50);
    EXPECT_EQ(h.expired, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(h.list.ulGetCount(), 0u);
}

TEST(TtlDeltaList, LaterItemsWithNegativeDeltaAfterTheHeadExpireToo)
{
    // The head is 40 ms late; once it is removed its successor (10 ms later) is 30 ms late.
    Harness h;
    Rec a{{}, 1}, b{{}, 2}, c{{}, 3};
    h.list.vInsert(&a.item, 10, 1);
    h.list.vInsert(&b.item, 20, 1);
    h.list.vInsert(&c.item, 500, 1);
    h.list.vTick(50);
    EXPECT_EQ(h.expired, (std::vector<int>{1, 2}));
    EXPECT_EQ(h.Deadlines(), (DL{{3, 450}}));
}

TEST(TtlDeltaList, CallbackThatKeepsItsItemSeesItAgainNextTick)
{
    Harness h;
    Rec a{{}, 1}, b{{}, 2};
    h.list.vInsert(&a.item, 50, 1);
    h.list.vInsert(&b.item, 50, 1);
    h.action = [](Rec*) {}; // keeps the item linked
    h.list.vTick(50);
    h.list.vTick(50);
    EXPECT_EQ(h.expired, (std::vector<int>{1, 2, 1, 2}));
}

TEST(TtlDeltaList, CallbackRemovesTheNextItem)
{
    Harness h;
    Rec a{{}, 1}, b{{}, 2}, c{{}, 3};
    h.list.vInsert(&a.item, 50, 1);
    h.list.vInsert(&b.item, 50, 1);
    h.list.vInsert(&c.item, 60, 1);
    h.action = [&](Rec* r)
    {
        h.list.vRemove(&r->item);
        if (r->id == 1)
            h.list.vRemove(&b.item); // the cursor: the walk must go on with c
    };
    h.list.vTick(100);
    EXPECT_EQ(h.expired, (std::vector<int>{1, 3}));
    EXPECT_EQ(h.list.ulGetCount(), 0u);
}

TEST(TtlDeltaList, CallbackReinsertsItsItem)
{
    struct Case
    {
        uint32_t again;
        std::vector<int> firstTick;
        DL after;
    };
    const Case cases[] = {
        {0, {1, 2}, {{1, 0}, {3, 150}}}, // waits for the next tick, never spins
        {100, {1, 2}, {{1, 100}, {3, 150}}},
        {200, {1, 2}, {{3, 150}, {1, 200}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.again);
        Harness h;
        Rec a{{}, 1}, b{{}, 2}, d{{}, 3};
        h.list.vInsert(&a.item, 50, 1);
        h.list.vInsert(&b.item, 50, 1);
        h.list.vInsert(&d.item, 200, 1);
        h.action = [&](Rec* r)
        {
            h.list.vRemove(&r->item);
            if (r->id == 1)
                h.list.vInsert(&r->item, c.again, 1);
        };
        h.list.vTick(50);
        EXPECT_EQ(h.expired, c.firstTick);
        EXPECT_EQ(h.Deadlines(), c.after);
    }
    Harness h;
    Rec a{{}, 1};
    h.list.vInsert(&a.item, 0, 1);
    h.action = [&](Rec* r) { h.list.vInsert(&r->item, 0, 1); }; // re-insert without removing first
    h.list.vTick(50);
    h.list.vTick(50);
    EXPECT_EQ(h.expired, (std::vector<int>{1, 1}));
    EXPECT_EQ(h.list.ulGetCount(), 1u);
}

TEST(TtlDeltaList, InsertBeforeTheCursorIsExamined)
{
    // During a's callback a new item is inserted that is already due.
    Harness h;
    Rec a{{}, 1}, b{{}, 2}, n{{}, 5};
    h.list.vInsert(&a.item, 10, 0);
    h.list.vInsert(&b.item, 50, 0);
    h.action = [&](Rec* r)
    {
        h.list.vRemove(&r->item);
        if (r->id == 1)
            h.list.vInsert(&n.item, 0, 0);
    };
    h.list.vTick(60);
    // n was inserted during this walk: it waits for the next tick; b still expires now.
    EXPECT_EQ(h.expired, (std::vector<int>{1, 2}));
    h.list.vTick(60);
    EXPECT_EQ(h.expired, (std::vector<int>{1, 2, 5}));
}

TEST(TtlDeltaList, GetFirstAndClear)
{
    Harness h;
    Rec a{{}, 1}, b{{}, 2};
    EXPECT_EQ(h.list.lpGetFirst(true), nullptr);
    h.list.vInsert(&b.item, 200, 1);
    h.list.vInsert(&a.item, 100, 1);
    EXPECT_EQ(h.list.lpGetFirst(false), &a.item);
    EXPECT_EQ(h.list.ulGetCount(), 2u);
    EXPECT_EQ(h.list.lpGetFirst(true), &a.item);
    EXPECT_EQ(h.Deadlines(), (DL{{2, 200}}));
    h.list.vInsert(&a.item, 300, 1);
    h.list.vClear();
    EXPECT_EQ(h.list.ulGetCount(), 0u);
    EXPECT_FALSE(a.item.boIsLinked());
    EXPECT_FALSE(b.item.boIsLinked());
}
