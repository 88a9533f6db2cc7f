#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ItemTank.h"

namespace
{
const char kGameBlock[] = "<server val=\"10.0.0.1\"/><ports><tcp>2300</tcp></ports>";

struct LookupCase
{
    const char* path;
    const char* context;
    int32_t found;
    const char* value;
};
} // namespace

TEST(ItemTank, LookupsOfABlock)
{
    CItemTank tank;
    ASSERT_EQ(tank.LoadText(kGameBlock, "game"), 1);
    ASSERT_EQ(tank.GetCount(), 2u);
    EXPECT_EQ(tank.GetAt(0).context, "game");
    const LookupCase cases[] = {
        {"server", "", 1, "10.0.0.1"},
        {"SERVER", "game", 1, "10.0.0.1"},
        {"ports/tcp", "", 1, "2300"},
        {"server.val", "", 1, "10.0.0.1"},
        {"server.none", "", 1, ""},
        {"ports", "", 1, ""},
        {"ports/udp", "", 0, ""},
        {"server/x", "", 0, ""},
        {"never", "", 0, ""},
        {"server", "other", 0, ""},
        {"", "", 0, ""},
    };
    for (const LookupCase& c : cases)
    {
        CStringExt value = "sentinel";
        EXPECT_EQ(tank.Lookup(c.path, c.context, value), c.found) << c.path;
        EXPECT_EQ(value, c.value) << c.path;
    }
}

TEST(ItemTank, LaterBlockReplacesInPlace)
{
    CItemTank tank;
    ASSERT_EQ(tank.LoadText(kGameBlock, "game"), 1);
    ASSERT_EQ(tank.LoadText("<server val=\"10.0.0.2\" extra=\"1\"/>", "game"), 1);
    ASSERT_EQ(tank.GetCount(), 2u);
    EXPECT_EQ(tank.GetAt(0).name, "server");
    CStringExt value;
    EXPECT_EQ(tank.Lookup("server", "", value), 1);
    EXPECT_EQ(value, "10.0.0.2");
    EXPECT_EQ(tank.Lookup("server.extra", "", value), 1);
    EXPECT_EQ(value, "1");
    // Content wins over val; entities are decoded.
    ASSERT_EQ(tank.LoadText("<server val=\"v\">a &amp; b</server>", "game"), 1);
    EXPECT_EQ(tank.Lookup("server", "game", value), 1);
    EXPECT_EQ(value, "a & b");
}

TEST(ItemTank, ClearTankRemovesItsContextOnly)
{
    CItemTank tank;
    ASSERT_EQ(tank.LoadText(kGameBlock, "game"), 1);
    ASSERT_EQ(tank.LoadText("<server val=\"other\"/>", "net"), 1);
    // "server" of context net is a second entry beside that of game.
    ASSERT_EQ(tank.GetCount(), 3u);
    ASSERT_EQ(tank.LoadText("<cleartank/><fresh val=\"1\"/>", "game"), 1);
    ASSERT_EQ(tank.GetCount(), 2u);
    CStringExt value;
    EXPECT_EQ(tank.Lookup("server", "", value), 1);
    EXPECT_EQ(value, "other");
    EXPECT_EQ(tank.Lookup("fresh", "game", value), 1);
    EXPECT_EQ(tank.Lookup("ports", "", value), 0);
    tank.Remove("");
    EXPECT_EQ(tank.GetCount(), 0u);
}

TEST(ItemTank, FailedLoadAlerts)
{
    CItemTank tank;
    std::vector<std::string> alerts;
    tank.SetAlert([&](const std::string& text, const std::string& caption) { alerts.push_back(caption + "|" + text); });
    EXPECT_EQ(tank.LoadText("<a val=\"1\"/><b>", "game"), 0);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0], "Ludex Item Tank|Failed to load :\n<a val=\"1\"/><b>");
}

TEST(ItemTank, DeepNestingIsBounded)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "<t>";
    text += "v";
    for (int i = 0; i < 200; ++i)
        text += "</t>";
    CItemTank tank;
    EXPECT_EQ(tank.LoadText(text, ""), 1);
    EXPECT_EQ(tank.GetCount(), 1u);
}
