#include <gtest/gtest.h>

#include "ChatFakes.h"
#include "ChatPageFixture.h"
#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "HtmlDoc.h"

using namespace ChatModel;
using namespace ChatModelTest;
using Lines = std::vector<std::string>;

namespace
{

struct Chat : CChatPageFixture
{
};

} // namespace

TEST(ActionDirectives, SetVariable)
{
    struct Case
    {
        const char* before; // null: no such variable
        const char* attrs;
        const char* body;
        const char* after; // null: still none
    } cases[] = {
        {nullptr, "NAME=v OP=\"+1\"", "41", "42"},
        {nullptr, "NAME=v OP=ADD", "x", "x"},
        {"ab", "NAME=v OP=add", "c", "abc"},
        {"ab", "NAME=v OP=\"-\"", "c", "c"},
        {"7", "NAME=v", "8", "8"},
        {nullptr, "NAME=v OP=\"-50\"", "8", "-42"},
        {nullptr, "NAME=v OP=\"*3\"", "-4x", "-12"},
        {nullptr, "NAME=v OP=\"/2\"", "-7", "-3"},
        {"9", "NAME=v OP=\"/0\"", "10", "9"},
        {nullptr, "NAME=v OP=\"/0\"", "10", nullptr},
        {"9", "NAME=v OP=\"/-1\"", "-2147483648", "9"},
        {nullptr, "NAME=v OP=\"+1\"", "2147483647", "-2147483648"},
        {nullptr, "NAME=v OP=\"%2\"", "5", "5"},
        {nullptr, "OP=ADD", "5", nullptr},
    };
    for (const Case& c : cases)
    {
        Chat t;
        if (c.before)
            t.m.page.pageVars["v"] = c.before;
        t.strParse(std::string("<ACT_SETVAR ") + c.attrs + ">" + c.body + "</ACT_SETVAR>");
        const auto it = t.m.page.pageVars.find("v");
        if (c.after)
        {
            ASSERT_NE(it, t.m.page.pageVars.end()) << c.attrs << " " << c.body;
            EXPECT_EQ(it->second, c.after) << c.attrs << " " << c.body;
        }
        else
            EXPECT_EQ(it, t.m.page.pageVars.end()) << c.attrs << " " << c.body;
    }
}

TEST(ActionDirectives, FormatSwitches)
{
    Chat t;
    t.strParse("<CNF_MESSFORMAT_GRP NAME=col MUTEX></CNF_MESSFORMAT_GRP>"
               "<CNF_MESSFORMAT NAME=red GRP=col FORDER=1><font color=red>%mess%</font></CNF_MESSFORMAT>"
               "<CNF_MESSFORMAT NAME=blue GRP=col FORDER=2><font color=blue>%mess%</font></CNF_MESSFORMAT>"
               "<CNF_MESSFORMAT_GRP NAME=free NOSEL=yes></CNF_MESSFORMAT_GRP>"
               "<CNF_MESSFORMAT NAME=bold GRP=free><b>%mess%</b></CNF_MESSFORMAT>");
    // Off on a format that is not on does nothing.
    t.strParse("<DYN_MESSFORMAT NAME=red ACTIVATE=no></DYN_MESSFORMAT>");
    EXPECT_FALSE(t.m.tables.messageFormats.boIsActive("red"));
    EXPECT_TRUE(t.view.switches.empty());

    t.strParse("<DYN_MESSFORMAT NAME=red></DYN_MESSFORMAT>");
    EXPECT_TRUE(t.m.tables.messageFormats.boIsActive("red"));
    t.view.switches["@MSGF@red"] = true;
    // The mutex group switches the other member off, control included.
    t.strParse("<DYN_MESSFORMAT NAME=blue ACTIVATE=\"\"></DYN_MESSFORMAT>");
    EXPECT_TRUE(t.m.tables.messageFormats.boIsActive("blue"));
    EXPECT_FALSE(t.m.tables.messageFormats.boIsActive("red"));
    EXPECT_FALSE(t.view.switches["@MSGF@red"]);
    // A group with selection: switching off is refused and the control set again.
    t.strParse("<DYN_MESSFORMAT NAME=blue ACTIVATE=no></DYN_MESSFORMAT>");
    EXPECT_TRUE(t.m.tables.messageFormats.boIsActive("blue"));
    EXPECT_TRUE(t.view.switches["@MSGF@blue"]);
    // Without selection it goes off.
    t.strParse("<DYN_MESSFORMAT NAME=bold></DYN_MESSFORMAT>");
    EXPECT_TRUE(t.m.tables.messageFormats.boIsActive("bold"));
    t.strParse("<DYN_MESSFORMAT NAME=bold ACTIVATE=n></DYN_MESSFORMAT>");
    EXPECT_FALSE(t.m.tables.messageFormats.boIsActive("bold"));
}

