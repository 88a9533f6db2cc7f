// The progress counters of an instance, fed by its stream records and by the
// page's component packages: one set of counters, read back through the
// instance's getters, with the bar repainted when its lit cells change.
#include "InstTestSupport.h"
#include "PlugInst.h"
#include "StreamRecord.h"
#include "TestHelper.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace InstTest;

namespace
{
void* lpAlloc(uint32_t ulSize)
{
    return std::malloc(ulSize);
}

void vFree(void* lp)
{
    std::free(lp);
}

const CStreamBuffer::SAllocator kAllocator = {&lpAlloc, &vFree};

class PlugInstProgress : public CInstTest
{
protected:
    // 100 pixels wide: 10 cells; the bar is (0, 39, 100, 49).
    std::unique_ptr<CPlugInst> lpInstance() { return lpNewInstance({{"width", "100"}, {"height", "50"}}); }

    std::unique_ptr<CStreamRecord> lpStart(CPlugInst& inst, CStreamRecord::EKind eKind, uint32_t dwExpected,
                                           const std::string& strUrl,
                                           FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        auto record = std::make_unique<CStreamRecord>(eKind, true, dwExpected, kAllocator);
        EXPECT_TRUE(record->boBegin(inst, strUrl.c_str())) << strUrl;
        return record;
    }

    static void vWrite(CStreamRecord& record, uint32_t ulLength)
    {
        const std::string bytes(ulLength, 'x');
        uint32_t dwError = 0;
        EXPECT_TRUE(record.boGetData(bytes.data(), ulLength, &dwError)) << dwError;
    }

    static void vExpectCounters(const CPlugInst& inst, uint32_t dwExpected, uint32_t dwCounted,
                                uint32_t dwReceived, uint32_t dwLit, const char* lpszWhen)
    {
        EXPECT_EQ(dwExpected, inst.dwGetBytesExpected()) << lpszWhen;
        EXPECT_EQ(dwCounted, inst.dwGetDownloadsCounted()) << lpszWhen;
        EXPECT_EQ(dwReceived, inst.dwGetBytesReceived()) << lpszWhen;
        EXPECT_EQ(dwLit, inst.dwGetLitCells()) << lpszWhen;
    }

    const std::string kBarRepaint = "repaint 0,39,100,49";
};

// Two component downloads announced with their sizes, and an action stream
// whose bytes count too while downloads are under way.
TEST_F(PlugInstProgress, StreamsCountIntoTheInstance)
{
    auto inst = lpInstance();
    ASSERT_EQ(10u, inst->dwGetCellCount());
    auto first = lpStart(*inst, CStreamRecord::EKind::File, 1000, "http://127.0.0.1/first.bin");
    FD_HELPER(vExpectCounters(*inst, 1000, 1, 0, 0, "first announced"));
    auto second = lpStart(*inst, CStreamRecord::EKind::File, 1000, "http://127.0.0.1/second.bin");
    FD_HELPER(vExpectCounters(*inst, 2000, 2, 0, 0, "second announced"));
    EXPECT_TRUE(m_browser.calls.empty());

    FD_HELPER(vWrite(*first, 500));
    FD_HELPER(vExpectCounters(*inst, 2000, 2, 500, 2, "(10 - 1) * 500 / 2000"));
    EXPECT_EQ(std::vector<std::string>{kBarRepaint}, m_browser.calls);
    m_browser.calls.clear();
    FD_HELPER(vWrite(*first, 10));
    FD_HELPER(vExpectCounters(*inst, 2000, 2, 510, 2, "the same cells"));
    EXPECT_TRUE(m_browser.calls.empty()) << "no repaint when no cell changes";

    auto action = lpStart(*inst, CStreamRecord::EKind::Memory, 0, "http://127.0.0.1/action.fdg");
    FD_HELPER(vExpectCounters(*inst, 2000, 2, 510, 2, "an action stream counts no download"));
    FD_HELPER(vWrite(*action, 490));
    FD_HELPER(vExpectCounters(*inst, 2000, 2, 1000, 4, "its bytes count"));
    action->vAbandon(false);

    FD_HELPER(vWrite(*first, 490));
    first->vEnd(true, S_OK);
    FD_HELPER(vExpectCounters(*inst, 2000, 1, 1490, 6, "first ended"));
    m_browser.calls.clear();
    FD_HELPER(vWrite(*second, 500));
    FD_HELPER(vExpectCounters(*inst, 2000, 1, 1990, 8, "second nearly there"));
    second->vEnd(false, E_ABORT);
    FD_HELPER(vExpectCounters(*inst, 0, 0, 0, 0, "the last one ended: back to an empty bar"));
    EXPECT_EQ(kBarRepaint, m_browser.calls.back());

    // A new download starts from an empty bar.
    auto third = lpStart(*inst, CStreamRecord::EKind::File, 100, "http://127.0.0.1/third.bin");
    FD_HELPER(vWrite(*third, 50));
    FD_HELPER(vExpectCounters(*inst, 100, 1, 50, 4, "(10 - 1) * 50 / 100"));
    third->vEnd(false, E_ABORT);
}

// Bytes that arrive while nothing is expected are not counted.
TEST_F(PlugInstProgress, UncountedStreamsLightNothing)
{
    auto inst = lpInstance();
    auto action = lpStart(*inst, CStreamRecord::EKind::Memory, 0, "http://127.0.0.1/action.fdg");
    FD_HELPER(vWrite(*action, 4000));
    FD_HELPER(vExpectCounters(*inst, 0, 0, 0, 0, "nothing expected"));
    EXPECT_TRUE(m_browser.calls.empty());
    action->vAbandon(false);
}

// A page's component package announced with sizedata is fetched by a
// transfer that counts that size: its bytes light the bar, and its end
// counts it down, so the bar empties and the next download starts afresh.
TEST_F(PlugInstProgress, APackageAnnouncedByThePageLightsTheBarUntilItArrives)
{
    auto inst = lpInstance();
    // What the host starts for "open <package> | (none) size=2000".
    auto package = lpStart(*inst, CStreamRecord::EKind::Memory, 2000, "http://127.0.0.1/pkg");
    FD_HELPER(vExpectCounters(*inst, 2000, 1, 0, 0, "announced"));
    FD_HELPER(vWrite(*package, 1000));
    FD_HELPER(vExpectCounters(*inst, 2000, 1, 1000, 4, "(10 - 1) * 1000 / 2000"));
    FD_HELPER(vWrite(*package, 1000));
    package->vEnd(true, S_OK);
    FD_HELPER(vExpectCounters(*inst, 0, 0, 0, 0, "arrived: the bar empties"));

    auto next = lpStart(*inst, CStreamRecord::EKind::File, 100, "http://127.0.0.1/next.bin");
    FD_HELPER(vWrite(*next, 50));
    FD_HELPER(vExpectCounters(*inst, 100, 1, 50, 4, "the next download counts from zero"));
    next->vEnd(false, E_ABORT);
}
} // namespace

::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new CInstEnvironment);
