#include <gtest/gtest.h>

#include "ChatFakes.h"
#include "ChatPageFixture.h"
#include "ChatModel.h"
#include "ChatTextUtil.h"
#include "HtmlDoc.h"
#include "html/doc/HtmlText.h"

using namespace ChatModel;
using namespace ChatModelTest;
using Lines = std::vector<std::string>;

namespace
{

// Stands in for the scroll bar's handler: counts what reaches it.
class CRecordingScrollBar : public CHtmlWndEventsBase
{
public:
    Lines tags;
    int32_t OnTag(std::string name, std::string, HtmlMemBlock*, int32_t, std::string, CHtmlObject*) override
    {
        tags.push_back(name);
        return -1;
    }
};

struct Chat : CChatPageFixture
{
    CRecordingScrollBar bar;
    int posted1040 = 0, posted1039 = 0;
    Chat()
    {
        m.vSetScrollBarEvents(&bar);
        host.onPostListsChanged = [this] { ++posted1040; };
        host.onPostRefresh = [this] { ++posted1039; };
    }
    // The page's source once the renderer's document has handed its tags
    // over to the chat (the tree is not built).
    std::string strParse(const std::string& page, const std::string& frame = std::string())
    {
        frameName = frame;
        return strParseWith(page, &relay);
    }
    // The document gives no frame name; the view adds it on the way.
    class CFrameRelay : public CHtmlWndEventsBase
    {
    public:
        explicit CFrameRelay(Chat& c) : m_c(c) {}
        int32_t OnTag(std::string name, std::string attrs, HtmlMemBlock* content, int32_t length, std::string,
                      CHtmlObject* sender) override
        {
            return m_c.m.OnTag(name, attrs, content, length, m_c.frameName, sender);
        }

    private:
        Chat& m_c;
    };
    std::string frameName;
    CFrameRelay relay{*this};
};

// A direct call with the body in a block, as the document makes it.
struct Call
{
    int32_t result = 0;
    std::string text;
    uint32_t blockSize = 0;
};
Call Offer(CChatModel& m, const std::string& name, const std::string& attrs, const std::string& body,
           CHtmlObject* sender)
{
    HtmlMemBlock block = nullptr;
    HtmlStringToBlock(body, &block, 0);
    Call c;
    c.result = m.OnTag(name, attrs, &block, int32_t(body.size()), "f", sender);
    c.blockSize = MemBlockSize(block);
    if (c.result > 0)
        c.text = HtmlBlockToString(block, uint32_t(c.result));
    MemBlockFree(block);
    return c;
}

struct PageCase
{
    const char* page;
    const char* source; // after the hand-over pass
};

} // namespace

TEST(TagDispatch, FamiliesRowsAndWhatStays)
{
    const PageCase cases[] = {
        {"a<XYZ_1 k=v>body</XYZ_1>b", "a<XYZ_1 k=v>body</XYZ_1>b"},
        {"a<cnf_limits MAX_HISTORYCHARS=10></cnf_limits>b", "ab"},
        {"a<CNF_XYZ></CNF_XYZ>b", "ab"},
        {"a<DYN_NOSUCH>x</DYN_NOSUCH>b", "ab"},
        {"a<ACT_NOSUCH>x</ACT_NOSUCH>b", "ab"},
        {"a<DYNGRP_NOSUCH>x</DYNGRP_NOSUCH>b", "ab"},
        {"a<DI_OTHER>x</DI_OTHER>b", "a<DI_OTHER>x</DI_OTHER>b"},
        {"a<DYN_ROOM></DYN_ROOM>b", "a#lobby b"},
        {"[<DYN_USERFILTER USER=ann>mine</DYN_USERFILTER>]", "[]"},
        {"[<DYN_USERFILTER USER=bob>others</DYN_USERFILTER>]", "[others]"},
        {"[<DYN_OSFILTER OSFLAVOR=win32>w</DYN_OSFILTER>]", "[w]"},
        {"[<DYN_OSFILTER OSFLAVOR=mac>m</DYN_OSFILTER>]", "[]"},
        {"[<DYN_VARZONE>in %framename%</DYN_VARZONE>]", "[in zone]"},
        {"[<DYN_FCT_BUDA FCTNAME=kick>K</DYN_FCT_BUDA>]", "[<A href=\"@FCT@kick\">K</A>]"},
        {"[<DI_MGHDS STRID=\"\">b&amp;b</DI_MGHDS>]", "[b&amp;b]"},
        {"[<DYN_NB_CONNECTED>%nb% user%(s)%</DYN_NB_CONNECTED>]", "[1 user]"},
    };
    for (const PageCase& c : cases)
    {
        Chat t;
        t.m.conn.strRoom = "#lobby ";
        t.m.conn.strNick = "Ann";
        t.m.boInsertUser("Ann", 0);
        t.m.boInsertUser("ghost", CChatModel::kUserHidden);
        EXPECT_EQ(t.strParse(c.page, "zone"), c.source) << "page " << c.page;
    }
}

