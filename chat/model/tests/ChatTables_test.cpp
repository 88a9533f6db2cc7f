#include "ChatTables.h"

#include <gtest/gtest.h>

#include "ChatTextUtil.h"

using namespace ChatModel;

TEST(RoomKeys, DefaultEntryAndNothingStored)
{
    CRoomKeys k;
    int32_t mode = 0, members = 0;
    EXPECT_EQ(k.strGet("#any", &mode, &members), "");
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(members, -1);
    k.vSet("", ChatText::strScramble("secret", ChatText::strDerivedKey()), "5", "");
    EXPECT_EQ(k.strGet("#any", &mode, &members), "secret");
    EXPECT_EQ(mode, 5);
    EXPECT_EQ(members, -1);
    k.vSet("#R", "", "", "12");
    EXPECT_EQ(k.strGet("#r", &mode, &members), "");
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(members, 12);
}

TEST(ChatTables, RegistryPathSplit)
{
    std::string root, key;
    EXPECT_FALSE(boSplitRegistryPath("HKEY_USERS\\x", root, key));
    EXPECT_FALSE(boSplitRegistryPath("HKEY_CURRENT_USER", root, key));
    ASSERT_TRUE(boSplitRegistryPath("hkey_current_user\\Software\\A", root, key));
    EXPECT_EQ(root, "HKEY_CURRENT_USER");
    EXPECT_EQ(key, "Software\\A");
}

TEST(ChatTables, UrlMatch)
{
    struct Case
    {
        const char* stored;
        const char* asked;
        bool match;
    } cases[] = {
        {"http://h/a.txt", "HTTP://H/A.TXT", true},
        {"http://h/a.txt", "a.txt", false},
        {"http://h/a.txt", "/a.txt", true},
        {"http://ha.txt", "a.txt", true},
        {"x/a.txt", "a.txt", false},
        {"xa.txt", "a.txt", true},
        {"", "a", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(boUrlMatch(c.stored, c.asked), c.match) << c.stored << " / " << c.asked;
}

TEST(ChatTables, RequestedDownloads)
{
    CRequestedDownloads d([](const std::string& p) { return p == "C:\\ok"; });
    d.vAddRequest("http://h/f", "one");
    d.vAddRequest("HTTP://H/F", "two");
    EXPECT_EQ(d.Requesters("http://h/f"), (std::vector<std::string>{"one", "two"}));
    EXPECT_TRUE(d.boIsPending("TWO"));
    EXPECT_EQ(d.strFirstPending(), "http://h/f");
    EXPECT_TRUE(d.boSetResult("http://h/f", "", false));
    bool mem = true;
    EXPECT_EQ(d.strGetResult("http://h/f", &mem), "");
    EXPECT_FALSE(d.boIsPending("one"));
    EXPECT_TRUE(d.boSetResult("http://h/f", "C:\\ok", false));
    EXPECT_EQ(d.strGetResult("http://h/f", &mem), "C:\\ok");
    EXPECT_FALSE(d.boSetResult("http://other/", "x", true));
}

TEST(ChatTables, GroupsSortByRankAndLookUpWithoutCreating)
{
    CGroupTable g;
    g.FindOrCreate("first", 3);
    g.FindOrCreate("second", 1);
    ASSERT_EQ(g.Groups().size(), 2u);
    EXPECT_EQ(g.Groups()[0].strName, "second");
    EXPECT_FALSE(g.boHasMember("nobody", "ann"));
    EXPECT_EQ(g.Groups().size(), 2u);
    EXPECT_EQ(g.iSetMember("First", "Ann", 4), 1);
    EXPECT_EQ(g.iSetMember("first", "ann", 4), 0);
    EXPECT_TRUE(g.boHasMember("FIRST", "ANN"));
    std::vector<std::string> names;
    EXPECT_EQ(g.uGroupsOf("ann", &names), 1u);
    EXPECT_EQ(g.iRenameMember("ann", "bob"), 1);
    EXPECT_EQ(g.Members("first"), (std::vector<std::string>{"bob"}));
    EXPECT_TRUE(g.boSetListEntry("first", 2, 3, "fmt"));
    EXPECT_TRUE(g.boSetListEntry("first", CGroupTable::kMaxLists - 1, CGroupTable::kMaxListEntries - 1, "x"));
    EXPECT_FALSE(g.boSetListEntry("first", CGroupTable::kMaxLists, 0, "x"));
    EXPECT_FALSE(g.boSetListEntry("first", 0, CGroupTable::kMaxListEntries, "x"));
    EXPECT_EQ(g.strListEntry("first", 2, 3), "fmt");
    EXPECT_EQ(g.strListEntry("first", 2, 9), "");
    EXPECT_EQ(CGroupTable::strFileSafeName("a b"), "a_b");
    g.vSetDefaultFileTemplate("g/%grpnamefile%.vblt");
    g.FindOrCreate("adm*").strFileTemplate = "adm/%grpname%";
    EXPECT_EQ(g.strGroupFile("a b"), "g/a_b.vblt");
    EXPECT_EQ(g.strGroupFile("admins"), "adm/admins");
}

TEST(ChatTables, MultiPartTable)
{
    CMultiPartTable t;
    t.vSetContext("bob", "", 0);
    EXPECT_TRUE(t.boAddPart("m", "b", -1));
    EXPECT_TRUE(t.boAddPart("m", "a", 0));
    EXPECT_TRUE(t.boAddPart("m", "c", 99)); // past the end: appended
    t.vSetExpected("m", 3);
    EXPECT_TRUE(t.boComplete("m"));
    EXPECT_EQ(t.strJoined("m"), "abc");
    std::string one;
    int32_t number = -1;
    EXPECT_TRUE(t.boContext("m", &one, nullptr, &number));
    EXPECT_EQ(one, "bob");
    t.vRemove("m");
    EXPECT_EQ(t.uSize(), 0u);

    // Parts and bytes per record are bounded.
    for (size_t i = 0; i < CMultiPartTable::kMaxParts; ++i)
        ASSERT_TRUE(t.boAddPart("p", "x", -1));
    EXPECT_FALSE(t.boAddPart("p", "x", -1));
    EXPECT_TRUE(t.boAddPart("big", std::string(CMultiPartTable::kMaxBytes, 'b'), -1));
    EXPECT_FALSE(t.boAddPart("big", "1", -1));

    // A 33rd record drops the oldest incomplete one.
    CMultiPartTable u;
    u.boAddPart("done", "x", -1);
    u.vSetExpected("done", 1);
    for (size_t i = 1; i < CMultiPartTable::kMaxRecords; ++i)
        u.boAddPart("r" + std::to_string(i), "x", -1);
    EXPECT_EQ(u.uSize(), CMultiPartTable::kMaxRecords);
    u.boAddPart("new", "x", -1);
    EXPECT_EQ(u.uSize(), CMultiPartTable::kMaxRecords);
    EXPECT_TRUE(u.boComplete("done"));
    EXPECT_FALSE(u.boContext("r1", nullptr, nullptr, nullptr));
}

TEST(ChatTables, FinishedDownloadQueue)
{
    CFinishedDownloads q;
    EXPECT_EQ(q.Pop(), nullptr);
    std::unique_ptr<FinishedDownload> r(new FinishedDownload);
    r->strUrl = "u";
    q.vPush(std::move(r));
    auto p = q.Pop();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->strUrl, "u");
    q.vPush(std::unique_ptr<FinishedDownload>(new FinishedDownload));
    q.vDestroy();
    EXPECT_EQ(q.Pop(), nullptr);
}
