// The launch part's side of the game server link, over a link played by the
// test: opening it and pairing the hub library's start and stop, the routes
// of the notifications, the server's commands, and a lost link.
#include "LaunchItems.h"
#include "LaunchPart.h"
#include "../../script/tests/ScriptTestHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
struct SLinkState
{
    bool connected = true;
    bool sendWorks = true;
    std::vector<std::string> sent;
    CServerLinkSink* sink = nullptr;
    std::vector<std::string>* calls = nullptr; // shared with the host: the order of events
};

class CFakeLink : public IServerLink
{
public:
    explicit CFakeLink(SLinkState* state) : m_state(state) {}
    ~CFakeLink() override { m_state->calls->push_back("link closed"); }
    bool IsConnected() const override { return m_state->connected; }
    bool Send(const char* data, size_t length) override
    {
        if (!m_state->sendWorks)
            return false;
        m_state->sent.emplace_back(data, length);
        return true;
    }

private:
    SLinkState* m_state;
};

class CLinkHost : public CTestHost
{
public:
    CLinkHost() { link.calls = &calls; }
    bool StartHubLibrary() override
    {
        calls.push_back("start");
        return startWorks;
    }
    void StopHubLibrary() override { calls.push_back("stop"); }
    std::unique_ptr<IServerLink> OpenServerLink(const std::string& address, const std::string& port,
                                                const std::string& msgd, CServerLinkSink* sink) override
    {
        calls.push_back("open " + address + ":" + port + ":" + msgd);
        if (!openWorks)
            return nullptr;
        link.sink = sink;
        return std::make_unique<CFakeLink>(&link);
    }

    bool startWorks = true;
    bool openWorks = true;
    SLinkState link;
    std::vector<std::string> calls;
};

struct CLinkScript
{
    explicit CLinkScript(bool withServer = true)
    {
        context.host = &host;
        context.vars.SetScriptVar("log:console", "1");
        if (withServer)
        {
            context.vars.SetScriptVar("srip", "127.0.0.1");
            context.vars.SetScriptVar("srpt", "9000");
        }
        context.vars.SetScriptVar("msgd", "ZDP1more");
        context.vars.SetScriptVar("msg_", "XXXXtype=%TP%");
        context.vars.SetScriptVar("iurl", "http://page/r?id=7");
        context.vars.SetScriptVar("ifrm", "info");
    }
    void Clear()
    {
        host.log.clear();
        host.events.clear();
        host.navigations.clear();
        host.link.sent.clear();
        host.calls.clear();
    }
    bool Logged(const std::string& text) const { return host.log.find(text) != std::string::npos; }

    CLinkHost host;
    CScriptContext context;
};

std::string Named(const std::string& name, const std::string& commands)
{
    return "<subscript name=\"" + name + "\">" + commands + "</subscript>";
}

const char kLoss[] = "Launch Script Manager|Perte de connexion!";
const char kDisconnected[] = "ERROR : Disconnected from ZDP (cnx Linkwell?/cnx Server?)\n";
} // namespace

