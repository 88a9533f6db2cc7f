// BrowserHost.exe's steps for the focused window, with the test plug-in
// against the web stand-in. The keys go where the keyboard focus is, which a
// window of another program takes away: this test runs alone.
#include "HostRunner.h"

#include <gtest/gtest.h>

using namespace FdHostTest;

namespace
{
std::string strPlugin()
{
    return strProgramFolder() + "npfdhosttest.dll";
}
} // namespace

// Keys for the focused window: they reach the field inside a plug-in
// that holds the focus, not the plug-ins' own windows; an await step holds
// them until its file exists.
TEST(WindowSteps, FocusedWindowKeysAndAwait)
{
    const std::string dir = strFreshFolder("focus");
    const std::string go = dir + "\\go";
    ASSERT_TRUE(boWriteFile(go, ""));
    const SHostRun run =
        runHost({"--page", strWebUrl("/focus.htm"), "--plugin", strPlugin(), "--quit-when-idle", "500",
                 "--steps", "await:" + go + ",type:ab 1,focuskey:13"},
                dir);
    ASSERT_EQ(0, run.lExit);
    const std::string inst = strInstanceOf(run.host, "focus");
    const SLogLine typed = lineOf(run.host, "TYPE");
    EXPECT_EQ("ab 1", typed.strGet("text"));
    EXPECT_EQ(inst, typed.strGet("instance"));
    EXPECT_EQ("Edit", typed.strGet("window"));
    EXPECT_EQ(inst, lineOf(run.host, "KEY", "vk", "13").strGet("instance"));
    std::string chars;
    for (const SLogLine& l : linesOf(run.plugin, "EDITCHAR", "id", "focus"))
        chars += l.strGet("char");
    EXPECT_EQ("ab 1\r", chars) << "the loop's TranslateMessage made the characters";
    EXPECT_EQ(5u, linesOf(run.plugin, "EDITKEY", "id", "focus").size());
    EXPECT_TRUE(linesOf(run.plugin, "KEYDOWN").empty()) << "no plug-in window got them";
    EXPECT_EQ("await", linesOf(run.host, "STEP")[0].strGet("step"));
}
