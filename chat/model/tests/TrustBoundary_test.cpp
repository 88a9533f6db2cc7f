// The trust boundary: what a stranger's text may show and run. Each attack is
// played through the real protocol core (a room or private line, a MOTD, a
// numeric), the history then shown three times, and nothing but the history
// may change: settings, tables, wire, navigations, files and registry reads.
#include "TrustBoundary.h"

#include <gtest/gtest.h>

#include <sstream>

#include "ChatFakes.h"
#include "ChatModelHostFake.h"
#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "HtmlDoc.h"
#include "html/doc/HtmlText.h"

using namespace ChatModel;
using namespace ChatModelTest;
using Lines = std::vector<std::string>;

namespace
{

TEST(TrustBoundary, StrangerMarkupAsShown)
{
    const struct
    {
        const char* in;
        const char* out;
    } cases[] = {
        {"hi <B>there</B> <font color=red>x</font><BR>", "hi <B>there</B> <font color=red>x</font><BR>"},
        {"<CNF_SERVINFO ADRS=x>", "&lt;CNF_SERVINFO ADRS=x>"},
        // A name put together from pieces around a dropped tag stays text.
        {"<CNF_<SMESS>SERVINFO ADRS=x>", "&lt;CNF_SERVINFO ADRS=x>"},
        {"<CNF_<B>SERVINFO>", "&lt;CNF_<B>SERVINFO>"},
        {"&lt;CNF_SERVINFO&gt;", "&lt;CNF_SERVINFO&gt;"},
        {"<A HREF=\"@EXTLNK@http://h/x\">l</A>", "<A HREF=\"@EXTLNK@http://h/x\">l</A>"},
        {"<A HREF=\"@EXTLNK@javascript:x\">l</A>", "&lt;A HREF=\"@EXTLNK@javascript:x\">l</A>"},
        {"<A HREF=\"@MESS@1\">l</A>", "&lt;A HREF=\"@MESS@1\">l</A>"},
        {"<A HREF=\"@CMD@go\">l</A>", "&lt;A HREF=\"@CMD@go\">l</A>"},
        {"<IMG SRC=x>", "&lt;IMG SRC=x>"},
        {"<FONT BACKGROUND=x>y</FONT>", "&lt;FONT BACKGROUND=x>y</FONT>"},
        {"<HANDLER NAME=x>", "&lt;HANDLER NAME=x>"},
        {"<B title=\"<CNF_X>\">", "<B title=\"&lt;CNF_X>\">"},
        {"<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"g\"></DYNGRP_ADDGRP>", ""},
        {"<TMESS/><DYN_GRP REMUSER GRPNAME=g></DYN_GRP>x", "x"},
        {"< B>", "&lt; B>"},
        {"a<", "a&lt;"},
        {"<!-- x -->", "&lt;!-- x -->"},
        {"</DI_EXT><CNF_SERVINFO>", "&lt;/DI_EXT>&lt;CNF_SERVINFO>"},
        {"<DYN_EXECCMD name=go></DYN_EXECCMD>", "&lt;DYN_EXECCMD name=go>&lt;/DYN_EXECCMD>"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.in);
        const std::string shown = strStrangerShown(c.in);
        EXPECT_EQ(shown, c.out);
        EXPECT_EQ(strStrangerShown(shown), shown);
    }
    EXPECT_EQ(strStrangerMarked("<SMESS></SMESS>"), "");
    EXPECT_EQ(strStrangerMarked("x<CNF_X>"), "<DI_EXT>x&lt;CNF_X></DI_EXT>");
    EXPECT_EQ(strMarkupValue("a&b\r\nQUIT :x\0"), "a&amp;b&#13;&#10;QUIT :x");
}

TEST(TrustBoundary, OnlyAnnouncementsRunForStrangers)
{
    for (const char* name : {"DYN_GRP", "DYNGRP_ADDGRP", "dyngrp_adduser", "DYNGRP_REMUSER", "DYN_MPD"})
        EXPECT_TRUE(boStrangerMayRun(name)) << name;
    for (const char* name : {"CNF_SERVINFO", "DYN_INSERTURL", "ACT_SND", "ACT_NAV", "DYN_EXECCMD", "DI_MGHDS",
                             "DI_EXT", "CNFELIST_X", "DYNELIST", "DYN_GRPX", "SMESS", "B"})
        EXPECT_FALSE(boStrangerMayRun(name)) << name;
}

// The victim: ann in #r with bob, her own page's switches, a trusted command,
// a talk field holding a draft, a registry value and a file to leak.
struct Victim
{
    CFakeCnx cnx;
    CFakeSettings settings;
    CFakeView view;
    CFakeInstance inst;
    CScriptedHost host;
    CChatModel m{cnx, settings, [] { return int64_t(5000); }};
    int filesRead = 0;

