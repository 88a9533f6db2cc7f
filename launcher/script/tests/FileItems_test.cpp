// The items that load scripts, operate on files and on the registry, and the
// launch script's game-definition blocks, run through a launch script.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "LaunchScript.h"
#include "ScriptTestHost.h"
#include "TestHelper.h"
#include "TestFiles.h"

namespace
{
class FileItemsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int serial = 0;
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() /
            ("ludex-items-" + std::to_string(std::random_device{}()) + "-" + std::to_string(++serial));
        std::filesystem::create_directories(dir);
        m_dir = dir.string();
        m_host.simpleItems = true;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    std::string Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(Path(name), std::ios::binary) << text;
        return "file://" + Path(name);
    }
    static std::string Read(const std::string& path) { return FdTestKit::strReadFile(path); }
    // Loads a main script whose OnStart holds the commands, with the named
    // sub-scripts "ok", "err" and "next" that set the variables of their names.
    void Run(CLaunchScript& script, const std::string& commands, int steps = 3)
    {
        script.GetVarTank().SetScriptVar("log:console", "1");
        const std::string launch = "<ludexs.launch><subscript type=\"OnStart\">" + commands + "</subscript>" +
                                   Marker("ok") + Marker("err") + Marker("next") + "</ludexs.launch>";
        ASSERT_EQ(script.Load(Write("main.xml", launch), 0, 0, 0), 1);
        for (int i = 0; i < steps; ++i)
            script.Step();
    }
    static std::string Marker(const std::string& name)
    {
        return "<subscript name=\"" + name + "\"><sscmd name=\"pwdgen\"><pwdgen var=\"" + name +
               "\" nbchars=\"1\"/></sscmd></subscript>";
    }
    static std::string Var(CLaunchScript& script, const std::string& name)
    {
        CStringExt value;
        script.GetVarTank().GetScriptVar(name, value);
        return value;
    }
    static std::string LoadScript(const std::string& attributes, const std::string& links = "")
    {
        return "<sscmd name=\"loadscript\"><script " + attributes + "/>" + links +
               "</sscmd><sscmd name=\"ssjump\"><ssjump to=\"next\" branch=\"y\"/></sscmd>";
    }
    size_t Count(const std::string& text) const
    {
        size_t count = 0;
        for (size_t at = m_host.log.find(text); at != std::string::npos; at = m_host.log.find(text, at + 1))
            ++count;
        return count;
    }

    std::string m_dir;
    CTestHost m_host;
};
} // namespace

TEST_F(FileItemsTest, LoadScriptWaitsForItsSourceThenFollowsOk)
{
    Write("sub.xml", "<ludexs.vardef><var name=\"loaded\">yes</var></ludexs.vardef>");
    CLaunchScript script(&m_host);
    FD_HELPER(Run(script, LoadScript("src=\"sub.xml\"", "<sslinks ok=\"ok\" err=\"err\"/>")));
    EXPECT_EQ(Var(script, "loaded"), "yes");
    EXPECT_NE(m_host.log.find("\t    SRC=sub.xml\n\t    file loaded\n"), std::string::npos) << m_host.log;
    EXPECT_EQ(Var(script, "ok").size(), 1u);
    EXPECT_EQ(Var(script, "err"), "");
    EXPECT_EQ(Var(script, "next").size(), 1u);
    EXPECT_EQ(script.GetLoadCount(), 0u) << "the item collected its source";
}

TEST_F(FileItemsTest, LoadScriptOfARemoteSourceWaitsForTheDownload)
{
    CLaunchScript script(&m_host);
    FD_HELPER(Run(script, LoadScript("src=\"http://127.0.0.1:1/sub.xml\"", "<sslinks ok=\"ok\"/>")));
    ASSERT_EQ(m_host.downloads, (std::vector<std::string>{"http://127.0.0.1:1/sub.xml"}));
    EXPECT_EQ(Var(script, "next"), "") << "the sub-script waits";
    Write("dl.xml", "<ludexs.vardef><var name=\"loaded\">remote</var></ludexs.vardef>");
    script.OnDownloadEnd("http://127.0.0.1:1/sub.xml", Path("dl.xml"), false);
    for (int i = 0; i < 3; ++i)
        script.Step();
    EXPECT_EQ(Var(script, "loaded"), "remote");
    EXPECT_EQ(Var(script, "ok").size(), 1u);
    EXPECT_EQ(Var(script, "next").size(), 1u);
    EXPECT_EQ(script.GetLoadCount(), 0u);
}

