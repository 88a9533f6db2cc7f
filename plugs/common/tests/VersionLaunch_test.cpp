#include "VersionLaunch.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
struct SCase
{
    const char* what;
    const char* raw;
    const char* verb;
    const char* executable;
    const char* parameters;
    int32_t mode;
    const char* shellVerb;
};

const SCase kCases[] = {
    {"no shellex: the shell with open",
     "<vtlaunch><cmdline verb=\"play\"><exe>C:\\G\\GAME.EXE</exe></cmdline></vtlaunch>", "play",
     "C:\\G\\GAME.EXE", "", 1, "open"},
    {"empty shellex: process creation",
     "<vtlaunch><cmdline verb=\"play\" shellex=\"\"><exe>a.exe</exe><params>-x</params></cmdline></vtlaunch>",
     "PLAY", "a.exe", "-x", 0, ""},
    {"verb of another command", "<vtlaunch><cmdline verb=\"edit\"><exe>a.exe</exe></cmdline></vtlaunch>",
     "play", "", "", 0, ""},
    {"the later match wins",
     "<VTLAUNCH><cmdline verb=\"play\"><exe>first.exe</exe></cmdline>"
     "<CmdLine verb=\"play\" shellex=\"runas\"><EXE>second.exe</EXE></CmdLine></VTLAUNCH>",
     "play", "second.exe", "", 1, "runas"},
    {"nested below vtlaunch, exe below cmdline",
     "<vtident>x</vtident><vtlaunch><g><cmdline "
     "verb=\"play\"><h><exe>deep.exe</exe></h></cmdline></g></vtlaunch>",
     "play", "deep.exe", "", 1, "open"},
    {"cmdline outside vtlaunch is not read", "<cmdline verb=\"play\"><exe>a.exe</exe></cmdline>", "play", "",
     "", 0, ""},
};
} // namespace

TEST(VersionLaunch, ReadsTheCommandOfTheVerb)
{
    for (const SCase& c : kCases)
    {
        SLaunchCommand command;
        ASSERT_TRUE(boReadLaunchCommand(c.raw, c.verb, command)) << c.what;
        EXPECT_EQ(command.executable, c.executable) << c.what;
        EXPECT_EQ(command.parameters, c.parameters) << c.what;
        EXPECT_EQ(command.mode, c.mode) << c.what;
        EXPECT_EQ(command.shellVerb, c.shellVerb) << c.what;
    }
}
