// Frame names, file names taken from addresses and the growth of stream buffers.
#include "NpFrameName.h"
#include "StreamBuffer.h"
#include "UrlFileName.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

TEST(NpFrameName, ReducesAsTheBrowserPlugInHostNeeds)
{
    struct
    {
        const char* in;
        const char* out;
    } const cases[] = {
        {"_blankgame", "game"},  {"_BLANKgame", "game"}, {"_blank", "_blank"},
        {"parent.main", "main"}, {"a.b.c", "c"},         {"main", "main"},
        {"_self", "_self"},      {"_blank.x", ".x"},     {"", ""},
        {"trail.", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NpFrameName::strReduce(c.in), c.out) << "frame " << c.in;
    EXPECT_EQ(NpFrameName::strReduce(nullptr), "");
}

TEST(UrlFileName, KeepsPlainNamesAndRefusesTheRest)
{
    struct
    {
        const char* url;
        const char* name;
    } const cases[] = {
        {"http://h/dl/Ludex.cab", "Ludex.cab"},
        {"http://h/dl/file.bin?x=1&y=/../../evil", "file.bin"},
        {"http://h/dl/file.bin#frag", "file.bin"},
        {"http://h/dl/", ""},
        {"http://h/dl/..", ""},
        {"http://h/dl/.", ""},
        {"http://h/dl/a\\..\\..\\win.ini", ""},
        {"http://h/dl/c:evil", ""},
        {"http://h/dl/a*b", ""},
        {"http://h/dl/a%2f..", ""},
        {"http://h/dl/CON", ""},
        {"http://h/dl/nul.txt", ""},
        {"http://h/dl/com1", ""},
        {"http://h/dl/lpt9.dat", ""},
        {"http://h/dl/com10", "com10"},
        {"http://h/dl/console", "console"},
        {"http://h/dl/name.", ""},
        {"http://h/dl/name ", ""},
        {"noslash.txt", "noslash.txt"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UrlFileName::strFromUrl(c.url), c.name) << "url " << c.url;
    EXPECT_EQ(UrlFileName::strFromUrl(nullptr), "");
    const std::string strLong(UrlFileName::kNameMax, 'a');
    EXPECT_EQ(UrlFileName::strFromUrl(("http://h/" + strLong).c_str()), strLong);
    EXPECT_EQ(UrlFileName::strFromUrl(("http://h/" + strLong + "b").c_str()), "");
    const char szControl[] = {'h', '/', 'a', 0x01, 'b', 0};
    EXPECT_EQ(UrlFileName::strFromUrl(szControl), "");
}

namespace
{
std::vector<uint32_t> g_allocations;
bool g_boFailNext = false;

void* lpAlloc(uint32_t ulSize)
{
    if (g_boFailNext)
        return nullptr;
    g_allocations.push_back(ulSize);
    return std::malloc(ulSize);
}

void vFree(void* lp)
{
    std::free(lp);
}

const CStreamBuffer::SAllocator kAllocator = {lpAlloc, vFree};

class StreamBufferTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_allocations.clear();
        g_boFailNext = false;
    }
};
} // namespace

TEST_F(StreamBufferTest, GrowsInStepsAndKeepsRoomForTheTerminator)
{
    CStreamBuffer buffer(kAllocator);
    ASSERT_TRUE(buffer.boStart());
    std::string strExpected;
    for (uint32_t ulDone = 0; ulDone < 10000; ulDone += 3000)
    {
        const uint32_t ulPiece = std::min<uint32_t>(3000, 10000 - ulDone);
        const std::string strPiece(ulPiece, static_cast<char>('a' + ulDone / 3000));
        ASSERT_TRUE(buffer.boAppend(strPiece.data(), ulPiece));
        strExpected += strPiece;
    }
    EXPECT_EQ(g_allocations, (std::vector<uint32_t>{4098, 8194, 12290}));
    EXPECT_EQ(buffer.ulHeld(), 10000u);
    EXPECT_EQ(std::string(buffer.lpszTerminate()), strExpected);
}

TEST_F(StreamBufferTest, FullCapacityStillTakesTheTerminator)
{
    // Fill exactly to each capacity: the NUL goes in the slack, which ASan watches.
    CStreamBuffer buffer(kAllocator);
    ASSERT_TRUE(buffer.boStart());
    const std::string strFirst(CStreamBuffer::kStep, 'x');
    ASSERT_TRUE(buffer.boAppend(strFirst.data(), CStreamBuffer::kStep));
    EXPECT_EQ(buffer.ulAllocated(), 4098u);
    EXPECT_EQ(std::strlen(buffer.lpszTerminate()), CStreamBuffer::kStep);
    const std::string strMore(buffer.ulCapacity() - buffer.ulHeld() + 1, 'y');
    ASSERT_TRUE(buffer.boAppend(strMore.data(), static_cast<uint32_t>(strMore.size())));
    ASSERT_TRUE(buffer.boAppend(nullptr, 0));
    const std::string strFill(buffer.ulCapacity() - buffer.ulHeld(), 'z');
    ASSERT_TRUE(buffer.boAppend(strFill.data(), static_cast<uint32_t>(strFill.size())));
    EXPECT_EQ(buffer.ulHeld(), buffer.ulCapacity());
    EXPECT_EQ(std::strlen(buffer.lpszTerminate()), buffer.ulHeld());
}

TEST_F(StreamBufferTest, RefusesWhatItCannotHold)
{
    CStreamBuffer unstarted(kAllocator);
    EXPECT_FALSE(unstarted.boAppend("a", 1));
    EXPECT_EQ(unstarted.lpszTerminate(), nullptr);

    CStreamBuffer buffer(kAllocator);
    ASSERT_TRUE(buffer.boStart());
    ASSERT_TRUE(buffer.boAppend("abc", 3));
    EXPECT_FALSE(buffer.boAppend(nullptr, 5));
    EXPECT_FALSE(buffer.boAppend("x", CStreamBuffer::kHeldMax));
    g_boFailNext = true;
    const std::string strBig(5000, 'b');
    EXPECT_FALSE(buffer.boAppend(strBig.data(), 5000));
    EXPECT_EQ(buffer.ulHeld(), 3u);
    EXPECT_STREQ(buffer.lpszTerminate(), "abc");

    CStreamBuffer failing(kAllocator);
    EXPECT_FALSE(failing.boStart());
}