TEST_F(FileItemsTest, FailedLoadScriptActsOnce)
{
    // With an "err" link the failure is an error that follows the link once and
    // skips the rest of the sub-script; without one (or with a link to no
    // sub-script) the item is over and the sub-script goes on.
    struct Case
    {
        const char* links;
        bool errRuns;
        bool error;
        const char* missingLink; // the link line logged, or ""
    };
    const Case cases[] = {
        {"<sslinks err=\"err\"/>", true, true, ""},
        {"", false, false, "loadscript => ERROR : Invalid Next SubScript \"Link Map\" Call : err"},
        {"<sslinks ok=\"ok\"/>", false, false,
         "loadscript => ERROR : Invalid Next SubScript \"Link Map\" Call : err"},
        {"<sslinks err=\"nowhere\"/>", false, false,
         "loadscript => ERROR : Invalid Next SubScript Call : nowhere"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.links);
        m_host.log.clear();
        CLaunchScript script(&m_host);
        FD_HELPER(Run(script, LoadScript("src=\"missing.xml\"", c.links)));
        EXPECT_EQ(Count("download ERROR"), 1u);
        EXPECT_EQ(Count("loadscript => ERROR state"), c.error ? 1u : 0u) << m_host.log;
        EXPECT_EQ(Var(script, "err").size(), c.errRuns ? 1u : 0u);
        EXPECT_EQ(Var(script, "ok"), "");
        EXPECT_EQ(Var(script, "next").size(), c.error ? 0u : 1u) << m_host.log;
        if (c.missingLink[0])
        {
            EXPECT_EQ(Count(c.missingLink), 1u) << m_host.log;
        }
        EXPECT_EQ(script.GetLoadCount(), 0u);
    }
}

TEST_F(FileItemsTest, LoadScriptForms)
{
    Write("sub.xml", "<ludexs.vardef><var name=\"loaded\">yes</var></ludexs.vardef>");
    {
        CLaunchScript script(&m_host);
        FD_HELPER(Run(script, LoadScript("src=\"sub.xml\" async=\"true\"", "<sslinks ok=\"ok\"/>")));
        EXPECT_EQ(Var(script, "loaded"), "yes");
        EXPECT_EQ(Var(script, "ok"), "") << "an asynchronous load is over at once";
        EXPECT_EQ(Var(script, "next").size(), 1u);
        EXPECT_EQ(script.GetLoadCount(), 0u);
    }
    {
        CLaunchScript script(&m_host);
        FD_HELPER(Run(script, "<sscmd name=\"loadscript\"/>" + LoadScript("src=\"\"")));
        EXPECT_NE(m_host.log.find("\t    ERROR (wrong syntax)\n"), std::string::npos);
        EXPECT_EQ(Var(script, "next"), "");
    }
    {
        CLaunchScript script(&m_host);
        FD_HELPER(Run(script, LoadScript("src=\"\"")));
        EXPECT_EQ(Var(script, "next").size(), 1u) << "an empty source is refused: over";
    }
}

TEST_F(FileItemsTest, LoadScriptWithALaunchReplacesTheLaunchPart)
{
    std::filesystem::create_directories(Path("sub"));
    Write("sub/second.xml", "<ludexs.launch><subscript type=\"OnStart\"><sscmd name=\"pwdgen\"><pwdgen "
                            "var=\"second\" nbchars=\"2\"/></sscmd></subscript></ludexs.launch>");
    CLaunchScript script(&m_host);
    FD_HELPER(Run(script, LoadScript("src=\"sub/second.xml\"", "<sslinks ok=\"ok\" err=\"err\"/>"), 4));
    EXPECT_EQ(Var(script, "second").size(), 2u);
    EXPECT_EQ(Var(script, "err"), "") << "found by its full address though the base changed";
    EXPECT_EQ(script.GetLoadCount(), 0u);
}

