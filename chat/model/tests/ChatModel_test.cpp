#include "ChatModel.h"

#include <gtest/gtest.h>

#include "ChatFakes.h"
#include "ChatModelHostFake.h"
#include "ChatTextUtil.h"

using namespace ChatModel;
using namespace ChatModelTest;
using Lines = std::vector<std::string>;

namespace
{

struct Model
{
    int64_t now = 5000;
    CFakeCnx cnx;
    CFakeSettings settings;
    CFakeView view;
    CFakeInstance inst;
    CScriptedHost host;
    CChatModel m{cnx, settings, [this] { return now; }};
    explicit Model(std::vector<std::pair<std::string, std::string>> args = {})
    {
        inst.args = std::move(args);
        m.vSetInstance(&inst);
        m.vSetView(&view);
        m.vSetHost(&host);
        m.vInit();
        const char* zones[5] = {"msgs", "users", "status", "groups", "room"};
        for (int i = 0; i < 5; ++i)
            m.cfg.zoneFrames[i] = zones[i];
    }
    // The server's lines, as the reader would give them.
    void vServer(const std::string& line) { cnx.session.boParseLine(line + "\r\n"); }
    // Connected as `nick`, IRCX ready, logged on, #r created and joined.
    void vEnter(const std::string& nick, const Lines& others = {})
    {
        m.conn.strNick = m.conn.strIrcNick = m.conn.strNickHtml = nick;
        m.conn.strRoom = "#r";
        m.conn.strServer = "127.0.0.1";
        cnx.session.vSetOwner(&m);
        cnx.session.vSetStateForTest(1);
        vServer(":srv 800 * 1 0 ANON 512 *");
        std::string names = nick;
        for (const std::string& o : others)
            names += " " + o;
        vServer(":srv 001 " + nick + " :Welcome");
        vServer(":" + nick + "!u@h JOIN :#r");
        vServer(":srv 353 " + nick + " = #r :" + names);
        vServer(":srv 366 " + nick + " #r :End");
    }
    std::string strLastLine() const
    {
        const std::string& h = m.msgs.strHistory;
        const size_t at = h.rfind("<DI_HI>");
        return at == std::string::npos ? std::string() : h.substr(at + 7, h.size() - at - 15);
    }
};

} // namespace

TEST(ChatModel, InitDefaults)
{
    Model t;
    EXPECT_EQ(t.m.cfg.formats[13], "Room %room%, %nbbud% connected<BR>");
    EXPECT_EQ(t.m.cfg.strNickErrEmpty,
              "<font color=red>The nickname is empty or contains invalid caracters!</font>");
    EXPECT_EQ(t.m.cfg.stateTexts[5], "Disconnecting...");
    EXPECT_EQ(t.m.cfg.uMaxMessageLength, 500u);
    EXPECT_EQ(t.m.cfg.lHistoryLimit, 3000);
    EXPECT_EQ(t.m.page.dMinVer, -1.0);
    EXPECT_EQ(t.m.page.strBgColor, "#005185");
    EXPECT_FALSE(t.m.cfg.boDebug);
    t.m.page.strWaitText = "Wait...";
    t.m.vLoadUserInterface();
    t.m.page.strHtmlUiUrl = "http://h/ui.html";
    t.m.vLoadUserInterface();
    EXPECT_EQ(t.view.log,
              (Lines{"load str://<BODY BGCOLOR=#005185>Wait...</BODY> in ", "load http://h/ui.html in "}));
    CFakeCnx cnx;
    CFakeSettings s;
    s.values["dbg"] = "1";
    CChatModel dbg(cnx, s);
    EXPECT_TRUE(dbg.cfg.boDebug);
    EXPECT_TRUE(dbg.boIsBeforeConnection());
}

