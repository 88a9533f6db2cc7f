#include "PageReader.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace FdBrowserHost;

namespace
{
SPage page(const std::string& html, FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    SPage p;
    SPageError err;
    EXPECT_TRUE(boReadPage(html, &p, &err)) << err.strText << " at " << err.offset;
    return p;
}

std::vector<std::pair<std::string, std::string>> attrs(const SPlugElement& e)
{
    std::vector<std::pair<std::string, std::string>> v;
    for (const SHtmlAttr& a : e.attrs)
        v.emplace_back(a.strName, a.strValue);
    return v;
}
} // namespace

TEST(PageReader, EmbedAttributesInPageOrder)
{
    const SPage p =
        page("<html><body>\n"
             "<EMBED Type='application/x-fd-game' width=300 HEIGHT = \"20\" hidden\n"
             " name=\"jeu &amp; co\" resources=\"dlcmpt&pound;&pound;T&eacute;l&eacute;chargement\"\n"
             " width=999 src=a.fdg/>\n"
             "</body></html>");
    ASSERT_EQ(1u, p.elements.size());
    const SPlugElement& e = p.elements[0];
    EXPECT_EQ(EPlugKind::Embed, e.eKind);
    EXPECT_EQ(-1, e.iInsideObject);
    EXPECT_EQ(13u, e.offset);
    const std::vector<std::pair<std::string, std::string>> want = {
        {"Type", "application/x-fd-game"},
        {"width", "300"},
        {"HEIGHT", "20"},
        {"hidden", ""},
        {"name", "jeu & co"},
        {"resources", "dlcmpt\xA3\xA3T\xE9l\xE9"
                      "chargement"},
        {"src", "a.fdg/"},
    };
    EXPECT_EQ(want, attrs(e)) << "names as written, first value of a repeated name, entities decoded";
    ASSERT_NE(nullptr, e.pAttr("TYPE"));
    EXPECT_EQ("application/x-fd-game", *e.pAttr("type"));
    EXPECT_EQ(nullptr, e.pAttr("classid"));
}

TEST(PageReader, ObjectParamsAndFallbackContent)
{
    const SPage p = page("<object id=x classid=\"clsid:084DAC27-6FA3-4f55-9005-033F2F102F5C\" width=10>\n"
                         "  <param name=\"launchapp\" value=\"Ludex\"><PARAM NAME=n VALUE=5 vt=I4>\n"
                         "  <param value=\"no name\"><param name=empty>\n"
                         "  <object classid=\"clsid:inner\"><param name=inner value=1></object>\n"
                         "  <embed type=\"application/x-fd-game\" launchapp=Ludex>\n"
                         "</object>\n"
                         "<param name=stray value=1><embed type=b>");
    ASSERT_EQ(4u, p.elements.size());
    const SPlugElement& outer = p.elements[0];
    EXPECT_EQ(EPlugKind::Object, outer.eKind);
    ASSERT_EQ(3u, outer.params.size());
    EXPECT_EQ("launchapp", outer.params[0].strName);
    EXPECT_EQ("Ludex", outer.params[0].strValue);
    EXPECT_EQ("", outer.params[0].strVt);
    EXPECT_EQ("n", outer.params[1].strName);
    EXPECT_EQ("5", outer.params[1].strValue);
    EXPECT_EQ("i4", outer.params[1].strVt);
    EXPECT_EQ("empty", outer.params[2].strName);
    EXPECT_EQ("", outer.params[2].strValue);

    EXPECT_EQ(0, p.elements[1].iInsideObject);
    ASSERT_EQ(1u, p.elements[1].params.size());
    EXPECT_EQ("inner", p.elements[1].params[0].strName);
    EXPECT_EQ(0, p.elements[2].iInsideObject) << "the EMBED is the outer OBJECT's fallback";
    EXPECT_EQ(EPlugKind::Embed, p.elements[2].eKind);
    EXPECT_EQ(-1, p.elements[3].iInsideObject);
}

