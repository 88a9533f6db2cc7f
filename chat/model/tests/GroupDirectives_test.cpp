#include <gtest/gtest.h>

#include "ChatFakes.h"
#include "ChatPageFixture.h"
#include "ChatModel.h"
#include "HtmlDoc.h"

using namespace ChatModel;
using namespace ChatModelTest;
using Lines = std::vector<std::string>;

namespace
{

struct Chat : CChatPageFixture
{
    int refreshes = 0;
    Chat()
    {
        host.onPostRefresh = [this] { ++refreshes; };
        m.conn.strNick = m.conn.strIrcNick = m.conn.strNickHtml = "ann";
    }
    // In room #r with bob and carl, as the server tells it.
    void vEnter()
    {
        m.conn.strRoom = "#r";
        m.conn.strServer = "127.0.0.1";
        cnx.session.vSetOwner(&m);
        cnx.session.vSetStateForTest(1);
        for (const char* line : {":srv 800 * 1 0 ANON 512 *", ":srv 001 ann :Welcome", ":ann!u@h JOIN :#r",
                                 ":srv 353 ann = #r :ann bob carl", ":srv 366 ann #r :End"})
            cnx.session.boParseLine(std::string(line) + "\r\n");
        cnx.session.wire.clear();
    }
    // A received line into the message list, then the message frame shown:
    // the tags of silent messages run when the history is parsed.
    void vReceive(const std::string& text, const std::string& from)
    {
        m.vAddMessage(text, from, "", 0, true);
        strParse("<DYN_MESSAGES></DYN_MESSAGES>");
    }
    size_t uWireWith(const std::string& part) const
    {
        size_t n = 0;
        for (const std::string& l : cnx.session.wire)
            n += l.find(part) != std::string::npos ? 1 : 0;
        return n;
    }
};

} // namespace

TEST(GroupDirectives, FormatsAndConfiguration)
{
    Chat t;
    t.strParse("<CNF_GRPBUD_TALKING grpname=ops rank=2><B>%bud%</B></CNF_GRPBUD_TALKING>"
               "<CNF_GRPBUD_NOSUCH grpname=ops>x</CNF_GRPBUD_NOSUCH>"
               "<CNF_GRPCONF grpname=ops notify=ALL listable>About ops</CNF_GRPCONF>"
               "<CNF_GRPCONF grpname=helpers dispname=Helpers notify=members listmembers></CNF_GRPCONF>"
               "<CNF_GRPCONF grpname=quiet notify=other></CNF_GRPCONF>"
               "<CNF_GRPCONF grpname=rev notify=all cnfurl=\"@rev@g.vblt\"></CNF_GRPCONF>"
               "<CNF_GRPCONF cnfurl=\"grp_%grpnamefile%.vblt\"></CNF_GRPCONF>");
    const CGroupTable::Group* ops = t.m.people.groups.lpFind("ops");
    ASSERT_NE(ops, nullptr);
    EXPECT_EQ(t.m.people.groups.strListEntry("ops", 1, 2), "<B>%bud%</B>");
    EXPECT_EQ(ops->iNumber, 1);
    EXPECT_EQ(ops->strText1, "ops");
    EXPECT_EQ(ops->strText2, "About ops");
    EXPECT_EQ(ops->counters[0], 1);
    EXPECT_EQ(ops->counters[2], 1);
    EXPECT_TRUE(ops->boAnnounce);
    EXPECT_EQ(t.m.people.groups.lpFind("helpers")->iNumber, 0);
    EXPECT_EQ(t.m.people.groups.lpFind("helpers")->strText1, "Helpers");
    EXPECT_EQ(t.m.people.groups.lpFind("quiet")->iNumber, -1);
    EXPECT_FALSE(t.m.people.groups.lpFind("quiet")->boAnnounce);
    const CGroupTable::Group* rev = t.m.people.groups.lpFind("rev");
    EXPECT_EQ(rev->strFileTemplate, "@rev@g.vblt");
    EXPECT_EQ(rev->counters[2], 0);
    EXPECT_EQ(t.m.people.groups.strGroupFile("x y"), "grp_" + CGroupTable::strFileSafeName("x y") + ".vblt");
}

