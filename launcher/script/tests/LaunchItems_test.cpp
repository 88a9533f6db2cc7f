// launchinfo and launchinit run by a launch script against a scripted platform:
// local games kept in memory, plugs that mark what they find, a scripted choice.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "GameDefinitions.h"
#include "LaunchItems.h"
#include "LaunchScript.h"
#include "ScriptTestHost.h"
#include "SimpleItems.h"

namespace
{
class CLaunchTestHost : public CTestHost, public ILaunchHost
{
public:
    std::unique_ptr<CScriptItem> NewItem(const std::string& keyword) override
    {
        if (std::unique_ptr<CScriptItem> item = NewLaunchItem(keyword))
            return item;
        return NewSimpleItem(keyword);
    }
    void NotifyEventText(int32_t code, const std::string& custom) override
    {
        NotifyEvent(code);
        texts.push_back(std::to_string(code) + "|" + custom);
    }
    ILaunchHost* LaunchHost() override { return this; }
    // The answers in turn, then answer.
    int32_t ShowMessageBox(const std::string& text, const std::string& title, uint32_t style) override
    {
        const int32_t given = CTestHost::ShowMessageBox(text, title, style);
        if (answers.empty())
            return given;
        const int32_t next = answers.front();
        answers.erase(answers.begin());
        return next;
    }
    std::vector<int32_t> answers;

    bool RunPlugOnGameList(CPlugSite& site, CScriptItem* item, const std::string& technoid,
                           CZeltoGameList& list, bool update, int32_t& result) override
    {
        plugCalls.push_back((update ? "update:" : "check:") + technoid + ":" + std::to_string(list.Count()));
        if (technoid != "fake")
            return false;
        site.callback = item;
        site.plugName = technoid;
        result = update ? updateResult : 0;
        for (int32_t g = 0; g < list.Count(); ++g)
            for (int32_t v = 0; v < list.GetAt(g)->versions->Count(); ++v)
            {
                CZeltoGameVersion* version = list.GetAt(g)->versions->GetAt(v);
                if (update)
                    for (int i = 1; i <= volumes; ++i)
                        version->CreateVolume("inst" + std::to_string(i))
                            ->pairs.SetAt("path", "C:\\g" + std::to_string(i));
                else
                    version->contextData.localInstallStatus = version->VolumeCount() > 0 ? 1 : -1;
            }
        return true;
    }
    std::unique_ptr<CZeltoGameList> LoadLocalGames() override
    {
        return local ? local->Copy() : std::make_unique<CZeltoGameList>();
    }
    bool SaveLocalGames(const CZeltoGameList& list) override
    {
        local = list.Copy();
        ++saves;
        return true;
    }
    bool ChooseGame(CZeltoGameList& list, SGameChoice& choice) override
    {
        choices.push_back(std::to_string(list.Count()));
        if (!chooseOk)
            return false;
        choice.version = list.GetAt(0)->versions->GetAt(0);
        choice.volume = chooseVolume;
        return true;
    }

    std::unique_ptr<CZeltoGameList> local;
    int saves = 0;
    int volumes = 1;
    int32_t updateResult = 0;
    bool chooseOk = true;
    std::string chooseVolume;
    std::vector<std::string> plugCalls;
    std::vector<std::string> choices;
    std::vector<std::string> texts;
};

const char kDefinitions[] =
    "<ludexs.gdef><game xmlns=\"g.def\" gid=\"tetra\" technoid=\"fake\"><gname>Tetra</gname>"
    "<version vnbr=\"1.5\" vid=\"v15\"><vname>Tetra 1.5</vname>LMESS</version></game>"
    "</ludexs.gdef>";

class LaunchItemsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int serial = 0;
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() /
            ("ludex-launch-" + std::to_string(std::random_device{}()) + "-" + std::to_string(++serial));
        std::filesystem::create_directories(dir);
        m_dir = dir.string();
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    std::string Write(const std::string& name, const std::string& text)
    {
        std::ofstream(m_dir + "/" + name, std::ios::binary) << text;
        return "file://" + m_dir + "/" + name;
    }

