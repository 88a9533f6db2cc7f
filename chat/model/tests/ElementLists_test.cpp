#include "ElementLists.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ElementListDirectives.h"

using namespace ChatModel;

namespace
{
std::vector<std::string> KeyNames(const ElementNode& node)
{
    std::vector<std::string> out;
    for (const auto& child : node.children)
        out.push_back(child->strName);
    return out;
}

std::vector<std::string> ItemNames(const ElementNode& node)
{
    std::vector<std::string> out;
    for (const auto& item : node.items)
        out.push_back(item.strName);
    return out;
}

struct FakeHost : IElementListHost
{
    std::string strOwn = "Tom";
    std::set<std::string> members; // group + "/" + nick + "/" + rank
    std::vector<std::string> calls;
    std::vector<std::string> messages;
    std::string strHistory;

    std::string strOwnNickNoIncident() override { return strOwn; }
    bool boSetGroupMember(const std::string& group, const std::string& nick, int32_t rank) override
    {
        const bool changed = members.insert(group + "/" + nick + "/" + std::to_string(rank)).second;
        calls.push_back("member " + group + " " + nick + (changed ? " changed" : " same"));
        return changed;
    }
    void vAnnounceGroup(const std::string& group) override { calls.push_back("announce " + group); }
    void vAddRawMessage(const std::string& text) override { messages.push_back(text); }
    std::string strNickMarkup(const std::string& nick, int style) override
    {
        return "[" + nick + ":" + std::to_string(style) + "]";
    }
    std::string strPlainUserLinkAttrs() override { return "class=plain"; }
    void vCutHistoryTag(const std::string& tag, const std::string& attrs) override
    {
        strHistory = strCutTagAttributes(strHistory, tag, attrs);
    }
    void vQueueListChanged(const std::string& list) override { calls.push_back("changed " + list); }
    void vRequestMessageRefresh() override { calls.push_back("refresh"); }
};

struct Fixture
{
    CElementListTable table;
    FakeHost host;
    CElementListDirectives dir{table, host};
};
} // namespace

