#include <gtest/gtest.h>

#include <string>

#include "LaunchPart.h"
#include "ScriptTestHost.h"

namespace
{
// The launch text of one OnStart sub-script holding commands.
std::string OnStart(const std::string& commands)
{
    return "<subscript type=\"OnStart\">" + commands + "</subscript>";
}

bool Contains(const std::string& log, const std::string& text)
{
    return log.find(text) != std::string::npos;
}
} // namespace

TEST(ScriptItem, OverAtOnce)
{
    CTestScript script;
    CLaunchPart part(&script.context);
    ASSERT_EQ(part.Start(OnStart("<sscmd name=\"msgbox\" steps=\"over\"/>")), 1);
    script.host.log.clear();
    part.Step(0);
    EXPECT_EQ(script.host.log, "==============================\n"
                               "SS-START [[]]\n"
                               "\t------------------------------\n"
                               "\tCMD-START <msgbox>\n"
                               "\tCMD-STOP <msgbox> (synch)\n"
                               "\t------------------------------\n"
                               "SS-STOP [[]] (synch)\n"
                               "==============================\n");
    EXPECT_TRUE(part.IsIdle());
}

TEST(ScriptItem, WaitsThenCompletes)
{
    CTestScript script;
    CLaunchPart part(&script.context);
    // 0 -> 3 -> 5 -> wait; the immediate poll answers 0, the next one 7; 7 -> over.
    ASSERT_EQ(part.Start(OnStart("<sscmd name=\"quit\" steps=\"3,5,0,over\" async=\"0,7\"/>")), 1);
    script.host.log.clear();
    part.Step(0);
    EXPECT_TRUE(Contains(script.host.log, "\t    quit New State (synch): [==>3<==]\n"
                                          "\t    quit New State (synch): [==>5<==]\n"));
    EXPECT_FALSE(Contains(script.host.log, "CMD-STOP"));
    EXPECT_FALSE(part.IsIdle());
    script.host.log.clear();
    part.Step(1);
    EXPECT_EQ(script.host.log, "\t    quit => New State (TransitProc) : 7\n"
                               "\tCMD-STOP <quit> (asynch)\n"
                               "\t------------------------------\n"
                               "SS-STOP [[]] (asynch)\n"
                               "==============================\n");
    EXPECT_TRUE(part.IsIdle());
}

TEST(ScriptItem, ErrorWithAndWithoutErrLink)
{
    CTestScript script;
    CLaunchPart part(&script.context);
    ASSERT_EQ(part.Start(OnStart("<sscmd name=\"browse\" id=\"1\" steps=\"err\"><sslinks err=\"x\"/></sscmd>"
                                 "<sscmd name=\"browse\" id=\"skipped\"/>") +
                         "<subscript name=\"x\"><sscmd name=\"pwdgen\" id=\"x1\" steps=\"err\"/>"
                         "<sscmd name=\"pwdgen\" id=\"x2\"/></subscript>"),
              1);
    part.Step(0);
    part.Step(1);
    EXPECT_EQ(script.host.ran, (std::vector<std::string>{"browse:1", "pwdgen:x1"}));
    EXPECT_TRUE(Contains(script.host.log, "\t    browse => ERROR state\n\t    browse CMD => Sub-Script aborted\n"));
    EXPECT_TRUE(Contains(script.host.log, "\t    pwdgen => ERROR state\n"
                                          "\t    pwdgen => ERROR : Invalid Next SubScript \"Link Map\" Call : err\n"));
    EXPECT_TRUE(part.IsIdle());
}

TEST(ScriptItem, ErrorWhileWaiting)
{
    CTestScript script;
    CLaunchPart part(&script.context);
    ASSERT_EQ(part.Start(OnStart("<sscmd name=\"fileop\" steps=\"0\" async=\"0,err\"/><sscmd name=\"fileop\"/>")), 1);
    part.Step(0);
    script.host.log.clear();
    part.Step(1);
    EXPECT_TRUE(Contains(script.host.log, "\t    fileop => StateTransit Error on state : 0\n"
                                          "\t    fileop => ERROR state\n"));
    EXPECT_TRUE(Contains(script.host.log, "\tCMD-STOP <fileop> (asynch)\n"));
    EXPECT_EQ(script.host.ran.size(), 1u);
    EXPECT_TRUE(part.IsIdle());
}

TEST(ScriptItem, FactoryKeywords)
{
    CTestScript script;
    CLaunchPart part(&script.context);
    ASSERT_EQ(part.Start(OnStart("<sscmd name=\"MsgBox\" id=\"a\"/><sscmd name=\"MSGBOX\" id=\"b\"/>"
                                 "<sscmd name=\"nosuch\" id=\"c\"/><sscmd name=\"regop\" id=\"d\"/>"
                                 "<sscmd name=\"quit\" id=\"e\"/>")),
              1);
    part.Step(0);
    // Unknown keywords are skipped and logged; the run goes on.
    EXPECT_EQ(script.host.ran, (std::vector<std::string>{"msgbox:a", "msgbox:b", "quit:e"}));
    EXPECT_TRUE(Contains(script.host.log, "Unknown command <nosuch> skipped"));
    EXPECT_TRUE(Contains(script.host.log, "Unknown command <regop> skipped"));
    EXPECT_EQ(FindScriptItemKeyword("LoadScript"), std::string("loadscript"));
    EXPECT_EQ(FindScriptItemKeyword("load"), nullptr);
}

TEST(ScriptItem, ExpandsOnceAndReadsLinks)
{
    CTestScript script;
    script.context.vars.SetScriptVar("who", "first");
    CLaunchPart part(&script.context);
    ASSERT_EQ(part.Start(OnStart("<sscmd name=\"ssjump\" id=\"[%who%]\"/>") +
                         "<subscript name=\"again\"><sscmd name=\"ssjump\" id=\"[%who%]\"/></subscript>"),
              1);
    part.Step(0);
    script.context.vars.SetScriptVar("who", "second");
    ASSERT_EQ(part.QueueByName("again"), 1);
    part.Step(1);
    // The sub-script's text is expanded when the launch part reads it.
    EXPECT_EQ(script.host.ran, (std::vector<std::string>{"ssjump:first", "ssjump:first"}));
}

TEST(ScriptItem, HostInterface)
{
    CTestScript script;
    script.context.vars.SetScriptVar("v", "tank");
    ASSERT_EQ(script.context.items.LoadText("<server val=\"10.0.0.1\"/>", "game"), 1);
    CLaunchPart part(&script.context);
    ASSERT_EQ(part.Start(OnStart("<sscmd name=\"launchgame\" steps=\"0\"/>")), 1);
    part.Step(0);
    // The waiting item is reached through a fresh item of the same sub-script.
    CSubScript* subScript = part.Find(kSubScriptOnStart, "");
    ASSERT_NE(subScript, nullptr);
    auto item = script.host.NewItem("launchgame");
    item->Init("<sscmd/>", subScript);
    std::string text = "[%v%]-[%e%]";
    CStringMap extra;
    extra["e"] = "extra";
    EXPECT_EQ(item->StrContextVarsUpdate(&extra, text), 2);
    EXPECT_EQ(text, "tank-extra");
    CStringExt value;
    EXPECT_EQ(item->GetItemTankValue("server", value), 1);
    EXPECT_EQ(value, "10.0.0.1");
    script.host.log.clear();
    EXPECT_EQ(item->SendBstrData("v", "plug", "dbg", "hello"), 1);
    EXPECT_EQ(script.host.log, "\t    [plug] => hello\n");
}
