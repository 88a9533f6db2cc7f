// The page's parameters: key names in any case, bounds, numbers, the wait
// mark of "SURL" and the error page.
#include "PageParams.h"

#include <gtest/gtest.h>

using namespace Linkwell;

TEST(PageParams, KeysMatchInAnyCaseAndUnknownKeysChangeNothing)
{
    SPageParams p;
    EXPECT_EQ(EPageKey::CXIP, eSetPageParam(p, "cxip", "127.0.0.1"));
    EXPECT_EQ(EPageKey::CXPT, eSetPageParam(p, "CxPt", "9000"));
    EXPECT_EQ("127.0.0.1", p.cnxAddress);
    EXPECT_EQ(9000u, p.dwCnxPort);

    const SPageParams before = p;
    EXPECT_EQ(EPageKey::Unknown, eSetPageParam(p, "CXIPX", "x"));
    EXPECT_EQ(EPageKey::Unknown, eSetPageParam(p, "CXI", "x"));
    EXPECT_EQ(EPageKey::Unknown, eSetPageParam(p, "", "x"));
    EXPECT_EQ(before.cnxAddress, p.cnxAddress);
    EXPECT_EQ(before.dwCnxPort, p.dwCnxPort);
}

TEST(PageParams, EveryKeyOfTheTableIsKnown)
{
    for (const char* name : {"LOGT", "URLL", "FRMM", "URIP", "URPT", "PSDO", "CXIP", "CXPT", "CXTM", "LPCD",
                             "ERRU", "ERRF", "MSGC", "MSGD", "LKID", "DKAU", "DKAT", "PXPT"})
        EXPECT_NE(EPageKey::Unknown, eFindPageKey(name)) << name;
}

TEST(PageParams, TextsAreCutToTheirBounds)
{
    struct SCase
    {
        const char* lpszKey;
        size_t max;
        std::string SPageParams::*field;
    };
    const SCase cases[] = {
        {"URLL", kUrlMax, &SPageParams::url},         {"FRMM", kFrameMax, &SPageParams::frame},
        {"URIP", kUrlMax, &SPageParams::waitAddress}, {"PSDO", kTextMax, &SPageParams::pseudo},
        {"CXIP", kTextMax, &SPageParams::cnxAddress}, {"LPCD", kIdLength, &SPageParams::lpcdId},
        {"ERRU", kUrlMax, &SPageParams::errorUrl},    {"ERRF", kFrameMax, &SPageParams::errorFrame},
        {"MSGC", kMessageMax, &SPageParams::message}, {"MSGD", kIdLength, &SPageParams::messageDstId},
        {"LKID", kIdLength, &SPageParams::hubId},
    };
    for (const SCase& c : cases)
    {
        SPageParams p;
        eSetPageParam(p, c.lpszKey, std::string(c.max, 'a'));
        EXPECT_EQ(c.max, (p.*c.field).size()) << c.lpszKey << " at its bound";
        eSetPageParam(p, c.lpszKey, std::string(c.max + 1, 'b'));
        EXPECT_EQ(std::string(c.max, 'b'), p.*c.field) << c.lpszKey << " one over";
    }
}

TEST(PageParams, UripSetsTheWaitMarkAndErruWantsErrorJobs)
{
    SPageParams p;
    EXPECT_FALSE(p.boWaitMark);
    EXPECT_FALSE(p.boErrorJobsWanted);
    eSetPageParam(p, "URPT", "9001");
    EXPECT_FALSE(p.boWaitMark) << "only the address sets the mark";
    eSetPageParam(p, "URIP", "10.0.0.1");
    EXPECT_TRUE(p.boWaitMark);
    eSetPageParam(p, "ERRF", "errframe");
    EXPECT_FALSE(p.boErrorJobsWanted) << "the frame alone does not";
    eSetPageParam(p, "ERRU", "");
    EXPECT_TRUE(p.boErrorJobsWanted) << "even an empty address marks error jobs as wanted";
}

TEST(PageParams, NumbersAreReadAsDecimal)
{
    struct SCase
    {
        const char* lpszText;
        uint32_t dwValue;
    };
    const SCase cases[] = {
        {"0", 0},
        {"8999", 8999},
        {"  42", 42},
        {"+7", 7},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"0x10", 0},
        {"-1", 0xFFFFFFFFu},
        {"4294967295", 0xFFFFFFFFu},
        {"99999999999999999999", 0xFFFFFFFFu},
        {"-99999999999", 0x80000000u},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.dwValue, dwReadDecimal(c.lpszText)) << '"' << c.lpszText << '"';
}

TEST(PageParams, IdsTakeTheirFirstFourCharactersInWireOrder)
{
    EXPECT_EQ(0x45574B4Cu, dwIdFromString("LKWE"));
    EXPECT_EQ(0x45574B4Cu, dwIdFromString("LKWEXYZ"));
    EXPECT_EQ(0x00004241u, dwIdFromString("AB"));
    EXPECT_EQ(0u, dwIdFromString(""));
    EXPECT_EQ(0xE9000000u | 0x00434241u, dwIdFromString("ABC\xE9"));
}
