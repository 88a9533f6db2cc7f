#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "ChatFakes.h"
#include "ChatPageFixture.h"
#include "ChatModel.h"
#include "HtmlDoc.h"
#include "TestFiles.h"

using namespace ChatModel;
using namespace ChatModelTest;
using Lines = std::vector<std::string>;

namespace
{

struct Chat : CChatPageFixture
{
    int posted1039 = 0;
    Lines requests;
    Chat()
    {
        host.onPostRefresh = [this] { ++posted1039; };
        host.onDocumentRequest = [this](const std::string& address, const std::string& frame)
        {
            requests.push_back(address + "|" + frame);
            return address.find("ready") != std::string::npos ? std::string("<P>doc</P>") : std::string();
        };
    }
    std::string strParse(const std::string& page) { return strParseWith(page, &relay); }
    class CFrameRelay : public CHtmlWndEventsBase
    {
    public:
        explicit CFrameRelay(Chat& c) : m_c(c) {}
        int32_t OnTag(std::string name, std::string attrs, HtmlMemBlock* content, int32_t length, std::string,
                      CHtmlObject* sender) override
        {
            return m_c.m.OnTag(name, attrs, content, length, "msgs", sender);
        }

    private:
        Chat& m_c;
    };
    CFrameRelay relay{*this};
};

// A small local file for the "file://" cases, removed afterwards.
struct LocalFile
{
    std::string path = ::testing::TempDir() + "chat_insert_url.txt";
    LocalFile() { std::ofstream(path, std::ios::binary) << "<B>local</B>"; }
    ~LocalFile() { std::remove(path.c_str()); }
};

} // namespace

TEST(DisplayDirectives, InsertUrl)
{
    const LocalFile file;
    struct Case
    {
        std::string page, source;
        Lines requests;
        int refreshes;
        bool cut; // the history's copy of the tag lost its attributes
    };
    const std::string tag = "<DYN_INSERTURL HREF=\"file://" + file.path + "\" HISTSINGLESHOT ONLOADGRPREF>";
    const Case cases[] = {
        {"[" + tag + "</DYN_INSERTURL>]", "[<B>local</B>]", {}, 1, true},
        {"[<DYN_INSERTURL HREF=\" FILE://" + file.path + " \"></DYN_INSERTURL>]",
         "[<B>local</B>]",
         {},
         0,
         false},
        {"[<DYN_INSERTURL HREF=\"file://no/such<x>\" HISTSINGLESHOT ONLOADGRPREF></DYN_INSERTURL>]",
         "[Err : file://no/such&lt;x&gt;<BR>]",
         {},
         0,
         false},
        {"[<DYN_INSERTURL HREF=\"file://\"></DYN_INSERTURL>]", "[Err : file://<BR>]", {}, 0, false},
        {"[<DYN_INSERTURL></DYN_INSERTURL>]", "[]", {}, 0, false},
        {"[<DYN_INSERTURL HREF=\"http://h/ready\" ONLOADGRPREF></DYN_INSERTURL>]",
         "[<P>doc</P>]",
         {"http://h/ready|msgs"},
         1,
         false},
        {"[<DYN_INSERTURL HREF=\"h/later\" ONLOADGRPREF></DYN_INSERTURL>]", "[]", {"h/later|msgs"}, 0, false},
    };
    for (const Case& c : cases)
    {
        Chat t;
        t.m.msgs.strHistory = "a" + tag + "b";
        EXPECT_EQ(t.strParse(c.page), c.source) << c.page;
        EXPECT_EQ(t.requests, c.requests) << c.page;
        EXPECT_EQ(t.posted1039, c.refreshes) << c.page;
        EXPECT_EQ(t.m.msgs.strHistory, c.cut ? "a<DYN_INSERTURL>b" : "a" + tag + "b") << c.page;
    }
}