    Victim()
    {
        m.vSetInstance(&inst);
        m.vSetView(&view);
        m.vSetHost(&host);
        m.vInit();
        const char* zones[5] = {"msgs", "users", "status", "groups", "room"};
        for (int i = 0; i < 5; ++i)
            m.cfg.zoneFrames[i] = zones[i];
        host.onReadLocalFile = [this](const std::string&, std::string& text)
        {
            ++filesRead;
            text = "LOCAL-FILE";
            return true;
        };
        settings.pathValues["HKEY_CURRENT_USER\\Software\\Game|Level"] = "9";
        m.iParseMarkup("<CNF_ACTSND YES></CNF_ACTSND><CNF_ACTNAV YES></CNF_ACTNAV>"
                       "<CNF_CMD name=go><ACT_SND>go</ACT_SND></CNF_CMD>"
                       "<CNF_GRPCONF grpname=red notify=all>Red</CNF_GRPCONF>");
        m.Scheme().vSetReceiveAccept(ChatIrc::CNickScheme::kCodedOnly);
        view.formFields["CFLD_TEXT"] = {"TEXT", "unsent draft", false};
        m.conn.strNick = m.conn.strIrcNick = m.conn.strNickHtml = "ann";
        m.conn.strRoom = "#r";
        m.conn.strServer = "127.0.0.1";
        cnx.session.vSetOwner(&m);
        cnx.session.vSetStateForTest(1);
        vServer(":srv 800 * 1 0 ANON 512 *");
        vServer(":ann!u@h JOIN :#r");
        vServer(":srv 353 ann = #r :ann bob [61nn");
        vServer(":srv 366 ann #r :End");
        cnx.session.wire.clear();
        view.log.clear();
    }
    void vServer(const std::string& line) { cnx.session.boParseLine(line + "\r\n"); }
    // The history as the message zone shows it.
    std::string strShow()
    {
        CHtmlDoc doc(nullptr);
        doc.SetAutoFlags(1);
        doc.Load("str://<DYN_MESSAGES></DYN_MESSAGES>", nullptr, &m, 1, 0);
        return doc.GetSource();
    }
    // Everything a stranger's line may not change.
    std::string strState()
    {
        std::ostringstream o;
        o << m.conn.strServer << ":" << m.conn.uPort << " key " << m.conn.strServerKey << " limit "
          << m.cfg.lHistoryLimit << " max " << m.cfg.uMaxMessageLength << " nohtml " << m.cfg.boNoHtml
          << " nav " << m.cfg.boNavSwitch << " snd " << m.cfg.boSndSwitch << " debug " << m.cfg.boDebug
          << "\n";
        for (const auto& c : m.cfg.commands)
            o << "cmd " << c.strName << "=" << c.strText << " trusted " << c.boTrusted << "\n";
        for (const auto& s : m.cfg.substitutions)
            o << "subst " << s.strKey << "=" << s.strReplacement << "\n";
        for (const auto& f : m.cfg.nickFunctions)
            o << "fct " << f.strName << "\n";
        for (size_t i = 0; i < m.cfg.formats.size(); ++i)
            o << "format " << i << "=" << m.cfg.formats[i] << "|" << m.cfg.linkAttrs[i] << "\n";
        for (const auto& g : m.people.groups.Groups())
        {
            o << "group " << g.strName << " announce " << g.boAnnounce;
            for (const auto& member : g.members)
                o << " " << member.strNick << ":" << member.iValue;
            o << "\n";
        }
        for (const std::string& v : m.page.contextVars)
            o << "context " << v << "\n";
        for (const auto& v : m.page.pageVars)
            o << "var " << v.first << "=" << v.second << "\n";
        for (const auto& v : settings.values)
            o << "setting " << v.first << "=" << v.second << "\n";
        ChatIrc::CNickScheme& s = m.Scheme();
        o << "scheme snd " << s.iGetSendCoding() << " rcv " << s.iGetReceiveAccept() << " key " << s.strGetKey()
          << " prefix " << s.strGetNickPrefix() << "\n";
        o << "formats active";
        for (const std::string& f : m.tables.messageFormats.ActiveNames())
            o << " " << f;
        o << " evil in " << m.tables.messageFormats.strGroupOf("evil") << "\nfield "
          << view.formFields["CFLD_TEXT"].strValue << "\nfiles " << filesRead << "\n";
        for (const std::string& u : inst.urls)
            o << "url " << u << "\n";
        for (const std::string& l : view.log)
            if (l.compare(0, 7, "reload ") != 0)
                o << "view " << l << "\n";
        for (const std::string& n : m.page.navQueue)
            o << "queued " << n << "\n";
        for (const std::string& w : cnx.session.wire)
            o << "wire " << w << "\n";
        return o.str();
    }
};

// The fake connection's session takes texts as they come (no decoding);
// the window's acceptance rule is kept at "coded only" for the actions.
std::string strCoded(const std::string& text)
{
    return text;
}

// A signature anyone can compute from the program's constants.
std::string strConstantCheck(const std::string& signedText)
{
    using namespace ChatText;
    return strProtect8(
        strChecksum16(strProtect8(std::string(signedText.rbegin(), signedText.rend()), "", 9.87)), "", 9.87);
}

} // namespace

