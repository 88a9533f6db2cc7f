#include <gtest/gtest.h>

#include <string>

#include "LaunchPart.h"
#include "ScriptTestHost.h"

namespace
{
struct CSimpleRun : CTestScript
{
    CSimpleRun() { host.simpleItems = true; }
    // Runs the launch text's OnStart sub-script and what it queues, a few steps.
    void Run(const std::string& text)
    {
        ASSERT_EQ(part.Start(text), 1);
        for (int i = 0; i < 3; ++i)
            part.Step(i);
    }
    bool Logged(const std::string& text) const { return host.log.find(text) != std::string::npos; }
    std::string Var(const std::string& name) const
    {
        CStringExt value;
        context.vars.GetScriptVar(name, value);
        return value;
    }
    CLaunchPart part{&context};
};

std::string OnStart(const std::string& commands)
{
    return "<subscript type=\"OnStart\">" + commands + "</subscript>";
}
const char kMarkers[] = "<subscript name=\"a\"><sscmd name=\"pwdgen\"><pwdgen var=\"a\" nbchars=\"1\"/></sscmd></subscript>"
                        "<subscript name=\"b\"><sscmd name=\"pwdgen\"><pwdgen var=\"b\" nbchars=\"1\"/></sscmd></subscript>";
} // namespace

TEST(SimpleItems, QuitRunsOnStopAndEnds)
{
    CSimpleRun run;
    run.Run(OnStart("<sscmd name=\"quit\"/><sscmd name=\"pwdgen\"><pwdgen var=\"after\" nbchars=\"1\"/></sscmd>") +
            "<subscript type=\"OnStop\"><sscmd name=\"pwdgen\"><pwdgen var=\"stop\" nbchars=\"2\"/></sscmd>"
            "</subscript>");
    EXPECT_EQ(run.Var("after"), "");
    EXPECT_EQ(run.Var("stop").size(), 2u);
    EXPECT_EQ(run.host.endRequests, 1);
}

TEST(SimpleItems, SsJump)
{
    {
        CSimpleRun run;
        run.Run(OnStart("<sscmd name=\"ssjump\"><ssjump to=\"a\"/></sscmd>"
                        "<sscmd name=\"ssjump\"><ssjump to=\"b\"/></sscmd>") +
                kMarkers);
        EXPECT_NE(run.Var("a"), "");
        EXPECT_EQ(run.Var("b"), ""); // the rest of OnStart was aborted
    }
    {
        CSimpleRun run;
        run.Run(OnStart("<sscmd name=\"ssjump\"><ssjump to=\"a\" branch=\"y\"/></sscmd>"
                        "<sscmd name=\"ssjump\"><ssjump to=\"b\" branch=\"1\"/></sscmd>") +
                kMarkers);
        EXPECT_NE(run.Var("a"), "");
        EXPECT_NE(run.Var("b"), "");
    }
    {
        CSimpleRun run;
        run.Run(OnStart("<sscmd name=\"ssjump\"><ssjump to=\"none\"/></sscmd>"));
        EXPECT_TRUE(run.Logged("\t    ssjump => SSJumpTo ERROR : Invalid SubScript : none\n"));
        EXPECT_TRUE(run.Logged("\t    ssjump => ERROR state\n"));
    }
}

TEST(SimpleItems, MsgBoxFollowsTheAnswer)
{
    struct Case
    {
        int32_t answer;
        const char* var; // the marker the followed link sets
    };
    const Case cases[] = {{1, "a"}, {6, "a"}, {5, "a"}, {2, "b"}, {3, "b"}, {7, "b"}, {4, "r"}};
    for (const Case& c : cases)
    {
        CSimpleRun run;
        run.host.answer = c.answer;
        run.Run(OnStart("<sscmd name=\"msgbox\"><sslinks ok=\"a\" cancel=\"b\" retry=\"r\"/>"
                        "<msgbox butts=\"yesno\"><title></title><mess>x &amp; y</mess></msgbox></sscmd>") +
                kMarkers + "<subscript name=\"r\"><sscmd name=\"pwdgen\"><pwdgen var=\"r\" nbchars=\"1\"/></sscmd></subscript>");
        EXPECT_NE(run.Var(c.var), "") << c.answer;
        ASSERT_EQ(run.host.boxes.size(), 1u);
        EXPECT_EQ(run.host.boxes[0].substr(0, 26), "Zelto Game Launcher|x & y|");
        EXPECT_NE(std::stoul(run.host.boxes[0].substr(26)) & 0x00040000u, 0u);
    }
}

TEST(SimpleItems, Browse)
{
    CSimpleRun run;
    run.Run(OnStart("<sscmd name=\"browse\"><browse target=\"main\"> http://127.0.0.1/p </browse></sscmd>"
                    "<sscmd name=\"browse\"><browse target=\"main\"></browse></sscmd>"
                    "<sscmd name=\"browse\"><browse type=\"mail\">x</browse></sscmd>"
                    "<sscmd name=\"browse\"><browse>never</browse></sscmd>"));
    // An empty address is not shown; type mail is an error that ends the sub-script.
    EXPECT_EQ(run.host.navigations, (std::vector<std::string>{"main|http://127.0.0.1/p"}));
    EXPECT_TRUE(run.Logged("\t    browse => ERROR state\n"));
}

TEST(SimpleItems, PwdGen)
{
    CSimpleRun run;
    run.Run(OnStart("<sscmd name=\"pwdgen\"><pwdgen var=\"low\" nbchars=\"8\" nonbrs nouppers/></sscmd>"
                    "<sscmd name=\"pwdgen\"><pwdgen var=\"all\" nbchars=\"64\"/></sscmd>"
                    "<sscmd name=\"pwdgen\"><pwdgen var=\"none\" nbchars=\"8\" nonbrs nouppers nolowers/></sscmd>"
                    "<sscmd name=\"pwdgen\"><pwdgen var=\"zero\"/></sscmd>"));
    const std::string low = run.Var("low");
    ASSERT_EQ(low.size(), 8u);
    for (char c : low)
        EXPECT_TRUE(c >= 'a' && c <= 'z') << low;
    const std::string all = run.Var("all");
    ASSERT_EQ(all.size(), 64u);
    for (char c : all)
        EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) << all;
    CStringExt value;
    EXPECT_FALSE(run.context.vars.GetScriptVar("none", value));
    EXPECT_FALSE(run.context.vars.GetScriptVar("zero", value));
    EXPECT_TRUE(run.Logged("\t    WARNING : incorrect pwd generation parameters\n"));

    CSimpleRun broken;
    broken.host.randomWorks = false;
    broken.Run(OnStart("<sscmd name=\"pwdgen\"><pwdgen var=\"v\" nbchars=\"4\"/></sscmd>"));
    EXPECT_FALSE(broken.context.vars.GetScriptVar("v", value));
    EXPECT_TRUE(broken.Logged("pwdgen => ERROR state"));
}
