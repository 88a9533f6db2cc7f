#include "KillableTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{
using Killable::CTableView;

class KillableTable : public ::testing::Test
{
protected:
    std::vector<uint8_t> m_block = std::vector<uint8_t>(Killable::kTableSize, 0);
    CTableView m_view{m_block.data()};
};

TEST_F(KillableTable, FiftyDistinctEntriesFitAndTheFiftyFirstIsRefused)
{
    for (uint32_t i = 0; i < Killable::kEntryCount; ++i)
        ASSERT_TRUE(m_view.boAddPid(1000 + i)) << i;
    EXPECT_FALSE(m_view.boAddPid(5000));
    EXPECT_FALSE(m_view.boAddName("C:\\x.exe"));
    // An equal entry still succeeds without a slot.
    EXPECT_TRUE(m_view.boAddPid(1049));
    EXPECT_EQ(Killable::kEntryCount, m_view.ulUsedCount());
    // A freed slot is reused.
    ASSERT_TRUE(m_view.boRemovePid(1010));
    EXPECT_TRUE(m_view.boAddPid(5000));
    EXPECT_EQ("PID:5000", m_view.vecGetList()[10]);
}

TEST_F(KillableTable, NamesAreEqualIgnoringCase)
{
    ASSERT_TRUE(m_view.boAddName("C:\\Srv\\SRV.EXE"));
    ASSERT_TRUE(m_view.boAddName("c:\\srv\\srv.exe"));
    EXPECT_EQ(1u, m_view.ulUsedCount());
    ASSERT_TRUE(m_view.boRemoveName("C:\\SRV\\srv.exe"));
    EXPECT_EQ(0u, m_view.ulUsedCount());
    EXPECT_TRUE(m_view.boRemoveName("absent.exe"));
    EXPECT_TRUE(m_view.boRemovePid(77));
}

TEST_F(KillableTable, ListTextsAndLayout)
{
    ASSERT_TRUE(m_view.boAddPid(1234));
    ASSERT_TRUE(m_view.boAddName("C:\\Zelto\\Ludex.exe"));
    ASSERT_TRUE(m_view.boAddPid(0xFFFFFFFEu));
    const std::vector<std::string> expected = {"PID:1234", "NAME:C:\\Zelto\\Ludex.exe", "PID:4294967294"};
    EXPECT_EQ(expected, m_view.vecGetList());

    // Slot 1: used 1, id 0xFFFFFFFF, the name.
    const uint8_t* p = m_block.data() + Killable::kEntrySize;
    const uint8_t head[] = {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(0, std::memcmp(head, p, sizeof head));
    EXPECT_STREQ("C:\\Zelto\\Ludex.exe", reinterpret_cast<const char*>(p + Killable::kOffName));
    // Freed: used 0, id 0xFFFFFFFF, name zeroed.
    ASSERT_TRUE(m_view.boRemoveName("c:\\zelto\\ludex.exe"));
    const uint8_t freed[] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
    EXPECT_EQ(0, std::memcmp(freed, p, sizeof freed));
}

TEST_F(KillableTable, LongNamesAreCutAndUnterminatedNamesStayInTheirEntry)
{
    const std::string strLong(2000, 'n');
    ASSERT_TRUE(m_view.boAddName(strLong.c_str()));
    EXPECT_EQ("NAME:" + strLong.substr(0, Killable::kNameMax), m_view.vecGetList()[0]);
    EXPECT_TRUE(m_view.boAddName(strLong.c_str())); // the cut name is equal

    // Another process wrote a name with no NUL: read up to the entry's end only.
    uint8_t* p = m_block.data() + 2 * Killable::kEntrySize;
    p[0] = 1;
    std::memset(p + 4, 0xFF, 4);
    std::memset(p + Killable::kOffName, 'z', Killable::kNameSize);
    p[Killable::kEntrySize] = 'X'; // first byte of the next entry
    EXPECT_EQ("NAME:" + std::string(Killable::kNameSize, 'z'), m_view.vecGetList()[1]);
}
} // namespace
