#include "HtmlText.h"

#include <gtest/gtest.h>

using namespace FdBrowserHost;

TEST(HtmlText, DecodesReferencesToCp1252)
{
    struct
    {
        const char* in;
        const char* want;
    } const cases[] = {
        {"a&amp;b&lt;c&gt;d&quot;e&apos;f", "a&b<c>d\"e'f"},
        {"&eacute;t&eacute; &agrave; &ccedil;a &pound;&pound;", "\xE9t\xE9 \xE0 \xE7"
                                                                "a \xA3\xA3"},
        {"&#65;&#x42;&#X43;", "ABC"},
        {"&#233;&#8364;&#x2019;", "\xE9\x80\x92"},
        {"&#x4E2D;&#0;", "??"},
        {"&unknown; & &amp &#; &#x; &#12a;", "&unknown; & &amp &#; &#x; &#12a;"},
        {"&averyveryverylongname;", "&averyveryverylongname;"},
        {"trailing &", "trailing &"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.want, strDecodeEntities(c.in)) << c.in;
}

TEST(HtmlText, Cp1252Table)
{
    EXPECT_EQ(0x41, iCp1252FromCodePoint(0x41));
    EXPECT_EQ(0xE9, iCp1252FromCodePoint(0xE9));
    EXPECT_EQ(0x80, iCp1252FromCodePoint(0x20AC));
    EXPECT_EQ(0x9F, iCp1252FromCodePoint(0x178));
    EXPECT_EQ(-1, iCp1252FromCodePoint(0x81)); // C1 controls have no byte of their own
    EXPECT_EQ(-1, iCp1252FromCodePoint(0x4E2D));
}