TEST(ChatModel, PageParameters)
{
    Model t({{"INSTALLCHECK_OKURL", "plain"},
             {"INSTALLCHECK_OKURL_WIN32", "win"},
             {"INSTALLCHECK_MINVER", "4.1x"},
             {"DEFROOTPATH_WIN32", "no"},
             {"DEFROOTPATH", "root"},
             {"NICKNAME", "#guest"},
             {"USER_GRP1", "admins$Rk$5;ann"},
             {"USER_GRP2", "mods$Rk$;bob"},
             {"CONTEXT_VAR1", "  a b  "},
             {"CONTEXT_VAR3", "c"}});
    EXPECT_EQ(t.m.page.strOkUrl, "win");
    EXPECT_DOUBLE_EQ(t.m.page.dMinVer, 4.1);
    EXPECT_EQ(t.m.page.dMaxVer, -1.0);
    EXPECT_EQ(t.m.page.strDefRootPath, "root");
    EXPECT_EQ(t.m.conn.strNick, "");
    EXPECT_EQ(t.m.conn.strIrcNick, "");
    EXPECT_EQ(t.m.page.strBgColor, "#005185");
    int32_t rank = 0;
    EXPECT_TRUE(t.m.people.groups.boMemberValue("admins", "ann", &rank));
    EXPECT_EQ(rank, 5);
    EXPECT_TRUE(t.m.people.groups.boMemberValue("mods$Rk$", "bob", &rank));
    EXPECT_EQ(rank, 0);
    EXPECT_EQ(t.m.page.contextVars, (Lines{"a b"}));
    std::string v = "x$Rk$12y";
    EXPECT_EQ(CChatModel::iSplitRank(v), 12);
    EXPECT_EQ(v, "x");

    Model u({{"NICKNAME", "a&b"},
             {"GLOBAL_BG_COLOR", "#123456"},
             {"MEMBEROF1", "g$Rk$2"},
             {"ROOM_NAME", "#cr#" + ChatText::strScramble("#Lobby2", ChatText::strDerivedKey())},
             {"SERVER_NAME", "#CR#"}});
    EXPECT_EQ(u.m.conn.strRoom, "#Lobby2");
    EXPECT_EQ(u.m.conn.strServer, "");
    EXPECT_EQ(u.m.conn.strNickHtml, "a&amp;b");
    EXPECT_EQ(u.m.page.strBgColor, "#123456");
    EXPECT_TRUE(u.m.people.groups.boMemberValue("g", "a&b", &rank));
    EXPECT_EQ(rank, 2);
}

TEST(ChatModel, MessageLines)
{
    Model t;
    t.m.vAddMessage("hi", "bob", "", 0, true);
    EXPECT_EQ(t.strLastLine(), "<a href=\"@BUD@0@bob\" ><DI_MGHDS STRID=1>bob</DI_MGHDS></a>&gt; "
                               "<a href=\"@MESS@0\" >hi</a><BR>");
    EXPECT_EQ(t.view.uCount("reload msgs end"), 1u);

    t.m.people.lUsersInRoom = 1;
    t.m.cfg.formats[13] = "%nbbud% user%(s)%";
    t.m.vAddMessage("", "ann", "", 13, true);
    EXPECT_EQ(t.strLastLine(), "1 user");
    t.m.people.lUsersInRoom = 5;
    t.m.vAddMessage("", "ann", "", 13, true);
    EXPECT_EQ(t.strLastLine(), "5 users");

    t.view.log.clear();
    t.m.vAddMessage("<DMY/>", "", "", -1, true);
    EXPECT_EQ(t.strLastLine(), "<DMY/>");
    EXPECT_TRUE(t.view.log.empty());

    const size_t before = t.m.msgs.messages.size();
    t.m.vAddMessage("x", "bob", "", CChatModel::kKindCount, true);
    EXPECT_EQ(t.m.msgs.messages.size(), before);
    t.m.vAddMessage("x", "bob", "", CChatModel::kKindCount - 1, true);
    EXPECT_EQ(t.m.msgs.messages.size(), before + 1);

    t.m.vAddMessage("x", "a<b", "", -1, false);
    EXPECT_EQ(t.strLastLine(), "x");
}

TEST(ChatModel, HistoryStaysWithinItsLimit)
{
    Model t;
    for (int i = 0; i < 200; ++i)
        t.m.vAddMessage("message number " + std::to_string(i), "bob", "", 0, false);
    EXPECT_LE(t.m.msgs.strHistory.size(), 3000u);
    EXPECT_EQ(t.m.msgs.strHistory.compare(0, 7, "<DI_HI>"), 0);
    t.m.vAddMessage("<font color=red>never closed", "bob", "", 0, false);
    for (int i = 0; i < 100; ++i)
        t.m.vAddMessage("more " + std::to_string(i), "bob", "", 0, false);
    EXPECT_LE(t.m.msgs.strHistory.size(), 3000u);
}