TEST(DisplayDirectives, InsertUrlOfAnotherUserReadsNoFile)
{
    const LocalFile file;
    const std::string tag =
        "<DYN_INSERTURL HREF=\"file://" + file.path + "\" ONLOADGRPREF HISTSINGLESHOT></DYN_INSERTURL>";
    Chat t;
    t.m.conn.strNick = t.m.conn.strIrcNick = "ann";
    // Parsed as their text: nothing read, nothing refreshed.
    t.m.iParseMarkup(tag, true);
    EXPECT_EQ(t.posted1039, 0);
    // Their line as received and then shown from the history.
    t.m.vAddMessage("<TMESS/>" + tag, "mallory", "", 0, true, Origin::kStranger);
    const int afterReceive = t.posted1039;
    t.strParse("<DYN_MESSAGES></DYN_MESSAGES>");
    EXPECT_EQ(t.strParse("[<DYN_MESSAGES></DYN_MESSAGES>]").find("local"), std::string::npos);
    EXPECT_EQ(t.posted1039, afterReceive);
    // The chat's own page runs it.
    t.m.iParseMarkup(tag, false);
    EXPECT_EQ(t.posted1039, afterReceive + 1);
}

TEST(DisplayDirectives, ExecCommand)
{
    const auto command =
        [](const char* name, const char* text, bool params, int32_t n, const char* format, const char* sep)
    {
        CChatModel::Command c;
        c.strName = name;
        c.strText = text;
        c.boHasParams = params;
        c.iOperand = n;
        c.strFormat = format;
        c.strSeparator = sep;
        return c;
    };
    struct Case
    {
        const char* page;
        const char* source;
    };
    const Case cases[] = {
        {"[<DYN_EXECCMD name=\"hello\"></DYN_EXECCMD>]", "[Hello all]"},
        {"[<DYN_EXECCMD name=\"\" cmd=\"HELLO\"></DYN_EXECCMD>]", "[Hello all]"},
        {"[<ACT_EXECCMD cmd=\"Hello\"></ACT_EXECCMD>]", "[Hello all]"},
        {"[<ACT_EXECCMD name=\"hello\"></ACT_EXECCMD>]", "[<ACT_EXECCMD name=\"hello\"></ACT_EXECCMD>]"},
        {"[<DYN_EXECCMD name=\"qq\">x</DYN_EXECCMD>]", "[<DYN_EXECCMD name=\"qq\">x</DYN_EXECCMD>]"},
        {"[<DYN_EXECCMD></DYN_EXECCMD>]", "[<DYN_EXECCMD></DYN_EXECCMD>]"},
        // Whole name without parameters, prefix only with them.
        {"[<DYN_EXECCMD name=\"hellox\"></DYN_EXECCMD>]", "[<DYN_EXECCMD name=\"hellox\"></DYN_EXECCMD>]"},
        {"[<DYN_EXECCMD name=\"n10\"></DYN_EXECCMD>]", "[8 10 20 10|10]"},
        {"[<DYN_EXECCMD name=\"f7\"></DYN_EXECCMD>]", "[0005 0007]"},
        {"[<DYN_EXECCMD name=\"bad7\"></DYN_EXECCMD>]", "[6 6]"},
        {"[<DYN_EXECCMD name=\"z5\"></DYN_EXECCMD>]", "[5]"},
        {"[<DYN_EXECCMD name=\"say(Ann;Bob)\"></DYN_EXECCMD>]", "[Ann to Bob: ;(Ann;Bob)]"},
        {"[<DYN_EXECCMD name=\"say(x)\"></DYN_EXECCMD>]", "[x to : ;(x)]"},
        {"[<DYN_EXECCMD name=\"sayx\"></DYN_EXECCMD>]", "[ to : ;x]"},
        // The console: its words in any case.
        {"[<DYN_EXECCMD name=\"vbcnt\"></DYN_EXECCMD>]", "[<CENTER><B>2</B></CENTER>]"},
        {"[<DYN_EXECCMD name=\"vbusr\"></DYN_EXECCMD>]",
         "[<TABLE border=0 align=center width=80%><TR><TD bgcolor=#FFFFFF width=50%><FONT "
         "color=#000000>User</FONT>"
         "</TD><TD bgcolor=#FFFFFF width=50%><FONT color=#000000>Vers.</FONT></TD></TR><TR><TD>b&amp;b</TD>"
         "<TD align=center>NOCR</TD></TR></TABLE>]"},
        {"[<DYN_EXECCMD name=\"VBVER\"></DYN_EXECCMD>]",
         "[<CENTER><font size=10><BLINK color1=#C0C0C0 color2=#5C5C5C><I>Verbolt v</I> 4.38<BR><FONT "
         "size=-3>&lt;<B>Win32 </B> 1.01&gt;<BR><FONT size=-1>--NP--</FONT></FONT></BLINK></font></CENTER>]"},
        {"[<ACT_EXECCMD cmd=\"VbCrd\"></ACT_EXECCMD>]",
         "[<CENTER><I>Verbolt</I><BR>the chat that speaks in frames</CENTER>]"},
        {"[<ACT_EXECCMD cmd=\"vbteam\"></ACT_EXECCMD>]",
         "[<CENTER>Built by the Orbelle chat team<BR>thanks to every room that tried it</CENTER>]"},
        {"[<ACT_EXECCMD cmd=\"VBNCK\"></ACT_EXECCMD>]",
         "[SND : CL<BR>RCV : BTH<BR>SRCV : 2<BR>NICKO : 0<BR>NICKI : 2<BR>MINNCKV : -1.00<BR>MAXNCKV : "
         "-1.00<BR>CHL : 0<BR>NCKPRFX : <BR>]"},
    };
    for (const Case& c : cases)
    {
        Chat t;
        t.m.boInsertUser("Ann", 0);
        t.m.boInsertUser("ghost", CChatModel::kUserHidden);
        std::string plain = "b&b";
        t.m.Scheme().boAcceptNick(plain, false);
        t.m.cfg.commands = {
            command("HELLO", "Hello all", false, 1, "%i", ","),
            command("N", "%iparam-n% %iparam+n% %iparam*n% %iparam/n%|%params%", true, 2, "%i", ","),
            command("F", "%iparam-n% %iparam+n%", true, 2, "%04i", ","),
            command("BAD", "%iparam-n% %iparam/n%", true, 1, "%s%i", ","),
            command("Z", "%iparam/n%", true, 0, "%i", ","),
            command("SAY", "%0% to %1%: %2%%3%;%params%", true, 1, "%i", ";"),
        };
        EXPECT_EQ(t.strParse(c.page), c.source) << c.page;
    }
}

