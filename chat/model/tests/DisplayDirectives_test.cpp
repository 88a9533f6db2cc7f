#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

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
    int posted1039 = 0;
    Lines requests;
    Chat()
    {
        m.vSetView(&view);
        m.vInit();
        m.onPostRefresh = [this] { ++posted1039; };
        m.onDocumentRequest = [this](const std::string& address, const std::string& frame)
        {
            requests.push_back(address + "|" + frame);
            return address.find("ready") != std::string::npos ? std::string("<P>doc</P>") : std::string();
        };
    }
    std::string strParse(const std::string& page)
    {
        CHtmlDoc doc(nullptr);
        doc.SetAutoFlags(1);
        doc.Load("str://" + page, nullptr, &relay, 1, 0);
        return doc.GetSource();
    }
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
    LocalFile()
    {
        std::ofstream(path, std::ios::binary) << "<B>local</B>";
    }
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
        {"[<DYN_INSERTURL HREF=\" FILE://" + file.path + " \"></DYN_INSERTURL>]", "[<B>local</B>]", {}, 0, false},
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
        t.m.strHistory = "a" + tag + "b";
        EXPECT_EQ(t.strParse(c.page), c.source) << c.page;
        EXPECT_EQ(t.requests, c.requests) << c.page;
        EXPECT_EQ(t.posted1039, c.refreshes) << c.page;
        EXPECT_EQ(t.m.strHistory, c.cut ? "a<DYN_INSERTURL>b" : "a" + tag + "b") << c.page;
    }
}

TEST(DisplayDirectives, InsertUrlOfAnotherUserReadsNoFile)
{
    const LocalFile file;
    const std::string tag =
        "<DYN_INSERTURL HREF=\"file://" + file.path + "\" ONLOADGRPREF HISTSINGLESHOT></DYN_INSERTURL>";
    Chat t;
    t.m.strNick = t.m.strIrcNick = "ann";
    // Parsed as their text: nothing read, nothing refreshed.
    t.m.iParseMarkup(tag, true);
    EXPECT_EQ(t.posted1039, 0);
    // Their line as received and then shown from the history.
    t.m.vAddMessage("<TMESS/>" + tag, "mallory", "", 0, true);
    const int afterReceive = t.posted1039;
    t.strParse("<DYN_MESSAGES></DYN_MESSAGES>");
    EXPECT_EQ(t.strParse("[<DYN_MESSAGES></DYN_MESSAGES>]").find("local"), std::string::npos);
    EXPECT_EQ(t.posted1039, afterReceive);
    // The chat's own page runs it.
    t.m.iParseMarkup(tag, false);
    EXPECT_EQ(t.posted1039, afterReceive + 1);
}
