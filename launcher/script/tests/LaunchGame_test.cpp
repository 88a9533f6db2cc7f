// launchgame run by a launch script against scripted plugs: the calls made on
// the plug, the notifications (2 started, 3 over, 1002 not launched), the log,
// and the plug's release on every road, a plug that dies with its game included.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "LaunchItems.h"
#include "LaunchScript.h"
#include "ScriptTestHost.h"
#include "SimpleItems.h"

namespace
{
// What a scripted plug answers. running: the IsGameRunning answers in turn
// (then 0); -1 stands for a failed call (the plug's process gone).
struct SPlugScript
{
    bool make = true;
    bool makeGame = true;
    int32_t pre = 1;
    int32_t launch = 1;
    std::vector<int32_t> running;
    bool deadAfterRunning = false; // every call fails once running is used up
};

SPlugScript Answers(bool make, bool makeGame = true, int32_t pre = 1, int32_t launch = 1)
{
    SPlugScript script;
    script.make = make;
    script.makeGame = makeGame;
    script.pre = pre;
    script.launch = launch;
    return script;
}

class CScriptedPlug : public IGamePlug
{
public:
    CScriptedPlug(SPlugScript& script, std::vector<std::string>& calls) : m_script(script), m_calls(calls) {}
    ~CScriptedPlug() override { m_calls.push_back("Release"); }
    bool MakeGame(CZeltoGame& game) override
    {
        m_calls.push_back(
            "MakeGame:" + game.id + ":" +
            std::to_string(game.versions->GetAt(0) ? game.versions->GetAt(0)->contextData.launchMode : -1));
        return m_script.makeGame;
    }
    void DropGame() override { m_calls.push_back("DropGame"); }
    bool PreLaunchGame(int32_t& result) override { return Answer("PreLaunchGame", result, m_script.pre); }
    bool LaunchGame(int32_t& result) override { return Answer("LaunchGame", result, m_script.launch); }
    bool PostLaunchGame(int32_t& result) override { return Answer("PostLaunchGame", result, 1); }
    bool KillGame(int32_t& result) override { return Answer("KillGame", result, 1); }
    bool IsGameRunning(int32_t& running) override
    {
        EXPECT_EQ(2, running); // set before the call
        int32_t answer = 0;
        if (!m_script.running.empty())
        {
            answer = m_script.running.front();
            m_script.running.erase(m_script.running.begin());
        }
        else if (m_script.deadAfterRunning)
            m_dead = true;
        if (answer < 0)
            m_dead = true;
        return Answer("IsGameRunning", running, answer);
    }

private:
    bool Answer(const char* name, int32_t& out, int32_t value)
    {
        m_calls.push_back(std::string(name) + (m_dead ? ":failed" : ""));
        if (m_dead)
            return false;
        out = value;
        return true;
    }
    SPlugScript& m_script;
    std::vector<std::string>& m_calls;
    bool m_dead = false;
};

class CGameTestHost : public CTestHost, public ILaunchHost
{
public:
    std::unique_ptr<CScriptItem> NewItem(const std::string& keyword) override
    {
        if (std::unique_ptr<CScriptItem> item = NewLaunchItem(keyword))
            return item;
        return NewSimpleItem(keyword);
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
    std::unique_ptr<IGamePlug> CreateGamePlug(CPlugSite& site, CScriptItem* item,
                                              const std::string& technoid) override
    {
        calls.push_back("Create:" + technoid);
        if (!plug.make)
            return nullptr;
        site.callback = item;
        return std::make_unique<CScriptedPlug>(plug, calls);
    }

    SPlugScript plug;
    std::vector<std::string> calls;
};

class LaunchGameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int serial = 0;
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() /
            ("ludex-launchgame-" + std::to_string(std::random_device{}()) + "-" + std::to_string(++serial));
        std::filesystem::create_directories(dir);
        m_dir = dir.string();
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    // A launch script: launchinfo names the game (of technology technoid, with
    // versions versions) and the verb, then launchgame, whose err link runs "nok".
    std::string Script(const std::string& technoid, int versions = 1)
    {
        std::string game = "<game xmlns=\"g.launch\" gid=\"tetra\" technoid=\"" + technoid + "\">";
        for (int v = 1; v <= versions; ++v)
            game += "<version vnbr=\"" + std::to_string(v) + "\" vid=\"v" + std::to_string(v) + "\"/>";
        game += "</game>";
        const std::string path = m_dir + "/main.xml";
        std::ofstream(path, std::ios::binary)
            << "<ludexs.launch><subscript type=\"OnStart\">"
               "<sscmd name=\"launchinfo\"><launchinfo><launchgame>" +
                   game +
                   "</launchgame><setlverb verb=\"play\" lmode=\"straight\"/></launchinfo></sscmd>"
                   "<sscmd name=\"launchgame\"><launchgame/><sslinks err=\"nok\"/></sscmd></subscript>"
                   "<subscript name=\"nok\"><sscmd name=\"pwdgen\"><pwdgen var=\"ran.nok\" "
                   "nbchars=\"1\"/></sscmd></subscript>"
                   "</ludexs.launch>";
        return "file://" + path;
    }