TEST(PageReader, SkipsCommentsScriptsAndOtherRawText)
{
    const SPage p = page("<!-- <embed type=c1> --><!DOCTYPE html><?xml x?>\n"
                         "<script>document.write('<embed type=s>');</script>\n"
                         "<STYLE>embed{}</style><title><embed></title><textarea><embed type=t></TEXTAREA>\n"
                         "<noembed><embed type=n></noembed><noframes><frame name=nf></noframes>\n"
                         "<iframe name=inner src=i.htm><embed type=i></iframe>\n"
                         "a < b <3 <embed type=real>");
    ASSERT_EQ(1u, p.elements.size());
    EXPECT_EQ("real", *p.elements[0].pAttr("type"));
    ASSERT_EQ(1u, p.frames.size());
    EXPECT_EQ("inner", p.frames[0].strName);
    EXPECT_TRUE(p.frames[0].boIframe);
}

TEST(PageReader, FramesAndBase)
{
    const SPage p = page("<base href=\"http://h/dir/\"><base href=other>"
                         "<frameset cols=\"*,*\"><frame name=main src=m.htm><frame src=g.htm></frameset>");
    EXPECT_EQ("http://h/dir/", p.strBaseHref);
    ASSERT_EQ(2u, p.frames.size());
    EXPECT_EQ("main", p.frames[0].strName);
    EXPECT_EQ("m.htm", p.frames[0].strSrc);
    EXPECT_FALSE(p.frames[0].boIframe);
    EXPECT_EQ("", p.frames[1].strName);
    EXPECT_EQ("g.htm", p.frames[1].strSrc);
}

TEST(PageReader, BoundsHoldOnEachSide)
{
    auto embeds = [](std::size_t n)
    {
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s += "<embed type=x>";
        return s;
    };
    auto attrsOf = [](std::size_t n)
    {
        std::string s = "<embed";
        for (std::size_t i = 0; i < n; ++i)
            s += " a" + std::to_string(i) + "=1";
        return s + ">";
    };
    auto params = [](std::size_t n)
    {
        std::string s = "<object classid=x>";
        for (std::size_t i = 0; i < n; ++i)
            s += "<param name=p value=1>";
        return s;
    };
    auto nested = [](std::size_t n)
    {
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s += "<object>";
        return s;
    };
    struct
    {
        std::string html;
        bool ok;
    } const cases[] = {
        {embeds(kMaxPlugElements), true},
        {embeds(kMaxPlugElements + 1), false},
        {attrsOf(kMaxAttributes), true},
        {attrsOf(kMaxAttributes + 1), false},
        {params(kMaxParams), true},
        {params(kMaxParams + 1), false},
        {nested(kMaxObjectDepth), true},
        {nested(kMaxObjectDepth + 1), false},
        {"<embed v=\"" + std::string(kMaxAttrValueLength, 'v') + "\">", true},
        {"<embed v=\"" + std::string(kMaxAttrValueLength + 1, 'v') + "\">", false},
        {"<embed " + std::string(kMaxAttrNameLength, 'n') + "=1>", true},
        {"<embed " + std::string(kMaxAttrNameLength + 1, 'n') + "=1>", false},
        {std::string(kMaxPageBytes, ' '), true},
        {std::string(kMaxPageBytes + 1, ' '), false},
    };
    for (const auto& c : cases)
    {
        SPage p;
        SPageError err;
        EXPECT_EQ(c.ok, boReadPage(c.html, &p, &err))
            << c.html.substr(0, 60) << "... (" << c.html.size() << ")";
        if (!c.ok)
        {
            EXPECT_FALSE(err.strText.empty());
        }
    }
}

TEST(PageReader, UnterminatedMarkupIsAnErrorWithItsOffset)
{
    struct
    {
        const char* html;
        std::size_t offset;
    } const cases[] = {
        {"ab<embed type=x", 2},
        {"<p>x<embed a=\"never closed>", 13},
        {"<!DOCTYPE", 0},
        {"<b></b", 3},
    };
    for (const auto& c : cases)
    {
        SPage p;
        p.strBaseHref = "untouched";
        SPageError err;
        EXPECT_FALSE(boReadPage(c.html, &p, &err)) << c.html;
        EXPECT_EQ(c.offset, err.offset) << c.html;
        EXPECT_EQ("untouched", p.strBaseHref) << c.html;
    }
}
