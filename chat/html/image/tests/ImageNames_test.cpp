#include "ImageNames.h"

#include <gtest/gtest.h>

using namespace FdHtml;

TEST(ImageNames, KindByName)
{
    const struct
    {
        const char* name;
        EImageKind kind;
    } cases[] = {
        {"a.gif", kImageGif},
        {"A.GIF", kImageGif},
        {"pics/x.Gif  ", kImageGif},
        {"x.bmp", kImageBmp},
        {"res://SMILEY.BMP", kImageBmp},
        {"x.png", kImageUnknown},
        {"gi", kImageUnknown},
        {"", kImageUnknown},
        {"nogif", kImageGif}, // only the last three characters count
    };
    for (const auto& c : cases)
        EXPECT_EQ(imageKindByName(c.name), c.kind) << c.name;
}

TEST(ImageNames, KeysAndResourceNames)
{
    EXPECT_EQ(strImageKey("a.gif"), "A.GIF");
    EXPECT_EQ(strImageKey("A.GIF"), strImageKey("a.gif"));
    std::string res;
    EXPECT_TRUE(boIsResourceName(strImageKey("res://smiley.gif"), &res));
    EXPECT_EQ(res, "SMILEY.GIF");
    EXPECT_FALSE(boIsResourceName(strImageKey("c:\\res\\a.gif"), &res));
    EXPECT_FALSE(boIsResourceName("RES:/", &res));
}

TEST(ImageNames, PathsAndBlanks)
{
    EXPECT_EQ(strSlashesToBackslashes("a/b/c.gif"), "a\\b\\c.gif");
    EXPECT_EQ(strBackslashesToSlashes("a\\b\\c.gif"), "a/b/c.gif");
    EXPECT_EQ(strTrimRight(" a b \t"), " a b");
    EXPECT_EQ(strTrimLeft(" \ta b "), "a b ");
    EXPECT_EQ(strTrim("  a  "), "a");
    EXPECT_EQ(strTrim("   "), "");
}