TEST(LaunchPartLink, OpeningPairsTheHubLibrary)
{
    const struct
    {
        const char* srip;
        const char* srpt;
        bool startWorks;
        bool openWorks;
        std::vector<std::string> callsAtOpen;
        std::string log;
    } cases[] = {
        {"127.0.0.1",
         "9000",
         true,
         true,
         {"start", "open 127.0.0.1:9000:ZDP1more"},
         "[Connexion ZDP : IP=127.0.0.1 Port=9000]\n"},
        {"127.0.0.1",
         "9000",
         true,
         false,
         {"start", "open 127.0.0.1:9000:ZDP1more", "stop"},
         "[Connexion ZDP : IP=127.0.0.1 Port=9000]\nERROR : Exception Connexion ZDP : \nERROR Connexion "
         "ZDP\n"},
        {"", "9000", true, true, {"start", "stop"}, "[Connexion ZDP : IP= Port=9000]\nERROR Connexion ZDP\n"},
        {"127.0.0.1",
         "",
         true,
         true,
         {"start", "stop"},
         "[Connexion ZDP : IP=127.0.0.1 Port=]\nERROR Connexion ZDP\n"},
        // A library that did not start is not stopped; the link is still tried.
        {"127.0.0.1",
         "9000",
         false,
         true,
         {"start", "open 127.0.0.1:9000:ZDP1more"},
         "[Connexion ZDP : IP=127.0.0.1 Port=9000]\n"},
    };
    for (const auto& c : cases)
    {
        CLinkScript script(false);
        script.context.vars.SetScriptVar("srip", c.srip);
        script.context.vars.SetScriptVar("srpt", c.srpt);
        script.host.startWorks = c.startWorks;
        script.host.openWorks = c.openWorks;
        const bool linked = c.srip[0] && c.srpt[0] && c.openWorks;
        {
            CLaunchPart part(&script.context);
            EXPECT_EQ(script.host.calls, c.callsAtOpen) << c.srip << "/" << c.srpt << "/" << c.openWorks;
            EXPECT_EQ(script.host.log, c.log);
            EXPECT_EQ(script.host.alerts, c.startWorks
                                              ? std::vector<std::string>{}
                                              : std::vector<std::string>{"Ludex|OBSdkClient::Init() Failed"});
            EXPECT_EQ(part.IsServerLinkConnected(), linked);
            part.OpenServerLink(); // once only
            EXPECT_EQ(script.host.calls.size(), c.callsAtOpen.size());
            script.host.calls.clear();
        }
        // The channel goes before the library that carries it.
        std::vector<std::string> atEnd;
        if (linked)
            atEnd.push_back("link closed");
        if (linked && c.startWorks)
            atEnd.push_back("stop");
        EXPECT_EQ(script.host.calls, atEnd) << c.srip << "/" << c.srpt << "/" << c.openWorks;
    }
}

TEST(LaunchPartLink, NotificationsFollowTheirRoutes)
{
    CLinkScript script;
    {
        CLaunchPart part(&script.context);
        // 5 at construction reaches the host only; the link opens after it.
        EXPECT_EQ(script.host.events, std::vector<int32_t>{5});
        EXPECT_TRUE(script.host.link.sent.empty());
        EXPECT_TRUE(script.host.navigations.empty());
        script.Clear();

        const std::vector<int32_t> codes = {0,    1,    2,    3,    4,    5,    6,    101, 102,
                                            1000, 1001, 1002, 1003, 1004, 1005, 2000, -1};
        for (int32_t code : codes)
            part.NotifyEvent(code);
        EXPECT_EQ(script.host.events, codes);
        EXPECT_EQ(
            script.host.link.sent,
            (std::vector<std::string>{"000dtype=0000", "000dtype=0001", "000dtype=0002", "000dtype=0003",
                                      "000dtype=0004", "000dtype=0102", "000dtype=1001", "000dtype=1002",
                                      "000dtype=1003", "000dtype=1004", "000dtype=2000"}));
        std::vector<std::string> pages;
        for (const char* code : {"0", "1", "2", "3", "4", "1001", "1002", "1003", "1004"})
            pages.push_back(std::string("info|http://page/r?id=7&Info=") + code);
        EXPECT_EQ(script.host.navigations, pages);

        script.Clear();
        const std::string custom = "abc";
        part.NotifyEvent(1001, &custom);
        part.NotifyEvent(2000, &custom);
        EXPECT_EQ(script.host.link.sent,
                  (std::vector<std::string>{"001atype=10010009cust=abc0", "001atype=20000009cust=abc0"}));

        // Without iurl nothing is shown; a template too short or a failed
        // send is logged.
        script.Clear();
        script.context.vars.SetScriptVar("iurl", "");
        script.context.vars.SetScriptVar("msg_", "XXX");
        part.NotifyEvent(1);
        EXPECT_TRUE(script.host.navigations.empty());
        EXPECT_TRUE(script.host.link.sent.empty());
        EXPECT_EQ(script.host.log, "ERROR : while sending message to ZDP : \n");
        script.context.vars.SetScriptVar("msg_", "XXXX%TP%");
        script.host.link.sendWorks = false;
        script.host.log.clear();
        part.NotifyEvent(2);
        EXPECT_EQ(script.host.log, "ERROR : while sending message to ZDP : \n");
        script.host.link.sendWorks = true;
        EXPECT_TRUE(part.SendRawToServer("raw text"));
        EXPECT_EQ(script.host.link.sent, std::vector<std::string>{"raw text"});
        script.Clear();
    }
    // Its end: 4 to both, then the channel closes.
    EXPECT_EQ(script.host.events, (std::vector<int32_t>{1001, 4}));
    EXPECT_EQ(script.host.link.sent, (std::vector<std::string>{"0008"
                                                               "1001",
                                                               "0008"
                                                               "0004"}));
}

