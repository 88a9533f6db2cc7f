#include <gtest/gtest.h>

#include <string>

#include "LaunchPart.h"
#include "ScriptTestHost.h"

namespace
{
std::string Named(const std::string& name, const std::string& extra, const std::string& commands)
{
    return "<subscript name=\"" + name + "\" " + extra + ">" + commands + "</subscript>";
}
} // namespace

TEST(LaunchPart, PrioritiesKeepArrivalOrder)
{
    CTestScript script;
    CLaunchPart part(&script.context);
    ASSERT_EQ(part.Start(Named("a", "", "<sscmd name=\"quit\" id=\"a\"/>") +
                         Named("b", "", "<sscmd name=\"quit\" id=\"b\"/>") +
                         Named("c", "", "<sscmd name=\"quit\" id=\"c\"/>")),
              1);
    EXPECT_EQ(part.Queue(kSubScriptNamed, "a", 0), 1);
    EXPECT_EQ(part.Queue(kSubScriptNamed, "b", 0x7FFFFFFF), 1);
    EXPECT_EQ(part.Queue(kSubScriptNamed, "c", 0), 1);
    EXPECT_EQ(part.Queue(kSubScriptNamed, "nosuch", 0), 0);
    part.Step(0);
    EXPECT_EQ(script.host.ran, (std::vector<std::string>{"quit:a", "quit:c", "quit:b"}));
}

TEST(LaunchPart, BlockingHoldsTheQueue)
{
    struct Case
    {
        const char* blocking;
        bool blocks;
    };
    const Case cases[] = {{"", true}, {"blocking=\"y\"", true}, {"blocking=\"Y\"", true}, {"blocking=\"1\"", true},
                          {"blocking=\"yes\"", false}, {"blocking=\"n\"", false}, {"blocking=\"true\"", false}};
    for (const Case& c : cases)
    {
        CTestScript script;
        CLaunchPart part(&script.context);
        ASSERT_EQ(part.Start(Named("wait", c.blocking, "<sscmd name=\"quit\" id=\"w\" steps=\"0\"/>") +
                             Named("next", "", "<sscmd name=\"quit\" id=\"n\"/>")),
                  1);
        part.Queue(kSubScriptNamed, "wait", 0);
        part.Queue(kSubScriptNamed, "next", 0);
        part.Step(0);
        part.Step(1);
        EXPECT_EQ(script.host.ran.size(), c.blocks ? 1u : 2u) << c.blocking;
        EXPECT_FALSE(part.IsIdle());
    }
}

TEST(LaunchPart, SsifConditions)
{
    struct Case
    {
        const char* attributes;
        bool holds;
    };
    const Case cases[] = {
        {"var=\"x\" eq=\"abc\"", true},          {"var=\"x\" eq=\"abd\"", false},
        {"var=\"x\" neq=\"abc\"", false},        {"var=\"x\" neq=\"z\"", true},
        {"var=\"x\" fits=\"a*\"", true},         {"var=\"x\" fits=\"b*\"", false},
        {"var=\"x\" nfits=\"*C\"", false},       {"var=\"x\" nfits=\"*d\"", true},
        {"var=\"x\" exists", true},              {"var=\"u\" exists", false},
        {"var=\"x\" nexists", false},            {"var=\"u\" nexists", true},
        {"var=\"u\" isempty", true},             {"var=\"x\" isempty", false},
        {"var=\"x\" nisempty", true},            {"var=\"u\" nisempty", false},
        {"var=\"X\" exists", false}, // names are case-sensitive
        {"lverb=\"play*\"", true},               {"lverb=\"watch\"", false},
        {"lmode=\"Compat\"", true},              {"lmode=\"c\"", true},
        {"lmode=\"straight\"", false},           {"lmode=\"\"", false},
        {"var=\"x\" eq=\"abc\" nexists", false}, {"", true},
    };
    CTestScript script;
    script.context.vars.SetScriptVar("x", "ABC");
    CLaunchPart part(&script.context);
    part.SetLaunchMode(kLaunchModeCompat, "play");
    for (const Case& c : cases)
        EXPECT_EQ(part.ConditionHolds(c.attributes), c.holds) << c.attributes;
    EXPECT_EQ(LaunchModeOfWord("Straight"), kLaunchModeStraight);
    EXPECT_EQ(LaunchModeOfWord("x"), kLaunchModeNone);
}

