#include "LaunchCommand.h"

#include <gtest/gtest.h>

TEST(LaunchCommand, CommandLine)
{
    struct
    {
        const char* exe;
        const char* params;
        const char* line;
    } cases[] = {
        {"C:\\Games\\Game.exe", "", "\"C:\\Games\\Game.exe\""}, // no trailing blank
        {"C:\\Games\\Game.exe", "-x 1", "\"C:\\Games\\Game.exe\" -x 1"},
        {"C:\\My Games\\G.exe", "\"a b\"", "\"C:\\My Games\\G.exe\" \"a b\""},
        {"", "", "\"\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.line, LaunchCommandLine(c.exe, c.params)) << c.exe << "|" << c.params;
}

TEST(LaunchCommand, Directory)
{
    struct
    {
        const char* exe;
        const char* dir;
    } cases[] = {
        {"C:\\Games\\Game.exe", "C:\\Games\\"},
        {"C:/Games/sub\\Game.exe", "C:/Games/sub\\"},
        {"C:\\Games\\sub/Game.exe", "C:\\Games\\sub/"},
        {"Game.exe", ""}, // no folder: no directory, rather than the file's own name
        {"C:\\", "C:\\"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.dir, LaunchDirectory(c.exe)) << c.exe;
}

TEST(LaunchCommand, Trim)
{
    EXPECT_EQ("a b", TrimLaunchText(" \t a b\r\n"));
    EXPECT_EQ("a", TrimLaunchText("a"));
    EXPECT_EQ("", TrimLaunchText(" \t\r\n"));
    EXPECT_EQ("", TrimLaunchText(""));
}