    // A launch script: launchinfo with the verb part, launchinit with the options,
    // sub-scripts ok and nok that note themselves.
    std::string Script(const std::string& verb, const std::string& options, const std::string& lmess = "",
                       std::string defUrl = "")
    {
        std::string defs = kDefinitions;
        defs.replace(defs.find("LMESS"), 5, lmess);
        const std::string localUrl = Write("defs.xml", defs);
        if (defUrl.empty())
            defUrl = localUrl;
        return Write(
            "main.xml",
            "<ludexs.launch><subscript type=\"OnStart\">"
            "<sscmd name=\"launchinfo\"><launchinfo><launchgame><game xmlns=\"g.launch\" gid=\"tetra\">"
            "<gscripts definition=\"" +
                defUrl + "\"/></game></launchgame>" + verb +
                "<deflverb verb=\"JOIN\" lmode=\"compat\"/></launchinfo></sscmd>"
                "<sscmd name=\"launchinit\"><launchinit>" +
                options +
                "<uploads lmode=\"s\"><uplvar name=\"lgame.gid\" sendas=\"g\"/><uplvar name=\"q\"/>"
                "<uplvar name=\"none\" sendempty=\"y\"/><uplvar name=\"skipped\"/></uploads>"
                "<uploads lmode=\"c\"><uplvar name=\"lgame.gid\" sendas=\"compat\"/></uploads>"
                "</launchinit><sslinks ok=\"ok\" nok=\"nok\"/></sscmd></subscript>"
                "<subscript name=\"ok\"><sscmd name=\"pwdgen\"><pwdgen var=\"ran.ok\" "
                "nbchars=\"1\"/></sscmd></subscript>"
                "<subscript name=\"nok\"><sscmd name=\"pwdgen\"><pwdgen var=\"ran.nok\" "
                "nbchars=\"1\"/></sscmd></subscript>"
                "</ludexs.launch>");
    }

    // Loads and steps the script until it is idle.
    void Run(CLaunchScript& script, const std::string& url)
    {
        script.GetVarTank().SetScriptVar("log:console", "1");
        script.GetVarTank().SetScriptVar("q", "a\"b");
        script.Load(url, 0, 0, 0);
        for (int i = 0; i < 10 && script.GetLaunchPart() && !script.GetLaunchPart()->IsIdle(); ++i)
            script.Step();
    }
    bool Has(const std::string& text) const { return m_host.log.find(text) != std::string::npos; }
    std::string Var(CLaunchScript& script, const std::string& name)
    {
        CStringExt value;
        script.GetVarTank().GetScriptVar(name, value);
        return value;
    }
    // The states launchinit went through, as its log gives them.
    std::string States() const
    {
        std::string states = "0";
        const std::string synch = "launchinit New State (synch): [==>";
        const std::string transit = "launchinit => New State (TransitProc) : ";
        for (size_t at = 0;;)
        {
            const size_t a = m_host.log.find(synch, at);
            const size_t b = m_host.log.find(transit, at);
            if (a == std::string::npos && b == std::string::npos)
                return states;
            const size_t from = a < b ? a + synch.size() : b + transit.size();
            const size_t to = m_host.log.find_first_not_of("0123456789", from);
            states += ">" + m_host.log.substr(from, to - from);
            at = to;
        }
    }

    std::string m_dir;
    CLaunchTestHost m_host;
};

const char kStraight[] = "<setlverb verb=\"play\" lmode=\"straight\"/>";
} // namespace

TEST_F(LaunchItemsTest, LaunchModeWords)
{
    struct
    {
        const char* verb;
        int32_t mode;
        const char* lverb;
    } cases[] = {
        {"<setlverb verb=\"join\"/>", 2, "join"},
        {"<setlverb verb=\"x\" lmode=\"Straight\"/>", 1, "x"},
        {"<setlverb verb=\"y\" lmode=\"x\"/>", 0, "y"},
        {"<setlverb verb=\"undeclared\"/>", 0, ""},
    };
    for (const auto& c : cases)
    {
        CLaunchTestHost host;
        CLaunchScript script(&host);
        script.GetVarTank().SetScriptVar("log:console", "1");
        script.Load(Script(c.verb, ""), 0, 0, 0);
        script.Step();
        ASSERT_NE(nullptr, script.GetLaunchPart()) << c.verb;
        CStringExt verb;
        EXPECT_EQ(c.mode, script.GetLaunchPart()->GetLaunchMode(verb)) << c.verb;
        EXPECT_EQ(c.lverb, verb) << c.verb;
        ASSERT_NE(nullptr, script.GetLaunchPart()->GetCurrentGame());
        EXPECT_EQ("tetra", script.GetLaunchPart()->GetCurrentGame()->id);
        if (c.mode == 0)
        {
            EXPECT_NE(std::string::npos, host.log.find("ERROR : LauchType/LaunchVerb not defined")) << c.verb;
        }
    }
}