TEST(ElementLists, SortOrderLevelsAndCounts)
{
    CElementListTable t;
    EXPECT_EQ(t.lpFindList("L", false), nullptr);
    // Names compare without case, so the three displays come from three names.
    EXPECT_EQ(t.iAddKey("L", "k1", "beta", -1, ""), 1);
    EXPECT_EQ(t.iAddKey("L", "k2", "Alpha", -1, ""), 1);
    EXPECT_EQ(t.iAddKey("l", "k3", "alpha", -1, ""), 1);
    EXPECT_EQ(t.iAddKey("L", "K3", "alpha", 4, ""), 0);
    ElementNode* root = t.lpFindList("L", false);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(t.uSize(), 1u);
    EXPECT_EQ(root->iLevel, -1);
    EXPECT_EQ(KeyNames(*root), (std::vector<std::string>{"k2", "k3", "k1"}));
    EXPECT_EQ(root->children[1]->iMaxItem, 4);
    // A missing key is made at level 0; items sit one level below their node.
    EXPECT_EQ(t.iAddItem("L", "gamma", "b", "", "", 0), 1);
    EXPECT_EQ(t.iAddItem("L", "GAMMA", "a", "", "", 0), 1);
    EXPECT_EQ(t.iAddItem("L", "", "r", "", "", 0), 1);
    ElementNode* gamma = t.lpFindKey("L", "Gamma");
    ASSERT_NE(gamma, nullptr);
    EXPECT_EQ(gamma->iLevel, 0);
    EXPECT_EQ(gamma->iMaxItem, -1);
    EXPECT_EQ(gamma->items[0].iLevel, 1);
    EXPECT_EQ(root->items[0].iLevel, 0);
    EXPECT_EQ(ItemNames(*gamma), (std::vector<std::string>{"a", "b"}));
    // Re-adding keeps the place even when the display would sort elsewhere.
    EXPECT_EQ(t.iAddItem("L", "gamma", "a", "zzz", "T", 1), 0);
    EXPECT_EQ(ItemNames(*gamma), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(gamma->items[0].strDisplay, "zzz");
    EXPECT_EQ(gamma->items[0].iValue, 1);
    EXPECT_EQ(root->uCountItems(), 3u);
    EXPECT_EQ(root->uCountKeys(), 4u);
    EXPECT_EQ(t.iRemoveItem("L", "gamma", "B"), 1);
    EXPECT_EQ(t.iRemoveItem("L", "nokey", "a"), 0);
    EXPECT_EQ(t.iRemoveKey("L", "K2"), 1);
    EXPECT_EQ(KeyNames(*root), (std::vector<std::string>{"k3", "k1", "gamma"}));
    // Toggling twice returns to 0; unknown keys are not toggled.
    EXPECT_TRUE(t.boToggleExpanded("L", "k1"));
    EXPECT_EQ(t.iExpanded("L", "k1"), 1);
    EXPECT_TRUE(t.boToggleExpanded("L", "k1"));
    EXPECT_EQ(t.iExpanded("L", "k1"), 0);
    EXPECT_FALSE(t.boToggleExpanded("L", "none"));
    // Clearing keeps the settings.
    t.vSetKeyTemplate("L", "k");
    EXPECT_EQ(t.iClearList("L"), 1);
    EXPECT_EQ(root->uCountItems() + root->uCountKeys(), 0u);
    EXPECT_EQ(root->strKeyTemplate, "k");
    EXPECT_EQ(t.iClearList("M"), 0);
    EXPECT_EQ(t.iSetMessage("M", "ADDKEY", "x"), 0);
    EXPECT_EQ(t.lpFindList("M", false), nullptr);
}

TEST(ElementLists, ReceivedTextIsBounded)
{
    CElementListTable t;
    for (size_t i = 0; i < CElementListTable::kMaxLists + 3; ++i)
        t.iAddKey("L" + std::to_string(i), "k", "", -1, "");
    EXPECT_EQ(t.uSize(), CElementListTable::kMaxLists);
    for (size_t i = 0; i < CElementListTable::kMaxItems + 3; ++i)
        t.iAddItem("L0", "k", std::to_string(i), "", "", 0);
    EXPECT_EQ(t.lpFindKey("L0", "k")->items.size(), CElementListTable::kMaxItems);
}

TEST(ElementListDirectives, CountsAndUnknownLists)
{
    Fixture f;
    EXPECT_EQ(f.dir.strDynElist("ELIST=\"L\""), "");
    EXPECT_EQ(f.dir.strNbItem("ELIST=\"L\"", "%nbitem% item%(s)%"), "%nbitem% item%(s)%");
    EXPECT_EQ(f.table.uSize(), 0u);
    f.dir.vEvent("ADDITEM", "Root item", "ELIST=\"L\" IDITEM=\"r\"");
    EXPECT_EQ(f.dir.strNbItem("ELIST=\"L\"", "%nbitem% item%(s)%"), "1 item");
    f.dir.vEvent("ADDITEM", "", "ELIST=\"L\" IDKEY=\"k\" IDITEM=\"a\"");
    EXPECT_EQ(f.dir.strNbItem("ELIST=\"L\"", "%nbitem% item%(s)%"), "2 items");
    EXPECT_EQ(f.dir.strNbKey("ELIST=\"L\"", "%nbkey% key%(s)%"), "1 key");
    // The root's own item counts but is not shown.
    EXPECT_EQ(f.dir.strDynElist("ELIST=\"L\""), "k");
    // Empty attributes or an empty ELIST do nothing at all.
    f.host.calls.clear();
    f.dir.vEvent("ADDKEY", "x", "");
    f.dir.vEvent("ADDKEY", "x", "IDKEY=\"z\"");
    EXPECT_TRUE(f.host.calls.empty());
}

TEST(ElementListDirectives, WalkToggleAndEntries)
{
    Fixture f;
    f.table.vSetKeyTemplate("L", "<%idkey%|%keyname%|%level%|%nbitem% x%(s)%|%paramval::color::%>");
    f.table.vSetItemTemplate("L", "(%iditem%=%itemname% %level*2%)", true, true);
    f.dir.vEvent("ADDKEY", "Beta", "ELIST=\"L\" IDKEY=\"b\" COLOR=\"red\"");
    f.dir.vEvent("ADDITEM", "Tim", "ELIST=\"L\" IDKEY=\"b\" IDITEM=\"t\" CHATUSER");
    f.dir.vEvent("ADDITEM", "Ann", "ELIST=\"L\" IDKEY=\"a\" IDITEM=\"n\"");
    const std::string closed = "<a|a|0|1 x|><b|Beta|0|1 x|red>";
    EXPECT_EQ(f.dir.strDynElist("ELIST=\"L\""), closed);
    ASSERT_TRUE(f.table.boToggleExpanded("L", "b"));
    EXPECT_EQ(f.dir.strDynElist("ELIST=\"L\""),
              "<a|a|0|1 x|><b|Beta|0|1 x|red>(t=<a href=\"@BLS@Tim\" class=plain>[Tim:0]</a> 2)");
    f.table.iSetLinkColour("L", "LISTITEM", "class=li");
    f.table.vSetItemTemplate("L", "(%itemname%)", false, true);
    EXPECT_EQ(f.dir.strRenderItems("L", "b"), "(Tim)");
    f.table.vSetItemTemplate("L", "(%itemname%)", true, true);
    EXPECT_EQ(f.dir.strRenderItems("L", "b"), "(<a href=\"@BLS@Tim\" class=li>[Tim:0]</a>)");
    f.table.vSetItemTemplate("L", "", true, true);
    EXPECT_EQ(f.dir.strRenderItems("L", "b"), "Tim");
    ASSERT_TRUE(f.table.boToggleExpanded("L", "b"));
    EXPECT_EQ(f.dir.strDynElist("ELIST=\"L\""), closed);
    // A missing key leaves the template; a missing item leaves its placeholders.
    EXPECT_EQ(f.dir.strRenderEntry("%keyname%", "L", "zz", "", "", true, 0), "%keyname%");
    EXPECT_EQ(f.dir.strRenderEntry("%iditem%/%keyname%", "L", "b", "zz", "", true, 0), "%iditem%/Beta");
}

TEST(ElementListDirectives, RepeatedAddKeyKeepsItsPlaceAndShowsAgain)
{
    Fixture f;
    f.table.lpFindList("L", true);
    f.table.iSetMessage("L", "ADDKEY", "key %keyname%");
    f.dir.vEvent("ADDKEY", "m", "ELIST=\"L\" IDKEY=\"m\"");
    f.dir.vEvent("ADDKEY", "n", "ELIST=\"L\" IDKEY=\"n\"");
    f.dir.vEvent("ADDKEY", "zz", "ELIST=\"L\" IDKEY=\"m\" MAXITEM=\"3\" T=1");
    const ElementNode* root = f.table.lpFindList("L", false);
    EXPECT_EQ(KeyNames(*root), (std::vector<std::string>{"m", "n"}));
    EXPECT_EQ(root->children[0]->strDisplay, "zz");
    EXPECT_EQ(root->children[0]->iMaxItem, 3);
    EXPECT_EQ(root->children[0]->strKeyAttrs, "ELIST=\"L\" IDKEY=\"m\" MAXITEM=\"3\" T=1");
    EXPECT_EQ(f.host.messages, (std::vector<std::string>{"key m", "key n", "key zz"}));
    f.dir.vEvent("ADDKEY", "q", "ELIST=\"L\" IDKEY=\"m\" CATCHUP");
    EXPECT_EQ(f.host.messages.size(), 3u);
    EXPECT_EQ(root->children[0]->iMaxItem, -1);
}

TEST(ElementListDirectives, OwnChatUserJoinsOnceAndLeaves)
{
    Fixture f;
    f.table.lpFindList("L", true);
    f.table.iSetJoinLink("L", "players", 2);
    f.table.iSetLeaveLink("L", "gone", 1);
    f.dir.vEvent("ADDITEM", "Bob", "ELIST=\"L\" IDKEY=\"k\" IDITEM=\"bob\" CHATUSER");
    f.dir.vEvent("ADDITEM", "Tom", "ELIST=\"L\" IDKEY=\"k\" IDITEM=\"tom\"");
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"changed L", "changed L"}));
    f.host.calls.clear();
    f.dir.vEvent("ADDITEM", "Tom", "ELIST=\"L\" IDKEY=\"k\" IDITEM=\"tom\" CHATUSER");
    f.dir.vEvent("ADDITEM", "Tom", "ELIST=\"L\" IDKEY=\"k\" IDITEM=\"tom\" CHATUSER");
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"member players Tom changed", "announce players", "refresh",
                                                      "changed L", "member players Tom same", "changed L"}));
    f.host.calls.clear();
    f.dir.vEvent("REMITEM", "", "ELIST=\"L\" IDKEY=\"k\" IDITEM=\"TOM\"");
    EXPECT_EQ(f.host.calls,
              (std::vector<std::string>{"member gone Tom changed", "announce gone", "refresh", "changed L"}));
    EXPECT_EQ(f.table.lpFindItem("L", "k", "tom"), nullptr);
}

