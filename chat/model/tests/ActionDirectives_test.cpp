#include <gtest/gtest.h>

#include "ChatFakes.h"
#include "ChatModel.h"
#include "HtmlDoc.h"

using namespace ChatModel;
using namespace ChatModelTest;
using Lines = std::vector<std::string>;

namespace
{

struct Chat
{
    CFakeCnx cnx;
    CFakeSettings settings;
    CFakeView view;
    CChatModel m{cnx, settings, [] { return int64_t(5000); }};
    Chat()
    {
        m.vSetView(&view);
        m.vInit();
    }
    std::string strParse(const std::string& page)
    {
        CHtmlDoc doc(nullptr);
        doc.SetAutoFlags(1);
        doc.Load("str://" + page, nullptr, &m, 1, 0);
        return doc.GetSource();
    }
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
            t.m.pageVars["v"] = c.before;
        t.strParse(std::string("<ACT_SETVAR ") + c.attrs + ">" + c.body + "</ACT_SETVAR>");
        const auto it = t.m.pageVars.find("v");
        if (c.after)
        {
            ASSERT_NE(it, t.m.pageVars.end()) << c.attrs << " " << c.body;
            EXPECT_EQ(it->second, c.after) << c.attrs << " " << c.body;
        }
        else
            EXPECT_EQ(it, t.m.pageVars.end()) << c.attrs << " " << c.body;
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
    EXPECT_FALSE(t.m.messageFormats.boIsActive("red"));
    EXPECT_TRUE(t.view.switches.empty());

    t.strParse("<DYN_MESSFORMAT NAME=red></DYN_MESSFORMAT>");
    EXPECT_TRUE(t.m.messageFormats.boIsActive("red"));
    t.view.switches["@MSGF@red"] = true;
    // The mutex group switches the other member off, control included.
    t.strParse("<DYN_MESSFORMAT NAME=blue ACTIVATE=\"\"></DYN_MESSFORMAT>");
    EXPECT_TRUE(t.m.messageFormats.boIsActive("blue"));
    EXPECT_FALSE(t.m.messageFormats.boIsActive("red"));
    EXPECT_FALSE(t.view.switches["@MSGF@red"]);
    // A group with selection: switching off is refused and the control set again.
    t.strParse("<DYN_MESSFORMAT NAME=blue ACTIVATE=no></DYN_MESSFORMAT>");
    EXPECT_TRUE(t.m.messageFormats.boIsActive("blue"));
    EXPECT_TRUE(t.view.switches["@MSGF@blue"]);
    // Without selection it goes off.
    t.strParse("<DYN_MESSFORMAT NAME=bold></DYN_MESSFORMAT>");
    EXPECT_TRUE(t.m.messageFormats.boIsActive("bold"));
    t.strParse("<DYN_MESSFORMAT NAME=bold ACTIVATE=n></DYN_MESSFORMAT>");
    EXPECT_FALSE(t.m.messageFormats.boIsActive("bold"));
}

TEST(DisplayDirectives, MultiPartMessagesListsAndValueFilters)
{
    Chat t;
    t.m.strNick = t.m.strIrcNick = "ann";
    // Three parts from bob, the last with STOP; a part numbered -1 is ignored.
    t.m.vAddMessage("<DYN_MPD ID=m1 N=-1>lost</DYN_MPD>", "bob", "", 0, true);
    // A name cut between two parts is still caught once the parts are joined.
    t.m.vAddMessage("<DYN_MPD ID=m1 N=0>one &amp; <cnf_serv</DYN_MPD>", "bob", "", 0, true);
    t.m.vAddMessage("<DYN_MPD ID=m1 N=1>info ADRS=evil></cnf_servinfo>two </DYN_MPD>", "bob", "", 0, true);
    EXPECT_EQ(t.m.messages.size(), 3u); // the parts, not yet a message
    t.m.vAddMessage("<DYN_MPD ID=m1 N=2 STOP>three</DYN_MPD>", "bob", "", 0, true);
    ASSERT_EQ(t.m.messages.size(), 5u);
    EXPECT_EQ(t.m.messages.back().strText, "one & <cnf_servinfo ADRS=evil></cnf_servinfo_X>two three");
    EXPECT_EQ(t.m.messages.back().strFrom, "bob");
    EXPECT_NE(t.m.strHistory.find("one & <cnf_servinfo_X ADRS=evil></cnf_servinfo_X>two three"),
              std::string::npos)
        << t.m.strHistory;
    EXPECT_EQ(t.m.strHistory.find("lost"), std::string::npos);
    EXPECT_EQ(t.m.multiParts.uSize(), 0u);

    t.strParse("<CNF_CMD name=b info=B listable>x</CNF_CMD><CNF_CMD name=a info=A>y</CNF_CMD>"
               "<CNF_SUBST what=k>v</CNF_SUBST>");
    EXPECT_EQ(t.strParse("<DYN_LIST what=cmds>[%name%:%info%]</DYN_LIST>"), "[B:B]");
    t.m.onCtrlAltDown = [] { return true; };
    EXPECT_EQ(t.strParse("<DYN_LIST what=CMDS>[%name%:%info%]</DYN_LIST>"), "[B:B][A:A]");
    EXPECT_EQ(t.strParse("<DYN_LIST what=substs>%what%=%with%;</DYN_LIST>"), "K=v;");
    EXPECT_EQ(t.strParse("<DYN_LIST what=other>x</DYN_LIST>"), "");

    t.m.contextVars = {"Blue", ""};
    t.m.pageVars["v"] = "on";
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
