#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ChatFakes.h"
#include "ChatPageFixture.h"
#include "ChatModel.h"
#include "HtmlDoc.h"
#include "NickScheme.h"
#include "TestFiles.h"

using namespace ChatModel;
using namespace ChatModelTest;
using Lines = std::vector<std::string>;

namespace
{

struct Chat : CChatPageFixture
{
    int refreshes = 0, timers = 0;
    Chat()
    {
        host.onPostRefresh = [this] { ++refreshes; };
        host.onRestartReloadTimer = [this] { ++timers; };
    }
    void vFinish(const std::string& url, const std::string& text, const std::string& mime = "text/html",
                 bool failed = false)
    {
        auto r = std::make_unique<FinishedDownload>();
        r->strUrl = url;
        r->strText = text;
        r->strMime = mime;
        r->boFailed = failed;
        queue.vPush(std::move(r));
    }
    CFinishedDownloads queue;
};

} // namespace

TEST(ConfigDirectives, ConfigurationDocumentsAreToldApart)
{
    struct Case
    {
        const char* mime;
        const char* url;
        bool config;
    } cases[] = {
        {"text/html", "http://h/conf/START.VBLT", true},
        {"application/x-verbolt", "http://h/a.htm", true},
        {"APPLICATION/X-ZELTOC-PLUGIN", "http://h/a", true},
        {"text/html", "", true},
        {"text/html", "http://h/x.zelto", true},
        {"text/html", "http://h/x.verbolt", true},
        {"image/gif", "http://h/logo.gif", false},
        {"text/html", "http://h/vblt", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CChatModel::boIsConfigDocument(c.mime, c.url), c.config) << c.mime << " " << c.url;
}

TEST(ConfigDirectives, DrainStartsOnceStoresFailuresAndReloadsRequesters)
{
    Chat t;
    t.m.page.strHtmlUiUrl = "http://h/ui.htm";
    t.m.cfg.boDebug = true;
    t.m.page.requestedDownloads.vAddRequest("http://h/a\".htm", "side");
    t.m.page.requestedDownloads.vAddRequest("http://h/b.htm", "msgs");
    t.m.page.requestedDownloads.vAddRequest("http://h/b.htm", "@TECHLOAD@");
    t.vFinish("http://h/first.vblt", "");
    t.vFinish("http://h/second.VBLT", "");
    t.vFinish("http://h/a\".htm", "", "text/html", true);
    t.vFinish("http://h/b.htm", "<CNF_LIMITS MAX_HISTORYCHARS=77></CNF_LIMITS>");
    t.m.vDrainDownloads(t.queue);

    EXPECT_EQ(t.view.uCount("load http://h/ui.htm in "), 1u);
    EXPECT_EQ(t.m.page.strCurFullDomain, "h");
    // Stored as "ERR": done, with nothing to give.
    EXPECT_FALSE(t.m.page.requestedDownloads.boIsPending("side"));
    EXPECT_EQ(t.m.page.requestedDownloads.strGetResult("http://h/a\".htm", nullptr), "");
    EXPECT_EQ(t.m.msgs.strHistory, "<BLINK>Download Error:</BLINK><A HREF=\"http://h/a&quot;.htm\" "
                                   "TARGET=OTHERFRAME>http://h/a&quot;.htm</A><BR>");
    EXPECT_EQ(t.refreshes, 1);
    EXPECT_EQ(t.m.cfg.lHistoryLimit, 77);
    EXPECT_EQ(t.view.uCount("reload msgs"), 1u);
    EXPECT_EQ(t.view.uCount("reload side"), 0u);

    // A requester still waiting for another download is reloaded by timer 888.
    t.m.page.requestedDownloads.vAddRequest("http://h/c.htm", "side");
    t.m.page.requestedDownloads.vAddRequest("http://h/d.htm", "side");
    t.vFinish("http://h/c.htm", "c");
    t.m.vDrainDownloads(t.queue);
    EXPECT_EQ(t.timers, 1);
    EXPECT_EQ(t.m.page.reloadRequests, (Lines{"side"}));
    t.view.frames.push_back("side");
    t.m.vOnReloadTimer();
    EXPECT_EQ(t.view.uCount("reload side"), 1u);
    EXPECT_TRUE(t.m.page.reloadRequests.empty());
}

// The plug-in's stream is the configuration document: its directives ran
// nowhere (only the test host parsed it by hand), so a page's chat never
// learnt its server and never connected.
TEST(ConfigDirectives, TheFirstConfigurationDocumentsDirectivesRun)
{
    Chat t;
    t.m.page.strHtmlUiUrl = "http://h/ui.htm";
    t.vFinish("http://h/chat.vblt",
              "<CNF_SERVINFO ADRS=\"127.0.0.1\" PORT=\"6123\"></CNF_SERVINFO>"
              "<CNF_LIMITS MAX_HISTORYCHARS=55></CNF_LIMITS><P>shown nowhere</P>",
              "application/x-verbolt");
    t.vFinish("http://h/again.vblt", "<CNF_LIMITS MAX_HISTORYCHARS=66></CNF_LIMITS>",
              "application/x-verbolt");
    t.m.vDrainDownloads(t.queue);
    EXPECT_EQ(t.m.conn.strServer, "127.0.0.1");
    EXPECT_EQ(t.m.conn.uPort, 6123);
    EXPECT_TRUE(t.m.conn.boGo) << "a CNF_ directive asks for the connection";
    EXPECT_EQ(t.m.cfg.lHistoryLimit, 55) << "a later configuration document is dropped";
    EXPECT_EQ(t.view.uCount("load http://h/ui.htm in "), 1u);
    EXPECT_EQ(t.m.msgs.strHistory.find("shown nowhere"), std::string::npos);
}

TEST(ConfigDirectives, MessageStateBuddyMenuAndLimits)
{
    Chat t;
    t.strParse("<CNF_MESSAGE_FLOOD TYPE=\"rcvXfrq\">slow %bud%</CNF_MESSAGE_FLOOD>"
               "<CNF_MESSAGE_whisper A=1>w %mess%</CNF_MESSAGE_whisper><CNF_MESSAGE>plain</CNF_MESSAGE>"
               "<CNF_MESSAGE_NOSUCH>x</CNF_MESSAGE_NOSUCH>"
               "<CNF_CNX_connected>on</CNF_CNX_connected><CNF_CNX_LATER>x</CNF_CNX_LATER>"
               "<CNF_BUDDY_SEL CLASS=s>[%bud%]</CNF_BUDDY_SEL><CNF_BUDDY>%bud%</CNF_BUDDY>"
               "<CNF_CLR_NOHTMLMESSLNK STYLE=x></CNF_CLR_NOHTMLMESSLNK>"
               "<CNF_MENU_TXT ID=copyall TEXT=\"All of it\"></CNF_MENU_TXT><CNF_MENU_TXT ID=nope "
               "TEXT=x></CNF_MENU_TXT>"
               "<CNF_LIMITS MAX_HISTORYCHARS=\"\"></CNF_LIMITS>"
               "<CNF_LNK_HTTP TARGET=_blank><a href=%lnk%>%lnk%</a></CNF_LNK_HTTP>");
    EXPECT_EQ(t.m.cfg.formats[31], "slow %bud%");
    EXPECT_EQ(t.m.cfg.formats[1], "w %mess%");
    EXPECT_EQ(t.m.cfg.linkAttrs[1], "A=1");
    EXPECT_EQ(t.m.cfg.formats[0], "plain");
    EXPECT_EQ(t.m.cfg.stateTexts[4], "on");
    EXPECT_EQ(t.m.cfg.userFormats[1], "[%bud%]");
    EXPECT_EQ(t.m.cfg.userAttrs[1], "CLASS=s");
    EXPECT_EQ(t.m.cfg.userFormats[0], "%bud%");
    EXPECT_EQ(t.m.cfg.strMessLinkAttr, "STYLE=x");
    EXPECT_EQ(t.m.cfg.menuTexts[4], "All of it");
    EXPECT_EQ(t.m.cfg.lHistoryLimit, 3000);
    EXPECT_EQ(t.m.cfg.strAutoLinkFormat, "<a href=%lnk%>%lnk%</a>");
    EXPECT_EQ(t.m.cfg.strAutoLinkText, "TARGET=_blank");
    EXPECT_EQ(CConfigDirectives::iMessageKindOf("FLOOD", "TYPE=SNDRPT"), 32);
    EXPECT_EQ(CConfigDirectives::iMessageKindOf("flood", "TYPE=rcv"), 30);
}

TEST(ConfigDirectives, SubstitutionsKeepTheFirstDefinitionUnlessReceivedPlain)
{
    Chat t;
    t.strParse("<CNF_SUBST what=lol wwo=1 listable>laughing\r\nout loud</CNF_SUBST>"
               "<CNF_SUBST what=\"\">x</CNF_SUBST>");
    ASSERT_EQ(t.m.cfg.substitutions.size(), 1u);
    EXPECT_EQ(t.m.cfg.substitutions[0].strKey, "LOL");
    EXPECT_EQ(t.m.cfg.substitutions[0].strReplacement, "laughingout loud");
    EXPECT_TRUE(t.m.cfg.substitutions[0].boWholeWord);
    EXPECT_TRUE(t.m.cfg.substitutions[0].boListable);
    t.strParse("<CNF_SUBST what=LOL>again</CNF_SUBST>");
    EXPECT_EQ(t.m.cfg.substitutions[0].strReplacement, "laughingout loud");
    t.strParse("<CNF_TPYRC RCV=cr></CNF_TPYRC><CNF_SUBST what=LOL>again</CNF_SUBST>");
    EXPECT_EQ(t.m.cfg.substitutions[0].strReplacement, "again");
    EXPECT_FALSE(t.m.cfg.substitutions[0].boWholeWord);
}

TEST(ConfigDirectives, CommandsAndTheirTrustedTags)
{
    Chat t;
    t.strParse("<CNF_CMD name=say info=Says><ACT_SND>%p1%</ACT_SND></CNF_CMD>");
    ASSERT_NE(t.m.lpFindCommand("SAY"), nullptr);
    const CChatModel::Command say = *t.m.lpFindCommand("SAY");
    const CChatModel::Command* c = &say;
    EXPECT_EQ(c->strFormat, "%i");
    EXPECT_EQ(c->strSeparator, ",");
    EXPECT_EQ(c->iOperand, 1);
    EXPECT_TRUE(c->boSend);
    EXPECT_TRUE(c->boTrusted);
    EXPECT_GT(c->iIdentity, 0);
    const std::string id = std::to_string(c->iIdentity);
    EXPECT_EQ(c->strText, "<ACT_SND CN=\"SAY\" CS=\"" + id + "\">%p1%</ACT_SND>");

    t.strParse("<CNF_CMD name=other nosend nval=\"\" nvalformat=\"\" psep=\"\">x</CNF_CMD>");
    ASSERT_NE(t.m.lpFindCommand("OTHER"), nullptr);
    const CChatModel::Command* other = t.m.lpFindCommand("OTHER");
    EXPECT_FALSE(other->boSend);
    EXPECT_EQ(other->iOperand, 1);
    EXPECT_NE(other->iIdentity, c->iIdentity);
    const std::string otherId = std::to_string(other->iIdentity);

    struct Case
    {
        std::string attrs;
        bool authorised;
    } cases[] = {
        {"", false},
        {"CN=SAY", false},
        {"CN=SAY CS=abc", false},
        {"CN=SAY CS=" + otherId, false},
        {"CN=say CS=" + id, false},
        {"CN=SAY CS=" + id, true},
        {"CN=SAY CS=\" " + id + "x\"", true},
        {"CN=SAY CS=-" + id, false},
    };
    for (const Case& k : cases)
        EXPECT_EQ(t.m.ConfigDirectives().boIsCommandTagAuthorised(k.attrs), k.authorised) << k.attrs;

    // Connected: the same definition keeps the entry trusted, another one
    // replaces it untrusted; the identity stays.
    t.m.conn.boConnected = true;
    t.strParse("<CNF_CMD name=say info=Says><ACT_SND>%p1%</ACT_SND></CNF_CMD>");
    EXPECT_TRUE(t.m.lpFindCommand("SAY")->boTrusted);
    EXPECT_TRUE(t.m.ConfigDirectives().boIsCommandTagAuthorised("CN=SAY CS=" + id));
    t.strParse("<CNF_CMD name=say info=Other><ACT_SND>%p1%</ACT_SND></CNF_CMD>");
    EXPECT_FALSE(t.m.lpFindCommand("SAY")->boTrusted);
    EXPECT_EQ(t.m.lpFindCommand("SAY")->strText, "<ACT_SND>%p1%</ACT_SND>");
    EXPECT_FALSE(t.m.ConfigDirectives().boIsCommandTagAuthorised("CN=SAY CS=" + id));
}

TEST(ConfigDirectives, NickFunctionsLogonPageSchemeAndFlood)
{
    Chat t;
    t.strParse("<CNF_FCT_BUD name=Kick onlygrp=\"a| b |\" excludegrp=none>  /kick %bud%  </CNF_FCT_BUD>"
               "<CNF_FCT_BUD name=KICK href=x></CNF_FCT_BUD>");
    ASSERT_EQ(t.m.cfg.nickFunctions.size(), 1u);
    const CChatModel::NickFunction& f = t.m.cfg.nickFunctions[0];
    EXPECT_EQ(f.strExecCmd, "/kick %bud%");
    EXPECT_EQ(f.strHref, "");
    EXPECT_EQ(f.iGtRank, -1);
    EXPECT_EQ(f.iLtRank, 2147483647);
    EXPECT_EQ(f.onlyGroups, (Lines{"a", "b"}));
    EXPECT_TRUE(f.excludeGroups.empty());

    // The switch is on from Init; once the start gate has gone past it, a
    // logon page is no longer taken.
    EXPECT_TRUE(t.m.cfg.boLogonPageSwitch);
    t.m.cfg.boLogonPageSwitch = false;
    t.strParse("<CNF_LOGONPAGE><B>log on</B></CNF_LOGONPAGE>");
    EXPECT_EQ(t.m.cfg.strLogonPage, "");
    t.m.cfg.boLogonPageSwitch = true;
    t.strParse("<CNF_LOGONPAGE TARGET=main NEXTURL=n.htm><B>log on</B></CNF_LOGONPAGE>");
    EXPECT_EQ(t.m.cfg.strLogonPage, "str://<B>log on</B>");
    EXPECT_EQ(t.m.cfg.strLogonFrame, "main");
    EXPECT_EQ(t.m.cfg.strLogonNext, "n.htm");

    ChatIrc::CNickScheme& s = t.cnx.session;
    s.vSetReceiveAccept(0);
    t.strParse("<CNF_TPYRC RCV=bth SND=bth CHLVD NCKPRFX=zz NCKPRFXBLK MINNCKV=4.1></CNF_TPYRC>");
    EXPECT_EQ(s.iGetReceiveAccept(), 2);
    EXPECT_EQ(s.iGetSendCoding(), 0); // SND takes CL or CR only
    EXPECT_TRUE(s.boGetRoomCheck());
    EXPECT_EQ(s.strGetNickPrefix(), "zz");
    EXPECT_TRUE(s.boGetPrefixBlocking());
    t.strParse("<CNF_TPYRC RCV=maybe></CNF_TPYRC>");
    EXPECT_EQ(s.iGetReceiveAccept(), 2);
    EXPECT_FALSE(s.boGetRoomCheck());

    t.strParse("<CNF_FLOOD SIDE=SNDR RPT_MAXMESS=9 FRQ_MULT=1.5 RPT_NHB EXU=\"a|b\"></CNF_FLOOD>");
    EXPECT_EQ(t.m.people.senderFlood.iRptMaxMess, 9);
    EXPECT_DOUBLE_EQ(t.m.people.senderFlood.dFrqMult, 1.5);
    EXPECT_FALSE(t.m.people.senderFlood.boRptNhbAbsent);
    EXPECT_TRUE(t.m.people.senderFlood.boFrqNhbAbsent);
    EXPECT_EQ(t.m.people.senderFlood.exemptUsers, (Lines{"a", "b"}));
    t.strParse("<CNF_FLOOD SIDE=BOTH RPT_MAXMESS=7></CNF_FLOOD><CNF_FLOOD RPT_MAXMESS=5></CNF_FLOOD>");
    EXPECT_EQ(t.m.people.senderFlood.iRptMaxMess, 9);
    EXPECT_EQ(t.m.people.receiverFlood.iRptMaxMess, 5);
    EXPECT_EQ(t.m.iFloodKindOf(t.m.people.senderFlood, 2), 33);
    EXPECT_EQ(t.m.iFloodKindOf(t.m.people.receiverFlood, 1), 30);
    // Connected, the flood settings stay.
    t.m.conn.boConnected = true;
    t.strParse("<CNF_FLOOD RPT_MAXMESS=6></CNF_FLOOD>");
    EXPECT_EQ(t.m.people.receiverFlood.iRptMaxMess, 5);
}

// A sample configuration page: its source once the directives are handed
// over is golden, and its directives fill the tables.
TEST(ConfigDirectives, SampleConfigurationPage)
{
    const char* root = std::getenv("FD_SOURCE_DIR");
    ASSERT_NE(root, nullptr);
    const std::string dir = std::string(root) + "/chat/model/tests/pages";
    Chat t;
    t.m.cfg.boLogonPageSwitch = true;
    const std::string source = t.strParse(FdTestKit::strReadFile(dir + "/config.vblt"));
    EXPECT_TRUE(FdTestKit::MatchesGolden(source, dir + "/config.golden", "config.actual"));
    EXPECT_TRUE(t.m.conn.boGo);
    EXPECT_EQ(t.m.cfg.stateTexts[4], "Connected to %room%");
    EXPECT_EQ(t.m.cfg.formats[0], "<B>%bud%</B>: %mess%<BR>");
    EXPECT_NE(t.m.lpFindCommand("ME"), nullptr);
    EXPECT_EQ(t.m.cfg.substitutions.size(), 2u);
    EXPECT_EQ(t.m.cfg.nickFunctions.size(), 1u);
    EXPECT_EQ(t.m.cfg.lHistoryLimit, 6000);
    EXPECT_EQ(t.m.cfg.strLogonPage, "logon.htm");
}

// The handler runs on its own state with a host of its own: the connection
// state it is told decides the trust of commands and the flood settings.
TEST(ConfigDirectives, HandlerOnItsOwnState)
{
    struct Host : IConfigDirectiveHost
    {
        ChatIrc::CNickScheme scheme;
        bool boBefore = true;
        ChatIrc::CNickScheme& Scheme() override { return scheme; }
        bool boIsBeforeConnection() override { return boBefore; }
    } host;
    ChatConfig cfg;
    ChatUsers people;
    CConfigDirectives config(cfg, people, host);

    config.vOnCnfCmd("<ACT_SND>hi</ACT_SND>", "name=say");
    config.vOnCnfFlood("SIDE=RCVR RPT_MAXMESS=7");
    host.boBefore = false;
    config.vOnCnfCmd("<ACT_SND>yo</ACT_SND>", "name=other");
    config.vOnCnfFlood("SIDE=RCVR RPT_MAXMESS=9");
    config.vOnCnfTpyrc("RCV=CR");

    ASSERT_EQ(cfg.commands.size(), 2u);
    EXPECT_TRUE(cfg.commands[0].boTrusted);
    EXPECT_FALSE(cfg.commands[1].boTrusted);
    EXPECT_TRUE(config.boIsCommandTagAuthorised("CN=SAY CS=" + std::to_string(cfg.commands[0].iIdentity)));
    EXPECT_FALSE(config.boIsCommandTagAuthorised("CN=OTHER CS=" + std::to_string(cfg.commands[1].iIdentity)));
    EXPECT_EQ(people.receiverFlood.iRptMaxMess, 7);
    EXPECT_EQ(host.scheme.iGetReceiveAccept(), ChatIrc::CNickScheme::kCodedOnly);
}