TEST(ElementListDirectives, EventMessagesMatchTheTagsCapitals)
{
    Fixture f;
    f.table.lpFindList("L", true);
    f.table.iSetMessage("L", "additem", "never %itemname%");
    f.dir.vEvent("ADDITEM", "Bob", "ELIST=\"L\" IDKEY=\"k\" IDITEM=\"bob\"");
    EXPECT_TRUE(f.host.messages.empty());
    f.table.iSetMessage("L", "ADDITEM", "in %itemname%");
    f.table.iSetMessage("L", "REMITEM", "out %itemname% %%keyname%%");
    f.table.iSetLinkColour("L", "EVENTADDITEM", "class=ev");
    f.dir.vEvent("ADDITEM", "Bob", "ELIST=\"L\" IDKEY=\"k\" IDITEM=\"bob\" CHATUSER");
    f.dir.vEvent("REMITEM", "", "ELIST=\"L\" IDKEY=\"k\" IDITEM=\"bob\"");
    EXPECT_EQ(f.host.messages, (std::vector<std::string>{"in <a href=\"@BLS@Bob\" class=ev>[Bob:1]</a>",
                                                         "out <a href=\"@BLS@Bob\" class=plain>[Bob:1]</a> k"}));
    EXPECT_EQ(f.host.calls.back(), "refresh");
    f.dir.vEvent("RESET", "", "ELIST=\"L\"");
    EXPECT_EQ(f.table.lpFindList("L", false)->uCountKeys(), 0u);
}