// Every attack a stranger's line can carry, from any sender, room or private,
// plain line, silent or tag message: it changes nothing, now or when the
// history is shown again.
TEST(TrustBoundary, StrangersLinesRunNothingOfTheChats)
{
    using ChatText::strProtect8;
    const std::string navAddress = strProtect8("javascript:alert(1)", "", 1.0), navTarget = strProtect8("_top", "", 1.0);
    const std::string fileAddress = strProtect8("file://C:/secret.txt", "", 1.0);
    const std::string sndBody = strProtect8("%crkey% %fld::CFLD_TEXT%", "", 1.0);
    const std::string attacks[] = {
        "<DYN_INSERTURL HREF=\"file://C:/secret.txt\"></DYN_INSERTURL>",
        "<CNF_LOCALCONF_GRP grpname=red REGKEY=\"HKEY_CURRENT_USER\\Software\\Game\" REGVALUENAME=Level "
        "REGEXIST RANK=9></CNF_LOCALCONF_GRP>",
        "<CNF_SERVINFO ADRS=\"10.0.0.66\" PORT=\"6666\" KEY=\"k\"></CNF_SERVINFO>",
        "<CNF_CUGRP grpname=red RANK=7></CNF_CUGRP>",
        "<CNF_MESSFORMAT NAME=evil GRP=g FORDER=1>&lt;b&gt;pwned</CNF_MESSFORMAT>"
        "<DYN_MESSFORMAT NAME=evil></DYN_MESSFORMAT>",
        "<CNF_CMD name=go><ACT_SND TO=mallory>stolen</ACT_SND></CNF_CMD>",
        "<CNF_TPYRC SND=CR RCV=CL ALTCK=\"zz\" NCKPRFX=\"x_\"></CNF_TPYRC>",
        "<CNF_LIMITS MAX_HISTORYCHARS=1000000 MAX_MESSAGELENGTH=5000></CNF_LIMITS>",
        "<CNF_MESSAGE_ TYPE=ROOM></CNF_MESSAGE_><CNF_MESSAGE_WHISPER></CNF_MESSAGE_WHISPER>",
        "<CNF_PROTOCOL_MESSAGE TYPE=TEXT></CNF_PROTOCOL_MESSAGE><CNF_CONTEXTVAR CID=1>x</CNF_CONTEXTVAR>",
        "<ACT_SETVAR NAME=v>x</ACT_SETVAR><ACT_SETFLD NAME=CFLD_TEXT CN=\"GO\" CS=\"1\">x</ACT_SETFLD>",
        "<ACT_NAV TARGET=\"" + navTarget + "\" CK=\"" + strConstantCheck("javascript:alert(1)_top") + "\">" +
            navAddress + "</ACT_NAV>",
        "<ACT_NAV TARGET=\"" + navTarget + "\" CK=\"" + strConstantCheck("file://C:/secret.txt_top") + "\">" +
            fileAddress + "</ACT_NAV>",
        "<ACT_SND TO=mallory GETFLDS=CFLD_TEXT CK=\"" + strConstantCheck("%crkey% %fld::CFLD_TEXT%") + "\">" +
            sndBody + "</ACT_SND>",
        "<DYN_EXECCMD name=go></DYN_EXECCMD><ACT_EXECCMD cmd=go></ACT_EXECCMD>",
        "<DYN_CLR></DYN_CLR><ACT_CLR></ACT_CLR><CNFELIST_X></CNFELIST_X>",
        // Names put together after a tag is dropped, decoded or expanded.
        "<CNF_<SMESS>SERVINFO ADRS=\"10.0.0.66\"></CNF_SERVINFO>",
        "<DYN_VARZONE>&lt;CNF_SERVINFO ADRS=\"10.0.0.66\"&gt;</DYN_VARZONE>",
        "</DI_EXT><CNF_SERVINFO ADRS=\"10.0.0.66\"></CNF_SERVINFO>",
        "<DI_MGHDS STRID=1><CNF_SERVINFO ADRS=\"10.0.0.66\"></CNF_SERVINFO></DI_MGHDS>",
    };
    const std::string forms[] = {"", "<SMESS></SMESS>", "<TMESS/>"};
    const std::string senders[] = {":bob!b@h PRIVMSG #r :", ":[61nn!b@h PRIVMSG #r :", ":ann!b@h PRIVMSG #r :",
                                   ":bob!b@h PRIVMSG ann :"};
    for (const std::string& attack : attacks)
        for (const std::string& form : forms)
            for (const std::string& sender : senders)
            {
                SCOPED_TRACE(sender + form + attack);
                Victim v;
                const std::string before = v.strState();
                const size_t received = v.m.msgs.messages.size();
                v.vServer(sender + strCoded(form + attack));
                // The line did arrive.
                EXPECT_EQ(v.m.msgs.messages.size(), received + 1);
                for (int i = 0; i < 3; ++i)
                    EXPECT_EQ(v.strShow().find("LOCAL-FILE"), std::string::npos);
                EXPECT_EQ(v.strState(), before);
            }
}

