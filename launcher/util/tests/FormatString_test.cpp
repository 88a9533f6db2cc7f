#include <gtest/gtest.h>

#include <string>

#include "FormatString.h"

TEST(FormatString, FormatsArguments)
{
    CStringExt s("old");
    FormatString(s, "%s=%i (%li)", "n", 5, -1L);
    EXPECT_EQ(s, "n=5 (-1)");
}

TEST(FormatString, TextsOfAnyLengthComeOutWhole)
{
    // Around each former buffer limit and far beyond the last one.
    for (size_t length : {0u, 1u, 255u, 256u, 511u, 512u, 513u, 2560u, 8704u, 8705u, 100000u})
    {
        const std::string text(length, 'x');
        CStringExt s("previous");
        FormatString(s, "%s", text.c_str());
        EXPECT_EQ(s.size(), length);
        EXPECT_EQ(s, text);
        FormatString(s, "<%s>", text.c_str());
        EXPECT_EQ(s, "<" + text + ">");
    }
}

TEST(AppendString, StopsAtTheFirstNul)
{
    CStringExt target("a");
    AppendString(target, std::string("bc\0d", 4));
    EXPECT_EQ(target, "abc");
}