TEST_F(FileItemsTest, FileOps)
{
    Write("a.txt", "port = 2300;\r\nname=Old\r\n");
    Write("exists.txt", "keep");
    const std::string a = Path("a.txt");
    CLaunchScript script(&m_host);
    FD_HELPER(Run(script, "<sscmd name=\"fileop\"><copy src=\"" + a + "\" dest=\"" + Path("b.txt") +
                              "\"/></sscmd>"
                              "<sscmd name=\"fileop\"><valuechange file=\"" +
                              Path("b.txt") +
                              "\" paramname=\"PORT\"> 47624 </valuechange></sscmd>"
                              "<sscmd name=\"fileop\"><TextSubst file=\"" +
                              Path("b.txt") +
                              "\" text=\"old\">&lt;New&gt;</TextSubst></sscmd>"
                              "<sscmd name=\"fileop\"><rename old=\"" +
                              a + "\" new=\"" + Path("c.txt") +
                              "\"/></sscmd>"
                              "<sscmd name=\"fileop\"><delete file=\"" +
                              Path("c.txt") +
                              "\"/></sscmd>"
                              "<sscmd name=\"fileop\"><unknown/></sscmd>"
                              "<sscmd name=\"fileop\"/>"
                              "<sscmd name=\"fileop\"><copy src=\"" +
                              Path("b.txt") + "\" dest=\"" + Path("exists.txt") +
                              "\"/><sslinks err=\"err\"/></sscmd>"
                              "<sscmd name=\"ssjump\"><ssjump to=\"next\"/></sscmd>"));
    EXPECT_EQ(Read(Path("b.txt")), "port = 47624;\r\nname=<New>\r\n");
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_FALSE(std::filesystem::exists(Path("c.txt")));
    // A copy without overwrite onto an existing file fails: the err link.
    EXPECT_EQ(Read(Path("exists.txt")), "keep");
    EXPECT_EQ(Var(script, "err").size(), 1u);
    EXPECT_EQ(Var(script, "next"), "");
    EXPECT_EQ(Count("fileop => ERROR state"), 1u) << m_host.log;
}

TEST_F(FileItemsTest, FileOpDownloadWaitsAndCopies)
{
    CLaunchScript script(&m_host);
    FD_HELPER(Run(script, "<sscmd name=\"fileop\"><download url=\"http://127.0.0.1:1/f.bin\" dest=\"" +
                              Path("f.bin") +
                              "\"/></sscmd><sscmd name=\"ssjump\"><ssjump to=\"next\"/></sscmd>"));
    ASSERT_EQ(m_host.downloads, (std::vector<std::string>{"http://127.0.0.1:1/f.bin"}));
    EXPECT_EQ(Var(script, "next"), "");
    Write("dl.bin", "not xml at all");
    script.OnDownloadEnd("http://127.0.0.1:1/f.bin", Path("dl.bin"), false);
    script.Step();
    EXPECT_EQ(Read(Path("f.bin")), "not xml at all");
    EXPECT_FALSE(std::filesystem::exists(Path("dl.bin"))) << "the downloaded copy is gone";
    EXPECT_EQ(Var(script, "next").size(), 1u);
    EXPECT_EQ(script.GetLoadCount(), 0u);

    // A failed download is an error.
    CLaunchScript failing(&m_host);
    FD_HELPER(Run(failing, "<sscmd name=\"fileop\"><download url=\"http://127.0.0.1:1/g.bin\" dest=\"" +
                               Path("g.bin") + "\"/><sslinks err=\"err\"/></sscmd>"));
    failing.OnDownloadEnd("http://127.0.0.1:1/g.bin", "", true);
    failing.Step();
    failing.Step();
    EXPECT_FALSE(std::filesystem::exists(Path("g.bin")));
    EXPECT_EQ(Var(failing, "err").size(), 1u);
}