// The server is a stranger too: MOTD lines, other server texts and numerics.
TEST(TrustBoundary, ServerTextsRunNothing)
{
    const std::string attacks[] = {
        "<DYN_INSERTURL HREF=\"file://C:/secret.txt\"></DYN_INSERTURL>",
        "<CNF_LOCALCONF_GRP grpname=red REGKEY=\"HKEY_CURRENT_USER\\Software\\Game\" REGVALUENAME=Level "
        "REGEXIST RANK=9></CNF_LOCALCONF_GRP>",
        "<CNF_SERVINFO ADRS=\"10.0.0.66\" PORT=\"6666\"></CNF_SERVINFO>",
    };
    for (const std::string& attack : attacks)
        for (const char* code : {"372", "375", "376"})
        {
            SCOPED_TRACE(std::string(code) + attack);
            Victim v;
            const std::string before = v.strState();
            v.vServer(":srv " + std::string(code) + " ann :" + attack);
            v.m.OnNumericError(401, attack, "", nullptr);
            v.m.OnServerMessage(26, attack, nullptr);
            EXPECT_NE(v.m.msgs.strHistory.find("&lt;"), std::string::npos) << v.m.msgs.strHistory;
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(v.strShow().find("LOCAL-FILE"), std::string::npos);
            EXPECT_EQ(v.strState(), before);
        }
}

