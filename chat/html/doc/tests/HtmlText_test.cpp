// Entity codec, white-space normalisation, block/string conversions, colour
// words and attribute readers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "HtmlAttr.h"
#include "HtmlText.h"

namespace
{
std::string Normalized(const std::string& text)
{
    HtmlMemBlock block = nullptr;
    HtmlStringToBlock(text, &block, 0);
    uint32_t length = uint32_t(text.size());
    // A failure shows in the caller's comparison.
    const std::string out =
        HtmlNormalizeText(&block, &length) == 1 ? HtmlBlockToString(block, length) : "! not normalized";
    MemBlockFree(block);
    return out;
}

TEST(Entities, DecodeOneReference)
{
    const std::pair<const char*, const char*> rows[] = {
        {"&eacute;", "\xE9"}, {"&Eacute;", "\xC9"}, {"&EACUTE;", "\xC9"}, {"&lt;", "<"},
        {"&crlf;", "\r\n"},   {"&#65;", "A"},       {"&#321;", "A"},      {"&#5;", ""},
        {"&#7;", "\x07"},     {"&bogus;", ""},      {"&lt", ""},          {"lt;", ""},
        {"&;", ""},           {"&#;", ""},
    };
    for (const auto& [in, out] : rows)
        EXPECT_EQ(HtmlDecodeEntity(in), out) << in;
}

TEST(Entities, DecodeTextKeepsTheCaseOfTheLetter)
{
    const std::pair<const char*, const char*> rows[] = {
        {"caf&eacute;", "caf\xE9"},
        {"CAF&Eacute;", "CAF\xC9"},
        {"a &lt;b&gt; &amp;lt;", "a <b> &lt;"},
        {"&#5; &nosuch; & ;", "&#5; &nosuch; & ;"},
        {"&averyveryverylongname;", "&averyveryverylongname;"},
        {"x&", "x&"},
        {"", ""},
    };
    for (const auto& [in, out] : rows)
        EXPECT_EQ(HtmlDecodeEntities(in), out) << in;
}

TEST(Entities, Encode)
{
    EXPECT_EQ(HtmlEncodeEntities("<a href=\"x\">&'\xA0\xE9"),
              "&lt;a href=&quot;x&quot;&gt;&amp;&apos;&nbsp;\xE9");
    EXPECT_EQ(HtmlEncodeEntities("plain"), "plain");
}

TEST(Entities, Normalization)
{
    const std::pair<std::string, std::string> rows[] = {
        {"a\t\r\nb", "a b"},
        {"a    b", "a b"},
        {" lead", " lead"},
        {"&Eacute;t&eacute;", "\xC9t\xE9"},
        {"&#321;&#5;", "A&#5;"},
        {"x&crlf;y", "x\r\ny"},
        {"&unknown; &amp", "&unknown; &amp"},
        {"", ""},
    };
    for (const auto& [in, out] : rows)
        EXPECT_EQ(Normalized(in), out) << in;
}

TEST(Entities, NormalizationOfABigRunKeepsEveryWord)
{
    std::string text, expected;
    for (int i = 0; i < 5000; ++i)
    {
        text += "word" + std::to_string(i) + " \t &amp; ";
        expected += "word" + std::to_string(i) + " & ";
    }
    EXPECT_EQ(Normalized(text), expected);
}

TEST(Blocks, StringConversions)
{
    HtmlMemBlock block = nullptr;
    EXPECT_EQ(HtmlStringToBlock("", &block, -1), -1);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(HtmlStringToBlock("hello", &block, -1), 5);
    EXPECT_EQ(HtmlBlockToString(block, 5), "hello");
    EXPECT_EQ(HtmlBlockToString(block, 3), "hel");
    EXPECT_EQ(HtmlBlockToString(block, 50), "hello");
    EXPECT_EQ(HtmlBlockToString(block, 0), "");
    EXPECT_EQ(HtmlBlockToString(nullptr, 4), "");
    EXPECT_EQ(HtmlStringToBlock("xy", &block, -1), 2); // the old block is freed
    EXPECT_EQ(HtmlBlockToString(block, 2), "xy");
    MemBlockFree(block);
}

// Python's html.entities: name -> the character, in Latin-1.
std::map<std::string, int> PythonEntities()
{
    const char* python = std::getenv("FD_PYTHON");
    std::map<std::string, int> out;
    if (python == nullptr)
        return out;
    std::string names;
    for (const HtmlEntityRow& row : HtmlEntityTable)
        names += std::string(row.name) + " ";
    const std::string command = std::string(python) +
                                " -c \"import html.entities as e,sys\n"
                                "for n in sys.argv[1:]:\n"
                                " v=e.html5.get(n+';')\n"
                                " if v is not None and len(v)==1 and ord(v)<256: "
                                "print(n,ord(v),ord(v.upper()) if len(v.upper())==1 else -1)\" " +
                                names;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    char name[32];
    int lower = 0, upper = 0;
    while (std::fscanf(pipe, "%31s %d %d", name, &lower, &upper) == 3)
    {
        out[name] = lower;
        out[std::string(name) + "^"] = upper;
    }
    pclose(pipe);
    return out;
}

TEST(Entities, OneCharacterRowsEqualPython)
{
    if (std::getenv("FD_PYTHON") == nullptr)
        GTEST_SKIP() << "FD_PYTHON not set";
    const auto python = PythonEntities();
    int compared = 0;
    for (const HtmlEntityRow& row : HtmlEntityTable)
    {
        if (std::string(row.lowerValue).size() != 1)
            continue;
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(python.count(row.name)) << "Python doesn't know it";
        const int lower = static_cast<unsigned char>(row.lowerValue[0]);
        const int upper = static_cast<unsigned char>(row.upperValue[0]);
        EXPECT_EQ(lower, python.at(row.name));
        // The upper-case value is the capital of the letter (0xFF has none in Latin-1).
        const int capital = python.at(std::string(row.name) + "^");
        EXPECT_EQ(upper, capital < 256 && capital >= 0 ? capital : lower);
        ++compared;
    }
    EXPECT_EQ(compared, kHtmlEntityCount - 1);
}

TEST(Colors, ParseColor)
{
    struct Row
    {
        const char* text;
        uint32_t expected;
    };
    const uint32_t def = 0x12345678;
    const Row rows[] = {
        {"#F", 0x020000F0},
        {"#GG0000", 0x02000000},
        {"", def},
        {"  ", def},
        {"#102030", 0x02302010},
        {" #ff8000 ", 0x020080FF},
        {"navy", 0x02FFFF00},
        {"TeAl", 0x02000000},
        {"transparent", 0xFFFFFFFF},
        {"Olive", 0x02008000},
        {"lime", 0x0280FFFF},
        {"maroon", 0x02004080},
        {"aqua", 0x02FFFF80},
        {"fuchsia", 0x028000FF},
        {"orange", def},
        {"#1234567890", 0x02563412},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ParseColor(r.text, def), r.expected) << '"' << r.text << '"';
}

TEST(Attributes, GetAttrValue)
{
    struct Row
    {
        const char* name;
        const char* attributes;
        const char* defaultValue;
        const char* expected;
    };
    const Row rows[] = {
        {"NAME", "HREF=x NAME=\"a b\"", "d", "a b"},
        {"NORESIZE", "NORESIZE", "d", "d"},
        {"SCROLLING", "NORESIZE", "d", ""},
        {"NAME", "NICKNAME=joe", "d", ""},
        {"name", "Name=Joe", "d", "Joe"},
        // A flag attribute before one with a value has no value of its own.
        {"BORDER", "BORDER WIDTH=300", "d", "d"},
        {"WIDTH", "BORDER WIDTH=300", "d", "300"},
        {"BORDER", "BORDER = 2", "d", "2"},
        {"BORDER", "BORDER=", "d", "d"},
        // A match inside a double-quoted value doesn't count.
        {"NAME", "ALT=\"NAME=x\" NAME=y", "d", "y"},
        {"NAME", "ALT=\"a NAME b\"", "d", ""},
        {"ALT", "ALT=\"caf&eacute; &Eacute;\"", "d", "caf\xE9 \xC9"},
        {"SRC", "SRC = \"a.gif\"\tWIDTH=3", "d", "a.gif"},
        {"V", "V=\"unterminated", "d", "\"unterminated"},
        {"", "X=1", "d", ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(GetAttrValue(r.name, r.attributes, r.defaultValue), r.expected)
            << r.name << " in " << r.attributes;
}

TEST(Attributes, IntAndPresence)
{
    EXPECT_EQ(GetAttrInt("WIDTH", "WIDTH=120px", 5), 120);
    EXPECT_EQ(GetAttrInt("WIDTH", "HEIGHT=3", 5), 5);
    EXPECT_EQ(GetAttrInt("WIDTH", "WIDTH=abc", 5), 0);
    EXPECT_EQ(GetAttrInt("WIDTH", "WIDTH=-7", 5), -7);
    EXPECT_EQ(GetAttrInt("WIDTH", "WIDTH=99999999999", 5), 2147483647);
    EXPECT_EQ(HasAttr("SCROLLING", "SCROLLING=no"), 1);
    EXPECT_EQ(HasAttr("SCROLLING", "SCROLLINGX=no"), 0);
    EXPECT_EQ(HasAttr("notabstop", "A=1\tNOTABSTOP"), 1);
    EXPECT_EQ(HasAttr("NAME", "NICKNAME"), 0);
}

TEST(Addresses, IsRelative)
{
    EXPECT_EQ(IsRelativeAddress("a/b.htm"), 1);
    EXPECT_EQ(IsRelativeAddress(""), 0);
    EXPECT_EQ(IsRelativeAddress("/a"), 0);
    EXPECT_EQ(IsRelativeAddress("\\a"), 0);
    EXPECT_EQ(IsRelativeAddress("res://x"), 0);
}
} // namespace
