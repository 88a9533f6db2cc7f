#include "HostOptions.h"

#include <gtest/gtest.h>

using namespace FdBrowserHost;

TEST(HostOptions, ReadsEveryOption)
{
    SHostOptions o;
    std::string err;
    ASSERT_TRUE(boParseHostOptions({"--log",
                                    "C:\\l.txt",
                                    "--plugin",
                                    "a.dll",
                                    "--plugin",
                                    "b.dll",
                                    "--np-version",
                                    "1.9",
                                    "--no-activex",
                                    "--idle-despite-transfers",
                                    "--quit-after-ms",
                                    "5000",
                                    "--quit-when-idle",
                                    "300",
                                    "--screenshot",
                                    "s.bmp",
                                    "--size",
                                    "640x480",
                                    "--steps",
                                    "same,new,null,resize:300x0,key:9",
                                    "http://127.0.0.1:1/p.htm"},
                                   &o, &err))
        << err;
    EXPECT_EQ("http://127.0.0.1:1/p.htm", o.strPage);
    EXPECT_EQ("C:\\l.txt", o.strLog);
    EXPECT_EQ((std::vector<std::string>{"a.dll", "b.dll"}), o.plugins);
    EXPECT_EQ(0x0109, o.wNpVersion);
    EXPECT_TRUE(o.boNoActiveX);
    EXPECT_TRUE(o.boIdleDespiteTransfers);
    EXPECT_EQ(5000u, o.dwQuitAfterMs);
    EXPECT_EQ(300u, o.dwQuitWhenIdleMs);
    EXPECT_EQ("s.bmp", o.strScreenshot);
    EXPECT_EQ(640u, o.dwWidth);
    EXPECT_EQ(480u, o.dwHeight);
    ASSERT_EQ(5u, o.steps.size());
    EXPECT_EQ(EStep::SameWindow, o.steps[0].eKind);
    EXPECT_EQ(EStep::NewWindow, o.steps[1].eKind);
    EXPECT_EQ(EStep::NullWindow, o.steps[2].eKind);
    EXPECT_EQ(EStep::Resize, o.steps[3].eKind);
    EXPECT_EQ(300u, o.steps[3].a);
    EXPECT_EQ(0u, o.steps[3].b);
    EXPECT_EQ(EStep::Key, o.steps[4].eKind);
    EXPECT_EQ(9u, o.steps[4].a);
}

TEST(HostOptions, Defaults)
{
    SHostOptions o;
    std::string err;
    ASSERT_TRUE(boParseHostOptions({"--page", "p.htm"}, &o, &err)) << err;
    EXPECT_EQ("p.htm", o.strPage);
    EXPECT_EQ((NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR, o.wNpVersion);
    EXPECT_FALSE(o.boNoActiveX);
    EXPECT_EQ(0u, o.dwQuitAfterMs);
    EXPECT_EQ(800u, o.dwWidth);
    EXPECT_TRUE(o.plugins.empty());
    EXPECT_TRUE(boParseHostOptions({"--help"}, &o, &err));
    EXPECT_TRUE(o.boHelp);
}

TEST(HostOptions, RefusesBadCommandLines)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"a.htm", "b.htm"},
        {"a.htm", "--page", "b.htm"},
        {"a.htm", "--log"},
        {"a.htm", "--bogus", "1"},
        {"a.htm", "--np-version", "9"},
        {"a.htm", "--np-version", "0.256"},
        {"a.htm", "--quit-after-ms", "0"},
        {"a.htm", "--quit-after-ms", "86400001"},
        {"a.htm", "--quit-when-idle", "-5"},
        {"a.htm", "--size", "99x600"},
        {"a.htm", "--size", "800x4097"},
        {"a.htm", "--size", "800"},
        {"a.htm", "--steps", "same,,new"},
        {"a.htm", "--steps", "key:0"},
        {"a.htm", "--steps", "key:256"},
        {"a.htm", "--steps", "resize:10"},
        {"a.htm", "--steps", "jump"},
        {"a.htm", "--steps", "focuskey:0"},
        {"a.htm", "--steps", "type:"},
        {"a.htm", "--steps", "type:Hi"},
        {"a.htm", "--steps", "type:a.b"},
        {"a.htm", "--steps", "type:" + std::string(kMaxTypedChars + 1, 'a')},
        {"a.htm", "--steps", "await:"},
        {"a.htm", "--steps", "await:" + std::string(kMaxAwaitPath + 1, 'a')},
    };
    for (const auto& args : bad)
    {
        SHostOptions o;
        o.strPage = "untouched";
        std::string err;
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        EXPECT_FALSE(boParseHostOptions(args, &o, &err)) << joined;
        EXPECT_FALSE(err.empty()) << joined;
        EXPECT_EQ("untouched", o.strPage) << joined;
    }
}

TEST(HostOptions, StepsForTheFocusedWindowAndAwait)
{
    std::vector<SStep> steps;
    std::string err;
    const std::string longest(kMaxTypedChars, 'z');
    ASSERT_TRUE(boParseSteps("await:Z:\\tmp\\go,type:hi bob 42,focuskey:13,type:" + longest, &steps, &err))
        << err;
    ASSERT_EQ(4u, steps.size());
    EXPECT_EQ(EStep::Await, steps[0].eKind);
    EXPECT_EQ("Z:\\tmp\\go", steps[0].strText);
    EXPECT_EQ(EStep::Type, steps[1].eKind);
    EXPECT_EQ("hi bob 42", steps[1].strText);
    EXPECT_EQ(EStep::FocusKey, steps[2].eKind);
    EXPECT_EQ(13u, steps[2].a);
    EXPECT_EQ(longest, steps[3].strText);
    const struct
    {
        char c;
        uint32_t vk;
    } keys[] = {{'a', 'A'}, {'z', 'Z'}, {'0', '0'}, {'9', '9'}, {' ', 0x20u}, {'A', 0}, {'.', 0}, {'\n', 0}};
    for (const auto& k : keys)
        EXPECT_EQ(k.vk, dwTypedKey(k.c)) << int(k.c);
}

TEST(HostOptions, StepCountBound)
{
    std::string list = "same";
    for (std::size_t i = 1; i < kMaxSteps; ++i)
        list += ",same";
    std::vector<SStep> steps;
    std::string err;
    EXPECT_TRUE(boParseSteps(list, &steps, &err));
    EXPECT_EQ(kMaxSteps, steps.size());
    EXPECT_FALSE(boParseSteps(list + ",same", &steps, &err));
}