    // Loads the script and steps it steps times at most, until it is idle.
    void Run(CLaunchScript& script, const std::string& url, int steps = 20)
    {
        script.GetVarTank().SetScriptVar("log:console", "1");
        script.Load(url, 0, 0, 0);
        for (int i = 0; i < steps && script.GetLaunchPart() && !script.GetLaunchPart()->IsIdle(); ++i)
            script.Step();
    }
    bool Has(const std::string& text) const { return m_host.log.find(text) != std::string::npos; }
    bool RanNok(CLaunchScript& script)
    {
        CStringExt value;
        return script.GetVarTank().GetScriptVar("ran.nok", value);
    }
    // The events up to the launch part's own (4 when it goes).
    std::vector<int32_t> Events() const
    {
        std::vector<int32_t> events;
        for (int32_t code : m_host.events)
            if (code == 2 || code == 3 || code == 1002)
                events.push_back(code);
        return events;
    }

    std::string m_dir;
    CGameTestHost m_host;
};

const std::vector<std::string> kLaunched = {"Create:fake", "MakeGame:tetra:1", "PreLaunchGame", "LaunchGame",
                                            "DropGame"};
} // namespace

TEST_F(LaunchGameTest, GameStartedWatchedAndOver)
{
    m_host.plug.running = {1, 1};
    CLaunchScript script(&m_host);
    Run(script, Script("fake"));
    ASSERT_NE(nullptr, script.GetLaunchPart());
    EXPECT_TRUE(script.GetLaunchPart()->IsIdle());
    std::vector<std::string> calls = kLaunched;
    calls.insert(calls.end(), {"IsGameRunning", "IsGameRunning", "IsGameRunning", "MakeGame:tetra:0",
                               "PostLaunchGame", "DropGame", "Release"});
    EXPECT_EQ(calls, m_host.calls);
    EXPECT_EQ((std::vector<int32_t>{2, 3}), Events());
    EXPECT_TRUE(Has(".."));
    EXPECT_FALSE(Has("..."));
    EXPECT_EQ(nullptr, script.GetLaunchPart()->GetRunningPlug());
    EXPECT_FALSE(RanNok(script));
    // The launch mode and verb were handed over for the launch only.
    const CZeltoGame* game = script.GetLaunchPart()->GetCurrentGame();
    ASSERT_NE(nullptr, game);
    EXPECT_EQ(0, game->versions->GetAt(0)->contextData.launchMode);
    EXPECT_EQ("", game->versions->GetAt(0)->contextData.launchVerb);
}