TEST(TagDispatch, UnhandledTagsAndTagsWithoutDocumentReachTheScrollBar)
{
    Chat t;
    t.strParse("<XYZ_1></XYZ_1><DI_OTHER></DI_OTHER><CNF_XYZ></CNF_XYZ>");
    EXPECT_EQ(t.bar.tags, (Lines{"XYZ_1", "DI_OTHER"}));

    // Without a document nothing is looked at, not even a CNF_ tag.
    const Call c = Offer(t.m, "CNF_SERVINFO", "ADRS=elsewhere", "", nullptr);
    EXPECT_EQ(c.result, -1);
    EXPECT_EQ(t.bar.tags.back(), "CNF_SERVINFO");
    EXPECT_NE(t.m.conn.strServer, "elsewhere");

    // No scroll bar: the tag stays with the renderer.
    t.m.vSetScrollBarEvents(nullptr);
    EXPECT_EQ(Offer(t.m, "XYZ_2", "", "", nullptr).result, -1);
}

TEST(TagDispatch, ReplacementBlockHoldsTheTextAlone)
{
    Chat t;
    CHtmlDoc doc(nullptr);
    t.m.conn.strRoom = "#r";
    const Call room = Offer(t.m, "DYN_ROOM", "", "a much longer body than the room name", &doc);
    EXPECT_EQ(room.result, 2);
    EXPECT_EQ(room.blockSize, 2u);
    EXPECT_EQ(room.text, "#r");

    // Removed: 0, the block left as it was.
    const Call gone = Offer(t.m, "CNF_NARNRU", "", "body", &doc);
    EXPECT_EQ(gone.result, 0);
    EXPECT_EQ(gone.blockSize, 4u);
    EXPECT_TRUE(t.m.cfg.boNarnru);

    // An empty status text leaves the tag to the renderer.
    t.m.cfg.stateTexts[0].clear();
    EXPECT_EQ(Offer(t.m, "DYN_STATUS", "", "", &doc).result, -1);
    t.m.cfg.stateTexts[0] = "closed";
    EXPECT_EQ(Offer(t.m, "DYN_STATUS", "", "", &doc).text, "closed");
}

TEST(TagDispatch, ConfigurationTagsRaiseTheStartUnlessHeld)
{
    {
        Chat t;
        EXPECT_EQ(t.strParse("<CNF_XYZ></CNF_XYZ>"), "");
        EXPECT_TRUE(t.m.conn.boGo);
    }
    {
        Chat t;
        EXPECT_EQ(t.strParse("<DYN_CNXWAIT FLAGS=\"one|two\"></DYN_CNXWAIT><CNF_XYZ></CNF_XYZ>"),
                  "<DYN_CNXWAIT FLAGS=\"one|two\"></DYN_CNXWAIT>");
        EXPECT_FALSE(t.m.conn.boGo);
        t.strParse("<DYN_CNXGO FLAG=ONE></DYN_CNXGO>");
        EXPECT_FALSE(t.m.conn.boGo);
        t.strParse("<DYN_CNXGO FLAG=two></DYN_CNXGO>");
        EXPECT_TRUE(t.m.conn.boGo);
        EXPECT_FALSE(t.m.conn.boWaiting);
    }
}

TEST(TagDispatch, VersionFilters)
{
    const PageCase cases[] = {
        {"[<DYN_VERIGNORE ifgt=4.0>x</DYN_VERIGNORE>]", "[]"},
        {"[<DYN_VERIGNORE iflt=5>x</DYN_VERIGNORE>]", "[]"},
        {"[<DYN_VERIGNORE ifgt=5>x</DYN_VERIGNORE>]", "[<DYN_VERIGNORE ifgt=5>x</DYN_VERIGNORE>]"},
        {"[<DYN_VERIGNORE>x</DYN_VERIGNORE>]", "[<DYN_VERIGNORE>x</DYN_VERIGNORE>]"},
        {"[<DYN_VERIGNORE ifgt=4.38>x</DYN_VERIGNORE>]", "[<DYN_VERIGNORE ifgt=4.38>x</DYN_VERIGNORE>]"},
        {"[<DYN_SUBVERIGNORE ifgt=1.0>x</DYN_SUBVERIGNORE>]", "[]"},
        {"[<DYN_SUBVERIGNORE iflt=1.01>x</DYN_SUBVERIGNORE>]",
         "[<DYN_SUBVERIGNORE iflt=1.01>x</DYN_SUBVERIGNORE>]"},
        {"[<DYN_GRPFORMFILTER STATE=off>x</DYN_GRPFORMFILTER>]",
         "[<DYN_GRPFORMFILTER STATE=off>x</DYN_GRPFORMFILTER>]"},
        {"[<DYN_GRPFORMFILTER STATE=on>x</DYN_GRPFORMFILTER>]", "[]"},
    };
    for (const PageCase& c : cases)
    {
        Chat t;
        EXPECT_EQ(t.strParse(c.page), c.source) << "page " << c.page;
    }
}