TEST(LaunchPartLink, WithoutAServerOnlyThePageHears)
{
    CLinkScript script(false);
    CLaunchPart part(&script.context);
    script.Clear();
    part.NotifyEvent(1001);
    EXPECT_EQ(script.host.navigations, std::vector<std::string>{"info|http://page/r?id=7&Info=1001"});
    EXPECT_EQ(script.host.log, "");
    EXPECT_FALSE(part.SendRawToServer("x"));
}

TEST(LaunchPartLink, ServerCommands)
{
    const struct
    {
        const char* command;
        const char* subScripts; // the named sub-scripts the launch part has
        std::vector<std::string> ran;
        std::vector<std::string> pages;
        int endRequests;
    } cases[] = {
        {"hfln", "hfln", {"quit:hfln"}, {"info|http://page/r?id=7&Info=1003"}, 0},
        {"HFLN", "", {"quit:stop"}, {"info|http://page/r?id=7&Info=1003"}, 1},
        {"hfgm", "hfgm", {"quit:hfgm"}, {"info|http://page/r?id=7&Info=1004"}, 0},
        {"Hfgm", "", {"quit:stop"}, {"info|http://page/r?id=7&Info=1004"}, 1},
        {"quit", "quit", {"quit:quit"}, {}, 0},
        {"QUIT", "", {"quit:stop"}, {}, 1},
        {"other", "other", {"quit:other"}, {}, 0},
        {"OTHER", "other", {"quit:other"}, {}, 0},
        {"nosuch", "other", {}, {}, 0},
        {"", "", {}, {}, 0},
    };
    for (const auto& c : cases)
    {
        CLinkScript script;
        CLaunchPart part(&script.context);
        std::string text = "<subscript type=\"OnStop\"><sscmd name=\"quit\" id=\"stop\"/></subscript>";
        if (c.subScripts[0])
            text += Named(c.subScripts, std::string("<sscmd name=\"quit\" id=\"") + c.subScripts + "\"/>");
        ASSERT_EQ(part.Start(text), 1);
        part.Step(0); // no OnStart: idle
        script.Clear();
        script.host.link.sink->OnServerCommand(c.command);
        part.Step(1);
        EXPECT_EQ(script.host.ran, c.ran) << '"' << c.command << '"';
        EXPECT_EQ(script.host.navigations, c.pages) << '"' << c.command << '"';
        EXPECT_EQ(script.host.endRequests, c.endRequests) << '"' << c.command << '"';
    }
}

TEST(LaunchPartLink, ALostLinkIsShownOnceOnTheNextStep)
{
    CLinkScript script;
    {
        CLaunchPart part(&script.context);
        ASSERT_EQ(part.Start(""), 1);
        script.Clear();
        // As the channel tells it: inside the library's callback, nothing is shown.
        script.host.link.connected = false;
        script.host.link.sink->OnLinkLost();
        script.host.link.sink->OnLinkLost();
        EXPECT_TRUE(script.host.alerts.empty());
        EXPECT_TRUE(script.host.calls.empty());
        part.NotifyEvent(1002);
        EXPECT_EQ(script.host.log, kDisconnected);

        part.Step(0);
        EXPECT_EQ(script.host.alerts, std::vector<std::string>{kLoss});
        EXPECT_EQ(script.host.calls, (std::vector<std::string>{"link closed", "stop"}));
        part.Step(1);
        EXPECT_EQ(script.host.alerts.size(), 1u);

        script.Clear();
        part.NotifyEvent(1001);
        EXPECT_EQ(script.host.log, kDisconnected);
        EXPECT_EQ(script.host.navigations, std::vector<std::string>{"info|http://page/r?id=7&Info=1001"});
        EXPECT_FALSE(part.SendRawToServer("x"));
        script.Clear();
    }
    // The end is logged too; the library was stopped once only.
    EXPECT_EQ(script.host.log, kDisconnected);
    EXPECT_TRUE(script.host.calls.empty());
    EXPECT_TRUE(script.host.link.sent.empty());
}

