// The end-tag index against the plain end-tag search: for every start tag of
// a text both must give the same end tag, also after replacements.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "HtmlScan.h"
#include "TestHelper.h"

namespace
{
// Every start tag of the text, as the token reader finds them.
std::vector<HtmlTagInfo> StartTags(const std::string& text)
{
    std::vector<HtmlTagInfo> tags;
    for (uint32_t at = 0; at < text.size(); ++at)
    {
        const HtmlTagInfo tag = HtmlNextTag(text.data(), uint32_t(text.size()), at, false);
        if (tag.found && tag.position == at)
            tags.push_back(tag);
    }
    return tags;
}

std::string Describe(const HtmlTagInfo& tag)
{
    return tag.found ? tag.name + "@" + std::to_string(tag.position) + "+" + std::to_string(tag.length) : "none";
}

// Asks the index about every start tag at or after from, in text order as
// the parser does, and compares with the plain search.
void ExpectSameEnds(const std::string& text, HtmlEndTagIndex& index, uint32_t from, const std::string& context)
{
    const char* p = text.data();
    const uint32_t size = uint32_t(text.size());
    for (const HtmlTagInfo& start : StartTags(text))
    {
        if (start.position < from)
            continue;
        const uint32_t after = start.position + start.length;
        HtmlTagInfo first;
        const HtmlTagInfo got = index.Find(p, size, after, start.name, &first);
        const HtmlTagInfo want = HtmlFindEndTag(p, size, after, start.name);
        ASSERT_EQ(Describe(got), Describe(want)) << context << "\nstart " << Describe(start) << " in \"" << text
                                                 << "\"";
        EXPECT_EQ(Describe(first), Describe(HtmlNextTag(p, size, after, true))) << context;
    }
}

// Small pieces that the scanner treats in all its ways: nesting, stray and
// mixed-case end tags, quotes, '<' inside tags, nameless and unclosed tags.
const char* const kPieces[] = {"<B>",  "</B>",  "<b>",   "</b >", "<P>",   "</P>", "x",      " ",
                               "<I>",  "</I>",  "<B/>",  "<\t>",  "</X ", "<",    ">",      "\"",
                               "<A \"", "<A>", "</A>", "</ B>", "<!--", "-->",  "</B <P>>", "<<B>>"};

std::string RandomText(uint32_t& seed, int pieces)
{
    std::string text;
    for (int i = 0; i < pieces; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        text += kPieces[(seed >> 16) % (sizeof kPieces / sizeof kPieces[0])];
    }
    return text;
}
} // namespace

TEST(HtmlEndTagIndex, FindsWhatThePlainSearchFinds)
{
    const std::string texts[] = {
        "<B>x</B>",
        "<B><B>x</B></B>",
        "<B><B>x</B>",
        "</B><B>x</b>",
        "<P>x<P>y<P>z</P>",
        "<FONT>a<FONT>b</FONT>c</FONT>d</FONT>",
        "<A HREF=\"a>b\">t</A>",
        "<B>x</B <P>y</B>> z </B>",
        "<B>a<\t<B>>b</B>",
        "<B>a</B" + std::string(1100, 'y') + "</B>",
        "<I><B>x</I></B>",
        "",
    };
    for (const std::string& text : texts)
    {
        HtmlEndTagIndex index;
        FD_HELPER(ExpectSameEnds(text, index, 0, "table"));
    }
    uint32_t seed = 45;
    for (int round = 0; round < 400; ++round)
    {
        const std::string text = RandomText(seed, 1 + round % 40);
        HtmlEndTagIndex index;
        FD_HELPER(ExpectSameEnds(text, index, 0, "round " + std::to_string(round)));
        if (HasFatalFailure())
            return;
    }
}

TEST(HtmlEndTagIndex, FollowsReplacementsBehindTheSearches)
{
    // As in the hand-over pass: a replacement at a tag, then the searches
    // go on from there over the new text.
    uint32_t seed = 4545;
    for (int round = 0; round < 300; ++round)
    {
        std::string text = RandomText(seed, 30);
        HtmlEndTagIndex index;
        FD_HELPER(ExpectSameEnds(text, index, 0, "before, round " + std::to_string(round)));
        uint32_t at = 0;
        for (int change = 0; change < 4; ++change)
        {
            seed = seed * 1103515245u + 12345u;
            at = text.empty() ? 0 : std::min<uint32_t>(uint32_t(text.size()), at + (seed >> 16) % 12);
            const uint32_t old = std::min<uint32_t>(uint32_t(text.size()) - at, (seed >> 8) % 9);
            const std::string inserted = RandomText(seed, int(seed % 4));
            text.replace(at, old, inserted);
            index.Spliced(at, old, uint32_t(inserted.size()));
            FD_HELPER(ExpectSameEnds(text, index, at,
                                     "round " + std::to_string(round) + " change " + std::to_string(change)));
            if (HasFatalFailure())
                return;
        }
    }
}

TEST(HtmlEndTagIndex, AWalkFarFromTheListedTagsListsAgain)
{
    // The index is first built from the inner B; the outer B's search starts
    // well before it, beyond the walk's limit.
    std::string filler;
    while (filler.size() < 2 * HtmlEndTagIndex::kWalkLimit)
        filler += "<I>x</I>";
    const std::string text = "<B>" + filler + "<B>y</B>z</B>";
    const char* p = text.data();
    const uint32_t size = uint32_t(text.size());
    const uint32_t inner = uint32_t(text.find("<B>y")) + 3;
    HtmlEndTagIndex index;
    EXPECT_EQ(Describe(index.Find(p, size, inner, "B")), Describe(HtmlFindEndTag(p, size, inner, "B")));
    EXPECT_EQ(Describe(index.Find(p, size, 3, "B")), "/B@" + std::to_string(text.size() - 4) + "+4");
    EXPECT_EQ(Describe(index.Find(p, size, 6, "I")), "/I@7+4");
}