TEST_F(LaunchGameTest, NotLaunchedGives1002AndReleasesThePlug)
{
    struct
    {
        const char* name;
        std::string technoid;
        SPlugScript plug;
        std::vector<std::string> calls;
        const char* logged;
    } cases[] = {
        {"no technology", "", Answers(true), {}, "launchgame ERROR => Game has no techno plug associated!\n"},
        {"no plug",
         "fake",
         Answers(false),
         {"Create:fake"},
         "launchgame ERROR => Failed to launch TeknoPlug [fake]\n"},
        {"no game object",
         "fake",
         Answers(true, false),
         {"Create:fake", "MakeGame:tetra:1", "Release"},
         "ERROR : failed to CreateNewCOMInterface()\n"},
        {"PreLaunchGame answers 0",
         "fake",
         Answers(true, true, 0),
         {"Create:fake", "MakeGame:tetra:1", "PreLaunchGame", "DropGame", "Release"},
         nullptr},
        {"LaunchGame answers 0",
         "fake",
         Answers(true, true, 1, 0),
         {"Create:fake", "MakeGame:tetra:1", "PreLaunchGame", "LaunchGame", "DropGame", "Release"},
         "launchgame ERROR => Tekno Plug [fake] Failed to launch game : "},
    };
    for (auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CGameTestHost host;
        host.plug = c.plug;
        {
            CLaunchScript script(&host);
            script.GetVarTank().SetScriptVar("log:console", "1");
            script.Load(Script(c.technoid), 0, 0, 0);
            for (int i = 0; i < 10 && script.GetLaunchPart() && !script.GetLaunchPart()->IsIdle(); ++i)
                script.Step();
            ASSERT_NE(nullptr, script.GetLaunchPart());
            EXPECT_EQ(c.calls, host.calls);
            EXPECT_EQ(nullptr, script.GetLaunchPart()->GetRunningPlug());
            CStringExt nok;
            EXPECT_TRUE(script.GetVarTank().GetScriptVar("ran.nok", nok)); // the err link
        }
        std::vector<int32_t> events;
        for (int32_t code : host.events)
            if (code == 2 || code == 3 || code == 1002)
                events.push_back(code);
        EXPECT_EQ(std::vector<int32_t>{1002}, events);
        if (c.logged)
        {
            EXPECT_NE(std::string::npos, host.log.find(c.logged)) << host.log;
        }
    }
}

TEST_F(LaunchGameTest, TwoVersionsAreLaunchedWithAWarning)
{
    CLaunchScript script(&m_host);
    Run(script, Script("fake", 2));
    EXPECT_TRUE(Has("launchgame => Launch WARNING: More than one version listed in Launch Game...\n"));
    EXPECT_EQ((std::vector<int32_t>{2, 3}), Events());
}

TEST_F(LaunchGameTest, APlugThatDiesEndsTheGame)
{
    // The plug's process goes while the game runs: its calls fail from then on.
    m_host.plug.running = {1, -1};
    CLaunchScript script(&m_host);
    Run(script, Script("fake"));
    ASSERT_NE(nullptr, script.GetLaunchPart());
    EXPECT_TRUE(script.GetLaunchPart()->IsIdle());
    std::vector<std::string> calls = kLaunched;
    calls.insert(calls.end(), {"IsGameRunning", "IsGameRunning:failed", "MakeGame:tetra:0",
                               "PostLaunchGame:failed", "DropGame", "Release"});
    EXPECT_EQ(calls, m_host.calls);
    EXPECT_EQ((std::vector<int32_t>{2, 3}), Events());
    EXPECT_EQ(nullptr, script.GetLaunchPart()->GetRunningPlug());
}

TEST_F(LaunchGameTest, GoingWhileTheGameRunsKillsIt)
{
    m_host.plug.running = std::vector<int32_t>(100, 1);
    {
        CLaunchScript script(&m_host);
        Run(script, Script("fake"), 3);
        ASSERT_NE(nullptr, script.GetLaunchPart());
        EXPECT_NE(nullptr, script.GetLaunchPart()->GetRunningPlug());
        m_host.calls.clear();
    }
    EXPECT_EQ((std::vector<std::string>{"IsGameRunning", "KillGame", "Release"}), m_host.calls);
    EXPECT_EQ((std::vector<int32_t>{2, 3}), Events());

    // A plug that died before: nothing to kill, and the end is not told twice.
    CGameTestHost host;
    host.plug.running = {1};
    host.plug.deadAfterRunning = true;
    {
        CLaunchScript script(&host);
        script.GetVarTank().SetScriptVar("log:console", "1");
        script.Load(Script("fake"), 0, 0, 0);
        script.Step();
        host.calls.clear();
        host.plug.running.clear();
    }
    EXPECT_EQ((std::vector<std::string>{"IsGameRunning:failed", "Release"}), host.calls);
}