TEST(GroupDirectives, LocalConfigurationMatrix)
{
    struct Case
    {
        const char* attrs;
        bool stored; // the value exists
        const char* value;
        bool member;
    } cases[] = {
        {"REGNOTEXIST", false, "", true},
        {"REGEXIST", false, "", false},
        {"REGEXIST", true, "", true},
        {"REGNOTEXIST", true, "x", false},
        {"REGNOTEMPTY", true, "x", true},
        {"REGNOTEMPTY", true, "", false},
        {"REGISEMPTY", true, "", true},
        {"REGISEMPTY", true, "x", false},
        {"REGEQUALSTO=Yes", true, "yES", true},
        {"REGEQUALSTO=Yes", true, "no", false},
        {"REGNOTEQUALSTO=Yes", true, "no", true},
        {"REGNOTEQUALSTO=Yes", true, "YES", false},
        {"", true, "x", false},
    };
    for (const Case& c : cases)
    {
        Chat t;
        if (c.stored)
            t.settings.pathValues["HKEY_CURRENT_USER\\Software\\Game|Level"] = c.value;
        t.strParse(std::string("<CNF_LOCALCONF_GRP grpname=vip REGKEY=\"HKEY_CURRENT_USER\\Software\\Game\" "
                               "REGVALUENAME=Level RANK=3 ") +
                   c.attrs + "></CNF_LOCALCONF_GRP>");
        int32_t rank = -1;
        EXPECT_EQ(t.m.people.groups.boMemberValue("vip", "ann", &rank), c.member)
            << c.attrs << " " << c.value;
        if (c.member)
        {
            EXPECT_EQ(rank, 3);
        }
    }
    // Without a key nothing is read; another user's text reads nothing either.
    Chat t;
    t.settings.pathValues["K|V"] = "1";
    t.strParse("<CNF_LOCALCONF_GRP grpname=vip REGVALUENAME=V REGEXIST></CNF_LOCALCONF_GRP>");
    t.m.vAddMessage(
        "<TMESS/><CNF_LOCALCONF_GRP grpname=vip REGKEY=K REGVALUENAME=V REGEXIST></CNF_LOCALCONF_GRP>",
        "mallory", "", 0, true, Origin::kStranger);
    EXPECT_FALSE(t.m.people.groups.boHasMember("vip", "ann"));
}

TEST(GroupDirectives, OwnGroupAnnouncedOnce)
{
    Chat t;
    t.vEnter();
    t.strParse("<CNF_GRPCONF grpname=ops notify=all></CNF_GRPCONF>");
    EXPECT_EQ(t.uWireWith("DYNGRP_ADDGRP"), 0u); // nobody is in it yet
    t.strParse("<CNF_CUGRP grpname=ops RANK=2></CNF_CUGRP>");
    t.strParse("<CNF_CUGRP grpname=ops RANK=2></CNF_CUGRP>");
    EXPECT_EQ(t.uWireWith("<DYNGRP_ADDGRP GRPNAME=\"ops\" GRPUSER=\"ann\" GRPRANK=\"2\" SENDER=\"ann\">"),
              1u);
    EXPECT_EQ(t.refreshes, 1);
    // Notify "members": the own memberships go to each other user.
    t.strParse("<CNF_GRPCONF grpname=ops notify=members></CNF_GRPCONF>");
    EXPECT_EQ(t.uWireWith("PRIVMSG bob :<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"ops\""), 1u);
    EXPECT_EQ(t.uWireWith("PRIVMSG carl :<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"ops\""), 1u);
}