// The chat's own pages keep every power: the same lines run when they are
// the window's own (its page, its own echo).
TEST(TrustBoundary, TheChatsOwnTextKeepsItsPowers)
{
    Victim v;
    v.m.iParseMarkup("<CNF_LOCALCONF_GRP grpname=red REGKEY=\"HKEY_CURRENT_USER\\Software\\Game\" "
                     "REGVALUENAME=Level REGEXIST RANK=9></CNF_LOCALCONF_GRP>"
                     "<CNF_SERVINFO ADRS=\"10.0.0.7\"></CNF_SERVINFO>");
    EXPECT_TRUE(v.m.people.groups.boHasMember("red", "ann"));
    EXPECT_EQ(v.m.conn.strServer, "10.0.0.7");
    v.m.vAddMessage("<DYN_INSERTURL HREF=\"file://C:/x\"></DYN_INSERTURL>", "ann", "", 0, true);
    EXPECT_NE(v.strShow().find("LOCAL-FILE"), std::string::npos);
}

// Honest announcements from other users still land, once: showing the
// history again does not replay an addition after a later removal.
TEST(TrustBoundary, AnnouncementsRunOnceOnArrival)
{
    Victim v;
    v.vServer(":bob!b@h PRIVMSG #r :" +
              strCoded("<SMESS></SMESS><DYNGRP_ADDGRP GRPNAME=\"blue\" GRPUSER=\"bob\" GRPRANK=\"2\" "
                       "SENDER=\"bob\"></DYNGRP_ADDGRP>"));
    int32_t rank = 0;
    EXPECT_TRUE(v.m.people.groups.boMemberValue("blue", "bob", &rank));
    EXPECT_EQ(rank, 2);
    v.vServer(":bob!b@h PRIVMSG #r :" +
              strCoded("<TMESS/><DYN_GRP REMUSER GRPNAME=\"blue\" GRPUSER=\"bob\" SENDER=\"bob\"></DYN_GRP>"));
    EXPECT_FALSE(v.m.people.groups.boHasMember("blue", "bob"));
    for (int i = 0; i < 3; ++i)
        v.strShow();
    EXPECT_FALSE(v.m.people.groups.boHasMember("blue", "bob"));
    EXPECT_EQ(v.m.msgs.strHistory.find("DYNGRP"), std::string::npos) << v.m.msgs.strHistory;
    EXPECT_TRUE(v.cnx.session.wire.empty());
}

// A multi-part line of a stranger joins only that stranger's pieces, and
// what the pieces spell together is still a stranger's text.
TEST(TrustBoundary, MultiPartPiecesStayTheirSendersOwn)
{
    Victim v;
    const auto piece = [&](const std::string& nick, const std::string& body)
    { v.vServer(":" + nick + "!b@h PRIVMSG #r :" + strCoded(body)); };
    // The own nick's pieces from the wire are a stranger's too.
    piece("ann", "<DYN_MPD ID=\"ann1\" N=0>&lt;CNF_SERV</DYN_MPD>");
    piece("bob", "<DYN_MPD ID=\"ann1\" N=1 STOP>INFO ADRS=&quot;10.0.0.66&quot;&gt;</DYN_MPD>");
    EXPECT_EQ(v.m.tables.multiParts.uSize(), 2u);
    piece("ann", "<DYN_MPD ID=\"ann1\" N=1 STOP>INFO ADRS=&quot;10.0.0.66&quot;&gt;</DYN_MPD>");
    EXPECT_EQ(v.m.tables.multiParts.uSize(), 1u);
    EXPECT_EQ(v.m.conn.strServer, "127.0.0.1");
    EXPECT_NE(v.m.msgs.strHistory.find("<DI_EXT>&lt;CNF_SERVINFO ADRS=\"10.0.0.66\"></DI_EXT>"),
              std::string::npos)
        << v.m.msgs.strHistory;
    v.strShow();
    EXPECT_EQ(v.m.conn.strServer, "127.0.0.1");
    // A piece holding a piece holding a piece...: the parse stops a few levels down.
    std::string nested = "x";
    for (int i = 0; i < 40; ++i)
        nested = "<DYN_MPD ID=\"n" + std::to_string(i) + "\" N=0 STOP>" + HtmlEncodeEntities(nested) + "</DYN_MPD>";
    piece("bob", nested);
}