TEST_F(FileItemsTest, RegOp)
{
    m_host.registry["HKCU\\Software\\Game|port"] = "2300";
    CLaunchScript script(&m_host);
    FD_HELPER(
        Run(script,
            "<sscmd name=\"regop\"><regset key=\"HKCU/Software/Zelto\" valname=\"n\" valtype=\"dword\" "
            "val=\"12\"/></sscmd>"
            "<sscmd name=\"regop\"><regset key=\"HKCU\\Software\\Zelto\" valname=\"s\" valtype=\"S\" "
            "val=\"text\"/></sscmd>"
            "<sscmd name=\"regop\"><RegSet key=\"HKLM/x\" valname=\"b\" valtype=\"B\" val=\"1\"/></sscmd>"
            "<sscmd name=\"regop\"><regset key=\"HKLM/x\" valname=\"b2\" valtype=\"b\" val=\"1\"/></sscmd>"
            "<sscmd name=\"regop\"><regget key=\"HKCU/Software/Game\" valname=\"port\" var=\"port\" "
            "valdef=\"none\"/></sscmd>"
            "<sscmd name=\"regop\"><regget key=\"HKCU/Software/Game\" valname=\"gone\" var=\"gone\" "
            "valdef=\"none\"/></sscmd>"
            "<sscmd name=\"regop\"><regdel key=\"HKCU/Software/Game\"/></sscmd>"
            "<sscmd name=\"ssjump\"><ssjump to=\"next\"/></sscmd>"));
    EXPECT_EQ(m_host.regWrites,
              (std::vector<std::string>{"HKCU\\Software\\Zelto|n|12|4", "HKCU\\Software\\Zelto|s|text|1",
                                        "HKLM\\x|b|1|3", "HKLM\\x|b2|1|1"}));
    EXPECT_EQ(Var(script, "port"), "2300");
    EXPECT_EQ(Var(script, "gone"), "none");
    EXPECT_EQ(Var(script, "next").size(), 1u);
}

TEST_F(FileItemsTest, GameDefinitionBlocksServeTheSources)
{
    Write("defs.xml", "<ludexs.gdef><game xmlns=\"g.def\" gid=\"42\"><gname>Tetra</gname>"
                      "<version vnbr=\"1.0\"/></game><game xmlns=\"g.def\" gid=\"43\"/></ludexs.gdef>");
    Write("compat.xml", "<LUDEXS.GCOMP><game xmlns=\"g.compat.ref\" gid=\"7\"/><game xmlns=\"g.def\" "
                        "gid=\"8\"/></LUDEXS.GCOMP>");
    Write("none.xml", "<ludexs.vardef><var name=\"x\">1</var></ludexs.vardef>");
    Write("file.xml", "<ludexs.gdef>file://" + Path("defs.xml") + "</ludexs.gdef>");
    CLaunchScript script(&m_host);
    FD_HELPER(Run(script, ""));
    struct Case
    {
        const char* name;
        bool failed;
        const char* kind;
        int32_t games;
    };
    const Case cases[] = {{"defs.xml", false, "ludexs.gdef", 2},
                          {"compat.xml", false, "ludexs.gcomp", 1},
                          {"none.xml", true, "", -1},
                          {"missing.xml", true, "", -1},
                          // A block is text, never an address to read from.
                          {"file.xml", false, "ludexs.gdef", 0}};
    for (const Case& c : cases)
    {
        script.LoadSource(c.name, 1);
        bool failed = !c.failed;
        CStringExt kind = "sentinel";
        const std::unique_ptr<CZeltoGameList> games = script.TakeSourceGames(c.name, failed, kind);
        EXPECT_EQ(failed, c.failed) << c.name;
        EXPECT_EQ(kind, c.kind) << c.name;
        EXPECT_EQ(games ? games->Count() : -1, c.games) << c.name;
        EXPECT_EQ(script.GetLoadCount(), 0u) << c.name;
    }
    bool failed = false;
    CStringExt kind;
    EXPECT_EQ(script.TakeSourceGames("defs.xml", failed, kind), nullptr);
    EXPECT_TRUE(failed) << "no such load";

    script.LoadSource("http://127.0.0.1:1/defs.xml", 1);
    failed = true;
    EXPECT_EQ(script.TakeSourceGames("http://127.0.0.1:1/defs.xml", failed, kind), nullptr);
    EXPECT_FALSE(failed) << "still loading";
    script.OnDownloadEnd("http://127.0.0.1:1/defs.xml", Path("defs.xml"), false);
    const std::unique_ptr<CZeltoGameList> games =
        script.TakeSourceGames("http://127.0.0.1:1/defs.xml", failed, kind);
    ASSERT_NE(games, nullptr);
    EXPECT_EQ(games->GetAt(0)->name, "Tetra");
}