// The session statistics read the window's counters and the connection's
// bytes; the flood state colours each user's detector: red while an alert
// runs, orange while messages come faster than twice the least period.
TEST(DisplayDirectives, ConsoleSessionStatsAndFloodState)
{
    Chat t;
    t.m.people.lLeft = 1, t.m.people.lKilled = 2, t.m.people.lRoomReceived = 3, t.m.people.lPrivReceived = 4,
    t.m.people.lRoomSent = 5, t.m.people.lPrivSent = 6;
    t.cnx.received = 7000000000ull;
    t.cnx.sent = 8;
    EXPECT_EQ(
        t.strParse("[<ACT_EXECCMD cmd=\"vbstat\"></ACT_EXECCMD>]"),
        "[<TABLE border=1 align=center><TR><TD bgcolor=#C0C0C0>Session Stats</TD></TR><TR><TD>OUT : 1<BR>"
        "KCK : 2<BR>MIN : 3<BR>WIN : 4<BR>MOUT : 5<BR>WOUT : 6<BR>bIN : 7000000000<BR>bOUT : 8"
        "</TD></TR></TABLE>]");

    const auto record = [&t](const std::string& nick, int messages)
    {
        auto d = std::make_unique<CFloodDetector>(nick, [] { return int64_t(5000); });
        for (int i = 0; i < messages; ++i)
            d->vOnMessage("same text again");
        t.m.people.floodRecords[nick] = std::move(d);
    };
    record("ann", 4);  // the fourth repeat: an alert (smoothed 4000 halved four times)
    record("b&b", 1);  // 2000 ms apart on average: under twice the least period
    record("carl", 0); // 4000: not under
    EXPECT_EQ(
        t.strParse("[<DYN_EXECCMD name=\"VbFlSt\"></DYN_EXECCMD>]"),
        "[<TABLE border=1 align=center><TR><TD bgcolor=#C0C0C0>US</TD><TD>REP CPTR=0 - MESS AVG PRD = 4000"
        "</TD></TR><TR><TD bgcolor=#C0C0C0>Them</TD><TD><B><FONT color=RED>ann</FONT></B> : 3 - 250<BR>"
        "<B><FONT color=#FF8000>b&amp;b</FONT></B> : 0 - 2000<BR><B><FONT color=GREEN>carl</FONT></B> : "
        "0 - 4000<BR></TD></TR></TABLE>]");
    // Without per-user records only the own row has counters.
    t.m.people.floodRecords.clear();
    EXPECT_EQ(
        t.strParse("<DYN_EXECCMD name=\"vbflst\"></DYN_EXECCMD>"),
        "<TABLE border=1 align=center><TR><TD bgcolor=#C0C0C0>US</TD><TD>REP CPTR=0 - MESS AVG PRD = 4000"
        "</TD></TR><TR><TD bgcolor=#C0C0C0>Them</TD><TD></TD></TR></TABLE>");
}