// Nicks, group names and room names of strangers put into markup stay text.
TEST(TrustBoundary, StrangersNamesInMarkupStayText)
{
    Victim v;
    v.m.OnUserJoined("<DYN_CLR>", "#r", nullptr);
    ASSERT_GE(v.m.lFindUser("<DYN_CLR>"), 0);
    v.m.conn.strSelected = "<DYN_CLR>";
    v.m.cfg.nickFunctions.push_back(CChatModel::NickFunction{});
    v.m.cfg.nickFunctions.back().strName = "ins";
    v.m.cfg.nickFunctions.back().strDynInsert = "[%bud%|%ircappbud%]";
    v.m.vRunNickFunction(0);
    const std::string shown = v.strShow();
    EXPECT_NE(shown.find("joined"), std::string::npos) << shown;
    EXPECT_NE(v.m.msgs.strHistory.find("[&lt;DYN_CLR&gt;|&lt;DYN_CLR&gt;]"), std::string::npos)
        << v.m.msgs.strHistory;
    EXPECT_FALSE(v.m.msgs.messages.empty());
    // A group format's %bud% shows the nick as text.
    v.m.people.groups.FindOrCreate("red");
    v.m.people.groups.iSetMember("red", "<DYN_CLR>", 0);
    v.m.people.groups.boSetListEntry("red", 1, 0, "<I>%bud%</I>");
    EXPECT_EQ(v.m.strNickDisplay("<DYN_CLR>", 1), "<I>&lt;DYN_CLR&gt;</I>");
    // Announcing a group whose name carries a line break keeps one line.
    v.m.people.groups.FindOrCreate("a\r\nQUIT :x").boAnnounce = true;
    v.m.people.groups.iSetMember("a\r\nQUIT :x", "ann", 1);
    v.cnx.session.wire.clear();
    EXPECT_EQ(v.m.iAnnounceGroups("", "", "a\r\nQUIT :x", false, false), 1);
    ASSERT_EQ(v.cnx.session.wire.size(), 1u);
    EXPECT_NE(v.cnx.session.wire[0].find("GRPNAME=\"a&#13;&#10;QUIT :x\""), std::string::npos)
        << v.cnx.session.wire[0];
}

// Silent, tag and multi-part lines pass the flood control like every other line.
TEST(TrustBoundary, SilentAndMultiPartLinesPassTheFloodControl)
{
    for (const std::string form : {"<SMESS></SMESS>the same line<B></B>", "<TMESS/>the same line<B></B>",
                                   "<DYN_MPD ID=x N=0>the same line</DYN_MPD>"})
    {
        SCOPED_TRACE(form);
        Victim v;
        for (int i = 0; i < 6; ++i)
            v.vServer(":bob!b@h PRIVMSG #r :" + strCoded(form));
        int32_t duration = 0;
        ASSERT_TRUE(v.m.people.floodRecords.count("bob"));
        EXPECT_EQ(v.m.people.floodRecords["bob"]->iAlertState(&duration, nullptr), CFloodDetector::kRepeat);
        // The lines past the alert were refused.
        size_t taken = 0;
        for (const CChatModel::Message& message : v.m.msgs.messages)
            taken += message.strText == form ? 1 : 0;
        EXPECT_EQ(taken, 3u);
    }
}
