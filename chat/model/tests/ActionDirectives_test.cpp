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