TEST(DisplayDirectives, AutoLinkAndSubst)
{
    struct Case
    {
        const char* text;
        const char* result;
    };
    const Case cases[] = {
        {"a :) b", "a <IMG src=smile> b"},
        {":):)", "<IMG src=smile><IMG src=smile>"},
        {"LOL", "<B>lol</B>"},
        {"lol, ok", "<B>lol</B>, ok"},
        {"lollipop xlol", "lollipop xlol"},
        {"1lol2", "1<B>lol</B>2"},
        {"ab-cd", "ab-cd"},
        {"abxcd", "ab-cd"},
        {"go www.a.fr now", "go [<A href=\"HTTP://www.a.fr\" TARGET=_blank>www.a.fr</A>] now"},
        {"http://h/p", "[<A href=\"http://h/p\" TARGET=_blank>http://h/p</A>]"},
        {"xwww.a.fr", "xwww.a.fr"},
        {"www.a<b> c www.b", "www.a<b> c [<A href=\"HTTP://www.b\" TARGET=_blank>www.b</A>]"},
        {"", ""},
    };
    Chat t;
    const auto sub = [](const char* key, const char* with, bool whole)
    {
        CChatModel::Substitution s;
        s.strKey = key;
        s.strReplacement = with;
        s.boWholeWord = whole;
        return s;
    };
    // The empty replacement of a word left inside a longer one ends too.
    t.m.cfg.substitutions = {sub(":)", "<IMG src=smile>", false), sub("LOL", "<B>lol</B>", true),
                             sub("X", "", true), sub("", "never", false), sub("BXC", "b-c", false)};
    t.m.cfg.strAutoLinkFormat = "[%lnk%]";
    t.m.cfg.strAutoLinkText = "TARGET=_blank";
    for (const Case& c : cases)
    {
        std::string text = c.text;
        t.m.vAutoLink(text);
        EXPECT_EQ(text, c.result) << c.text;
    }
    EXPECT_EQ(t.strParse("(<DYN_SUBST>lol</DYN_SUBST>)"), "(<B>lol</B>)");
    EXPECT_EQ(t.strParse("(<DYN_SUBST></DYN_SUBST>)"), "(<DYN_SUBST></DYN_SUBST>)");
}

