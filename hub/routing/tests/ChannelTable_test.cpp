#include "ChannelTable.h"

#include <gtest/gtest.h>

#include "TestHelper.h"

using namespace HubRouting;

namespace
{

struct Link
{
};
struct Client
{
};

using Table = CChannelTable<Link, Client>;

// Takes every id, checking they come in order from 0.
void vFill(Table& t, Link* link, Client* client)
{
    for (uint32_t i = 0; i < Table::kChannelCount; ++i)
    {
        uint8_t id = 0xEE;
        ASSERT_TRUE(t.boAllocate(link, client, id));
        ASSERT_EQ(id, i);
    }
}

TEST(ChannelTable, HandsOutIdsInOrderFromZero)
{
    Table t;
    Link link;
    Client client;
    uint8_t a = 0, b = 0;
    ASSERT_TRUE(t.boAllocate(&link, &client, a));
    ASSERT_TRUE(t.boAllocate(&link, &client, b));
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(t.lpLink(a), &link);
    EXPECT_EQ(t.lpClient(b), &client);
    EXPECT_EQ(t.ulInUse(), 2u);
}

TEST(ChannelTable, FullTableFailsAtOnceAndChangesNothing)
{
    Table t;
    Link link;
    Client client;
    FD_HELPER(vFill(t, &link, &client));
    uint8_t id = 0xEE;
    EXPECT_FALSE(t.boAllocate(&link, nullptr, id));
    EXPECT_EQ(id, 0xEE);
    EXPECT_EQ(t.ulInUse(), 255u);
    EXPECT_EQ(t.lpClient(254), &client);
}

TEST(ChannelTable, FreedIdIsFoundAfterTheLastHandedOut)
{
    Table t;
    Link link;
    FD_HELPER(vFill(t, &link, nullptr));
    t.vFree(7);
    t.vFree(200);
    uint8_t id = 0;
    // The search starts after 254, wraps and finds 7 first.
    ASSERT_TRUE(t.boAllocate(&link, nullptr, id));
    EXPECT_EQ(id, 7);
    ASSERT_TRUE(t.boAllocate(&link, nullptr, id));
    EXPECT_EQ(id, 200);
    EXPECT_FALSE(t.boAllocate(&link, nullptr, id));
}

// Regression: with one id left, the id just handed out must not be handed out again.
TEST(ChannelTable, LastFreeIdIsNotHandedOutTwice)
{
    Table t;
    Link link;
    FD_HELPER(vFill(t, &link, nullptr));
    t.vFree(100);
    uint8_t id = 0;
    ASSERT_TRUE(t.boAllocate(&link, nullptr, id));
    EXPECT_EQ(id, 100);
    EXPECT_FALSE(t.boAllocate(&link, nullptr, id));
}

TEST(ChannelTable, ClientCanGoWhileTheChannelStays)
{
    Table t;
    Link link;
    Client client;
    uint8_t id = 0;
    ASSERT_TRUE(t.boAllocate(&link, &client, id));
    t.vClearClient(id);
    EXPECT_EQ(t.lpClient(id), nullptr);
    EXPECT_EQ(t.lpLink(id), &link);
    t.vFree(id);
    EXPECT_EQ(t.lpLink(id), nullptr);
}

TEST(ChannelTable, Id255IsNoChannel)
{
    Table t;
    t.vFree(255);
    t.vClearClient(255);
    EXPECT_EQ(t.lpLink(255), nullptr);
    EXPECT_EQ(t.lpClient(255), nullptr);
}

} // namespace