TEST(TagDispatch, NickCharactersServerAndLogonSettings)
{
    Chat t;
    t.strParse("<CNF_SPECCHARS BADNICKCHARS NICKINCIDENT=\"\"></CNF_SPECCHARS>");
    const std::string& set = t.cnx.session.strGetForbiddenSet();
    for (unsigned char b : {0xF9, 0xB5, 0xA8, 0xB2, 0xE0})
        EXPECT_NE(set.find(char(b)), std::string::npos) << "byte " << int(b);
    EXPECT_EQ(t.m.conn.strIncidentMarker, "{");
    t.strParse("<CNF_SPECCHARS BADNICKCHARIDENT=\"\" NICKESCAPE=\"~\" NICKINCMAX=4></CNF_SPECCHARS>");
    EXPECT_EQ(t.cnx.session.strGetEscapeMark(), "~");
    EXPECT_EQ(t.m.conn.iMaxIncident, 4);

    const std::string hidden = "#cR#" + ChatText::strScramble("irc.example", ChatText::strDerivedKey());
    t.strParse("<CNF_SERVINFO ADRS=\"" + HtmlEncodeEntities(hidden) + "\" PORT=6668 KEY=k></CNF_SERVINFO>");
    EXPECT_EQ(t.m.conn.strServer, "irc.example");
    EXPECT_EQ(t.m.conn.uPort, 6668);
    EXPECT_EQ(t.m.conn.strServerKey, "k");
    t.strParse("<CNF_SERVINFO ADRS=plain.example></CNF_SERVINFO>");
    EXPECT_EQ(t.m.conn.strServer, "plain.example");
    EXPECT_EQ(t.m.conn.uPort, 6668);

    t.strParse("<CNF_LOGONCHARS MINLEN=1></CNF_LOGONCHARS>");
    EXPECT_EQ(t.m.cfg.iMinNickLength, 3);
    t.strParse("<CNF_LOGONCHARS MINLEN=5 FORBIDDENNICKCHARS=\"\"></CNF_LOGONCHARS>");
    EXPECT_EQ(t.m.cfg.iMinNickLength, 5);
    EXPECT_EQ(t.m.conn.strNickCheckChars, "#{[");
    t.strParse("<CNF_LOGONERR TYPE=reserved>taken</CNF_LOGONERR><CNF_LOGONERR TYPE=other>x</CNF_LOGONERR>");
    EXPECT_EQ(t.m.cfg.strNickErrReserved, "taken");
    t.strParse("<CNF_PROTOCOL_MESSAGE TYPE=TEXT></CNF_PROTOCOL_MESSAGE>");
    EXPECT_TRUE(t.m.cfg.boNoHtml);
    t.strParse("<CNF_PROTOCOL_MESSAGE TYPE=XML></CNF_PROTOCOL_MESSAGE>");
    EXPECT_TRUE(t.m.cfg.boNoHtml);
}

TEST(TagDispatch, ContextVariablesAndMessageFormatGroups)
{
    Chat t;
    t.strParse("<CNF_CONTEXTVAR CID=2>two</CNF_CONTEXTVAR><CNF_CONTEXTVAR CID=1025>big</CNF_CONTEXTVAR>"
               "<CNF_CONTEXTVAR CID=0>zero</CNF_CONTEXTVAR>");
    EXPECT_EQ(t.m.page.contextVars, (Lines{"", "two"}));
    EXPECT_EQ(t.strParse("[<DYN_INSERTCONTEXTVAR CID=2></DYN_INSERTCONTEXTVAR>]"), "[two]");
    EXPECT_EQ(t.strParse("[<DYN_INSERTCONTEXTVAR CID=3></DYN_INSERTCONTEXTVAR>]"), "[]");

    // The pre and post texts of one group come from two directives.
    t.strParse("<CNF_MESSFORMAT_GRP NAME=g MUTEX FORDER=2>&lt;b&gt;</CNF_MESSFORMAT_GRP>"
               "<CNF_MESSFORMAT_GRP NAME=g GRPF=POST MUTEX FORDER=2>&lt;/b&gt;</CNF_MESSFORMAT_GRP>");
    const CMessageFormatTable::Group* g = t.m.tables.messageFormats.lpFindGroup("g");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->strPre, "&lt;b&gt;");
    EXPECT_EQ(g->strPost, "&lt;/b&gt;");
    EXPECT_TRUE(g->boMutex);
    EXPECT_EQ(g->iOrder, 2);
}