TEST(DisplayDirectives, BuddiesAndCount)
{
    Chat t;
    t.strParse("<CNF_BUDDY_SEL CLASS=s>[%bud%]</CNF_BUDDY_SEL><CNF_BUDDY CLASS=p>%bud%;</CNF_BUDDY>");
    t.m.boInsertUser("Ann", 0);
    t.m.boInsertUser("ghost", CChatModel::kUserHidden);
    t.m.boInsertUser("b&b", 0);
    t.m.conn.strSelected = "Ann";
    const std::string page =
        "<DYN_BUDDIES></DYN_BUDDIES>|<DYN_NB_CONNECTED>%nb% user%(s)%</DYN_NB_CONNECTED>";
    EXPECT_EQ(t.strParse(page),
              "[<a href=\"@BLS@Ann\" CLASS=s>Ann</a>]<a href=\"@BLS@b&amp;b\" CLASS=p>b&amp;b</a>;"
              "|2 users");
    // The selected user who hides is left out, like any hidden user.
    t.m.conn.strSelected = "ghost";
    EXPECT_EQ(t.strParse(page),
              "<a href=\"@BLS@Ann\" CLASS=p>Ann</a>;<a href=\"@BLS@b&amp;b\" CLASS=p>b&amp;b</a>;"
              "|2 users");
}

TEST(DisplayDirectives, InsertUrlOfAnOversizedFileIsAnError)
{
    const std::string path = ::testing::TempDir() + "chat_insert_big.txt";
    std::ofstream(path, std::ios::binary) << std::string((4u << 20) + 1, 'x');
    Chat t;
    EXPECT_EQ(t.strParse("<DYN_INSERTURL HREF=\"file://" + path + "\"></DYN_INSERTURL>"),
              "Err : file://" + path + "<BR>");
    std::remove(path.c_str());
}

namespace
{

using FdTestKit::strReadFile;

} // namespace

// A sample zone page (the users frame) after the sample configuration page:
// its source once the directives are handed over is golden, its display tags
// remember the frame, and its element-list settings fill the list that later
// events use.
TEST(DisplayDirectives, SampleZonePage)
{
    const char* root = std::getenv("FD_SOURCE_DIR");
    ASSERT_NE(root, nullptr);
    const std::string dir = std::string(root) + "/chat/model/tests/pages";
    Chat t;
    t.CChatPageFixture::strParse(strReadFile(dir + "/config.vblt"));
    t.m.conn.strNick = t.m.conn.strIrcNick = "ann";
    t.CChatPageFixture::strParse(
        "<CNF_GRPCONF grpname=admins dispname=Admins listable>Room admins</CNF_GRPCONF>"
        "<CNF_CUGRP grpname=admins RANK=2></CNF_CUGRP>");
    t.m.conn.strRoom = "#r";
    t.m.conn.iDisplayState = 4;
    t.m.boInsertUser("ann", 0);
    t.m.boInsertUser("b&b", 0);
    t.m.boInsertUser("ghost", CChatModel::kUserHidden);
    t.m.conn.strSelected = "b&b";
    // Events received before the page: no list settings yet, so no messages.
    t.CChatPageFixture::strParse(
        "<DYNELIST_ADDKEY ELIST=tables IDKEY=go>Go</DYNELIST_ADDKEY>"
        "<DYNELIST_ADDKEY ELIST=tables IDKEY=chess MAXITEM=2>Chess</DYNELIST_ADDKEY>"
        "<DYNELIST_ADDITEM ELIST=tables IDKEY=chess IDITEM=b&amp;b CHATUSER>b&amp;b</DYNELIST_ADDITEM>"
        "<DYNELIST_ADDITEM ELIST=tables IDKEY=go IDITEM=carl>carl</DYNELIST_ADDITEM>");
    t.m.tables.elementLists.boToggleExpanded("tables", "chess");
    const std::string history = t.m.msgs.strHistory;

    const std::string source = t.strParseInFrame(strReadFile(dir + "/users.vblt"), "users");
    EXPECT_TRUE(FdTestKit::MatchesGolden(source, dir + "/users.golden", "users.actual"));

    for (int zone :
         {CChatModel::kZoneUsers, CChatModel::kZoneGroups, CChatModel::kZoneStatus, CChatModel::kZoneRoom})
        EXPECT_EQ(t.m.cfg.zoneFrames[zone], "users") << zone;
    EXPECT_EQ(t.m.tables.elistFrames["tables"], "users");
    EXPECT_EQ(t.m.tables.elistItemFrames["tables"], "users");
    EXPECT_EQ(t.m.tables.elistKeyFrames["tables"], "users");
    EXPECT_EQ(t.m.tables.elementLists.lpFindList("never"), nullptr);
    EXPECT_EQ(t.m.msgs.strHistory, history);

    // The own nick sitting down joins the list's group once and shows the
    // page's message for the event.
    const std::string sit =
        "<DYNELIST_ADDITEM ELIST=tables IDKEY=go IDITEM=ann CHATUSER>ann</DYNELIST_ADDITEM>";
    t.CChatPageFixture::strParse(sit);
    int32_t rank = -1;
    EXPECT_TRUE(t.m.people.groups.boMemberValue("players", "ann", &rank));
    EXPECT_EQ(rank, 1);
    EXPECT_NE(t.m.msgs.strHistory.find(">ann</DI_MGHDS></a> sits at Go<BR>"), std::string::npos)
        << t.m.msgs.strHistory;
    EXPECT_EQ(t.strParseInFrame("<DYNELIST_NBITEM ELIST=tables>%nbitem%</DYNELIST_NBITEM>", "users"), "3");
}