TEST_F(LaunchItemsTest, FromAnEmptyCatalogueToTheLaunchGame)
{
    CLaunchScript script(&m_host);
    Run(script, Script(kStraight, ""));
    EXPECT_TRUE(m_host.boxes.empty()) << "no prompt: no question";
    EXPECT_TRUE(Has("Empty Candidate GL (no games defined on local machine)"));
    EXPECT_EQ("0>2>3>6>2>7>9>100", States());
    EXPECT_EQ((std::vector<std::string>{"update:fake:1", "check:fake:1"}), m_host.plugCalls);
    // The definitions, with what the plug found, merged and saved.
    ASSERT_EQ(1, m_host.saves);
    ASSERT_EQ(1, m_host.local->Count());
    EXPECT_EQ(1, m_host.local->GetAt(0)->versions->GetAt(0)->VolumeCount());
    // The launch game is the installed version, the variables and the upload string follow it.
    const CZeltoGame* game = script.GetLaunchPart()->GetCurrentGame();
    ASSERT_NE(nullptr, game);
    EXPECT_EQ("Tetra", game->name);
    EXPECT_EQ("tetra", Var(script, "lgame.gid"));
    EXPECT_EQ("Tetra 1.5", Var(script, "lgame.vname"));
    EXPECT_EQ("", Var(script, "lgame.gsub")) << "empty values are not set";
    EXPECT_EQ((std::vector<std::string>{"1|g=\"tetra\" q=\"a&quot;b\" none=\"\" "}), m_host.texts);
    EXPECT_TRUE(Has("Crafted Data Upload string : 31 chars"));
    EXPECT_EQ("1", std::to_string(Var(script, "ran.ok").size())) << "the ok sub-script ran";
    EXPECT_EQ("", Var(script, "ran.nok"));
    EXPECT_EQ(nullptr, script.GetLaunchPart()->GetCandidateGames());
    EXPECT_EQ(0u, script.GetLoadCount()) << "the definition script's record is collected";

    // A second run finds the game in the catalogue: no download.
    m_host.log.clear();
    m_host.plugCalls.clear();
    CLaunchScript again(&m_host);
    Run(again, Script(kStraight, ""));
    EXPECT_EQ("0>2>7>9>100", States());
    EXPECT_EQ((std::vector<std::string>{"check:fake:1"}), m_host.plugCalls);
}

TEST_F(LaunchItemsTest, NothingFoundEndsWithoutAGame)
{
    // Without searchopt, without loop, with loop and a second prompt.
    struct
    {
        const char* options;
        std::vector<std::string> boxes;
    } cases[] = {
        {"", {}},
        {"<searchopt><promptmess>Search?</promptmess></searchopt>", {"Ludex|Search?|262177"}},
        {"<searchopt loop=\"y\"><prompttitle>T</prompttitle><promptmess>Search?</promptmess>"
         "<prompttitle2>T2</prompttitle2><promptmess2>Again?</promptmess2></searchopt>",
         {"T|Search?|262177", "T2|Again?|262181"}},
    };
    for (const auto& c : cases)
    {
        CLaunchTestHost host;
        host.volumes = 0;
        // With loop the user decides: OK, then Cancel to the retry question.
        host.answers = {1, 2};
        CLaunchScript script(&host);
        script.GetVarTank().SetScriptVar("log:console", "1");
        script.Load(Script(kStraight, c.options), 0, 0, 0);
        script.Step();
        EXPECT_EQ(c.boxes, host.boxes) << c.options;
        EXPECT_EQ(1, host.saves) << c.options;
        EXPECT_EQ(1001, host.events.empty() ? 0 : host.events.back()) << c.options;
        EXPECT_EQ(1u, Var(script, "ran.nok").size()) << c.options;
        EXPECT_EQ("", Var(script, "lgame.gid")) << c.options;
    }
}

TEST_F(LaunchItemsTest, CancelAtTheFirstPrompt)
{
    m_host.answer = 2; // IDCANCEL
    CLaunchScript script(&m_host);
    Run(script, Script(kStraight, "<searchopt><promptmess>Search?</promptmess></searchopt>"));
    EXPECT_EQ(1u, m_host.boxes.size());
    EXPECT_TRUE(m_host.plugCalls.empty());
    EXPECT_EQ(0, m_host.saves);
    EXPECT_EQ(1001, m_host.events.back());
    EXPECT_EQ(1u, Var(script, "ran.nok").size());
    EXPECT_EQ("0>2>3>101", States());
}

TEST_F(LaunchItemsTest, TwoVolumesOfOneVersionAreChosenFrom)
{
    m_host.volumes = 2;
    m_host.chooseVolume = "INST2";
    CLaunchScript script(&m_host);
    Run(script, Script(kStraight, ""));
    EXPECT_EQ((std::vector<std::string>{"1"}), m_host.choices) << "the only version opens the choice";
    EXPECT_EQ("0>2>3>6>2>7>9>100", States());
    const CZeltoGame* game = script.GetLaunchPart()->GetCurrentGame();
    ASSERT_NE(nullptr, game);
    ASSERT_EQ(1, game->versions->Count());
    ASSERT_EQ(1, game->versions->GetAt(0)->VolumeCount()) << "the other volume is dropped";
    EXPECT_EQ("inst2", game->versions->GetAt(0)->volumes[0]->name);
}