namespace
{
// A game that runs until it is killed, through a plug that logs into the
// host's calls.
class CRunningPlug : public IGamePlug
{
public:
    explicit CRunningPlug(std::vector<std::string>& calls) : m_calls(calls) {}
    ~CRunningPlug() override { m_calls.push_back("plug released"); }
    bool MakeGame(CZeltoGame&) override { return true; }
    void DropGame() override {}
    bool PreLaunchGame(int32_t& result) override { return (result = 1), true; }
    bool LaunchGame(int32_t& result) override { return (result = 1), true; }
    bool PostLaunchGame(int32_t& result) override { return (result = 1), true; }
    bool IsGameRunning(int32_t& running) override { return (running = m_killed ? 0 : 1), true; }
    bool KillGame(int32_t& result) override
    {
        m_calls.push_back("game killed");
        m_killed = true;
        return (result = 1), true;
    }

private:
    std::vector<std::string>& m_calls;
    bool m_killed = false;
};

class CGameLinkHost : public CLinkHost, public ILaunchHost
{
public:
    std::unique_ptr<CScriptItem> NewItem(const std::string& keyword) override
    {
        return NewLaunchItem(keyword);
    }
    ILaunchHost* LaunchHost() override { return this; }
    bool RunPlugOnGameList(CPlugSite&, CScriptItem*, const std::string&, CZeltoGameList&, bool,
                           int32_t&) override
    {
        return false;
    }
    std::unique_ptr<CZeltoGameList> LoadLocalGames() override { return std::make_unique<CZeltoGameList>(); }
    bool SaveLocalGames(const CZeltoGameList&) override { return true; }
    bool ChooseGame(CZeltoGameList&, SGameChoice&) override { return false; }
    std::unique_ptr<IGamePlug> CreateGamePlug(CPlugSite& site, CScriptItem* item, const std::string&) override
    {
        site.callback = item;
        return std::make_unique<CRunningPlug>(calls);
    }
};
} // namespace

// The launch part goes while its game runs (the page let the launcher go):
// the game is killed and its end (3) reaches the server before the part's
// own end (4); only then does the channel close.
TEST(LaunchPartLink, GoingWhileTheGameRunsTellsTheServerTheGameEnded)
{
    CGameLinkHost host;
    CScriptContext context;
    context.host = &host;
    context.vars.SetScriptVar("srip", "127.0.0.1");
    context.vars.SetScriptVar("srpt", "9000");
    context.vars.SetScriptVar("msgd", "ZDP1");
    context.vars.SetScriptVar("msg_", "XXXXtype=%TP%");
    context.vars.SetScriptVar("iurl", "http://page/r?id=7");
    context.vars.SetScriptVar("ifrm", "info");
    {
        CLaunchPart part(&context);
        ASSERT_EQ(1, part.Start("<subscript type=\"OnStart\"><sscmd name=\"launchinfo\"><launchinfo>"
                                "<launchgame><game xmlns=\"g.launch\" gid=\"tetra\" technoid=\"fake\">"
                                "<version vnbr=\"1\"/></game></launchgame><setlverb verb=\"play\" "
                                "lmode=\"straight\"/></launchinfo></sscmd><sscmd name=\"launchgame\">"
                                "<launchgame/></sscmd></subscript>"));
        for (int i = 0; i < 5 && !part.GetRunningPlug(); ++i)
            part.Step(i);
        ASSERT_NE(nullptr, part.GetRunningPlug());
        host.link.sent.clear();
        host.navigations.clear();
        host.calls.clear();
    }
    EXPECT_EQ(host.link.sent, (std::vector<std::string>{"000dtype=0003", "000dtype=0004"}));
    EXPECT_EQ(host.navigations,
              (std::vector<std::string>{"info|http://page/r?id=7&Info=3", "info|http://page/r?id=7&Info=4"}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"game killed", "plug released", "link closed", "stop"}));
}