// The handler runs on its own state with a host that records what it asks:
// hidden users stay out of the list and the count, and a stranger's text
// reads no local file.
TEST(DisplayDirectives, HandlerOnItsOwnState)
{
    struct Host : IDisplayDirectiveHost
    {
        bool boForeign = false;
        Lines calls;
        std::string strNickDisplay(const std::string& nick, int style) override
        {
            return nick + "/" + std::to_string(style);
        }
        bool boForeignText() override { return boForeign; }
        bool boReadLocalFile(const std::string& path, std::string& text) override
        {
            calls.push_back("read " + path);
            text = "file text";
            return true;
        }
        std::string strRequestDocument(const std::string& address, const std::string& frame) override
        {
            calls.push_back("request " + address + " " + frame);
            return {};
        }
        void vRequestMessageRefresh() override { calls.push_back("refresh"); }
    } host;
    ChatConnection conn;
    ChatConfig cfg;
    ChatUsers people;
    ChatMessages msgs;
    CDisplayDirectives display(conn, cfg, people, msgs, host);
    people.users = {"ann", "bob", "eve"};
    people.userFlags = {0, 0, ChatUsers::kUserHidden};
    conn.strSelected = "bob";
    cfg.userFormats[0] = "(%bud%)";
    cfg.userFormats[1] = "[%bud%]";
    cfg.stateTexts[4] = "online";
    conn.iDisplayState = 4;

    EXPECT_EQ(display.strOnDynBuddies(),
              "(<a href=\"@BLS@ann\" >ann/0</a>)[<a href=\"@BLS@bob\" >bob/1</a>]");
    EXPECT_EQ(display.strOnDynNbConnected("%nb% user%(s)%"), "2 users");
    EXPECT_EQ(display.strOnDynStatus(), "online");
    host.boForeign = true;
    EXPECT_EQ(display.strOnDynInsertUrl("", "HREF=file:///c:/x.txt", ""), "");
    host.boForeign = false;
    EXPECT_EQ(display.strOnDynInsertUrl("", "HREF=file:///c:/x.txt ONLOADGRPREF", ""), "file text");
    EXPECT_EQ(display.strOnDynInsertUrl("", "HREF=http://h/a.htm", "side"), "");
    EXPECT_EQ(host.calls, (Lines{"read c:/x.txt", "refresh", "request http://h/a.htm side"}));
}
