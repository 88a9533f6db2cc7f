// Memory blocks, layout rectangles, the timer host and frame properties.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "FrameProps.h"
#include "HtmlMemBlock.h"
#include "HtmlTimerHost.h"
#include "LayoutRect.h"

namespace
{
HtmlMemBlock BlockOf(const char* text)
{
    const uint32_t n = uint32_t(std::strlen(text));
    HtmlMemBlock b = MemBlockAlloc(0, n);
    MemBlockWrite(b, 0, text, n);
    return b;
}

TEST(MemBlock, SizeLockAndFree)
{
    HtmlMemBlock b = MemBlockAlloc(0x42, 10);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(MemBlockSize(b), 10u);
    EXPECT_EQ(MemBlockLock(b), b);
    EXPECT_EQ(MemBlockUnlock(b), 1);
    b = MemBlockRealloc(b, 20);
    EXPECT_EQ(MemBlockSize(b), 20u);
    EXPECT_EQ(MemBlockFree(b), nullptr);
    EXPECT_EQ(MemBlockSize(nullptr), 0u);
}

TEST(MemBlock, ReadAndWriteStopAtTheEnd)
{
    HtmlMemBlock b = BlockOf("abcdef");
    char out[8] = "xxxxxxx";
    struct Row
    {
        uint32_t offset, count, expected;
    };
    for (const Row& r : {Row{0, 6, 6}, Row{4, 10, 2}, Row{6, 1, 0}, Row{7, 1, 0}, Row{2, 0, 0}})
    {
        SCOPED_TRACE(testing::Message() << "offset " << r.offset << " count " << r.count);
        EXPECT_EQ(MemBlockRead(b, r.offset, out, r.count), r.expected);
        EXPECT_EQ(MemBlockWrite(b, r.offset, "zzzzzzzzzz", r.count), r.expected);
    }
    MemBlockFree(b);
}

TEST(MemBlock, CopyStaysInsideBothBlocks)
{
    HtmlMemBlock src = BlockOf("0123456789");
    HtmlMemBlock dst = BlockOf("abcde");
    EXPECT_EQ(MemBlockCopy(src, 2, dst, 1, 3), 1);
    EXPECT_EQ(std::string(MemBlockBytes(dst), 5), "a234e");
    // Past the destination, past the source, offsets that wrap: nothing copied.
    EXPECT_EQ(MemBlockCopy(src, 0, dst, 3, 3), 0);
    EXPECT_EQ(MemBlockCopy(src, 8, dst, 0, 3), 0);
    EXPECT_EQ(MemBlockCopy(src, 0xFFFFFFFF, dst, 0, 2), 0);
    EXPECT_EQ(MemBlockCopy(nullptr, 0, dst, 0, 1), 0);
    EXPECT_EQ(MemBlockCopy(nullptr, 0, dst, 0, 0), 1); // nothing to copy
    EXPECT_EQ(std::string(MemBlockBytes(dst), 5), "a234e");
    MemBlockFree(src);
    MemBlockFree(dst);
}

TEST(LayoutRect, GeometryOperations)
{
    LayoutRect r(10, 20, 110, 60);
    r.SetDescent(5);
    r.SetMiddleOffset(4);
    r.SetLineGap(3);
    EXPECT_EQ(r.Width(), 100);
    EXPECT_EQ(r.Height(), 40);
    EXPECT_EQ(r.Baseline(), 55);
    EXPECT_EQ(r.Ascent(), 35);
    EXPECT_EQ(r.MiddleLine(), 24);
    EXPECT_EQ(r.Middle(), (24 + 55) / 2);
    EXPECT_EQ(r.NextLineStart(), 63);
    r.MoveBaselineTo(100);
    EXPECT_EQ(r.Baseline(), 100);
    EXPECT_EQ(r.Height(), 40);
    r.MoveMiddleTo(50);
    EXPECT_EQ(r.Middle(), 50);
    EXPECT_EQ(r.Height(), 40);
    r.MoveBottomTo(0);
    EXPECT_EQ(r.top, -40);
    r.MoveTopTo(7);
    EXPECT_EQ(r.bottom, 47);
    LayoutRect c;
    c.CopyClamped(LayoutRect(-5, 3, -1, 9));
    EXPECT_EQ(c.left, 0);
    EXPECT_EQ(c.right, 0);
    EXPECT_EQ(c.top, 3);
    r.Set(1, 2, 3, 4);
    EXPECT_EQ(r.descent, 0);
    EXPECT_EQ(r.lineGap, 0);
}

class RecordingHost : public CHtmlTimerHost
{
public:
    std::vector<uint32_t> starts;
    int stops = 0;

protected:
    int32_t Start(uint32_t period) override
    {
        starts.push_back(period);
        return 7;
    }
    void Stop() override { ++stops; }
};

class CountingTimer : public CHtmlTimer
{
public:
    int calls = 0;
    std::function<void()> action;
    void OnTimer(uint32_t) override
    {
        ++calls;
        if (action)
            action();
    }
};

TEST(TimerHost, BasePeriods)
{
    struct Row
    {
        std::vector<uint32_t> intervals;
        uint32_t base;
        std::vector<uint32_t> ticks;
    };
    const Row rows[] = {
        {{500, 750}, 250, {2, 3}}, {{1000, 1050}, 1000, {1, 1}}, {{0}, 10, {0}}, {{70000}, 64000, {1}},
        {{500}, 500, {1}},         {{7, 11}, 3, {2, 4}}, // halving stops once the base is 5 or less
    };
    for (const Row& r : rows)
    {
        SCOPED_TRACE(testing::Message() << "first interval " << r.intervals[0]);
        const uint32_t base = CHtmlTimerHost::ComputeBasePeriod(r.intervals);
        EXPECT_EQ(base, r.base);
        for (size_t i = 0; i < r.intervals.size(); ++i)
            EXPECT_EQ(CHtmlTimerHost::TicksFor(r.intervals[i], base), r.ticks[i]);
    }
}

TEST(TimerHost, AddRemoveAndTick)
{
    RecordingHost host;
    CountingTimer a, b;
    EXPECT_EQ(host.AddTimer(&a, 500), 7);
    EXPECT_EQ(host.stops, 0);
    host.AddTimer(&b, 750);
    EXPECT_EQ(host.stops, 1);
    EXPECT_EQ(host.starts, (std::vector<uint32_t>{500, 250}));
    for (int i = 0; i < 6; ++i)
        host.OnTick(0);
    EXPECT_EQ(a.calls, 3);
    EXPECT_EQ(b.calls, 2);
    host.RemoveTimer(&a);
    EXPECT_TRUE(host.IsActive());
    host.RemoveTimer(&b);
    EXPECT_FALSE(host.IsActive());
    EXPECT_EQ(host.stops, 2);
}

TEST(TimerHost, RecordAddedAgainIsUpdatedNotDoubled)
{
    RecordingHost host;
    CountingTimer a;
    host.AddTimer(&a, 100);
    host.AddTimer(&a, 200);
    EXPECT_EQ(host.Count(), 1u);
    EXPECT_EQ(host.starts.back(), 200u);
    host.OnTick(0);
    EXPECT_EQ(a.calls, 1);
    host.RemoveTimer(&a);
    EXPECT_FALSE(host.IsActive());
}

TEST(TimerHost, ZeroIntervalTicksEveryBasePeriod)
{
    RecordingHost host;
    CountingTimer zero;
    host.AddTimer(&zero, 0);
    EXPECT_EQ(host.starts.back(), 10u);
    for (int i = 0; i < 3; ++i)
        host.OnTick(0);
    EXPECT_EQ(zero.calls, 3);
}

TEST(TimerHost, OnTimerMayRemoveDeleteAndAdd)
{
    RecordingHost host;
    CountingTimer first, third, added;
    auto* second = new CountingTimer;
    host.AddTimer(&first, 100);
    host.AddTimer(second, 100);
    host.AddTimer(&third, 100);
    // The first record removes and deletes the second and adds another.
    first.action = [&]
    {
        host.RemoveTimer(second);
        delete second;
        second = nullptr;
        host.AddTimer(&added, 100);
    };
    host.OnTick(0);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(third.calls, 1);
    EXPECT_EQ(added.calls, 0); // not in this tick's walk
    first.action = nullptr;
    host.OnTick(0);
    EXPECT_EQ(third.calls, 2);
    EXPECT_EQ(added.calls, 1);
}

TEST(FrameProps, Defaults)
{
    const FrameProps p;
    EXPECT_EQ(p.frameBorder, 2);
    EXPECT_EQ(p.marginWidth, 5);
    EXPECT_EQ(p.marginHeight, 5);
    EXPECT_EQ(p.scrollFlags, 6u);
    EXPECT_EQ(p.borderColors[0], 0x02C0C0C0u);
    EXPECT_EQ(p.borderColors[3], 0x02000000u);
    EXPECT_EQ(p.borderFlags[2], 1);
    const FrameProps copy = p;
    EXPECT_EQ(copy.borderColors[1], 0x02FFFFFFu);
}
} // namespace