TEST(DisplayDirectives, MultiPartMessagesListsAndValueFilters)
{
    Chat t;
    t.m.conn.strNick = t.m.conn.strIrcNick = "ann";
    // Three parts from bob, the last with STOP; a part numbered -1 is ignored.
    t.m.vAddMessage("<DYN_MPD ID=m1 N=-1>lost</DYN_MPD>", "bob", "", 0, true, Origin::kStranger);
    // A name cut between two parts is still caught once the parts are joined.
    t.m.vAddMessage("<DYN_MPD ID=m1 N=0>one &amp; <cnf_serv</DYN_MPD>", "bob", "", 0, true,
                    Origin::kStranger);
    t.m.vAddMessage("<DYN_MPD ID=m1 N=1>info ADRS=evil></cnf_servinfo>two </DYN_MPD>", "bob", "", 0, true,
                    Origin::kStranger);
    EXPECT_EQ(t.m.msgs.messages.size(), 3u); // the parts, not yet a message
    t.m.vAddMessage("<DYN_MPD ID=m1 N=2 STOP>three</DYN_MPD>", "bob", "", 0, true, Origin::kStranger);
    ASSERT_EQ(t.m.msgs.messages.size(), 5u);
    EXPECT_EQ(t.m.msgs.messages.back().strText, "one & <cnf_servinfo ADRS=evil></cnf_servinfo>two three");
    EXPECT_EQ(t.m.msgs.messages.back().strFrom, "bob");
    EXPECT_NE(t.m.msgs.strHistory.find(
                  "<DI_EXT>one & &lt;cnf_servinfo ADRS=evil>&lt;/cnf_servinfo>two three</DI_EXT>"),
              std::string::npos)
        << t.m.msgs.strHistory;
    EXPECT_EQ(t.m.msgs.strHistory.find("lost"), std::string::npos);
    EXPECT_EQ(t.m.tables.multiParts.uSize(), 0u);

    t.strParse("<CNF_CMD name=b info=B listable>x</CNF_CMD><CNF_CMD name=a info=A>y</CNF_CMD>"
               "<CNF_SUBST what=k>v</CNF_SUBST>");
    EXPECT_EQ(t.strParse("<DYN_LIST what=cmds>[%name%:%info%]</DYN_LIST>"), "[B:B]");
    t.host.onCtrlAltDown = [] { return true; };
    EXPECT_EQ(t.strParse("<DYN_LIST what=CMDS>[%name%:%info%]</DYN_LIST>"), "[B:B][A:A]");
    EXPECT_EQ(t.strParse("<DYN_LIST what=substs>%what%=%with%;</DYN_LIST>"), "K=v;");
    EXPECT_EQ(t.strParse("<DYN_LIST what=other>x</DYN_LIST>"), "");

    t.m.page.contextVars = {"Blue", ""};
    t.m.page.pageVars["v"] = "on";
    const struct
    {
        const char* page;
        const char* source;
    } cases[] = {
        {"<DYN_CONTEXTFILTER CID=1 EQUALSTO=blue>k</DYN_CONTEXTFILTER>", "k"},
        {"<DYN_CONTEXTFILTER CID=1 OTHERTHAN=BLUE>k</DYN_CONTEXTFILTER>", ""},
        {"<DYN_CONTEXTFILTER CID=2 ISEMPTY>k</DYN_CONTEXTFILTER>", "k"},
        {"<DYN_CONTEXTFILTER CID=9 EXISTS>k</DYN_CONTEXTFILTER>", ""},
        {"<DYN_CONTEXTFILTER EXISTS ISEMPTY>k</DYN_CONTEXTFILTER>", ""},
        {"<DYN_VARFILTER NAME=v EXISTS>k</DYN_VARFILTER>", "k"},
        {"<DYN_VARFILTER NAME=w ISEMPTY>k</DYN_VARFILTER>", "k"},
        {"<DYN_VARFILTER ISEMPTY>k</DYN_VARFILTER>", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(t.strParse(c.page), c.source) << c.page;
}

namespace
{

// Connected as ann in #r with bob, sending and navigating allowed, and three
// page commands: GO (trusted, identity 12), OTHER (trusted, 34), LOW (56).
struct Wired : Chat
{
    CFakeInstance inst;
    Wired()
    {
        m.vSetInstance(&inst);
        m.conn.strNick = m.conn.strIrcNick = m.conn.strNickHtml = "ann";
        m.conn.strRoom = "#r";
        cnx.session.vSetOwner(&m);
        cnx.session.vSetStateForTest(1);
        for (const char* line : {":srv 800 * 1 0 ANON 512 *", ":srv 001 ann :Welcome", ":ann!u@h JOIN :#r",
                                 ":srv 353 ann = #r :ann bob", ":srv 366 ann #r :End"})
            cnx.session.boParseLine(std::string(line) + "\r\n");
        cnx.session.wire.clear();
        m.cfg.boSndSwitch = m.cfg.boNavSwitch = true;
        m.Scheme().vSetReceiveAccept(1);
        vCommand("GO", true, 12);
        vCommand("OTHER", true, 34);
        vCommand("LOW", false, 56);
    }
    void vCommand(const char* name, bool trusted, int32_t identity)
    {
        CChatModel::Command c;
        c.strName = name;
        c.boTrusted = trusted;
        c.iIdentity = identity;
        m.cfg.commands.push_back(c);
    }
    void vField(const std::string& name, const char* type, const char* value, bool checked = false)
    {
        IChatView::Field f;
        f.strType = type;
        f.strValue = value;
        f.boChecked = checked;
        view.formFields[name] = f;
    }
};

} // namespace

TEST(ActionDirectives, SendIsAuthorisedAndCutFromTheHistory)
{
    const struct
    {
        const char* auth;
        int rcv;
        bool sent;
    } cases[] = {
        {"", 1, false},
        {"CN=GO CS=abc", 1, false},
        {"CN=GO CS=34", 1, false},
        {"CN=LOW CS=56", 1, false},
        {"CN=GO", 1, false},
        {"CN=GO CS=12", 1, true},
        {"CN=GO CS=12x", 1, true},
        {"CN=GO CS=12", 2, false},
    };
    for (const auto& c : cases)
    {
        Wired t;
        t.m.Scheme().vSetReceiveAccept(c.rcv);
        const std::string attrs = std::string("TO=bob ") + c.auth;
        const std::string tag = "<ACT_SND " + attrs + ">hi\r\n there</ACT_SND>";
        // Another line with the same body, then the tag itself.
        t.m.msgs.strHistory = "a hi\r\n there b" + tag + "c" + tag;
        t.strParse(tag);
        EXPECT_EQ(t.cnx.session.wire, c.sent ? Lines{"PRIVMSG bob :hi there"} : Lines{}) << c.auth;
        EXPECT_EQ(t.m.msgs.strHistory, "a hi\r\n there b<ACT_SND></ACT_SND>c" + tag) << c.auth;
    }
    // Switched off, nothing goes out.
    Wired t;
    t.m.cfg.boSndSwitch = false;
    t.strParse("<DYN_SND CN=GO CS=12>hi</DYN_SND>");
    EXPECT_TRUE(t.cnx.session.wire.empty());
    t.m.cfg.boSndSwitch = true;
    t.strParse("<DYN_SND CN=GO CS=12>  to %extparams%</DYN_SND>");
    EXPECT_EQ(t.cnx.session.wire, (Lines{"PRIVMSG #r :to "}));
}

TEST(ActionDirectives, SendFieldsAndLists)
{
    const std::string auth = " CN=GO CS=12>";
    const std::string a = "<DYN_FVAL NAME=\"a\" TYPE=\"TEXT\">x &amp; y</DYN_FVAL>";
    const std::string b = "<DYN_FVAL NAME=\"b\" TYPE=\"CHECKBOX\">#</DYN_FVAL>";
    const struct
    {
        std::string page, sent;
    } cases[] = {
        {"<ACT_SND GETFLDS=\"a||b\"" + auth + "%list%</ACT_SND>",
         "<DYN_FLDS TYPE=\"FIELDS\">" + a + "</DYN_FLDS>"},
        {"<ACT_SND GETLIST=fields LISTPARAMS=\"a|b\" FID=f7" + auth + "[%list%][%flds%]</ACT_SND>",
         "[<DYN_FLDS FID=\"f7\" TYPE=\"FIELDS\">" + a + b + "</DYN_FLDS>][" + a + b + "]"},
        {"<ACT_SND GETFLDS=\"t;r;s\" FSEP=\";\" NOFORMAT" + auth + "%flds%</ACT_SND>",
         "<DYN_FVAL NAME=\"t\" TYPE=\"TEXTAREA\">1<&#13;&#10;2&#13;&#10;3</DYN_FVAL>"
         "<DYN_FVAL NAME=\"r\" TYPE=\"RADIO\">on</DYN_FVAL><DYN_FVAL NAME=\"s\" "
         "TYPE=\"SELECT\">v2</DYN_FVAL>"},
        {"<ACT_SND GETFLDS=\"t|none|img\"" + auth + "%flds%</ACT_SND>",
         "<DYN_FVAL NAME=\"t\" TYPE=\"TEXTAREA\">1&lt;&#13;&#10;2&#13;&#10;3</DYN_FVAL>"
         "<DYN_FVAL NAME=\"none\" TYPE=\"ERR\"></DYN_FVAL><DYN_FVAL NAME=\"img\" TYPE=\"ERR\">#</DYN_FVAL>"},
        {"<ACT_SND GETLIST=USERGRPS" + auth + "%list%</ACT_SND>",
         "<DYN_FLDS TYPE=\"USERGRPS\"><DYN_FVAL NAME=\"g&amp;1\" RK=\"3\" TYPE=\"UG\"/></DYN_FLDS>"},
        {"<ACT_SND GETLIST=GRPUSERS LISTPARAMS=\"g&1|no\" NOFORMAT" + auth + "%list%</ACT_SND>",
         "<DYN_FLDS TYPE=\"GRPUSERS\"><DYN_FVAL NAME=\"g&1\" RK=\"3\" TYPE=\"GU\">ann</DYN_FVAL>"
         "<DYN_FVAL NAME=\"g&1\" RK=\"0\" TYPE=\"GU\">bob</DYN_FVAL></DYN_FLDS>"},
    };
    for (const auto& c : cases)
    {
        Wired t;
        t.vField("a", "TEXT", "x & y");
        t.vField("b", "CHECKBOX", "", true);
        t.vField("t", "TEXTAREA", "1<\r\n2\r3");
        t.vField("r", "RADIO", "on");
        t.vField("s", "SELECT", "v2");
        t.view.switches["img"] = true;
        t.m.people.groups.iSetMember("g&1", "ann", 3);
        t.m.people.groups.iSetMember("g&1", "bob", 0);
        t.strParse(c.page);
        EXPECT_EQ(t.cnx.session.wire, (Lines{"PRIVMSG #r :" + c.sent})) << c.page;
    }
}

TEST(ActionDirectives, SetField)
{
    const struct
    {
        const char* page;
        const char* name;
        const char* field; // the field afterwards: type value checked
    } cases[] = {
        {"<ACT_SETFLD NAME=t CN=GO CS=12>l1&#13;&#10;l2&#10;%extparams%</ACT_SETFLD>", "t",
         "TEXT l1\r\nl2\r\n 0"},
        {"<ACT_SETFLD NAME=t EXTPARAMS=e CN=GO CS=12>%extparams%&crlf;</ACT_SETFLD>", "t", "TEXT e\r\n 0"},
        {"<ACT_SETFLD NAME=t CN=GO CS=1>x</ACT_SETFLD>", "t", "TEXT old 0"},
        {"<ACT_SETFLD CN=GO CS=12>x</ACT_SETFLD>", "t", "TEXT old 0"},
        {"<ACT_SETFLD NAME=c CN=GO CS=12></ACT_SETFLD>", "c", "CHECKBOX  0"},
        {"<ACT_SETFLD NAME=c CN=GO CS=12>y</ACT_SETFLD>", "c", "CHECKBOX  1"},
        {"<ACT_SETFLD NAME=r CN=GO CS=12>b</ACT_SETFLD>", "r", "RADIO b 0"},
        {"<ACT_SETFLD NAME=s CN=GO CS=12>v9</ACT_SETFLD>", "s", "SELECT v1 0"},
    };
    for (const auto& c : cases)
    {
        Wired t;
        t.vField("t", "TEXT", "old");
        t.vField("c", "CHECKBOX", "", true);
        t.vField("r", "RADIO", "a");
        t.vField("s", "SELECT", "v1");
        t.strParse(c.page);
        const IChatView::Field& f = t.view.formFields[c.name];
        EXPECT_EQ(f.strType + " " + f.strValue + " " + (f.boChecked ? "1" : "0"), c.field) << c.page;
    }
    // No such field: the image control of that name.
    Wired t;
    t.strParse("<ACT_SETFLD NAME=img CN=GO CS=12>y</ACT_SETFLD>");
    EXPECT_TRUE(t.view.switches["img"]);
    t.strParse("<ACT_SETFLD NAME=img CN=GO CS=12></ACT_SETFLD>");
    EXPECT_FALSE(t.view.switches["img"]);
}

TEST(ActionDirectives, FindCommand)
{
    Chat t;
    CChatModel::Command say, me;
    say.strName = "SAY";
    say.boHasParams = true;
    say.strSeparator = ",";
    me.strName = "ME";
    t.m.cfg.commands = {say, me};
    const struct
    {
        const char* text;
        const char* found; // null: none
        const char* params;
        Lines list;
    } cases[] = {
        {"say(x,y)", "SAY", "(x,y)", {"x", "y"}},
        {"Say Hi", "SAY", " Hi", {}},
        {"say", "SAY", "", {}},
        {"me", "ME", "", {}},
        {"me2", nullptr, "", {}},
        {"sa", nullptr, "", {}},
    };
    for (const auto& c : cases)
    {
        std::string params;
        Lines list{"stale"};
        const CChatModel::Command* found = t.m.lpFindCommand(c.text, params, &list);
        EXPECT_EQ(found ? found->strName.c_str() : "(none)", std::string(c.found ? c.found : "(none)"))
            << c.text;
        EXPECT_EQ(params, c.params) << c.text;
        if (found && found->boHasParams && !params.empty())
        {
            EXPECT_EQ(list, c.list) << c.text;
        }
    }
}

TEST(ActionDirectives, IntegerFormats)
{
    const struct
    {
        const char* format;
        bool ok;
    } cases[] = {
        {"%i", true},   {"%05d", true}, {"[%-3x]%%", true}, {"%s", false},   {"%i%i", false},
        {"%li", false}, {"%*d", false}, {"", false},        {"100%", false}, {"%%", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CChatModel::boIsIntegerFormat(c.format), c.ok) << c.format;
    Chat t;
    t.strParse(
        "<CNF_CMD name=a nvalformat=\"%s\">x</CNF_CMD><CNF_CMD name=b nvalformat=\"%03i\">x</CNF_CMD>");
    ASSERT_EQ(t.m.cfg.commands.size(), 2u);
    EXPECT_EQ(t.m.cfg.commands[0].strFormat, "%i");
    EXPECT_EQ(t.m.cfg.commands[1].strFormat, "%03i");
}

TEST(ActionDirectives, Navigate)
{
    const struct
    {
        const char* attrs;
        const char* body;
        const char* queued;  // null: nothing queued
        const char* browsed; // null: no browser navigation
    } cases[] = {
        {"TARGET=msgs RELOAD CN=GO CS=12", "x", "msgs;", nullptr},
        {"TARGET=msgs NOCACHE CN=GO CS=12", " x ", "msgs;=@NOCACHE@=file://root/x", nullptr},
        {"TARGET=msgs WCLR=red CN=GO CS=12", "x", "msgs;file://root/x@WCLR=red", nullptr},
        {"TARGET=\"a*\" CN=GO CS=12", "http://h/p", "a*;http://h/p", nullptr},
        {"TARGET=%extparams% EXTPARAMS=users CN=GO CS=12", "u/%extparams%", "users;file://root/u/users",
         nullptr},
        {"TARGET=nowhere MODE=inner CN=GO CS=12", "x", nullptr, nullptr},
        {"TARGET=nowhere CN=GO CS=12", "http://h/", nullptr, "http://h/ -> nowhere"},
        {"TARGET=msgs MODE=OUTER CN=GO CS=12", "http://h/", nullptr, "http://h/ -> msgs"},
        {"TARGET=msgs MODE=OUTER RELOAD CN=GO CS=12", "http://h/", nullptr, nullptr},
        {"TARGET=msgs CN=GO CS=99", "x", nullptr, nullptr},
    };
    for (const auto& c : cases)
    {
        Wired t;
        int posted = 0;
        t.host.onPostNavigate = [&posted] { ++posted; };
        const std::string tag = std::string("<ACT_NAV ") + c.attrs + ">" + c.body + "</ACT_NAV>";
        t.m.msgs.strHistory = std::string("<b ") + c.attrs + ">" + tag + tag;
        t.strParse(tag);
        EXPECT_EQ(t.m.page.navQueue, c.queued ? Lines{c.queued} : Lines{}) << c.attrs;
        EXPECT_EQ(posted, c.queued ? 1 : 0) << c.attrs;
        EXPECT_EQ(t.inst.urls, c.browsed ? Lines{c.browsed} : Lines{}) << c.attrs;
        EXPECT_EQ(t.m.msgs.strHistory,
                  std::string("<b ") + c.attrs + "><ACT_NAV>" + c.body + "</ACT_NAV>" + tag)
            << c.attrs;
    }
}

TEST(ActionDirectives, SignedTexts)
{
    using namespace ChatText;
    auto check = [](const std::string& signedText)
    {
        return strProtect8(
            strChecksum16(strProtect8(std::string(signedText.rbegin(), signedText.rend()), "", 9.87)), "",
            9.87);
    };
    const std::string body = strProtect8("hello", "", 1.0);
    {
        Wired t;
        t.m.ActionDirectives().vOnActSnd("ACT_SND", body, "TO=bob CK=\"" + check("hello") + "\"");
        t.m.ActionDirectives().vOnActSnd("ACT_SND", body, "TO=bob CK=\"" + check("hellO") + "\"");
        t.m.ActionDirectives().vOnActSnd(
            "ACT_SND", body,
            "TO=bob CK=\"" + strProtect8(strChecksum16(strProtect8("olleh", "", 9.87)), "", 9.86) + "\"");
        EXPECT_EQ(t.cnx.session.wire, (Lines{"PRIVMSG bob :hello"}));
    }
    {
        Wired t;
        t.vField("f", "TEXT", "");
        t.m.ActionDirectives().vOnActSetFld(body, "NAME=f CK=\"" + check("fhello") + "\"");
        EXPECT_EQ(t.view.formFields["f"].strValue, "hello");
        t.m.ActionDirectives().vOnActSetFld(strProtect8("bye", "", 1.0),
                                            "NAME=f CK=\"" + check("bye") + "\"");
        EXPECT_EQ(t.view.formFields["f"].strValue, "hello");
    }
    {
        Wired t;
        const std::string address = strProtect8("http://h/", "", 1.0), target = strProtect8("msgs", "", 1.0);
        t.m.ActionDirectives().vOnActNav(
            "ACT_NAV", address, "TARGET=\"" + target + "\" MODE=OUTER CK=\"" + check("http://h/msgs") + "\"");
        t.m.ActionDirectives().vOnActNav(
            "ACT_NAV", address, "TARGET=\"" + target + "\" MODE=OUTER CK=\"" + check("http://h/") + "\"");
        EXPECT_EQ(t.inst.urls, (Lines{"http://h/ -> msgs"}));
    }
}

TEST(ActionDirectives, CommandTextWithParameters)
{
    const struct
    {
        const char* text;
        int32_t n;
        const char* format;
        const char* params;
        Lines list;
        const char* out;
    } cases[] = {
        {"%iparam-n% %iparam+n%", 2, "%i", "10", {}, "8 10"},
        {"%iparam*n%|%iparam/n%", 3, "%03i", "4", {}, "012|004"},
        {"%iparam/n%", 0, "%i", "7", {}, "7"},
        {"%iparam/n%", -1, "%i", "-2147483648", {}, "-2147483648"},
        {"%iparam+n%", 1, "%i", "2147483647", {}, "-2147483648"},
        {"%iparam+n%", 1, "%x", "255", {}, "100"},
        {"[%params%] %0%/%1%/%2%/%3%", 1, "%i", "(a,b)", {"a", "b"}, "[(a,b)] a/b//"},
        {"%1%%0%", 1, "%i", "", {}, ""},
        {"%1%", 1, "%i", "", {}, "%1%"},
    };
    for (const auto& c : cases)
    {
        CChatModel::Command command;
        command.strText = c.text;
        command.iOperand = c.n;
        command.strFormat = c.format;
        command.boHasParams = true;
        EXPECT_EQ(CChatModel::strExpandCommandText(command, c.params, c.list), c.out)
            << c.text << " " << c.params;
    }
}

// The handler runs on its own state with a host that records what it asks:
// an action sends only when a trusted command's identity authorises it and
// the texts are taken coded, and a navigation into a frame is queued.
TEST(ActionDirectives, HandlerOnItsOwnState)
{
    struct ConfigHost : IConfigDirectiveHost
    {
        ChatIrc::CNickScheme scheme;
        ChatIrc::CNickScheme& Scheme() override { return scheme; }
        bool boIsBeforeConnection() override { return true; }
    } configHost;
    struct Host : IActionDirectiveHost
    {
        int iAccept = ChatIrc::CNickScheme::kCodedOnly;
        std::vector<std::string> calls;
        int iReceiveAccept() override { return iAccept; }
        std::string strExpandVars(const std::string& text) override { return "[" + text + "]"; }
        std::string strNoIncident(const std::string& nick) override { return nick; }
        std::string strGetFieldValue(const std::string& name, std::string& type, bool) override
        {
            type = "TEXT";
            return "v-" + name;
        }
        void vSetFieldValue(const std::string& name, const std::string& value) override
        {
            calls.push_back("set " + name + "=" + value);
        }
        void vSendMessage(const std::string& text, const std::string& to, bool multiPart) override
        {
            calls.push_back(std::string(multiPart ? "long " : "send ") + to + ":" + text);
        }
        bool boHasFrame(const std::string& name) override { return name == "news"; }
        std::string strResolveAddress(const std::string& address) override { return "http://h/" + address; }
        void vPostNavigate() override { calls.push_back("post"); }
        void vNavigateExpanded(const std::string& url, const std::string& target) override
        {
            calls.push_back("browse " + target + " " + url);
        }
    } host;
    ChatConnection conn;
    ChatConfig cfg;
    ChatPageParams page;
    ChatMessages msgs;
    ChatUsers people;
    CConfigDirectives config(cfg, people, configHost);
    CActionDirectives actions(conn, cfg, page, msgs, people, config, host);
    cfg.boSndSwitch = cfg.boNavSwitch = true;
    config.vOnCnfCmd("x", "name=go");
    const std::string auth = "CN=GO CS=" + std::to_string(cfg.commands[0].iIdentity);

    actions.vOnActSetVar("5", "NAME=n OP=*3");
    actions.vOnActSnd("ACT_SND", "hi %flds%", "TO=bob GETFLDS=a|b NOMPD " + auth);
    actions.vOnActSnd("ACT_SND", "unsigned", "TO=bob");
    actions.vOnActSetFld("text", "NAME=f " + auth);
    actions.vOnActNav("ACT_NAV", "page.htm", "TARGET=news " + auth);
    actions.vOnActNav("ACT_NAV", "http://w/", "TARGET=_blank " + auth);
    host.iAccept = ChatIrc::CNickScheme::kPlain;
    actions.vOnActSnd("ACT_SND", "plain", auth);

    EXPECT_EQ(page.pageVars["n"], "15");
    EXPECT_EQ(host.calls, (Lines{"send [bob]:[hi <DYN_FVAL NAME=\"a\" TYPE=\"TEXT\">v-a</DYN_FVAL>"
                                 "<DYN_FVAL NAME=\"b\" TYPE=\"TEXT\">v-b</DYN_FVAL>]",
                                 "set f=[text]", "post", "browse _blank http://w/"}));
    EXPECT_EQ(page.navQueue, (Lines{"news;http://h/page.htm"}));
}
