// The sample chat of testbed/chatpages parsed through the renderer's
// document with the chat model taking the directives: the configuration
// fills the tables and starts the connection, the frameset hands its scroll
// bar markup on, the zone pages show the model's state.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ChatPageFixture.h"
#include "MessageFormats.h"
#include "TestFiles.h"

using namespace ChatModel;
using namespace ChatModelTest;

namespace
{

std::string strPage(const std::string& name, FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    const char* root = std::getenv("FD_SOURCE_DIR");
    EXPECT_NE(root, nullptr);
    std::string text;
    EXPECT_TRUE(FdTestKit::boReadFile(std::string(root ? root : ".") + "/testbed/chatpages/" + name, &text))
        << name;
    return text;
}

// Stands in for the scroll bar, which gets every tag the chat leaves.
class CLeftTags : public CHtmlWndEventsBase
{
public:
    std::vector<std::string> tags;
    int32_t OnTag(std::string name, std::string attributes, HtmlMemBlock*, int32_t, std::string,
                  CHtmlObject*) override
    {
        tags.push_back(name + " " + attributes);
        return -1;
    }
    size_t uCount(const std::string& prefix) const
    {
        size_t n = 0;
        for (const std::string& t : tags)
            n += t.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
        return n;
    }
};

} // namespace

TEST(ChatPages, ConfigurationFillsTheTablesAndStartsTheConnection)
{
    CChatPageFixture t;
    t.m.cfg.boLogonPageSwitch = true;
    // As the web stand-in serves it with --subst-env.
    const std::string page = strReplaceAll(strPage("chat.vblt"), "${FD_IRC_PORT}", "6123");
    const std::string source = t.strParse(page);
    EXPECT_EQ(source.find("CNF_"), std::string::npos) << source;
    EXPECT_NE(source.find("Configuration loaded."), std::string::npos);
    EXPECT_TRUE(t.m.conn.boGo);
    EXPECT_EQ(t.m.conn.strServer, "127.0.0.1");
    EXPECT_EQ(t.m.conn.uPort, 6123);
    EXPECT_EQ(t.m.cfg.stateTexts[4], "Connected");
    EXPECT_NE(t.m.cfg.formats[21].find("write something first!"), std::string::npos);
    EXPECT_NE(t.m.lpFindCommand("/X"), nullptr);
    EXPECT_EQ(t.m.cfg.nickFunctions.size(), 1u);
    EXPECT_EQ(t.m.cfg.strLogonPage, "logon.htm");
    EXPECT_EQ(t.m.cfg.reservedNicks, (std::vector<std::string>{"Admin"}));
    EXPECT_EQ(t.m.people.receiverFlood.exemptUsers, (std::vector<std::string>{"flooder"}));
    // The talk line's filter with the sample's words and link template.
    std::string text = "LOLA lol see www.x.com :)";
    t.m.vAutoLink(text);
    EXPECT_EQ(text, "LOLA <B>lol</B> see <A href=\"HTTP://www.x.com\" TARGET=_blank>www.x.com</A> "
                    "<FONT COLOR=#FFE080>:-)</FONT>");
}

TEST(ChatPages, FramesetHandsItsScrollBarOn)
{
    CChatPageFixture t;
    CLeftTags bar;
    t.m.vSetScrollBarEvents(&bar);
    const std::string source = t.strParse(strPage("chat.htm"));
    EXPECT_EQ(bar.uCount("HTG_SCROLLBAR SBID=msg TARGET=msgs"), 1u);
    EXPECT_EQ(bar.uCount("HTG_SCROLLPART PART="), 5u);
    EXPECT_EQ(bar.uCount("HTG_SCROLLBUT ACT="), 4u);
    for (const char* frame : {"room", "status", "msgs", "users", "count", "talk"})
        EXPECT_NE(source.find(std::string("NAME=") + frame + " "), std::string::npos) << frame;
}

TEST(ChatPages, ZonePagesShowTheModelsState)
{
    CChatPageFixture t;
    t.m.conn.strRoom = "#sample";
    t.m.conn.iDisplayState = 4;
    t.m.cfg.stateTexts[4] = "Connected";
    t.m.people.users = {"ann"};
    t.m.people.userFlags = {0};
    t.m.msgs.strHistory = "<B>bob</B>&gt; hi<BR>";
    const struct
    {
        const char* page;
        const char* shows;
    } cases[] = {
        {"room.htm", "Room #sample"},
        {"status.htm", "Connected"},
        {"messages.htm", "<B>bob</B>&gt; hi<BR>"},
        {"users.htm", "ann"},
        {"count.htm", "1 user here"},
        {"talk.htm", "NAME=CFLD_TEXT"},
        {"logon.htm", "NAME=CFLD_LOGIN"},
    };
    for (const auto& c : cases)
    {
        const std::string source = t.strParse(strPage(c.page));
        EXPECT_NE(source.find(c.shows), std::string::npos) << c.page << ": " << source;
        EXPECT_EQ(source.find("<DYN_"), std::string::npos) << c.page << ": " << source;
    }
}
