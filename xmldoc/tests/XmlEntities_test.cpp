#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "XmlEntities.h"

TEST(XmlUnformatString, Table)
{
    struct Case
    {
        const char* in;
        const char* out;
    } cases[] = {
        {"&lt;b&gt;", "<b>"},
        {"&Eacute;", "\xC9"},
        {"&eacute;&EACUTE;", "\xE9\xC9"},
        {"&#65;", "A"},
        {"&#7;", "\x07"},
        {"&#255;", "\xFF"},
        {"&#5;", "&#5;"},     // up to 6 stays
        {"&#256;", "&#256;"}, // beyond one byte stays as written
        {"&#99999999999999;", "&#99999999999999;"},
        {"&#x41;", "&#x41;"}, // decimal only
        {"&#;", "&#;"},
        {"&unknown;", "&unknown;"},
        {"a&", "a&"},
        {"&", "&"},
        {"&amp;lt;", "&lt;"}, // one pass: the result is not decoded again
        {"&crlf;", "\r\n"},
        {"&nbsp;&copy;&reg;&yuml;", "\xA0\xA9\xAE\xFF"},
        {"&aelig;&AElig;", "\xE6\xC6"},
        // The ';' must come within 15 characters of the '&'.
        {"&abcdefghijklmn;", "&abcdefghijklmn;"},
        {"&#000000000065;", "A"}, // 15 characters with the ";"
        {"&#0000000000065;", "&#0000000000065;"},
        {"x &lt y &gt; z", "x &lt y > z"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(XmlUnformatString(c.in), c.out) << c.in;
}

TEST(XmlFormatString, EscapesTheSixMarkupCharacters)
{
    EXPECT_EQ(XmlFormatString("a<b & c"), "a&lt;b &amp; c");
    EXPECT_EQ(XmlFormatString("\"'>\xA0"), "&quot;&apos;&gt;&nbsp;");
    EXPECT_EQ(XmlFormatString("\r\n\xE9\xC9"), "\r\n\xE9\xC9"); // never encoded
    EXPECT_EQ(XmlFormatString("&amp;"), "&amp;amp;");
    for (const char* text : {"a<b & c", "&lt; \"q\" 'a' \xA0", "plain", ""})
        EXPECT_EQ(XmlUnformatString(XmlFormatString(text)), text);
}

// The Latin-1 entities of HTML 4.01 (name and code point) that the table holds.
TEST(XmlEntities, AgreeWithTheHtml401Latin1List)
{
    struct Html
    {
        const char* name;
        unsigned code;
    } html[] = {
        {"nbsp", 160},   {"copy", 169},   {"reg", 174},    {"Agrave", 192}, {"Aacute", 193}, {"Acirc", 194},
        {"Auml", 196},   {"Aring", 197},  {"AElig", 198},  {"Ccedil", 199}, {"Egrave", 200}, {"Eacute", 201},
        {"Ecirc", 202},  {"Euml", 203},   {"Igrave", 204}, {"Iacute", 205}, {"Icirc", 206},  {"Iuml", 207},
        {"Ntilde", 209}, {"Ograve", 210}, {"Oacute", 211}, {"Ocirc", 212},  {"Otilde", 213}, {"Ouml", 214},
        {"Ugrave", 217}, {"Uacute", 218}, {"Ucirc", 219},  {"Uuml", 220},   {"agrave", 224}, {"aacute", 225},
        {"acirc", 226},  {"auml", 228},   {"aring", 229},  {"aelig", 230},  {"ccedil", 231}, {"egrave", 232},
        {"eacute", 233}, {"ecirc", 234},  {"euml", 235},   {"igrave", 236}, {"iacute", 237}, {"icirc", 238},
        {"iuml", 239},   {"ntilde", 241}, {"ograve", 242}, {"oacute", 243}, {"ocirc", 244},  {"otilde", 245},
        {"ouml", 246},   {"ugrave", 249}, {"uacute", 250}, {"ucirc", 251},  {"uuml", 252},   {"yuml", 255},
    };
    for (const Html& h : html)
    {
        const std::string decoded = XmlUnformatString(std::string("&") + h.name + ";");
        ASSERT_EQ(decoded.size(), 1u) << h.name;
        EXPECT_EQ(static_cast<unsigned char>(decoded[0]), h.code) << h.name;
    }
    // And the XML ones.
    EXPECT_EQ(XmlUnformatString("&lt;&gt;&amp;&quot;&apos;"), "<>&\"'");

    // Every record of the table is one of the above (or crlf).
    const CXmlEntity* table = XmlEntityTable();
    for (size_t i = 0; i < kXmlEntityCount; ++i)
    {
        EXPECT_LE(std::strlen(table[i].name), kMaxEntityNameLength);
        EXPECT_EQ(table[i].escape, i < 6) << table[i].name;
        EXPECT_EQ(XmlUnformatString(std::string("&") + table[i].name + ";"), table[i].replacement);
    }
}