TEST(ElementListDirectives, Filters)
{
    Fixture f;
    f.dir.vEvent("ADDITEM", "", "ELIST=\"L\" IDKEY=\"k\" IDITEM=\"i\" MOOD=\"Happy\"");
    f.dir.vEvent("ADDKEY", "", "ELIST=\"L\" IDKEY=\"cap\" MAXITEM=\"2\" SIDE=\"North\"");
    f.dir.vEvent("ADDITEM", "", "ELIST=\"L\" IDKEY=\"cap\" IDITEM=\"x\"");
    struct Case
    {
        const char* attrs;
        bool kept;
    };
    const Case keys[] = {
        {"ELIST=\"L\" IDKEY=\"k\" FULL=\"1\"", true}, // a limit of -1 counts as full
        {"ELIST=\"L\" IDKEY=\"k\" FULL=\"0\"", false},
        {"ELIST=\"L\" IDKEY=\"cap\" FULL=\"0\"", true},
        {"ELIST=\"L\" IDKEY=\"cap\" FULL=\"yes\"", false},
        {"ELIST=\"L\" IDKEY=\"k\"", false},
        {"ELIST=\"L\" IDKEY=\"k\" DEPLOYED=\"0\"", true},
        {"ELIST=\"L\" IDKEY=\"k\" DEPLOYED=\"1\"", false},
        {"ELIST=\"L\" IDKEY=\"k\" DEPLOYED=\"2\"", false},
        {"ELIST=\"L\" IDKEY=\"cap\" KEYPARAM=\"side\" PARAMVALUE=\"NORTH\"", true},
        {"ELIST=\"L\" IDKEY=\"cap\" DEPLOYED=\"1\" KEYPARAM=\"side\" PARAMVALUE=\"NORTH\"", false},
        {"ELIST=\"L\" IDKEY=\"cap\" KEYPARAM=\"side\" PARAMVALUE=\"South\"", false},
        {"ELIST=\"L\" IDKEY=\"none\" FULL=\"1\"", false},
        {"ELIST=\"M\" IDKEY=\"k\" FULL=\"1\"", false},
    };
    for (const Case& c : keys)
        EXPECT_EQ(f.dir.strKeyFilter(c.attrs, "B"), c.kept ? "B" : "") << c.attrs;
    const Case items[] = {
        {"ELIST=\"L\" IDKEY=\"k\" IDITEM=\"i\" ITEMPARAM=\"mood\" PARAMVALUE=\"happy\"", true},
        {"ELIST=\"L\" IDKEY=\"k\" IDITEM=\"i\" ITEMPARAM=\"absent\" PARAMVALUE=\"\"", true},
        {"ELIST=\"L\" IDKEY=\"k\" IDITEM=\"i\" ITEMPARAM=\"mood\" PARAMVALUE=\"\"", false},
        {"ELIST=\"L\" IDKEY=\"k\" IDITEM=\"i\"", false},
        {"ELIST=\"L\" IDKEY=\"k\" IDITEM=\"j\" ITEMPARAM=\"absent\"", false},
    };
    for (const Case& c : items)
        EXPECT_EQ(f.dir.strItemFilter(c.attrs, "B"), c.kept ? "B" : "") << c.attrs;
    EXPECT_EQ(f.table.uSize(), 1u);
}

