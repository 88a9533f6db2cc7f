// Queued frame navigation (message 1041) against the fake view's frames.
#include <gtest/gtest.h>

#include "ChatPageFixture.h"

using namespace ChatModel;
using namespace ChatModelTest;
using Lines = std::vector<std::string>;

namespace
{

// The page view: menu, chat (holding chatmsgs and users, which holds
// cusers) and c2.
struct Chat : CChatPageFixture
{
    Chat()
    {
        view.frames = {"menu", "chat", "chatmsgs", "users", "cusers", "c2"};
        view.frameTree = {{"", {"menu", "chat", "c2"}},
                          {"chat", {"chatmsgs", "users"}},
                          {"users", {"cusers"}},
                          {"menu", {}}};
        view.log.clear();
        m.conn.strRoom = "#r";
    }
    Lines Run(const Lines& requests)
    {
        view.log.clear();
        m.page.navQueue = requests;
        m.vOnNavigateQueue();
        return view.log;
    }
};

} // namespace

TEST(NavigateQueue, PatternsReachNestedFrames)
{
    struct Case
    {
        const char* pattern;
        Lines names;
    } cases[] = {
        // A frame that matches is searched too: its nested frames are reached.
        {"c*", {"chat", "chatmsgs", "cusers", "c2"}},
        {"C*S", {"chatmsgs", "cusers"}},
        {"*", {"menu", "chat", "chatmsgs", "users", "cusers", "c2"}},
        {"users", {"users"}},
        {"nosuch", {"nosuch"}},
        {"x*", {}},
    };
    Chat t;
    for (const Case& c : cases)
    {
        Lines names;
        t.m.vResolveFrames(c.pattern, names);
        EXPECT_EQ(names, c.names) << c.pattern;
    }
    // The search starts at a frame's own view when one is named.
    Lines names{"chat"};
    t.m.vResolveFrames("*", names, "chat");
    EXPECT_EQ(names, (Lines{"chat", "chatmsgs", "users", "cusers"}));
}

TEST(NavigateQueue, RequestsLoadTheirFrames)
{
    Chat t;
    EXPECT_EQ(t.Run({"c*;p%room%.htm", "nosuch;x.htm", "no separator", "menu;"}),
              (Lines{"nav chat p#r.htm", "nav chatmsgs p#r.htm", "nav cusers p#r.htm", "nav c2 p#r.htm",
                     "nav menu "}));
    EXPECT_TRUE(t.m.page.navQueue.empty());
    // The lone star loads every frame, the nested ones included.
    EXPECT_EQ(t.Run({"*;"}).size(), 6u);
}

// The no-cache marker alone reloads the frame and drops the download of the
// document it shows (its colour cut off), so that it is fetched again; with
// an address that address is dropped.
TEST(NavigateQueue, NoCacheDropsTheCachedDownload)
{
    Chat t;
    t.view.frameAddresses["chat"] = "http://h/chat.htm@WCLR=#FF0000";
    for (const char* url : {"http://h/chat.htm", "http://h/a.htm", "http://h/keep.htm"})
    {
        t.m.page.requestedDownloads.vAddRequest(url, "chat");
        t.m.page.requestedDownloads.boSetResult(url, "C:\\cache\\x.htm", false);
    }
    EXPECT_EQ(t.Run({"chat;=@NOCACHE@="}), (Lines{"nav chat "}));
    EXPECT_FALSE(t.m.page.requestedDownloads.boHas("http://h/chat.htm"));
    EXPECT_TRUE(t.m.page.requestedDownloads.boHas("http://h/a.htm"));

    EXPECT_EQ(t.Run({"chat;=@NOCACHE@=http://h/a.htm@WCLR=blue"}),
              (Lines{"nav chat http://h/a.htm@WCLR=blue"}));
    EXPECT_FALSE(t.m.page.requestedDownloads.boHas("http://h/a.htm"));
    // The marker must stand whole at the start.
    EXPECT_EQ(t.Run({"chat;=@NOCACHE@http://h/keep.htm", "chat;x=@NOCACHE@="}),
              (Lines{"nav chat =@NOCACHE@http://h/keep.htm", "nav chat x=@NOCACHE@="}));
    EXPECT_TRUE(t.m.page.requestedDownloads.boHas("http://h/keep.htm"));
}

// A document given as text keeps its placeholders unless SPBC was given,
// and takes the default root path (else the page's) as its base unless
// NARNRU was.
TEST(NavigateQueue, TextDocumentsKeepTheirPlaceholders)
{
    Chat t;
    EXPECT_EQ(t.Run({"chat;str://<P>%room%</P>"}), (Lines{"nav chat str://<P>%room%</P> base file://root/"}));
    t.m.page.strDefRootPath = "http://h/ui/";
    EXPECT_EQ(t.Run({"chat;STR://<P>%room%</P>"}), (Lines{"nav chat STR://<P>%room%</P> base http://h/ui/"}));
    t.m.cfg.boSpbc = true;
    EXPECT_EQ(t.Run({"chat;str://<P>%room%</P>"}), (Lines{"nav chat str://<P>#r</P> base http://h/ui/"}));
    t.m.cfg.boNarnru = true;
    EXPECT_EQ(t.Run({"chat;str://<P>%room%</P>"}), (Lines{"nav chat str://<P>#r</P>"}));
}

// A page loaded by the queue may queue more: those wait for the next 1041
// instead of being wiped with the requests already worked.
TEST(NavigateQueue, RequestsQueuedMeanwhileWaitForTheNextMessage)
{
    Chat t;
    int posted = 0;
    t.host.onPostNavigate = [&posted] { ++posted; };
    t.m.cfg.boNavSwitch = true;
    t.m.Scheme().vSetReceiveAccept(ChatIrc::CNickScheme::kCodedOnly);
    CChatModel::Command go;
    go.strName = "GO";
    go.boTrusted = true;
    go.iIdentity = 12;
    t.m.cfg.commands = {go};
    t.view.onNavigate = [&t](const std::string& frame)
    {
        if (frame == "menu")
            t.strParse("<ACT_NAV TARGET=c2 CN=GO CS=12>next.htm</ACT_NAV>");
    };
    EXPECT_EQ(t.Run({"menu;menu.htm", "chat;"}), (Lines{"nav menu menu.htm", "nav chat "}));
    EXPECT_EQ(t.m.page.navQueue, (Lines{"c2;file://root/next.htm"}));
    EXPECT_EQ(posted, 1);
    t.view.log.clear();
    t.m.vOnNavigateQueue();
    EXPECT_EQ(t.view.log, (Lines{"nav c2 file://root/next.htm"}));
    EXPECT_TRUE(t.m.page.navQueue.empty());
}