TEST(ChatModel, TagMessagesAreParsedNotShown)
{
    Model t;
    Lines tags;
    t.host.onTagSeen = [&](const std::string& n, const std::string&) { tags.push_back(n); };
    t.m.vAddMessage("<TMESS/><DYN_GRP REMUSER GRPNAME=\"g\"></DYN_GRP>", "bob", "", 0, true);
    t.m.vAddMessage("<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"g\"></DYNGRP_ADDGRP>", "bob", "", 0, false);
    EXPECT_EQ(t.m.msgs.strHistory, "<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"g\"></DYNGRP_ADDGRP>");
    ASSERT_FALSE(tags.empty());
    EXPECT_EQ(tags[0], "TMESS");
    EXPECT_TRUE(t.view.log.empty());
    EXPECT_TRUE(CChatModel::boIsTagMessage("  <dyn_mpd ID=x>"));
    EXPECT_FALSE(CChatModel::boIsTagMessage("x<SMESS"));
}

TEST(ChatModel, LogonAndRoomCreationOnTheWire)
{
    Model t;
    t.m.conn.strRoomModes = "n";
    t.vEnter("ann");
    const Lines& w = t.cnx.session.wire;
    ASSERT_GE(w.size(), 3u);
    EXPECT_EQ(w[0], "NICK ann");
    EXPECT_EQ(w[1], "USER ann . . :Vblt ann");
    EXPECT_EQ(w[2], "CREATE #r n") << "no room-key record: a visible room without a key";
    EXPECT_EQ(t.m.cfg.uMaxMessageLength, 484u);
    EXPECT_TRUE(t.m.conn.boConnected);
    EXPECT_FALSE(t.m.boIsBeforeConnection());
    EXPECT_EQ(t.m.people.users, (Lines{"ann"}));
    EXPECT_EQ(t.strLastLine(), "Room #r, 1 connected<BR>");
}