TEST(GroupDirectives, ReceivedChangesAndTheirNotice)
{
    Chat t;
    t.vEnter();
    t.strParse("<CNF_GRPBUD_DYNADDMESS grpname=ops rank=1>%grpdesc% +%rank%</CNF_GRPBUD_DYNADDMESS>"
               "<CNF_GRPBUD_DYNREMMESS grpname=ops rank=1>%grpname% -%rank%</CNF_GRPBUD_DYNREMMESS>"
               "<CNF_GRPCONF grpname=ops dispname=\"Op&amp;s\" notify=all></CNF_GRPCONF>");
    t.vReceive("<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"ops\" GRPUSER=\"carl\" GRPRANK=\"1\" SENDER=\"bob\" "
               "NEWDYNADD></DYNGRP_ADDGRP>",
               "bob");
    int32_t rank = 0;
    EXPECT_TRUE(t.m.people.groups.boMemberValue("ops", "carl", &rank));
    EXPECT_EQ(rank, 1);
    EXPECT_NE(t.m.msgs.strHistory.find("Op&amp;s +1"), std::string::npos) << t.m.msgs.strHistory;
    // The same announcement again changes nothing and says nothing.
    const size_t first = t.m.msgs.strHistory.find("Op&amp;s +1");
    t.vReceive("<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"ops\" GRPUSER=\"carl\" GRPRANK=\"1\" SENDER=\"bob\" "
               "NEWDYNADD></DYNGRP_ADDGRP>",
               "bob");
    EXPECT_EQ(t.m.msgs.strHistory.find("Op&amp;s +1", first + 1), std::string::npos);
    t.vReceive(
        "<TMESS/><DYN_GRP REMUSER GRPNAME=\"ops\" GRPUSER=\"carl\" SENDER=\"bob\" NEWDYNADD></DYN_GRP>",
        "bob");
    EXPECT_FALSE(t.m.people.groups.boHasMember("ops", "carl"));
    EXPECT_NE(t.m.msgs.strHistory.find("ops -1"), std::string::npos);
    // A silent change is applied without a notice; reverse names reach the group.
    t.vReceive("<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"@REV@ops\" GRPUSER=\"bob\" GRPRANK=\"1\" "
               "SENDER=\"bob\" NEWDYNADD NOTIFY=silent></DYNGRP_ADDGRP>",
               "bob");
    EXPECT_TRUE(t.m.people.groups.boHasMember("ops", "bob"));
    EXPECT_EQ(t.m.msgs.strHistory.find("Op&amp;s +1", t.m.msgs.strHistory.find("ops -1")), std::string::npos);
    // A change whose SENDER is the own nick (the user's second window "ann{2",
    // or anybody writing that name) lands as it does in every other window.
    t.vReceive("<TMESS/><DYN_GRP GRPNAME=\"ops\" GRPUSER=\"dave\" GRPRANK=\"4\" SENDER=\"ann{2\"></DYN_GRP>",
               "ann{2");
    t.vReceive("<TMESS/><DYN_GRP REMUSER GRPNAME=\"ops\" GRPUSER=\"bob\" SENDER=\"ann\"></DYN_GRP>", "carl");
    EXPECT_TRUE(t.m.people.groups.boMemberValue("ops", "dave", &rank));
    EXPECT_EQ(rank, 4);
    EXPECT_FALSE(t.m.people.groups.boHasMember("ops", "bob"));
}

