// The HTML-built scroll bar's text side: the three tag families expanded
// through the document's hand-over, bar ids, part names, button codes and
// the thumb arithmetic (no window).
#include <gtest/gtest.h>

#include <climits>

#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlScrollBarText.h"
#include "HtmlText.h"

namespace
{
// Expands one tag as the document hands it over: -1 or the markup.
std::string Expand(CHtmlScrollBarTags& bars, const std::string& name, const std::string& attributes,
                   const std::string& content, CHtmlObject* sender)
{
    HtmlMemBlock block = nullptr;
    HtmlStringToBlock(content, &block, 0);
    const int32_t length = block != nullptr ? int32_t(content.size()) : 0;
    const int32_t result = bars.OnTag(name, attributes, &block, length, "", sender);
    std::string out = result < 0 ? "-1" : HtmlBlockToString(block, uint32_t(result));
    MemBlockFree(block);
    return out;
}

// A document as the sender of the tags.
struct Sender
{
    CHtmlDoc doc;
    CHtmlObject* get() { return &doc; }
};

TEST(ScrollBarText, MarkupOfTheThreeFamilies)
{
    CHtmlScrollBarTags bars;
    Sender doc;
    EXPECT_EQ(Expand(bars, "HTG_SCROLLBAR", "SBID=7 TARGET=main ROWS=\"20,*,20\"", "<B>in</B>", doc.get()),
              "<frameset  name=\"#SBFRAME7#MAIN\" SBID=7 TARGET=main ROWS=\"20,*,20\"><B>in</B></frameset>");
    EXPECT_EQ(Expand(bars, "HTG_SCROLLPART", "PART=UP FRAMEBORDER=0", "x", doc.get()),
              "<frame name=\"#SBFRAME7#UP\" PART=UP FRAMEBORDER=0>x</frame>");
    EXPECT_EQ(Expand(bars, "htg_scrollbut", "ACT=PAGEDOWN ALT=\"down\"", "<IMG SRC=d.gif>", doc.get()),
              "<A HREF=\"#SBBUT7#PAGEDOWN\" ACT=PAGEDOWN ALT=\"down\"><IMG SRC=d.gif></A>");
    // No content, and a part or button without document.
    EXPECT_EQ(Expand(bars, "HTG_ScrollPart", "PART=THUMB", "", nullptr),
              "<frame name=\"#SBFRAME7#THUMB\" PART=THUMB></frame>");
    EXPECT_EQ(Expand(bars, "HTG_SCROLLBUT", "SBID=other ACT=x", "", nullptr),
              "<A HREF=\"#SBBUTother#x\" SBID=other ACT=x></A>");
}

TEST(ScrollBarText, TagsThatStayForTheParser)
{
    CHtmlScrollBarTags bars;
    Sender doc;
    // No SBID and no TARGET before any bar: no id.
    EXPECT_EQ(Expand(bars, "HTG_SCROLLBAR", "ROWS=3", "", doc.get()), "-1");
    EXPECT_EQ(Expand(bars, "HTG_SCROLLPART", "PART=UP", "", doc.get()), "-1");
    EXPECT_EQ(Expand(bars, "HTG_SCROLLBUT", "ACT=LINEUP", "", doc.get()), "-1");
    // A bar needs a document.
    EXPECT_EQ(Expand(bars, "HTG_SCROLLBAR", "SBID=a", "", nullptr), "-1");
    EXPECT_EQ(bars.CountBars(), 0u);
    EXPECT_EQ(bars.GetCurrentId(), "");
    // Other names of the family, and other tags.
    for (const char* name : {"HTG_SCROLL", "HTG_SCROLLBARS", "HTG_SCROLLTHUMB", "HTG_SCROLBAR", "DYN_X", ""})
        EXPECT_EQ(Expand(bars, name, "SBID=a", "", doc.get()), "-1") << name;
}

TEST(ScrollBarText, BarIds)
{
    struct Case
    {
        const char* attributes;
        const char* current;
        const char* id;
    };
    const Case cases[] = {
        {"SBID=7 TARGET=main", "cur", "7"},
        {"TARGET=main", "cur", "FBS-main"},
        {"SBID=\"\" TARGET=Main", "cur", "FBS-Main"},
        {"TYPE=x", "cur", "cur"},
        {"TARGET", "cur", "cur"},
        {"", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HtmlScrollBarId(c.attributes, c.current), c.id) << c.attributes;
}

TEST(ScrollBarText, BarRecordsByIdAndTheCurrentId)
{
    CHtmlScrollBarTags bars;
    Sender doc;
    Expand(bars, "HTG_SCROLLBAR", "TARGET=text TYPE=plain", "", doc.get());
    ASSERT_EQ(bars.CountBars(), 1u);
    const HtmlScrollBarRecord* bar = bars.GetBar(0);
    EXPECT_EQ(bar->id, "FBS-text");
    EXPECT_EQ(bar->target, "text");
    EXPECT_EQ(bar->type, "plain");
    EXPECT_EQ(bar->vertical, 1);
    EXPECT_EQ(bar->lastPosition, -1);
    EXPECT_EQ(bars.GetCurrentId(), "FBS-text");
    // A part without id inside the bar takes the bar's id.
    EXPECT_EQ(Expand(bars, "HTG_SCROLLPART", "PART=DOWN", "", doc.get()),
              "<frame name=\"#SBFRAMEFBS-text#DOWN\" PART=DOWN></frame>");
    // The same id in other letters finds the bar and sets it anew.
    Expand(bars, "HTG_SCROLLBAR", "SBID=fbs-TEXT TARGET=other DIR=horz", "", doc.get());
    ASSERT_EQ(bars.CountBars(), 1u);
    EXPECT_EQ(bar->target, "other");
    EXPECT_EQ(bar->type, "");
    EXPECT_EQ(bar->vertical, 0);
    EXPECT_EQ(bars.GetCurrentId(), "fbs-TEXT");
    EXPECT_EQ(bars.FindBar("FBS-TEXT"), bar);
    EXPECT_EQ(bars.FindBar("FBS-"), nullptr);
}

TEST(ScrollBarText, BarsAreBounded)
{
    CHtmlScrollBarTags bars;
    Sender doc;
    for (size_t i = 0; i < CHtmlScrollBarTags::kMaxBars; ++i)
        ASSERT_NE(Expand(bars, "HTG_SCROLLBAR", "SBID=b" + std::to_string(i), "", doc.get()), "-1") << i;
    EXPECT_EQ(Expand(bars, "HTG_SCROLLBAR", "SBID=one-more", "", doc.get()), "-1");
    EXPECT_EQ(bars.CountBars(), CHtmlScrollBarTags::kMaxBars);
    EXPECT_EQ(bars.GetCurrentId(), "b" + std::to_string(CHtmlScrollBarTags::kMaxBars - 1));
    // Known ids still expand.
    EXPECT_NE(Expand(bars, "HTG_SCROLLBAR", "SBID=b0", "", doc.get()), "-1");
}

TEST(ScrollBarText, PartWords)
{
    struct Case
    {
        const char* attribute;
        const char* word;
        int32_t part;
    };
    const Case cases[] = {
        {"LEFT", "TOP", kScrollPartTop},
        {"right", "BOTTOM", kScrollPartBottom},
        {"RECTLEFT", "RECTUP", kScrollPartRectUp},
        {"RectRight", "RECTDOWN", kScrollPartRectDown},
        {"UP", "UP", kScrollPartUp},
        {"down", "down", kScrollPartDown},
        {"THUMB", "THUMB", kScrollPartThumb},
        {"TOP", "TOP", kScrollPartTop},
        {"BOTTOM", "BOTTOM", kScrollPartBottom},
        {"MAIN", "MAIN", -1},
        {"RECTBOTTOM", "RECTBOTTOM", -1},
        {"", "", -1},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(HtmlScrollPartName(c.attribute), c.word) << c.attribute;
        EXPECT_EQ(HtmlScrollPartOfWord(HtmlScrollPartName(c.attribute)), c.part) << c.attribute;
    }
    for (int32_t part = 0; part < kScrollPartCount; ++part)
        EXPECT_EQ(HtmlScrollPartOfWord(HtmlScrollPartWord(part)), part);
    EXPECT_STREQ(HtmlScrollPartWord(kScrollPartCount), "");
}

TEST(ScrollBarText, NamesParsedBack)
{
    struct Case
    {
        const char* name;
        const char* prefix;
        bool parsed;
        const char* id;
        const char* word;
    };
    const Case cases[] = {
        {"#SBBUT7#PAGEDOWN", kHtmlScrollButtonPrefix, true, "7", "PAGEDOWN"},
        {"#sbframeFBS-main#thumb", kHtmlScrollFramePrefix, true, "FBS-main", "thumb"},
        {"#SBFRAME7#MAIN", kHtmlScrollFramePrefix, true, "7", "MAIN"},
        {"#SBBUT#x#y", kHtmlScrollButtonPrefix, true, "", "x#y"},
        {"#SBBUT7#", kHtmlScrollButtonPrefix, true, "7", ""},
        {"#SBBUT7", kHtmlScrollButtonPrefix, false, "-", "-"},
        {"SBBUT7#PAGEDOWN", kHtmlScrollButtonPrefix, false, "-", "-"},
        {"#SBFRAME7#UP", kHtmlScrollButtonPrefix, false, "-", "-"},
        {"page.htm#SBBUT7#UP", kHtmlScrollButtonPrefix, false, "-", "-"},
        {"#SB", kHtmlScrollButtonPrefix, false, "-", "-"},
        {"", kHtmlScrollFramePrefix, false, "-", "-"},
    };
    for (const Case& c : cases)
    {
        std::string id = "-";
        std::string word = "-";
        EXPECT_EQ(HtmlParseScrollName(c.name, c.prefix, &id, &word), c.parsed) << c.name;
        EXPECT_EQ(id, c.id) << c.name;
        EXPECT_EQ(word, c.word) << c.name;
    }
}

TEST(ScrollBarText, ButtonCodes)
{
    struct Case
    {
        const char* action;
        int32_t code;
    };
    const Case cases[] = {
        {"TOP", 6},
        {"left", 6},
        {"BOTTOM", 7},
        {"Right", 7},
        {"LINEUP", 0},
        {"LINELEFT", 0},
        {"LINEDOWN", 1},
        {"linERIGHT", 1},
        {"PAGEUP", 2},
        {"PAGELEFT", 2},
        {"PAGEDOWN", 3},
        {"PAGERIGHT", 3},
        // Anything else sends nothing.
        {"THUMB", -1},
        {"5", -1},
        {"", -1},
        {"PAGEDOWN ", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HtmlScrollButtonCode(c.action), c.code) << c.action;
}

TEST(ScrollBarText, ThumbPlacedForThePosition)
{
    struct Case
    {
        int32_t trackStart, trackEnd, thumb, position, minimum, maximum, leading;
    };
    const Case cases[] = {
        // UP ends at 20, a track of 200, a thumb of 20, 50 of 0..100.
        {20, 220, 20, 50, 0, 100, 110},
        {20, 220, 20, 0, 0, 100, 20},
        {20, 220, 20, 100, 0, 100, 200},
        // Equal minimum and maximum: the track's start.
        {20, 220, 20, 50, 0, 0, 20},
        {20, 220, 20, 50, 100, 100, 20},
        // Kept inside the track.
        {20, 220, 20, 500, 0, 100, 200},
        {20, 220, 20, -5, 0, 100, 20},
        // A thumb as long as the track, or longer: the start.
        {20, 220, 200, 50, 0, 100, 20},
        {20, 220, 300, 50, 0, 100, 20},
        // A non-zero minimum.
        {0, 110, 10, 150, 100, 200, 50},
        // Ten million pixels on a track of a thousand: exact in 64 bits.
        {20, 1020, 20, 5000000, 0, 10000000, 510},
        {20, 1020, 20, 9999999, 0, 10000000, 999},
        {20, 1020, 20, 10000000, 0, 10000000, 1000},
        {0, 1000, 0, INT_MAX, INT_MIN, INT_MAX, 1000},
        {0, 1000, 0, 0, INT_MIN, INT_MAX, 500},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HtmlThumbLeadingEdge(c.trackStart, c.trackEnd, c.thumb, c.position, c.minimum, c.maximum),
                  c.leading)
            << c.trackStart << ".." << c.trackEnd << " thumb " << c.thumb << " position " << c.position
            << " of " << c.minimum << ".." << c.maximum;
}

TEST(ScrollBarText, ThumbDraggedToThePointer)
{
    struct Case
    {
        int32_t pointer, trackStart, trackEnd, thumb, minimum, maximum;
        int32_t leading;
        bool scroll;
        int32_t position;
    };
    const Case cases[] = {
        // Centred on the pointer: 120 - 10 is 90 past the track's start of 180 free.
        {120, 20, 220, 20, 0, 100, 110, true, 50},
        // Kept between UP and DOWN.
        {0, 20, 220, 20, 0, 100, 20, true, 0},
        {400, 20, 220, 20, 0, 100, 200, true, 100},
        // Equal minimum and maximum: nothing is sent.
        {120, 20, 220, 20, 0, 0, 110, false, 0},
        // A thumb that can't move: nothing is sent.
        {120, 20, 220, 200, 0, 100, 20, false, 0},
        // Ten million pixels: each thumb pixel is exact, the end is the end.
        {520, 20, 1020, 20, 0, 10000000, 510, true, 5000000},
        {31, 20, 1020, 20, 0, 10000000, 21, true, 10204},
        {1010, 20, 1020, 20, 0, 10000000, 1000, true, 10000000},
        {1010, 20, 1020, 20, 0, INT_MAX, 1000, true, INT_MAX},
        {10, 0, 1000, 0, INT_MIN, INT_MAX, 10, true, INT_MIN + 42949672},
    };
    for (const Case& c : cases)
    {
        const HtmlThumbDrag drag =
            HtmlThumbDragTo(c.pointer, c.trackStart, c.trackEnd, c.thumb, c.minimum, c.maximum);
        EXPECT_EQ(drag.leading, c.leading) << "pointer " << c.pointer << " range " << c.maximum;
        EXPECT_EQ(drag.scroll, c.scroll) << "pointer " << c.pointer << " range " << c.maximum;
        if (c.scroll)
        {
            EXPECT_EQ(drag.position, c.position) << "pointer " << c.pointer << " range " << c.maximum;
        }
    }
}

// The families through the document's hand-over: a bar of five parts, its
// buttons, a part that takes the bar's id, and the frames the tree builds.
TEST(ScrollBarText, ExpandedThroughTheDocument)
{
    class Tags : public CHtmlScrollBarTags
    {
    public:
        std::vector<std::vector<FrameRecord>> framesets;
        void OnFramesetCreated(const std::vector<FrameRecord>* frames, CHtmlObject*) override
        {
            framesets.push_back(*frames);
        }
    };
    Tags bars;
    CHtmlDoc doc;
    std::string error;
    const std::string page =
        "<HTG_SCROLLBAR TARGET=text ROWS=\"20,*,30,*,20\">"
        "<HTG_SCROLLPART PART=UP><HTG_SCROLLBUT ACT=LINEUP>^</HTG_SCROLLBUT></HTG_SCROLLPART>"
        "<HTG_SCROLLPART PART=RECTLEFT></HTG_SCROLLPART>"
        "<HTG_SCROLLPART PART=THUMB></HTG_SCROLLPART>"
        "<HTG_SCROLLPART PART=RECTRIGHT></HTG_SCROLLPART>"
        "<HTG_SCROLLPART PART=DOWN><HTG_SCROLLBUT ACT=LINEDOWN>v</HTG_SCROLLBUT></HTG_SCROLLPART>"
        "</HTG_SCROLLBAR>";
    ASSERT_EQ(doc.Load("STR://" + page, &error, &bars, 1, 0), 0) << error;
    EXPECT_EQ(doc.GetSource(), "<frameset  name=\"#SBFRAMEFBS-text#MAIN\" TARGET=text ROWS=\"20,*,30,*,20\">"
                               "<frame name=\"#SBFRAMEFBS-text#UP\" PART=UP>"
                               "<A HREF=\"#SBBUTFBS-text#LINEUP\" ACT=LINEUP>^</A></frame>"
                               "<frame name=\"#SBFRAMEFBS-text#RECTUP\" PART=RECTLEFT></frame>"
                               "<frame name=\"#SBFRAMEFBS-text#THUMB\" PART=THUMB></frame>"
                               "<frame name=\"#SBFRAMEFBS-text#RECTDOWN\" PART=RECTRIGHT></frame>"
                               "<frame name=\"#SBFRAMEFBS-text#DOWN\" PART=DOWN>"
                               "<A HREF=\"#SBBUTFBS-text#LINEDOWN\" ACT=LINEDOWN>v</A></frame>"
                               "</frameset>");
    ASSERT_EQ(bars.framesets.size(), 1u);
    const std::vector<FrameRecord>& frames = bars.framesets[0];
    ASSERT_EQ(frames.size(), 5u);
    const char* names[] = {"UP", "RECTUP", "THUMB", "RECTDOWN", "DOWN"};
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(frames[i].name, std::string("#SBFRAMEFBS-text#") + names[i]);
    EXPECT_NE(frames[0].address.find("<A HREF=\"#SBBUTFBS-text#LINEUP\""), std::string::npos);
    ASSERT_NE(bars.FindBar("FBS-text"), nullptr);
    EXPECT_EQ(bars.FindBar("FBS-text")->target, "text");
}
} // namespace
