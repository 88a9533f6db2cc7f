#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <fstream>
#include <string>

#include "LaunchScript.h"
#include "ScriptTestHost.h"

namespace
{
class LaunchScriptTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int serial = 0;
        const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                          ("ludex-script-" + std::to_string(std::random_device{}()) + "-" +
                                           std::to_string(++serial));
        std::filesystem::create_directories(dir);
        m_dir = dir.string();
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    // Writes a file of the test folder and returns its "file://" url.
    std::string Write(const std::string& name, const std::string& text)
    {
        std::ofstream(m_dir + "/" + name, std::ios::binary) << text;
        return "file://" + m_dir + "/" + name;
    }

    std::string Var(CLaunchScript& script, const std::string& name)
    {
        CStringExt value;
        script.GetVarTank().GetScriptVar(name, value);
        return value;
    }

    std::string m_dir;
    CTestHost m_host;
};

const char kLaunch[] = "<ludexs.launch><subscript type=\"OnStart\"><sscmd name=\"quit\" id=\"[%v%]\"/>"
                       "</subscript><subscript name=\"cmd\"><sscmd name=\"quit\" id=\"cmd\"/></subscript>"
                       "</ludexs.launch>";
} // namespace

TEST_F(LaunchScriptTest, TopLevelTags)
{
    CLaunchScript script(&m_host);
    const std::string url =
        Write("main.xml", "<Ludexs.VarDef><var name=\"v\">one</var></Ludexs.VarDef>"
                          "<ludexs.itemtank context=\"game\"><server val=\"10.0.0.1\"/></ludexs.itemtank>" +
                              std::string(kLaunch));
    EXPECT_EQ(script.Load(url, 0, 0, 0), 1);
    EXPECT_EQ(Var(script, "v"), "one");
    CStringExt value;
    EXPECT_EQ(script.GetItemTank().Lookup("server", "game", value), 1);
    ASSERT_NE(script.GetLaunchPart(), nullptr);
    EXPECT_EQ(script.GetLoadCount(), 0u);
    EXPECT_EQ(m_host.progress, (std::vector<bool>{true, false}));
    script.Step();
    script.OnCommand("cmd");
    script.Step();
    EXPECT_EQ(m_host.ran, (std::vector<std::string>{"quit:one", "quit:cmd"}));
}

TEST_F(LaunchScriptTest, CommandsBeforeTheLaunchRunOnceInOrder)
{
    CLaunchScript script(&m_host);
    script.OnCommand("cmd");
    script.OnCommand("nosuch");
    script.OnCommand("cmd");
    ASSERT_EQ(script.Load(Write("main.xml", kLaunch), 0, 0, 0), 1);
    for (int i = 0; i < 4; ++i)
        script.Step();
    EXPECT_EQ(m_host.ran, (std::vector<std::string>{"quit:", "quit:cmd", "quit:cmd"}));
}

TEST_F(LaunchScriptTest, LocalInclude)
{
    Write("more.xml", "<ludexs.vardef><var name=\"v\">from-more</var></ludexs.vardef>");
    CLaunchScript script(&m_host);
    ASSERT_EQ(script.Load(Write("main.xml", "<ludexs.include src=\"more.xml\"/>" + std::string(kLaunch)), 0, 0, 0),
              1);
    EXPECT_EQ(Var(script, "v"), "from-more");
    EXPECT_EQ(script.GetLoadCount(), 0u);
    script.Step();
    EXPECT_EQ(m_host.ran, (std::vector<std::string>{"quit:from-more"}));
}

TEST_F(LaunchScriptTest, RemoteIncludeHoldsTheSteps)
{
    CLaunchScript script(&m_host);
    ASSERT_EQ(script.Load(Write("main.xml", std::string(kLaunch) +
                                                "<ludexs.include src=\"http://127.0.0.1:1/more.xml\" async=\"1\"/>"),
                          0, 0, 0),
              1);
    ASSERT_EQ(m_host.downloads, (std::vector<std::string>{"http://127.0.0.1:1/more.xml"}));
    EXPECT_EQ(script.GetLoadCount(), 1u);
    script.Step();
    EXPECT_TRUE(m_host.ran.empty());
    // A download end no load waits for is ignored.
    script.OnDownloadEnd("http://127.0.0.1:1/other.xml", Write("other.xml", "<x/>"), false);
    EXPECT_EQ(script.GetLoadCount(), 1u);
    const std::string path = m_dir + "/dl.xml";
    Write("dl.xml", "<ludexs.vardef><var name=\"late\">1</var></ludexs.vardef>");
    script.OnDownloadEnd("127.0.0.1:1/more.xml", path, false);
    EXPECT_EQ(Var(script, "late"), "1");
    EXPECT_EQ(script.GetLoadCount(), 0u);
    // The downloaded copy goes with its record.
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);
    script.Step();
    EXPECT_EQ(m_host.ran.size(), 1u);
    // The same download end again matches nothing.
    script.OnDownloadEnd("http://127.0.0.1:1/more.xml", path, false);
}