TEST(GroupDirectives, MembershipFilter)
{
    Chat t;
    t.m.people.groups.iSetMember("a", "ann", 2);
    t.m.people.groups.iSetMember("b", "bob", 1);
    struct Case
    {
        const char* attrs;
        bool kept;
    } cases[] = {
        {"GRPNAME=a", true},
        {"GRPNAME=a GTRANK=2", false},
        {"GRPNAME=a GTRANK=1 LTRANK=3", true},
        {"GRPNAME=a LTRANK=2", false},
        {"GRPNAME=a NOTMEMBEROF", false},
        {"GRPNAME=b NOTMEMBEROF", true},
        {"GRPNAME=b GRPS=a", false},
        {"", false},
        {"GRPS=\"a|b\"", true},
        {"GRPS=\"a|b\" OP=and", false},
        {"GRPS=\"b|c\" OP=and NOTMEMBEROF", true},
        {"GRPS=\"a|c\" OP=and NOTMEMBEROF", false},
        {"GRPS=\"a;c\" SEP=; NOTMEMBEROF", true},
        {"GRPS=none OP=AND", true},
        {"GRPS=none", false},
        {"GRPS=none NOTMEMBEROF OP=and", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(t.strParse(std::string("[<DYN_GRPFILTER ") + c.attrs + ">x</DYN_GRPFILTER>]"),
                  c.kept ? "[x]" : "[]")
            << c.attrs;
}

// A group made with a configuration address gets its formats from that
// document: the first display of a member asks for it once, with the group
// load as requester, and its directives run when it arrives.
TEST(GroupDirectives, ConfigurationDocumentLoadedBeforeItsFormats)
{
    Chat t;
    CFakeInstance inst;
    t.m.vSetInstance(&inst);
    CFinishedDownloads queue;
    auto finish = [&](const std::string& url, const std::string& text, bool failed)
    {
        auto r = std::make_unique<FinishedDownload>();
        r->strUrl = url;
        r->strText = text;
        r->strMime = "text/html";
        r->boFailed = failed;
        queue.vPush(std::move(r));
        t.m.vDrainDownloads(queue);
    };
    t.strParse("<CNF_GRPCONF grpname=ops cnfurl=\"http://web/grp_%grpnamefile%.htm\"></CNF_GRPCONF>"
               "<CNF_GRPCONF grpname=gone cnfurl=\"http://web/gone.htm\"></CNF_GRPCONF>"
               "<CNF_GRPCONF grpname=plain></CNF_GRPCONF>");
    t.m.people.groups.iSetMember("ops", "bob", 1);
    t.m.people.groups.iSetMember("plain", "bob", 1);
    t.m.people.groups.iSetMember("gone", "carl", 0);
    EXPECT_EQ(t.m.strNickDisplay("bob", 0), "bob") << "no format before the document";
    EXPECT_EQ(t.m.strNickDisplay("bob", 0), "bob");
    EXPECT_EQ(inst.urls, (Lines{"http://web/grp_ops.htm -> "})) << "asked once; a configured group never";
    EXPECT_TRUE(t.m.page.requestedDownloads.boHasRequester("http://web/grp_ops.htm", "@GRPCNFLOAD@"));

    const int before = t.refreshes;
    finish("http://web/grp_ops.htm",
           "<CNF_GRPCONF grpname=ops dispname=Ops></CNF_GRPCONF>"
           "<CNF_GRPBUD_LISTED grpname=ops rank=1><B>%bud%</B></CNF_GRPBUD_LISTED>",
           false);
    EXPECT_GT(t.refreshes, before);
    EXPECT_EQ(t.m.people.groups.lpFind("ops")->counters[2], 1);
    EXPECT_EQ(t.m.people.groups.lpFind("ops")->strText1, "Ops");
    EXPECT_EQ(t.m.strNickDisplay("bob", 0), "<B>bob</B>");
    EXPECT_EQ(inst.urls.size(), 1u);

    // A document that cannot be had is not asked again at every display.
    EXPECT_EQ(t.m.strNickDisplay("carl", 0), "carl");
    finish("http://web/gone.htm", "", true);
    EXPECT_EQ(t.m.strNickDisplay("carl", 0), "carl");
    EXPECT_EQ(inst.urls, (Lines{"http://web/grp_ops.htm -> ", "http://web/gone.htm -> "}));
}

// A group document named like the chat's own configuration (".vblt") that
// arrives after it is the group's: it used to be dropped as a second
// configuration document, its request pending for ever.
TEST(GroupDirectives, ConfigurationDocumentNamedLikeTheChatsOwn)
{
    Chat t;
    CFakeInstance inst;
    t.m.vSetInstance(&inst);
    CFinishedDownloads queue;
    auto finish = [&](const std::string& url, const std::string& text)
    {
        auto r = std::make_unique<FinishedDownload>();
        r->strUrl = url;
        r->strText = text;
        r->strMime = "text/html";
        queue.vPush(std::move(r));
        t.m.vDrainDownloads(queue);
    };
    finish("http://web/chat.vblt",
           "<CNF_GRPCONF cnfurl=\"http://web/grp_%grpnamefile%.vblt\"></CNF_GRPCONF>");
    t.m.people.groups.iSetMember("ops", "bob", 0);
    EXPECT_EQ(t.m.strNickDisplay("bob", 0), "bob");
    ASSERT_EQ(inst.urls, (Lines{"http://web/grp_ops.vblt -> "}));
    // An unasked ".vblt" is still a later configuration document: dropped.
    finish("http://web/other.vblt", "<CNF_GRPBUD_LISTED grpname=ops>[%bud%]</CNF_GRPBUD_LISTED>");
    EXPECT_EQ(t.m.strNickDisplay("bob", 0), "bob");
    finish(
        "http://web/grp_ops.vblt",
        "<CNF_GRPCONF grpname=ops></CNF_GRPCONF><CNF_GRPBUD_LISTED grpname=ops>(%bud%)</CNF_GRPBUD_LISTED>");
    EXPECT_EQ(t.m.strNickDisplay("bob", 0), "(bob)");
    EXPECT_TRUE(t.m.page.requestedDownloads.strFirstPending().empty());
    EXPECT_EQ(inst.urls.size(), 1u);
}

// Another user names the groups it announces; a group without an address of
// its own is loaded through the page's template with that name in it, and
// its document runs as the chat's own. A name that would move the address
// to another place loads nothing.
TEST(GroupDirectives, AnnouncedGroupNamesDoNotSteerTheirDocument)
{
    const char* const inFolder = "http://web/g/%grpname%.htm";
    const char* const bare = "%grpname%.vblt";
    struct Case
    {
        const char* group;
        const char* templ;
        const char* fetched; // null: nothing
    } cases[] = {
        {"friends", inFolder, "http://web/g/friends.htm -> "},
        {"red team", inFolder, "http://web/g/red team.htm -> "},
        {"Team.2", bare, "file://root/Team.2.vblt -> "},
        {"http://evil.example/x", bare, nullptr},
        {"//evil.example/x", bare, nullptr},
        {"../../admin/cfg", inFolder, nullptr},
        {"x?y=", inFolder, nullptr},
        {"a%2Fb", inFolder, nullptr},
        {"a\\b", inFolder, nullptr},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.group);
        Chat t;
        CFakeInstance inst;
        t.m.vSetInstance(&inst);
        t.vEnter();
        t.strParse(std::string("<CNF_GRPCONF cnfurl=\"") + c.templ + "\"></CNF_GRPCONF>");
        // bob's room line, as the server brings it.
        t.cnx.session.boParseLine(std::string(":bob!u@h PRIVMSG #r :<TMESS/><DYN_GRP GRPNAME=\"") + c.group +
                                  "\" GRPUSER=\"bob\" GRPRANK=\"1\" SENDER=\"bob\"></DYN_GRP>\r\n");
        ASSERT_TRUE(t.m.people.groups.boHasMember(c.group, "bob"));
        t.m.strNickDisplay("bob", 0);
        EXPECT_EQ(inst.urls, c.fetched ? Lines{c.fetched} : Lines{});
    }
}

// Another user's room line cannot give a group a configuration address: the
// document it names would run with the rights of the chat's own pages, now
// that a group's document is fetched.
TEST(GroupDirectives, AnotherUsersGroupConfigurationRunsNothing)
{
    Chat t;
    CFakeInstance inst;
    t.m.vSetInstance(&inst);
    t.vEnter();
    // bob's room line, as the server brings it.
    t.cnx.session.boParseLine(
        ":bob!u@h PRIVMSG #r :<SMESS></SMESS><CNF_GRPCONF grpname=ops cnfurl=\"http://evil.example/ops.htm\">"
        "</CNF_GRPCONF><CNF_GRPCONF cnfurl=\"http://evil.example/%grpname%.htm\"></CNF_GRPCONF>"
        "<DYN_GRP GRPNAME=\"ops\" GRPUSER=\"bob\" GRPRANK=\"1\" SENDER=\"bob\"></DYN_GRP>\r\n");
    t.strParse("<DYN_MESSAGES></DYN_MESSAGES>");
    ASSERT_TRUE(t.m.people.groups.boHasMember("ops", "bob")) << "the announcement itself is applied";
    EXPECT_EQ(t.m.people.groups.lpFind("ops")->strFileTemplate, "");
    EXPECT_EQ(t.m.people.groups.strGroupFile("ops"), "");
    t.m.strNickDisplay("bob", 0);
    EXPECT_TRUE(inst.urls.empty());
}

// The handler runs on its own state with a host that records what it asks:
// the own memberships are announced to the room once connected, a
// stranger's text reads no settings, a received change is noticed.
TEST(GroupDirectives, HandlerOnItsOwnState)
{
    struct Host : IGroupDirectiveHost
    {
        bool boForeign = false;
        Lines calls;
        std::string strNoIncident(const std::string& nick) override { return nick.substr(0, nick.find('{')); }
        bool boForeignText() override { return boForeign; }
        std::string strReadSetting(const std::string& path, const std::string& name,
                                   const std::string&) override
        {
            calls.push_back("read " + path + " " + name);
            return "1";
        }
        void vAnnounceGroup(const std::string& to, const std::string& group) override
        {
            calls.push_back("announce " + to + ":" + group);
        }
        void vAddGroupMessage(const std::string& text, const std::string& from,
                              const std::string& to) override
        {
            calls.push_back("message " + from + ">" + to + " " + text);
        }
        void vRefreshUsers() override { calls.push_back("users"); }
        void vRequestMessageRefresh() override { calls.push_back("refresh"); }
    } host;
    ChatConnection conn;
    ChatUsers people;
    ChatMessages msgs;
    CGroupDirectives groups(conn, people, msgs, host);
    conn.strNick = "ann{2";

    groups.vOnCnfCuGrp("grpname=ops RANK=3");
    conn.boConnected = true;
    conn.strRoom = "#r";
    groups.vOnCnfCuGrp("grpname=mods");
    groups.vOnCnfCuGrp("grpname=mods");
    host.boForeign = true;
    groups.vOnCnfLocalConfGrp("grpname=reg REGKEY=HKCU\\x REGVALUENAME=v REGEXIST");
    host.boForeign = false;
    groups.vOnCnfLocalConfGrp("grpname=reg REGKEY=HKCU\\x REGVALUENAME=v REGEXIST");
    groups.vOnCnfGrpBud("DYNADDMESS", "+%grpname% %rank%", "grpname=ops rank=1");
    groups.vOnDynGrp("DYN_GRP", "GRPNAME=ops GRPUSER=bob GRPRANK=1 SENDER=carl NEWDYNADD", false);

    int32_t rank = 0;
    EXPECT_TRUE(people.groups.boMemberValue("ops", "ann", &rank));
    EXPECT_EQ(rank, 3);
    EXPECT_TRUE(people.groups.boHasMember("reg", "ann"));
    EXPECT_EQ(host.calls, (Lines{"refresh", "announce :mods", "refresh", "read HKCU\\x v", "announce :reg",
                                 "refresh", "users", "message carl>bob +ops 1", "refresh"}));
}
