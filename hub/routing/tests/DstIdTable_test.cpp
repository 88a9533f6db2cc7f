#include "DstIdTable.h"

#include <gtest/gtest.h>

#include "WireBytes.h"

using namespace HubRouting;

namespace
{

struct Client
{
};
using Table = CDstIdTable<Client>;

TEST(DstIdTable, IdsBelow256AreRefused)
{
    struct Case
    {
        uint32_t dwId;
        Table::EAdd eExpected;
    } cases[] = {
        {0, Table::EAdd::Reserved},
        {7, Table::EAdd::Reserved},
        {255, Table::EAdd::Reserved},
        {256, Table::EAdd::Added},
        {HubProto::dwIdFromText("GAME"), Table::EAdd::Added},
    };
    for (const Case& c : cases)
    {
        Table t;
        Client client;
        EXPECT_EQ(t.Add(c.dwId, &client, 3), c.eExpected) << "id " << c.dwId;
    }
}

TEST(DstIdTable, SecondAttachOfAnIdIsRefusedAndKeepsTheFirstOwner)
{
    Table t;
    Client a, b;
    const uint32_t id = HubProto::dwIdFromText("GAME");
    ASSERT_EQ(t.Add(id, &a, 1), Table::EAdd::Added);
    EXPECT_EQ(t.Add(id, &b, 2), Table::EAdd::Taken);
    Client* owner = nullptr;
    uint8_t channel = 0;
    ASSERT_TRUE(t.boFind(id, owner, channel));
    EXPECT_EQ(owner, &a);
    EXPECT_EQ(channel, 1);
}

TEST(DstIdTable, ClosingAChannelForgetsAllItsIds)
{
    Table t;
    Client a;
    ASSERT_EQ(t.Add(1000, &a, 4), Table::EAdd::Added);
    ASSERT_EQ(t.Add(1001, &a, 4), Table::EAdd::Added);
    ASSERT_EQ(t.Add(1002, &a, 5), Table::EAdd::Added);
    t.vRemoveChannel(4);
    Client* owner = nullptr;
    uint8_t channel = 0;
    EXPECT_FALSE(t.boFind(1000, owner, channel));
    EXPECT_FALSE(t.boFind(1001, owner, channel));
    EXPECT_TRUE(t.boFind(1002, owner, channel));
    EXPECT_EQ(t.ulSize(), 1u);
    EXPECT_EQ(t.Add(1000, &a, 6), Table::EAdd::Added);
}

} // namespace