TEST_F(LaunchScriptTest, FailedIncludeDownloadEndsItsRecord)
{
    CLaunchScript script(&m_host);
    ASSERT_EQ(script.Load(Write("main.xml", std::string(kLaunch) + "<ludexs.include src=\"http://127.0.0.1:1/x\"/>"),
                          0, 0, 0),
              1);
    script.OnDownloadEnd("http://127.0.0.1:1/x", "", true);
    EXPECT_EQ(script.GetLoadCount(), 0u);
    script.Step();
    EXPECT_EQ(m_host.ran.size(), 1u);
    EXPECT_EQ(m_host.endRequests, 0);
}

TEST_F(LaunchScriptTest, IncludeCycleIsRefused)
{
    Write("a.xml", "<ludexs.include src=\"b.xml\"/><ludexs.vardef><var name=\"a\">1</var></ludexs.vardef>");
    Write("b.xml", "<ludexs.include src=\"a.xml\"/><ludexs.vardef><var name=\"b\">1</var></ludexs.vardef>");
    CLaunchScript script(&m_host);
    script.Context().vars.SetScriptVar("log:console", "1");
    script.Load("file://" + m_dir + "/a.xml", 0, 0, 0);
    EXPECT_EQ(Var(script, "a"), "1");
    EXPECT_EQ(Var(script, "b"), "1");
    EXPECT_NE(m_host.log.find("Include refused (cycle) : "), std::string::npos);
    EXPECT_EQ(script.GetLoadCount(), 0u);
    // No launch part was there: an empty one tells the page once.
    EXPECT_EQ(m_host.events, (std::vector<int32_t>{5, 1001}));
}

TEST_F(LaunchScriptTest, AsyncWords)
{
    struct Case
    {
        const char* async;
        bool kept; // a synchronous include keeps its record (keep 1) until it is done
    };
    const Case cases[] = {{"Y", false}, {"t", false}, {"1", false}, {"yes", true}, {"0", true}, {"", true}};
    for (const Case& c : cases)
    {
        CLaunchScript script(&m_host);
        ASSERT_EQ(script.Load(Write("m.xml", "<ludexs.include src=\"http://127.0.0.1:1/i\" async=\"" +
                                                 std::string(c.async) + "\"/>"),
                              0, 0, 0),
                  1);
        script.OnDownloadEnd("http://127.0.0.1:1/i", "", true);
        EXPECT_EQ(script.GetLoadCount(), 0u) << c.async; // includes go when done, either way
    }
}

TEST_F(LaunchScriptTest, FailedLoads)
{
    {
        CLaunchScript script(&m_host);
        EXPECT_EQ(script.Load(Write("none.xml", "<ludexs.vardef/>"), 0, 0, 0), 1);
        EXPECT_EQ(script.GetLaunchPart(), nullptr);
    }
    m_host.events.clear();
    {
        CLaunchScript script(&m_host);
        EXPECT_EQ(script.Load("file://" + m_dir + "/missing.xml", 0, 0, 0), 0);
        ASSERT_NE(script.GetLaunchPart(), nullptr);
        EXPECT_FALSE(script.IsLaunchStarted());
    }
    EXPECT_EQ(m_host.events, (std::vector<int32_t>{5, 1001, 4}));
    m_host.events.clear();
    {
        CLaunchScript script(&m_host);
        EXPECT_EQ(script.Load("http://127.0.0.1:1/main.xml", 0, 0, 0), 0);
        EXPECT_EQ(script.GetLoadCount(), 1u);
        script.OnDownloadEnd("http://127.0.0.1:1/main.xml", "", true);
        EXPECT_EQ(m_host.endRequests, 1);
        EXPECT_EQ(script.GetLoadCount(), 0u);
    }
    EXPECT_EQ(m_host.events, (std::vector<int32_t>{5, 1001, 4}));
}

TEST_F(LaunchScriptTest, Sources)
{
    CLaunchScript script(&m_host);
    ASSERT_EQ(script.Load(Write("main.xml", kLaunch), 0, 0, 0), 1);
    Write("data.bin", "x");
    EXPECT_EQ(script.LoadSourceKept("data.bin"), 1);
    bool failed = true;
    EXPECT_EQ(script.SourceStatus("data.bin", failed), 1);
    EXPECT_FALSE(failed);
    CStringExt path;
    EXPECT_EQ(script.TakeSource("data.bin", path, failed), 1);
    EXPECT_NE(path.find("data.bin"), std::string::npos);
    EXPECT_EQ(script.SourceStatus("data.bin", failed), 1);
    EXPECT_TRUE(failed);
    EXPECT_EQ(script.LoadSourceKept("nothere.bin"), 1);
    EXPECT_EQ(script.SourceStatus("nothere.bin", failed), 1);
    EXPECT_TRUE(failed);
    script.FreeSource("nothere.bin");
    EXPECT_EQ(script.GetLoadCount(), 0u);
}
