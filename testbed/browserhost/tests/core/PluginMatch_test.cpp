#include "ElementSize.h"
#include "PluginMatch.h"

#include <gtest/gtest.h>

using namespace FdBrowserHost;

TEST(PluginMatch, TypesAndExtensions)
{
    const std::string mime = "application/x-fd-game| Application/X-Other ";
    EXPECT_TRUE(boMimeListHas(mime, "application/x-fd-game"));
    EXPECT_TRUE(boMimeListHas(mime, "APPLICATION/X-FD-GAME; charset=x"));
    EXPECT_TRUE(boMimeListHas(mime, "application/x-other"));
    EXPECT_FALSE(boMimeListHas(mime, "application/x-fd"));
    EXPECT_FALSE(boMimeListHas(mime, ""));
    EXPECT_FALSE(boMimeListHas("", "application/x-fd-game"));
    EXPECT_EQ("application/x-fd-game", strFirstMime(mime));
    EXPECT_EQ("", strFirstMime(""));

    EXPECT_TRUE(boExtentListHas("fdg", "FDG"));
    EXPECT_TRUE(boExtentListHas("fdg,fdx|abc", "fdx"));
    EXPECT_TRUE(boExtentListHas("fdg,fdx|abc", "abc"));
    EXPECT_FALSE(boExtentListHas("fdg", "fd"));
    EXPECT_FALSE(boExtentListHas("fdg", ""));
}

TEST(ElementSize, Lengths)
{
    struct
    {
        const char* value; // null: absent
        uint32_t want;
    } const cases[] = {
        {nullptr, 77},   {"300", 300}, {" 300px", 300}, {"50%", 400},   {"abc", 77},
        {"", 77},        {"0", 0},     {"4096", 4096},  {"4097", 4096}, {"99999999999999999999", 4096},
        {"1000%", 4096},
    };
    for (const auto& c : cases)
    {
        const std::string s = c.value ? c.value : "";
        EXPECT_EQ(c.want, dwElementLength(c.value ? &s : nullptr, 77, 800))
            << (c.value ? c.value : "(absent)");
    }
}