TEST(TagDispatch, ForeignTextNeitherMovesTheConnectionNorReadsSettings)
{
    Chat t;
    t.m.conn.strNick = t.m.conn.strIrcNick = "ann";
    t.m.conn.strServer = "home.example";
    t.m.vAddMessage("<TMESS/><CNF_SERVINFO ADRS=evil.example PORT=1></CNF_SERVINFO>", "mallory", "", 0, true,
                    Origin::kStranger);
    EXPECT_EQ(t.m.conn.strServer, "home.example");
    EXPECT_EQ(t.m.conn.uPort, 6667);
    // The own text and the chat's pages run it.
    t.m.vAddMessage("<TMESS/><CNF_SERVINFO ADRS=own.example></CNF_SERVINFO>", "ann", "", 0, true);
    EXPECT_EQ(t.m.conn.strServer, "own.example");
    EXPECT_FALSE(t.m.boForeignText());

    // Their lines reach the history only as shown text: showing the message
    // frame runs nothing of theirs.
    t.m.vAddMessage("hi<cnf_servinfo ADRS=evil.example></cnf_servinfo>", "mallory", "", 0, true,
                    Origin::kStranger);
    t.m.vAddMessage("<SMESS></SMESS><CNF_CONTEXTVAR CID=1><CNF_SERVINFO ADRS=evil.example></CNF_SERVINFO>"
                    "</CNF_CONTEXTVAR>",
                    "mallory", "", 0, true, Origin::kStranger);
    t.strParse("<DYN_MESSAGES></DYN_MESSAGES><DYN_INSERTCONTEXTVAR CID=1></DYN_INSERTCONTEXTVAR>");
    EXPECT_EQ(t.m.conn.strServer, "own.example");
}

TEST(TagDispatch, DisarmedForeignText)
{
    const PageCase cases[] = {
        {"<CNF_SERVINFO ADRS=x></CNF_SERVINFO>", "<CNF_SERVINFO_X ADRS=x></CNF_SERVINFO_X>"},
        {"a<cnf_localconf_grp>b</Cnf_LocalConf_Grp >", "a<cnf_localconf_grp_X>b</Cnf_LocalConf_Grp_X >"},
        {"<DYN_INSERTURL HREF=file://c/>", "<DYN_INSERTURL_X HREF=file://c/>"},
        {"<CNF_SERVINFOS><DYN_INSERTURLX>", "<CNF_SERVINFOS><DYN_INSERTURLX>"},
        {"<<CNF_SERVINFO", "<<CNF_SERVINFO_X"},
        {"x<", "x<"},
    };
    for (const PageCase& c : cases)
        EXPECT_EQ(strDisarmForeignText(c.page), c.source) << c.page;
}

TEST(TagDispatch, ReceivedElementListEventsPostTheListReload)
{
    Chat t;
    t.m.conn.strNick = t.m.conn.strIrcNick = "ann";
    t.m.tables.elistFrames["L"] = "lists";
    t.m.vAddMessage("<TMESS/><DYNELIST_ADDKEY ELIST=\"L\" IDKEY=\"k\">Key</DYNELIST_ADDKEY>"
                    "<DYNELIST_ADDKEY ELIST=\"L\" IDKEY=\"j\">Jay</DYNELIST_ADDKEY>",
                    "bob", "", 0, true);
    EXPECT_NE(t.m.tables.elementLists.lpFindKey("L", "k"), nullptr);
    EXPECT_EQ(t.posted1040, 1);
    t.m.vOnListsChanged();
    EXPECT_EQ(t.view.uCount("reload lists"), 1u);

    // The list itself, its frame remembered.
    EXPECT_NE(t.strParse("<DYNELIST ELIST=\"L\"></DYNELIST>", "side").find("Key"), std::string::npos);
    EXPECT_EQ(t.m.tables.elistFrames["L"], "side");
    EXPECT_EQ(t.strParse("<CNFELIST_KEYDISPLAY ELIST=\"L\">[%key%]</CNFELIST_KEYDISPLAY>"), "");
}