TEST(ElementListDirectives, HistoryCutTakesTheWholeTagOnly)
{
    Fixture f;
    const std::string attrs = "ELIST=\"L\" IDKEY=\"k\"";
    f.host.strHistory = "<p>said ELIST=\"L\" IDKEY=\"k\"</p><DYNELIST_ADDKEYS " + attrs + "><dynelist_addkey  " +
                        attrs + " >Key</DYNELIST_ADDKEY><DYNELIST_ADDKEY " + attrs + ">";
    f.dir.vEvent("ADDKEY", "Key", attrs);
    EXPECT_EQ(f.host.strHistory, "<p>said ELIST=\"L\" IDKEY=\"k\"</p><DYNELIST_ADDKEYS " + attrs +
                                     "><dynelist_addkey>Key</DYNELIST_ADDKEY><DYNELIST_ADDKEY " + attrs + ">");
    EXPECT_EQ(strCutTagAttributes("<A x>", "A", ""), "<A x>");
    EXPECT_EQ(strCutTagAttributes("<A x", "A", "x"), "<A x");
    EXPECT_EQ(strCutTagAttributes("<A", "A", "x"), "<A");
}

TEST(ElementListDirectives, ConfigurationTags)
{
    Fixture f;
    EXPECT_TRUE(f.dir.boConfigure("cnfelist_keydisplay", "ELIST=\"L\"", "<K %keyname%>"));
    EXPECT_TRUE(f.dir.boConfigure("CNFELIST_ITEMDISPLAY", "ELIST=\"L\" NOUSERMESSFORMAT", "<I %itemname%>"));
    const ElementNode* root = f.table.lpFindList("L");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->strKeyTemplate, "<K %keyname%>");
    EXPECT_EQ(root->strItemTemplate, "<I %itemname%>");
    EXPECT_TRUE(root->boUseListFormat);
    EXPECT_FALSE(root->boUseMessageFormat);
    EXPECT_TRUE(f.dir.boConfigure("CNFELIST_ITEMDISPLAY", "ELIST=\"L\" NOUSERLISTFORMAT", "x"));
    EXPECT_FALSE(root->boUseListFormat);
    EXPECT_TRUE(root->boUseMessageFormat);

    EXPECT_TRUE(f.dir.boConfigure("CNFELIST_MESSAGE", "ELIST=\"L\" ONEVENT=\"ADDKEY\"", "new %keyname%"));
    EXPECT_TRUE(f.dir.boConfigure("CNFELIST_LNKCOLOR", "ELIST=\"L\" TYPE=\"LISTITEM\"", "class=li"));
    std::string text;
    EXPECT_EQ(f.table.iGetMessage("L", "ADDKEY", text), 1);
    EXPECT_EQ(text, "new %keyname%");
    EXPECT_EQ(f.table.iGetLinkColour("L", "LISTITEM", text), 1);
    EXPECT_EQ(text, "class=li");

    // Links by type (any case), the rank as a number; another type sets nothing.
    struct Case
    {
        const char* attrs;
        const char* join;
        int32_t joinRank;
        const char* leave;
        int32_t leaveRank;
    };
    const Case cases[] = {
        {"ELIST=\"L\" TYPE=\"OTHER\" GRPNAME=\"g\" RANK=\"4\"", "", 0, "", 0},
        {"ELIST=\"L\" TYPE=\"userjoin\" GRPNAME=\"in\" RANK=\"3\"", "in", 3, "", 0},
        {"ELIST=\"L\" TYPE=\"USERLEAVE\" GRPNAME=\"out\" RANK=\"x\"", "in", 3, "out", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.attrs);
        EXPECT_TRUE(f.dir.boConfigure("CNFELIST_GRPLINK", c.attrs, ""));
        std::string group;
        int32_t rank = 0;
        f.table.iGetJoinLink("L", group, rank);
        EXPECT_EQ(group, c.join);
        EXPECT_EQ(rank, c.joinRank);
        group.clear();
        rank = 0;
        f.table.iGetLeaveLink("L", group, rank);
        EXPECT_EQ(group, c.leave);
        EXPECT_EQ(rank, c.leaveRank);
    }
    EXPECT_FALSE(f.dir.boConfigure("CNFELIST_OTHER", "ELIST=\"L\"", "x"));
    // Messages and colours need the list; they do not create it.
    EXPECT_TRUE(f.dir.boConfigure("CNFELIST_MESSAGE", "ELIST=\"M\" ONEVENT=\"ADDKEY\"", "x"));
    EXPECT_EQ(f.table.lpFindList("M"), nullptr);
}