// The room-key list (CNF_ROOMKEY) gives the key and the flags of the room's
// creation: the room's own record first, else the default one (no room name);
// bit 2 of the mode keeps the room visible.
TEST(ChatModel, RoomCreatedWithItsKeyAndMode)
{
    struct Record
    {
        const char* room;
        const char* key; // plain; the page gives it scrambled
        const char* mode;
    };
    const struct
    {
        const char* what;
        std::vector<Record> records;
        const char* wire;
    } cases[] = {
        {"no record", {}, "CREATE #r n"},
        {"default record with a key", {{"", "sesame", ""}}, "CREATE #r nk sesame"},
        {"default record, mode 0: hidden", {{"", "", "0"}}, "CREATE #r nh"},
        {"the room's record wins", {{"", "other", "0"}, {"#R", "sesame", "3"}}, "CREATE #r nk sesame"},
        {"another room's record only", {{"#s", "sesame", "0"}}, "CREATE #r n"},
        {"hidden with a key", {{"#r", "s3same", "1"}}, "CREATE #r nhk s3same"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        Model t;
        t.m.conn.strRoomModes = "n";
        for (const Record& r : c.records)
            t.m.tables.roomKeys.vSet(r.room, ChatText::strScramble(r.key, ChatText::strDerivedKey()), r.mode,
                                     "");
        t.vEnter("ann");
        const Lines& w = t.cnx.session.wire;
        ASSERT_GE(w.size(), 3u);
        EXPECT_EQ(w[2], c.wire);
    }
}

TEST(ChatModel, LongMessagesAndTooLong)
{
    Model t;
    t.vEnter("ann");
    CWireSession& s = t.cnx.session;
    s.wire.clear();
    t.m.vSendLongMessage(std::string(362, 'a'), false, true, "");
    ASSERT_EQ(s.wire.size(), 1u);
    EXPECT_EQ(s.wire[0], "PRIVMSG #r :" + std::string(362, 'a'));
    s.wire.clear();
    t.m.vSendLongMessage(std::string(363, 'b'), false, true, "");
    const std::string id = "ann" + std::to_string(CChatModel::lMultiPartCounter());
    ASSERT_EQ(s.wire.size(), 3u);
    EXPECT_EQ(s.wire[0],
              "PRIVMSG #r :<DYN_MPD ID=\"" + id + "\" N=0>" + std::string(161, 'b') + "</DYN_MPD>");
    EXPECT_EQ(s.wire[1],
              "PRIVMSG #r :<DYN_MPD ID=\"" + id + "\" N=1>" + std::string(161, 'b') + "</DYN_MPD>");
    EXPECT_EQ(s.wire[2],
              "PRIVMSG #r :<DYN_MPD ID=\"" + id + "\" N=2 STOP>" + std::string(41, 'b') + "</DYN_MPD>");
    s.wire.clear();
    t.m.vSendLongMessage(std::string(400, '&'), false, true, "");
    ASSERT_EQ(s.wire.size(), 13u);
    for (const std::string& l : s.wire)
    {
        EXPECT_LE(l.size(), 12u + 484u) << l;
        EXPECT_EQ(l.find("&amp;</DYN"), l.size() - 15) << l;
    }
    s.wire.clear();
    t.m.vSendChat(std::string(483, 'c'), false, true, "");
    EXPECT_EQ(s.wire.size(), 1u);
    t.m.vSendChat(std::string(484, 'c'), false, true, "");
    EXPECT_EQ(s.wire.size(), 1u);
    EXPECT_EQ(t.strLastLine(), "Too long, <a href=\"@BUD@" + std::to_string(t.m.msgs.messages.size() - 1) +
                                   "@ann\" ><DI_MGHDS STRID=1>ann</DI_MGHDS></a><BR>");
}

TEST(ChatModel, WhisperToAbsentUserAndNoHtml)
{
    Model t;
    t.vEnter("ann", {"bob"});
    t.cnx.session.wire.clear();
    const size_t n = t.m.msgs.messages.size();
    t.m.vSendChat("psst", true, true, "carl");
    EXPECT_TRUE(t.cnx.session.wire.empty());
    EXPECT_EQ(t.m.msgs.messages.size(), n + 1);
    EXPECT_NE(t.strLastLine().find("select someone first!"), std::string::npos);
    t.m.vSendChat("psst", true, false, "carl");
    EXPECT_EQ(t.cnx.session.wire, (Lines{"PRIVMSG carl :psst"}));
    t.m.cfg.boNoHtml = true;
    t.vServer(":bob!u@h PRIVMSG ann :<b>");
    EXPECT_NE(t.strLastLine().find("><DI_EXT>&lt;b&gt;</DI_EXT></a>"), std::string::npos) << t.strLastLine();
}

TEST(ChatModel, FloodWaitsShown)
{
    Model t;
    t.vEnter("ann");
    t.m.people.senderFlood.iFrqMinPeriod = 0;
    t.m.people.senderFlood.iRptProb = 2500;
    for (int i = 0; i < 4; ++i)
        t.m.vSendChat("again", false, true, "");
    EXPECT_NE(t.strLastLine().find("No flooding"), std::string::npos);
    t.m.cfg.formats[32] = "wait %nbsec%";
    t.m.vSendChat("again", false, true, "");
    EXPECT_EQ(t.strLastLine(), "wait 2.5");
    t.m.people.senderFlood.iRptProb = 3000;
    t.m.vSendChat("again", false, true, "");
    EXPECT_EQ(t.strLastLine(), "wait 3");
}

TEST(ChatModel, IncidentNicksAfterRefusals)
{
    Model t;
    t.vEnter("ann");
    for (const char* expected : {"ann{1", "ann{2", "ann{3"})
    {
        t.m.OnNumericError(433, "", "", nullptr);
        t.cnx.session.vSetStateForTest(3);
        t.m.OnState(3, nullptr);
        EXPECT_EQ(t.m.conn.strIrcNick, expected);
        EXPECT_EQ(t.cnx.calls.back(), "open 127.0.0.1:6667");
    }
    t.m.conn.strIrcNick = "ann{10";
    t.cnx.calls.clear();
    t.m.OnNumericError(433, "", "", nullptr);
    t.m.OnState(3, nullptr);
    EXPECT_EQ(t.m.conn.strIrcNick, "ann{10");
    EXPECT_TRUE(t.cnx.calls.empty());
}

TEST(ChatModel, NamesBurstRefreshesUserZoneOnce)
{
    Model t;
    Lines others;
    for (int i = 1; i < 30; ++i)
        others.push_back("u" + std::to_string(i));
    t.m.conn.llRoomCreated = t.now;
    t.vEnter("ann", others);
    EXPECT_EQ(t.m.people.users.size(), 30u);
    EXPECT_EQ(t.view.uCount("reload users"), 1u);
    EXPECT_EQ(t.m.msgs.strHistory.find("joined"), std::string::npos);
    EXPECT_EQ(t.m.people.lUsersInRoom, 30);
    // After the burst a join is shown; a second join of the same nick is not.
    t.vServer(":zed!u@h JOIN :#r");
    EXPECT_NE(t.strLastLine().find("zed</DI_MGHDS></a> joined #r"), std::string::npos);
    t.m.OnUserJoined("zed", "#r", nullptr);
    EXPECT_EQ(t.m.people.users.size(), 31u);
    // A user who was never listed leaves the count alone.
    t.m.OnUserLeft("#r", "ghost", nullptr);
    EXPECT_EQ(t.m.people.lUsersInRoom, 31);
    t.vServer(":zed!u@h PART #r :");
    EXPECT_EQ(t.m.people.lUsersInRoom, 30);
    EXPECT_NE(t.strLastLine().find("left #r"), std::string::npos);
}

TEST(ChatModel, GroupAnnouncements)
{
    Model t;
    t.m.conn.strNick = t.m.conn.strIrcNick = "ann";
    CGroupTable::Group& g = t.m.people.groups.FindOrCreate("a&b", 3);
    g.boAnnounce = true;
    t.m.people.groups.iSetMember("a&b", "ann", 3);
    t.vEnter("ann");
    const Lines& w = t.cnx.session.wire;
    EXPECT_EQ(w.back(), "PRIVMSG #r :<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"a&amp;b\" GRPUSER=\"ann\" "
                        "GRPRANK=\"3\" SENDER=\"ann\"></DYNGRP_ADDGRP>");
    t.cnx.session.wire.clear();
    t.vServer(":bob!u@h JOIN :#r");
    EXPECT_EQ(w, (Lines{"PRIVMSG bob :<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"a&amp;b\" GRPUSER=\"ann\" "
                        "GRPRANK=\"3\" SENDER=\"ann\"></DYNGRP_ADDGRP>"}));
    t.cnx.session.wire.clear();
    EXPECT_EQ(t.m.iSetGroupMember(false, "a&b", 0, true, "bob", true), 0);
    t.m.people.groups.iSetMember("a&b", "bob", 1);
    EXPECT_EQ(t.m.iSetGroupMember(false, "a&b", 0, true, "bob", true), 1);
    EXPECT_EQ(w, (Lines{"PRIVMSG #r :<TMESS/><DYN_GRP REMUSER GRPNAME=\"a&amp;b\" GRPUSER=\"bob\" "
                        "SENDER=\"ann\" ></DYN_GRP>"}));
    // A group announced back privately: the removal goes to the user alone.
    t.cnx.session.wire.clear();
    t.m.people.groups.FindOrCreate("rev");
    t.m.people.groups.iSetMember("rev", "bob", 2);
    EXPECT_EQ(t.m.iSetGroupMember(false, "rev", 0, true, "bob", false), 1);
    EXPECT_EQ(w, (Lines{"PRIVMSG bob :<TMESS/><DYN_GRP REMUSER GRPNAME=\"@REV@rev\" GRPUSER=\"ann\" "
                        "SENDER=\"ann\"  NEWDYNADD></DYN_GRP>"}));
    // A user in no announced group sends nothing.
    Model u;
    u.vEnter("cid");
    EXPECT_EQ(u.cnx.session.wire.back(), "CREATE #r ");
}

TEST(ChatModel, ClearAllAndClosed)
{
    Model t;
    t.vEnter("ann", {"bob"});
    t.m.vAddMessage("x", "bob", "", 0, false);
    t.m.OnState(0, nullptr);
    EXPECT_TRUE(t.m.people.users.empty());
    EXPECT_FALSE(t.m.conn.boConnected);
    t.m.vClearAll();
    EXPECT_TRUE(t.m.msgs.messages.empty());
    EXPECT_TRUE(t.m.msgs.strHistory.empty());
}

TEST(ChatModel, ConfigDocumentsAndResolvedDomains)
{
    Model t;
    Lines tags, requests;
    t.host.onTagSeen = [&](const std::string& n, const std::string&) { tags.push_back(n); };
    t.host.onConfigRequest = [&](const std::string& a, const std::string& tag)
    { requests.push_back(a + " " + tag); };
    EXPECT_EQ(t.m.iLoadConfigDocument("  STR://<CNF_X A=1></CNF_X>", ""), 0);
    EXPECT_EQ(t.m.iLoadConfigDocument("sTr://<BODY><CNF_Y></CNF_Y>", ""), 0);
    EXPECT_EQ(t.m.iLoadConfigDocument("http://h/g.vblt", "@GRPCNFLOAD@"), 0);
    EXPECT_EQ(tags, (Lines{"CNF_X"}));
    EXPECT_EQ(requests, (Lines{"http://h/g.vblt @GRPCNFLOAD@"}));

    t.m.page.strCurDomain = "B.D";
    EXPECT_EQ(t.m.strExpandVars("[%curdomip%]"), "[]");
    int asked = 0;
    t.host.onResolve = [&](const std::string& host)
    {
        ++asked;
        return host == "B.D" ? std::string("10.0.0.7") : std::string();
    };
    EXPECT_EQ(t.m.strExpandVars("%curdom%"), "B.D");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(t.m.strExpandVars("%curdomip%"), "10.0.0.7");
    EXPECT_EQ(asked, 1);
}

TEST(ChatModel, SingleIncident)
{
    Model t;
    t.m.conn.boSingleIncident = true;
    int closes = 0;
    t.host.onPostClose = [&] { ++closes; };
    t.vEnter("ann{2", {"ann{1"});
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(t.m.conn.boSynced);

    Model u;
    u.m.conn.boSingleIncident = true;
    u.host.onPostClose = [&] { ++closes; };
    u.vEnter("cid", {"bob"});
    EXPECT_EQ(closes, 1);
    u.vServer(":bob{1!u@h JOIN :#r");
    ASSERT_GE(u.m.lFindUser("bob{1"), 0);
    EXPECT_EQ(u.m.people.userFlags[static_cast<size_t>(u.m.lFindUser("bob{1"))], CChatModel::kUserHidden);
    EXPECT_EQ(u.m.msgs.strHistory.find("joined"), std::string::npos);
    const size_t lines = u.m.msgs.messages.size();
    u.vServer(":bob!u@h PART #r :");
    EXPECT_EQ(u.m.people.userFlags[static_cast<size_t>(u.m.lFindUser("bob{1"))], 0);
    EXPECT_EQ(u.m.msgs.messages.size(), lines);
}

TEST(ChatModel, ElementListsThroughTheModel)
{
    Model t;
    t.vEnter("tom");
    CGroupTable::Group& g = t.m.people.groups.FindOrCreate("club");
    g.boAnnounce = true;
    t.m.cfg.userAttrs[0] = "class=plain";
    CElementListDirectives& dir = t.m.ElementListDirectives();
    dir.boConfigure("CNFELIST_KEYDISPLAY", "ELIST=fr", "<K %keyname% %nbitem%>");
    dir.boConfigure("CNFELIST_ITEMDISPLAY", "ELIST=fr", "%itemname%;");
    dir.boConfigure("CNFELIST_MESSAGE", "ELIST=fr ONEVENT=ADDITEM", "%itemname% in %keyname%");
    dir.boConfigure("CNFELIST_LNKCOLOR", "ELIST=fr TYPE=EVENTADDITEM", "class=ev");
    dir.boConfigure("CNFELIST_GRPLINK", "ELIST=fr TYPE=USERJOIN GRPNAME=club RANK=2", "");
    dir.boConfigure("CNFELIST_GRPLINK", "ELIST=fr TYPE=USERLEAVE GRPNAME=club RANK=-1", "");
    t.m.tables.elistFrames["fr"] = "users";
    t.m.tables.elistItemFrames["fr"] = "users";
    t.m.tables.elistKeyFrames["fr"] = "status";

    const std::string attrs = "ELIST=fr IDKEY=k IDITEM=tom CHATUSER";
    t.m.msgs.strHistory = "<DI_HI>x</DI_HI><DYNELIST_ADDITEM " + attrs + ">tom</DYNELIST_ADDITEM>";
    t.cnx.session.wire.clear();
    t.view.log.clear();
    dir.vEvent("ADDITEM", "tom", attrs);
    int32_t rank = 0;
    EXPECT_TRUE(t.m.people.groups.boMemberValue("club", "tom", &rank));
    EXPECT_EQ(rank, 2);
    ASSERT_EQ(t.cnx.session.wire.size(), 1u);
    EXPECT_NE(t.cnx.session.wire[0].find("GRPNAME=\"club\""), std::string::npos);
    ASSERT_FALSE(t.m.msgs.messages.empty());
    EXPECT_EQ(t.m.msgs.messages.back().strText,
              "<a href=\"@BLS@tom\" class=ev><DI_MGHDS STRID=1>tom</DI_MGHDS></a> in k");
    EXPECT_EQ(t.m.msgs.strHistory.find("<DI_HI>x</DI_HI><DYNELIST_ADDITEM>tom</DYNELIST_ADDITEM>"), 0u);
    // One reload per frame showing the list, and the message frame refreshed.
    EXPECT_EQ(t.view.uCount("reload users"), 1u);
    EXPECT_EQ(t.view.uCount("reload status"), 1u);
    EXPECT_GE(t.view.uCount("reload msgs end"), 1u);

    // The same event again joins nobody and announces nothing.
    t.cnx.session.wire.clear();
    dir.vEvent("ADDITEM", "tom", attrs + " CATCHUP");
    EXPECT_TRUE(t.cnx.session.wire.empty());

    // Posted reloads wait for the window's message; a name is queued once.
    int posts = 0;
    t.host.onPostListsChanged = [&posts] { ++posts; };
    t.view.log.clear();
    dir.vEvent("ADDKEY", "", "ELIST=fr IDKEY=j");
    dir.vEvent("ADDKEY", "", "ELIST=fr IDKEY=j");
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(t.m.tables.changedLists, (Lines{"fr"}));
    EXPECT_TRUE(t.view.log.empty());
    t.m.vOnListsChanged();
    EXPECT_EQ(t.view.log, (Lines{"reload users", "reload status"}));
    EXPECT_TRUE(t.m.tables.changedLists.empty());

    // The toggle link word opens the key and reloads the list's frame.
    EXPECT_EQ(dir.strDynElist("ELIST=fr"), "<K j 0><K k 1>");
    t.view.log.clear();
    for (const char* bad : {"fr@", "@k", "frk", "fr@none", "no@k"})
        EXPECT_FALSE(t.m.boOnElistToggle(bad)) << bad;
    EXPECT_TRUE(t.view.log.empty());
    EXPECT_TRUE(t.m.boOnElistToggle("fr@K"));
    EXPECT_EQ(t.view.log, (Lines{"reload users"}));
    EXPECT_EQ(dir.strDynElist("ELIST=fr"),
              "<K j 0><K k 1><a href=\"@BLS@tom\" class=plain><DI_MGHDS STRID=0>tom</DI_MGHDS></a>;");

    // Leaving through the list applies the leave link.
    dir.vEvent("REMITEM", "", "ELIST=fr IDKEY=k IDITEM=tom");
    EXPECT_TRUE(t.m.people.groups.boMemberValue("club", "tom", &rank));
    EXPECT_EQ(rank, -1);

    t.m.vClearAll();
    EXPECT_EQ(t.m.tables.elementLists.uSize(), 0u);
}
