#include "LinkTable.h"

#include <gtest/gtest.h>

using namespace HubRouting;

namespace
{

struct Link
{
};
struct Client
{
};
using Table = CLinkTable<Link, Client>;

TEST(LinkTable, FoundByAddressAndPortOrByLink)
{
    Table t;
    Link a, b;
    t.Create(0x0100007F, 5000, &a);
    t.Create(0x0100007F, 5001, &b);
    ASSERT_NE(t.lpFind(0x0100007F, 5000), nullptr);
    EXPECT_EQ(t.lpFind(0x0100007F, 5000)->lpLink, &a);
    EXPECT_EQ(t.lpFind(0x0200007F, 5000), nullptr);
    ASSERT_NE(t.lpFindByLink(&b), nullptr);
    EXPECT_EQ(t.lpFindByLink(&b)->wPort, 5001);
    EXPECT_EQ(t.ulSize(), 2u);
}

TEST(LinkTable, TakenInfoKeepsItsListsAndLeavesTheTable)
{
    Table t;
    Link a;
    Client c;
    Table::Info& info = t.Create(1, 2, &a);
    info.channels = {3, 4};
    info.waiting = {&c};
    Table::Info out;
    ASSERT_TRUE(t.boTake(&a, out));
    EXPECT_EQ(out.channels, (std::vector<uint8_t>{3, 4}));
    EXPECT_EQ(out.waiting.size(), 1u);
    EXPECT_EQ(t.ulSize(), 0u);
    EXPECT_FALSE(t.boTake(&a, out));
}

TEST(LinkTable, GoneClientLeavesEveryWaitingList)
{
    Table t;
    Link a, b;
    Client gone, stays;
    t.Create(1, 1, &a).waiting = {&gone, &stays, &gone};
    t.Create(1, 2, &b).waiting = {&gone};
    t.vForgetWaiting(&gone);
    EXPECT_EQ(t.lpFind(1, 1)->waiting, (std::vector<Client*>{&stays}));
    EXPECT_TRUE(t.lpFind(1, 2)->waiting.empty());
}

TEST(LinkTable, ChannelRemovedFromItsInfo)
{
    Table t;
    Link a;
    Table::Info& info = t.Create(1, 1, &a);
    info.channels = {1, 2, 3};
    Table::vRemoveChannel(info, 2);
    EXPECT_EQ(info.channels, (std::vector<uint8_t>{1, 3}));
}

} // namespace