TEST(LaunchPart, SsifKeepsOrDropsCommandsAndSubScripts)
{
    CTestScript script;
    script.context.vars.SetScriptVar("x", "1");
    CLaunchPart part(&script.context);
    ASSERT_EQ(part.Start("<subscript type=\"OnStart\">"
                         "<ssif var=\"x\" eq=\"1\"><sscmd name=\"quit\" id=\"kept\"/></ssif>"
                         "<ssif var=\"x\" eq=\"2\"><sscmd name=\"quit\" id=\"dropped\"/></ssif>"
                         "</subscript>"
                         "<ssif var=\"x\" nexists>" +
                         Named("gone", "", "") + "</ssif><ssif var=\"x\" exists>" + Named("here", "", "") + "</ssif>"),
              1);
    part.Step(0);
    EXPECT_EQ(script.host.ran, (std::vector<std::string>{"quit:kept"}));
    EXPECT_FALSE(part.HasSubScript("gone"));
    EXPECT_TRUE(part.HasSubScript("HERE"));
}

TEST(LaunchPart, OnStopEndsTheLauncher)
{
    CTestScript script;
    CLaunchPart part(&script.context);
    ASSERT_EQ(part.Start("<subscript type=\"OnStart\"><sscmd name=\"quit\" onstop=\"1\"/></subscript>"
                         "<subscript type=\"OnStop\"><sscmd name=\"quit\" id=\"stop\"/></subscript>"),
              1);
    // The OnStop request queued by the OnStart item runs in the same step; the
    // host ends the launcher on its next tick.
    part.Step(0);
    EXPECT_EQ(script.host.ran, (std::vector<std::string>{"quit:", "quit:stop"}));
    EXPECT_EQ(script.host.endRequests, 1);
}

TEST(LaunchPart, OnStopMissingIsLogged)
{
    CTestScript script;
    CLaunchPart part(&script.context);
    ASSERT_EQ(part.Start("<subscript type=\"OnStart\"><sscmd name=\"quit\" onstop=\"1\" next=\"none\"/></subscript>"),
              1);
    part.Step(0);
    EXPECT_NE(script.host.log.find("\t    quit => ERROR : Invalid Next SubScript Call : none\n"), std::string::npos);
    EXPECT_NE(script.host.log.find("\t    quit => Unexpected ERROR : Failed to call OnStop SubScript \n"),
              std::string::npos);
}

TEST(LaunchPart, RestartUsesAFreshItemList)
{
    CTestScript script;
    CLaunchPart part(&script.context);
    ASSERT_EQ(part.Start(Named("s", "", "<sscmd name=\"quit\" id=\"1\"/><sscmd name=\"quit\" id=\"2\"/>")), 1);
    part.QueueByName("s");
    part.Step(0);
    part.QueueByName("s");
    part.Step(1);
    EXPECT_EQ(script.host.ran, (std::vector<std::string>{"quit:1", "quit:2", "quit:1", "quit:2"}));
    EXPECT_EQ(part.Find(kSubScriptNamed, "s")->GetItemCount(), 2u);
}

TEST(LaunchPart, EventsAndPendingCommands)
{
    {
        CTestScript script;
        {
            CLaunchPart part(&script.context);
        }
        // A launch part that never started: 1001 once, then 4.
        EXPECT_EQ(script.host.events, (std::vector<int32_t>{5, 1001, 4}));
    }
    CTestScript script;
    script.context.pendingCommands = {"s", "nosuch", "s"};
    {
        CLaunchPart part(&script.context);
        ASSERT_EQ(part.Start(Named("s", "blocking=\"n\"", "<sscmd name=\"quit\" id=\"s\"/>") +
                             "<technoplug technoid=\"t[%x%]\" classid=\"{C}\"/>"),
                  1);
        EXPECT_TRUE(script.context.pendingCommands.empty());
        part.Step(0);
        EXPECT_EQ(part.Start(Named("s", "", "")), 1); // queued once: nothing pending now
        part.Step(1);
    }
    EXPECT_EQ(script.host.ran, (std::vector<std::string>{"quit:s", "quit:s"}));
    EXPECT_EQ(script.host.plugs, (std::vector<std::string>{"t={C}"}));
    EXPECT_EQ(script.host.events, (std::vector<int32_t>{5, 0, 0, 4}));
}

TEST(LaunchPart, VarsAreListedAtStart)
{
    CTestScript script;
    CLaunchPart part(&script.context);
    EXPECT_EQ(script.host.log, "[Connexion ZDP : IP= Port=]\nERROR Connexion ZDP\n");
    script.host.log.clear();
    ASSERT_EQ(part.Start(""), 1);
    EXPECT_EQ(script.host.log, "==================================\n"
                               "VARS [[defined at LaunchScript.Load() time]]\n"
                               "[log:console] = \"1\"\n"
                               "==================================\n");
    EXPECT_EQ(part.Start("<subscript>"), 0);
}