TEST_F(LaunchItemsTest, EndsWithoutAGame)
{
    // A cancelled choice, a cancelled plug search, a cancelled launch message.
    struct
    {
        const char* name;
        int volumes;
        bool chooseOk;
        int32_t updateResult;
        const char* lmess;
        int32_t answer;
        const char* states;
    } cases[] = {
        {"choice", 2, false, 0, "", 1, "0>2>3>6>2>7>101"},
        {"search", 1, true, 2, "", 1, "0>2>3>6>101"},
        {"message", 1, true, 0, "<lmess title=\"Note\" butts=\"okcancel\">Go?</lmess>", 2,
         "0>2>3>6>2>7>9>101"},
    };
    for (const auto& c : cases)
    {
        CLaunchTestHost host;
        host.volumes = c.volumes;
        host.chooseOk = c.chooseOk;
        host.updateResult = c.updateResult;
        host.answer = c.answer;
        CLaunchScript script(&host);
        script.GetVarTank().SetScriptVar("log:console", "1");
        script.Load(Script(kStraight, "", c.lmess), 0, 0, 0);
        script.Step();
        std::swap(m_host.log, host.log);
        EXPECT_EQ(c.states, States()) << c.name;
        std::swap(m_host.log, host.log);
        EXPECT_EQ(1001, host.events.back()) << c.name;
        EXPECT_EQ(1u, Var(script, "ran.nok").size()) << c.name;
        EXPECT_EQ("", Var(script, "lgame.gid")) << c.name;
    }
}

// A launch that ends while launchinit waits for the definitions closes the
// progress window that the download opened.
TEST_F(LaunchItemsTest, ALaunchEndedDuringTheDownloadClosesTheProgressWindow)
{
    const std::string url = "http://127.0.0.1:9/defs.xml";
    CLaunchTestHost host;
    CLaunchScript script(&host);
    script.Load(Script(kStraight, "", "", url), 0, 0, 0);
    script.Step();
    ASSERT_EQ((std::vector<std::string>{url}), host.downloads);
    ASSERT_FALSE(host.progress.empty());
    ASSERT_TRUE(host.progress.back());
    script.EndLaunchPart();
    EXPECT_FALSE(host.progress.back()) << "the progress window closes";
}

TEST_F(LaunchItemsTest, UploadValuesAreEscaped)
{
    EXPECT_EQ("a&quot;b&amp;&lt;c&gt;", EscapeUploadValue("a\"b&<c>"));
    EXPECT_EQ("plain", EscapeUploadValue("plain"));
}

TEST_F(LaunchItemsTest, DefinitionsDownloadedThroughTheHost)
{
    const std::string url = "http://127.0.0.1:9/defs.xml";
    for (const bool error : {false, true})
    {
        CLaunchTestHost host;
        CLaunchScript script(&host);
        script.GetVarTank().SetScriptVar("log:console", "1");
        script.Load(Script(kStraight, "", "", url), 0, 0, 0);
        script.Step();
        ASSERT_EQ((std::vector<std::string>{url}), host.downloads) << error;
        EXPECT_EQ((std::vector<bool>{true}), std::vector<bool>(host.progress.end() - 1, host.progress.end()));
        script.Step(); // still waiting
        EXPECT_TRUE(host.plugCalls.empty());
        // The host's copy of the download, handed back as the plug-in does.
        const std::string file = m_dir + "/download.xml";
        Write("download.xml", kDefinitions);
        script.OnDownloadEnd(url, file, error);
        for (int i = 0; i < 5; ++i)
            script.Step();
        if (error)
        {
            EXPECT_NE(std::string::npos,
                      host.log.find("Definition Game List construction FAILED! (Download Error?)"));
            // The failure is said: the launch ends with "no game" (1001).
            ASSERT_FALSE(host.events.empty());
            EXPECT_EQ(1001, host.events.back());
            EXPECT_TRUE(host.plugCalls.empty());
            EXPECT_EQ("", Var(script, "lgame.gid"));
        }
        else
        {
            EXPECT_EQ((std::vector<std::string>{"update:fake:1", "check:fake:1"}), host.plugCalls);
            EXPECT_EQ("tetra", Var(script, "lgame.gid"));
        }
        EXPECT_FALSE(host.progress.back()) << "the progress window closes";
        EXPECT_EQ(0u, script.GetLoadCount()) << error;
    }
}
