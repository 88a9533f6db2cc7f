// Layout on the host: the flow's own rules, the element passes, text runs,
// blocks, rules, text styles, tables and images, through fakes of the
// drawing seams with fixed font metrics (a byte is half the font's height
// wide; the default font is 18 high, so 9 pixels a byte).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlFakeDC.h"
#include "HtmlFlow.h"
#include "HtmlRecordingHandler.h"
#include "HtmlText.h"
#include "TestFiles.h"

using FdHtmlTest::FakeDC;
using FdHtmlTest::FakeHost;

namespace
{
CTag* Find(const CTag::List& list, const std::function<bool(CTag*)>& match, int nth = 0)
{
    std::vector<CTag*> stack;
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        stack.push_back(it->get());
    while (!stack.empty())
    {
        CTag* tag = stack.back();
        stack.pop_back();
        if (match(tag) && nth-- == 0)
            return tag;
        for (auto it = tag->GetChildren().rbegin(); it != tag->GetChildren().rend(); ++it)
            stack.push_back(it->get());
    }
    return nullptr;
}

CTag* FindName(const CHtmlDoc& doc, const std::string& name, int nth = 0)
{
    return Find(
        doc.GetElements(), [&](CTag* t) { return t->GetName() == name; }, nth);
}

CTagTEXT* FindText(const CHtmlDoc& doc, const std::string& text)
{
    return static_cast<CTagTEXT*>(Find(doc.GetElements(),
                                       [&](CTag* t)
                                       {
                                           auto* run = dynamic_cast<CTagTEXT*>(t);
                                           return run != nullptr && run->GetText() == text;
                                       }));
}

struct Page
{
    FakeHost resources;
    FakeDC dc;
    CHtmlDoc doc{nullptr, &resources};
    explicit Page(const std::string& markup, IHtmlWndEvents* handler = nullptr)
    {
        std::string error;
        EXPECT_EQ(doc.Load("STR://" + markup, &error, handler, 0, 0), 0) << error;
    }
    void Layout(int32_t width = 400, int32_t height = 300, int32_t top = 0)
    {
        doc.Layout(&dc, LayoutRect(0, top, width, top + height));
    }
};

std::string Box(const LayoutRect& r)
{
    std::ostringstream s;
    s << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
    return s.str();
}

// The pieces of every element, depth-first, one line each.
void DumpLayout(const CTag::List& list, int depth, std::ostringstream& out)
{
    for (const auto& tag : list)
    {
        out << std::string(size_t(depth) * 2, ' ') << tag->GetName();
        for (const HtmlPiece* piece : tag->GetPieces())
        {
            out << " " << Box(piece->box) << "L" << piece->line;
            if (auto* run = dynamic_cast<CTagTEXT*>(tag.get()))
                out << "\"" << run->GetText().substr(size_t(piece->text.offset), size_t(piece->text.length))
                    << "\"";
        }
        out << "\n";
        DumpLayout(tag->GetChildren(), depth + 1, out);
    }
}

// --- the flow

TEST(HtmlFlow, BoundsNarrowerThanTwiceTheMarginGiveAContentWidthOfOne)
{
    CHtmlFlow flow(nullptr, 4, 4);
    flow.SetBounds(LayoutRect(0, 0, 6, 100), true);
    EXPECT_EQ(flow.GetContent().Width(), 1);
    EXPECT_EQ(flow.GetContent().left, 4);
}

TEST(HtmlFlow, RowsBeyondTheTableTakeTheLastRowHeight)
{
    CHtmlFlow flow(nullptr, 4, 4);
    flow.SetBounds(LayoutRect(0, 0, 200, 100), true);
    flow.SetRowHeight(10);
    ASSERT_TRUE(flow.HasRowGrid());
    EXPECT_EQ(flow.RowOf(0), 0);
    EXPECT_EQ(flow.RowOf(9), 0);
    EXPECT_EQ(flow.RowOf(10), 1);
    EXPECT_EQ(flow.RowOf(95), 9);
    EXPECT_EQ(flow.RowRect(3).top, 30);
    EXPECT_EQ(flow.RowRect(3).bottom, 40);
    EXPECT_EQ(flow.RowRect(3).left, 0);
    EXPECT_EQ(flow.RowRect(3).right, 200);
    flow.SetRowHeight(0);
    EXPECT_FALSE(flow.HasRowGrid());
}

TEST(HtmlFlow, FreeAreaFollowsTheLastBoxThenSpansTheNextLine)
{
    CHtmlFlow flow(nullptr, 4, 4);
    flow.SetBounds(LayoutRect(0, 0, 208, 1000), true);
    LayoutRect area;
    ASSERT_TRUE(flow.GetFreeArea(area));
    EXPECT_EQ(Box(area), Box(LayoutRect(4, 4, 204, CHtmlFlow::kNoSpace)));
    EXPECT_TRUE(flow.IsFullWidth(area));
    flow.CreatePiece(nullptr, LayoutRect(4, 4, 50, 24), 1, nullptr, true);
    ASSERT_TRUE(flow.GetFreeArea(area));
    EXPECT_EQ(Box(area), Box(LayoutRect(50, 4, 204, 24)));
    EXPECT_FALSE(flow.IsFullWidth(area));
    int32_t line = -1;
    flow.CreatePiece(nullptr, LayoutRect(50, 4, 204, 24), 1, &line, true);
    EXPECT_EQ(line, 0);
    ASSERT_TRUE(flow.GetFreeArea(area));
    EXPECT_EQ(area.left, 4);
    EXPECT_EQ(area.right, 204);
    EXPECT_EQ(flow.GetLineNumber(), 1);
}

TEST(HtmlFlow, ALinesFirstPieceLeavesAGapOfFour)
{
    CHtmlFlow flow(nullptr, 4, 4);
    flow.SetBounds(LayoutRect(0, 0, 108, 1000), true);
    LayoutRect box(4, 4, 104, 20);
    box.lineGap = 1;
    flow.CreatePiece(nullptr, box, 1, nullptr, true);
    EXPECT_EQ(flow.GetLineTop(), 24);
    // Without the gap flag the next line starts at the bottom.
    flow.CreatePiece(nullptr, LayoutRect(4, 24, 104, 40), 1, nullptr, false);
    EXPECT_EQ(flow.GetLineTop(), 40);
    // A line of two pieces takes the largest line gap of its pieces.
    LayoutRect a(4, 40, 50, 60);
    a.lineGap = 3;
    flow.CreatePiece(nullptr, a, 1, nullptr, true);
    flow.CreatePiece(nullptr, LayoutRect(50, 40, 104, 58), 1, nullptr, true);
    EXPECT_EQ(flow.GetLineTop(), 63);
}

TEST(HtmlFlow, ABoxOnALineIsStoodOnTheLinesBaseline)
{
    CHtmlFlow flow(nullptr, 0, 0);
    flow.SetBounds(LayoutRect(0, 0, 100, 1000), true);
    LayoutRect big(0, 0, 40, 30);
    big.descent = 6; // baseline 24
    flow.CreatePiece(nullptr, big, 1, nullptr, false);
    LayoutRect small(40, 0, 60, 12);
    small.descent = 3; // baseline 9
    HtmlPiece* piece = flow.CreatePiece(nullptr, small, 1, nullptr, false);
    EXPECT_EQ(piece->box.Baseline(), 24);
    EXPECT_EQ(piece->box.Height(), 12);
}

TEST(HtmlFlow, CentringALineAsWideAsTheContentMovesNothing)
{
    CHtmlFlow flow(nullptr, 4, 4);
    flow.SetBounds(LayoutRect(0, 0, 108, 1000), true);
    HtmlPiece* a = flow.CreatePiece(nullptr, LayoutRect(4, 4, 54, 20), 1, nullptr, true);
    HtmlPiece* b = flow.CreatePiece(nullptr, LayoutRect(54, 4, 104, 20), 1, nullptr, true);
    flow.AlignHorizontal(a, b, kHtmlAlignCenter);
    EXPECT_EQ(a->box.left, 4);
    EXPECT_EQ(b->box.left, 54);
    HtmlPiece* c = flow.CreatePiece(nullptr, LayoutRect(4, 24, 34, 40), 1, nullptr, true);
    flow.AlignHorizontal(c, c, kHtmlAlignCenter);
    EXPECT_EQ(c->box.left, 4 + 35);
    flow.AlignHorizontal(c, c, kHtmlAlignRight);
    EXPECT_EQ(c->box.left, 4 + 70);
    flow.AlignHorizontal(c, c, kHtmlAlignLeft);
    EXPECT_EQ(c->box.left, 4);
}

TEST(HtmlFlow, VerticalModesOnAscentsTenAndTwenty)
{
    struct Row
    {
        int32_t mode;
        int32_t topA, topB;
    };
    // Box A: top 0, height 14, descent 4 (ascent 10), middle offset 2.
    // Box B: top 0, height 26, descent 6 (ascent 20), middle offset 4.
    // Smallest top 0, tallest ascent 20.
    const Row rows[] = {
        {kHtmlVAlignMiddle, 10 - 2, 10 - 4}, // middle lines at 0 + 20 / 2
        {kHtmlVAlignTop, 0, 0},              // tops at 0
        {kHtmlVAlignBaseline, 20 - 10, 0},   // baselines at 20
        {kHtmlVAlignFloor, -14, -26},        // bottoms at 0
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.mode);
        CHtmlFlow flow(nullptr, 0, 0);
        flow.SetBounds(LayoutRect(0, 0, 1000, 1000), true);
        LayoutRect a(0, 0, 10, 14);
        a.descent = 4;
        a.middleOffset = 2;
        LayoutRect b(10, 0, 20, 26);
        b.descent = 6;
        b.middleOffset = 4;
        HtmlPiece* pa = flow.CreatePiece(nullptr, a, 1, nullptr, false);
        HtmlPiece* pb = flow.CreatePiece(nullptr, b, 1, nullptr, false);
        // Closing the line stood A on B's baseline; start both at the top again.
        pa->box.MoveTopTo(0);
        pb->box.MoveTopTo(0);
        flow.AlignVertical(pa, pb, row.mode);
        EXPECT_EQ(pa->box.top, row.topA);
        EXPECT_EQ(pb->box.top, row.topB);
        EXPECT_EQ(pa->box.Height(), 14);
        EXPECT_EQ(pb->box.Height(), 26);
    }
}

TEST(HtmlFlow, AFullFlowHandsOutNothing)
{
    CHtmlFlow flow(nullptr, 0, 0);
    flow.SetBounds(LayoutRect(0, 0, 100, 30), true);
    LayoutRect area;
    flow.CreatePiece(nullptr, LayoutRect(0, 0, 100, 26), 1, nullptr, true);
    EXPECT_EQ(flow.GetLineTop(), 30);
    EXPECT_TRUE(flow.IsFull());
    EXPECT_FALSE(flow.GetFreeArea(area));
    // Bounds further down with the same width keep the layout and free the flow.
    EXPECT_EQ(flow.SetBounds(LayoutRect(0, 30, 100, 60), false), 1);
    EXPECT_FALSE(flow.IsFull());
    EXPECT_EQ(flow.GetPieces().size(), 1u);
    // Another width starts over.
    EXPECT_EQ(flow.SetBounds(LayoutRect(0, 30, 90, 60), false), 0);
    EXPECT_TRUE(flow.GetPieces().empty());
}

TEST(HtmlFlow, ToWindowSubtractsTheBoundsAndTellsVisibility)
{
    CHtmlFlow flow(nullptr, 4, 4);
    flow.SetBounds(LayoutRect(10, 100, 210, 200), true);
    LayoutRect window;
    EXPECT_TRUE(flow.ToWindow(LayoutRect(20, 120, 40, 140), window));
    EXPECT_EQ(Box(window), Box(LayoutRect(10, 20, 30, 40)));
    EXPECT_FALSE(flow.ToWindow(LayoutRect(20, 200, 40, 220), window));
    EXPECT_FALSE(flow.ToWindow(LayoutRect(20, 40, 40, 60), window));
    // A box whose lower half reaches into the bounds is shown.
    EXPECT_TRUE(flow.ToWindow(LayoutRect(20, 80, 40, 96), window));
}

// --- the element passes

class RecordingElement : public CTag
{
public:
    std::vector<std::string>* log = nullptr;
    void BeginLayout(CHtmlFlow*) override { log->push_back("BeginLayout"); }
    void PushStyle(CHtmlDC*) override { log->push_back("PushStyle"); }
    void Place(CHtmlDC*, CHtmlFlow*) override { log->push_back("Place"); }
    void LayoutChildren(CHtmlDC*, CHtmlFlow*) override
    {
        log->push_back("LayoutChildren");
        if (!GetChildren().empty())
            GetChildren().front()->SetLaidOut(++calls >= 2);
    }
    void PopStyle(CHtmlDC*) override { log->push_back("PopStyle"); }
    int32_t EndLayout(CHtmlFlow*) override
    {
        log->push_back("EndLayout");
        return 0;
    }
    int calls = 0;
};

TEST(HtmlElementPasses, LayoutElementPlacesOnceAndSkipsALaidOutTree)
{
    std::vector<std::string> log;
    RecordingElement element;
    element.log = &log;
    element.GetChildren().push_back(std::make_unique<CTag>());
    FakeHost resources;
    FakeDC dc;
    CHtmlFlow flow(nullptr, 4, 4);
    flow.SetBounds(LayoutRect(0, 0, 100, 100), true);
    CTag::LayoutElement(&element, &dc, &flow);
    EXPECT_EQ(log, (std::vector<std::string>{"BeginLayout", "PushStyle", "Place", "LayoutChildren",
                                             "PopStyle", "EndLayout"}));
    log.clear();
    // The child isn't laid out yet: the element runs again without placing itself.
    CTag::LayoutElement(&element, &dc, &flow);
    EXPECT_EQ(log, (std::vector<std::string>{"BeginLayout", "PushStyle", "LayoutChildren", "PopStyle",
                                             "EndLayout"}));
    log.clear();
    CTag::LayoutElement(&element, &dc, &flow);
    EXPECT_TRUE(log.empty());
}

TEST(HtmlElementPasses, AFullFlowPlacesNothingAndMarksNothing)
{
    std::vector<std::string> log;
    RecordingElement element;
    element.log = &log;
    FakeHost resources;
    FakeDC dc;
    CHtmlFlow flow(nullptr, 0, 0);
    flow.SetBounds(LayoutRect(0, 0, 100, 10), true);
    flow.CreatePiece(nullptr, LayoutRect(0, 0, 100, 20), 1, nullptr, true);
    ASSERT_TRUE(flow.IsFull());
    CTag::LayoutElement(&element, &dc, &flow);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Place"), 0);
    EXPECT_EQ(element.IsLaidOut(), 0);
}

// --- text runs

TEST(HtmlTextRuns, AWordLongerThanTheLineStandsAloneOnALine)
{
    // Content 92 wide: ten bytes of 9 pixels fit (90 < 92), eleven do not.
    Page page("ab <B>cdefghijklmnop</B> q");
    page.Layout(100, 300);
    CTagTEXT* first = FindText(page.doc, "ab ");
    CTagTEXT* word = FindText(page.doc, "cdefghijklmnop");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(word, nullptr);
    ASSERT_EQ(first->GetPieces().size(), 1u);
    ASSERT_EQ(word->GetPieces().size(), 1u);
    const LayoutRect& w = word->GetPieces()[0]->box;
    EXPECT_EQ(w.left, 4);
    EXPECT_GT(w.top, first->GetPieces()[0]->box.top);
    // The word reaches past the content's right edge.
    EXPECT_EQ(w.right, 4 + 14 * 9);
}

TEST(HtmlTextRuns, AWordFillingTheRestExactlyGoesToTheNextLine)
{
    // Content 90 wide (bounds 98): "aaaa " is 45, "bbbbb" is 45: 45 + 45 is not below 90.
    Page page("aaaa bbbbb");
    page.Layout(98, 300);
    CTagTEXT* run = FindText(page.doc, "aaaa bbbbb");
    ASSERT_NE(run, nullptr);
    ASSERT_EQ(run->GetPieces().size(), 2u);
    EXPECT_EQ(run->GetPieces()[0]->text.length, 5);
    EXPECT_EQ(run->GetPieces()[1]->box.left, 4);
    EXPECT_GT(run->GetPieces()[1]->box.top, run->GetPieces()[0]->box.top);
    // As the first word of an empty line it is taken.
    Page alone("bbbbbbbbbb");
    alone.Layout(98, 300);
    ASSERT_EQ(FindText(alone.doc, "bbbbbbbbbb")->GetPieces().size(), 1u);
}

TEST(HtmlTextRuns, LeadingAndTrailingBlanksAreMeasuredAndDrawn)
{
    Page page("<B> x </B>");
    page.Layout();
    // The tree keeps the blanks of the run as the parser folded them.
    CTagTEXT* run = static_cast<CTagTEXT*>(
        Find(page.doc.GetElements(), [](CTag* t) { return dynamic_cast<CTagTEXT*>(t) != nullptr; }));
    ASSERT_NE(run, nullptr);
    ASSERT_EQ(run->GetPieces().size(), 1u);
    EXPECT_EQ(run->GetPieces()[0]->box.Width(), int32_t(run->GetText().size()) * 9);
    ASSERT_EQ(page.dc.texts.size(), 1u);
    EXPECT_EQ(page.dc.texts[0].text, run->GetText());
}

TEST(HtmlTextRuns, ATenThousandByteRunComesOutWhole)
{
    std::string text;
    for (int i = 0; text.size() < 10000; ++i)
        text += "w" + std::to_string(i) + " ";
    text.resize(10000);
    text[4095] = 'x'; // a word across the first 4096-byte boundary
    Page page(text);
    page.Layout(4000, 0x7FFFFFFF);
    CTagTEXT* run = static_cast<CTagTEXT*>(
        Find(page.doc.GetElements(), [](CTag* t) { return dynamic_cast<CTagTEXT*>(t) != nullptr; }));
    ASSERT_NE(run, nullptr);
    std::string joined;
    for (const HtmlPiece* piece : run->GetPieces())
    {
        EXPECT_LE(piece->text.length, int32_t(CTagTEXT::kMeasureChunk));
        joined += run->GetText().substr(size_t(piece->text.offset), size_t(piece->text.length));
    }
    EXPECT_EQ(joined, run->GetText());
    std::string drawn;
    for (const auto& t : page.dc.texts)
        drawn += t.text;
    EXPECT_EQ(drawn, run->GetText());
}

TEST(HtmlTextRuns, ARunCutByTheViewsBottomResumesOnTheNextPaint)
{
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "word" + std::to_string(i) + " ";
    Page page(text);
    page.Layout(100, 60);
    CTagTEXT* run = static_cast<CTagTEXT*>(
        Find(page.doc.GetElements(), [](CTag* t) { return dynamic_cast<CTagTEXT*>(t) != nullptr; }));
    const size_t firstPaint = run->GetPieces().size();
    EXPECT_GT(firstPaint, 0u);
    EXPECT_EQ(run->IsLaidOut(), 0);
    page.Layout(100, 100000, 60);
    EXPECT_EQ(run->IsLaidOut(), 1);
    std::string joined;
    for (const HtmlPiece* piece : run->GetPieces())
        joined += run->GetText().substr(size_t(piece->text.offset), size_t(piece->text.length));
    EXPECT_EQ(joined, run->GetText());
}

TEST(HtmlTextRuns, ANulByteIsMeasuredAndEveryPassAdvances)
{
    Page page(std::string("ab\0cd ef", 8));
    page.Layout(60, 300);
    CTagTEXT* run = static_cast<CTagTEXT*>(
        Find(page.doc.GetElements(), [](CTag* t) { return dynamic_cast<CTagTEXT*>(t) != nullptr; }));
    ASSERT_NE(run, nullptr);
    ASSERT_EQ(run->GetText().size(), 8u);
    int32_t bytes = 0;
    for (const HtmlPiece* piece : run->GetPieces())
    {
        EXPECT_GT(piece->text.length, 0);
        bytes += piece->text.length;
    }
    EXPECT_EQ(bytes, 8);
    EXPECT_EQ(run->GetPieces()[0]->box.Width(), 6 * 9);
}

TEST(HtmlTextRuns, TextTallerThanTheLinesFreeAreaIsPlacedOnIt)
{
    Page page("small <FONT SIZE=10>BIG</FONT>");
    page.Layout();
    CTagTEXT* small = FindText(page.doc, "small ");
    CTagTEXT* big = FindText(page.doc, "BIG");
    ASSERT_EQ(big->GetPieces().size(), 1u);
    EXPECT_EQ(big->GetPieces()[0]->line, small->GetPieces()[0]->line);
    EXPECT_EQ(big->GetPieces()[0]->box.Height(), 40);
    EXPECT_EQ(big->GetPieces()[0]->box.Baseline(), small->GetPieces()[0]->box.Baseline());
}

TEST(HtmlTextRuns, PaintingStandsTheTextOnItsBoxInTheCurrentColour)
{
    Page page("<BODY TEXT=#102030>one <A HREF=x>two</A></BODY>");
    page.Layout(400, 300, 0);
    ASSERT_EQ(page.dc.texts.size(), 2u);
    EXPECT_EQ(page.dc.texts[0].text, "one ");
    EXPECT_EQ(page.dc.texts[0].color, 0x02302010u);
    EXPECT_EQ(page.dc.texts[1].color, 0x02000080u);
    EXPECT_EQ(page.dc.texts[0].box.bottom, page.dc.texts[1].box.bottom);
    // Scrolled down by 10, the same text is drawn 10 pixels higher.
    const int32_t top = page.dc.texts[0].box.top;
    page.dc.Clear();
    page.Layout(400, 300, 10);
    ASSERT_EQ(page.dc.texts.size(), 2u);
    EXPECT_EQ(page.dc.texts[0].box.top, top - 10);
}

TEST(HtmlTextRuns, FocusDrawsLinkLinesThatARepaintClearsAndDrawsAgain)
{
    Page page("<A HREF=x>one two three four five six seven</A>");
    page.Layout(200, 300);
    CTag* link = FindName(page.doc, "A");
    CTagTEXT* run = static_cast<CTagTEXT*>(link->GetChildren().front().get());
    const size_t boxes = run->GetPieces().size();
    ASSERT_GE(boxes, 2u);
    page.dc.Clear();
    FakeDC& dc = page.dc;
    link->SetFocusTree(1, page.doc.GetFlow(), &dc);
    // An underline and a second line under every line box.
    ASSERT_EQ(dc.lines.size(), 2 * boxes);
    const LayoutRect& first = run->GetPieces()[0]->box;
    EXPECT_EQ(dc.lines[0].y1, first.bottom);
    EXPECT_EQ(dc.lines[0].color, FakeDC::kInverted);
    EXPECT_EQ(dc.lines[1].y1, first.bottom + 2);
    EXPECT_EQ(dc.lines[1].x1, first.left + first.Height() / 8);
    // Asking again changes nothing: the lines are drawn.
    link->SetFocusTree(1, page.doc.GetFlow(), &dc);
    EXPECT_EQ(dc.lines.size(), 2 * boxes);
    // A repaint draws the text over them and then the lines again.
    dc.Clear();
    page.Layout(200, 300);
    EXPECT_EQ(dc.lines.size(), 2 * boxes);
    // Losing the focus erases them.
    dc.Clear();
    link->SetFocusTree(0, page.doc.GetFlow(), &dc);
    EXPECT_EQ(dc.lines.size(), 2 * boxes);
    dc.Clear();
    page.Layout(200, 300);
    EXPECT_TRUE(dc.lines.empty());
}

// --- blocks, breaks and rules

TEST(HtmlBlocks, BrWithoutHeightAdvancesOneLineOfTheFont)
{
    Page page("<BR><BR HEIGHT=30>x");
    page.Layout();
    CTag* first = FindName(page.doc, "BR", 0);
    CTag* second = FindName(page.doc, "BR", 1);
    ASSERT_EQ(first->GetPieces().size(), 1u);
    EXPECT_EQ(first->GetPieces()[0]->box.Height(), 18);
    EXPECT_EQ(second->GetPieces()[0]->box.Height(), 30);
    EXPECT_EQ(second->GetPieces()[0]->box.top, 4 + 18 + 4);
}

TEST(HtmlBlocks, RuleWidths)
{
    struct Row
    {
        const char* markup;
        int32_t percent;
        int32_t pixels;
        int32_t drawnWidth;
    };
    const Row rows[] = {{"<HR>", 90, 0, 90 * 192 / 100},
                        {"<HR WIDTH=150%>", 100, 0, 192},
                        {"<HR WIDTH=50%>", 50, 0, 96},
                        {"<HR WIDTH=40>", 0, 40, 40}};
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.markup);
        Page page(row.markup);
        page.Layout(200, 300);
        auto* hr = static_cast<CTagHR*>(FindName(page.doc, "HR"));
        EXPECT_EQ(hr->GetPercent(), row.percent);
        EXPECT_EQ(hr->GetPixels(), row.pixels);
        ASSERT_EQ(hr->GetPieces().size(), 1u);
        EXPECT_EQ(hr->GetPieces()[0]->box.Height(), 18);
        // An engraved frame: top and left grey, bottom and right white.
        ASSERT_EQ(page.dc.lines.size(), 4u);
        EXPECT_EQ(page.dc.lines[0].x2 - page.dc.lines[0].x1, row.drawnWidth);
        EXPECT_EQ(page.dc.lines[0].color, 0x02808080u);
        EXPECT_EQ(page.dc.lines[1].color, 0x02808080u);
        EXPECT_EQ(page.dc.lines[2].color, 0x02FFFFFFu);
        EXPECT_EQ(page.dc.lines[3].color, 0x02FFFFFFu);
    }
}

TEST(HtmlBlocks, ARuleInAFullFlowStopsLookingForABand)
{
    Page page("<FONT SIZE=40>x</FONT><HR>");
    page.Layout(200, 50);
    EXPECT_TRUE(FindName(page.doc, "HR")->GetPieces().empty());
    // The next paint further down places it.
    page.Layout(200, 300, 50);
    EXPECT_EQ(FindName(page.doc, "HR")->GetPieces().size(), 1u);
}

TEST(HtmlBlocks, CenterAndParagraphAlignTheirLines)
{
    Page page("<CENTER>ab</CENTER><P ALIGN=right>cd</P><P>ef</P>");
    page.Layout(208, 300);
    // Content 4..204.
    EXPECT_EQ(FindText(page.doc, "ab")->GetPieces()[0]->box.left, 4 + (200 - 18) / 2);
    EXPECT_EQ(FindText(page.doc, "cd")->GetPieces()[0]->box.left, 204 - 18);
    EXPECT_EQ(FindText(page.doc, "ef")->GetPieces()[0]->box.left, 4);
}

TEST(HtmlBlocks, BodySetsColoursMarginsAndBackground)
{
    Page page("<BODY BGCOLOR=#FF0000 LINK=#00FF00 ALINK=#0000FF TEXT=#010203 LEFTMARGIN=10 TOPMARGIN=0 "
              "BACKGROUND=bg.gif>x</BODY>");
    EXPECT_EQ(page.doc.GetBackgroundColor(), 0x020000FFu);
    uint32_t color = 0;
    page.doc.GetColor(1, &color);
    EXPECT_EQ(color, 0x0200FF00u);
    page.doc.GetColor(2, &color);
    EXPECT_EQ(color, 0x02FF0000u);
    page.doc.GetColor(0, &color);
    EXPECT_EQ(color, 0x02030201u);
    page.Layout();
    const LayoutRect& box = FindText(page.doc, "x")->GetPieces()[0]->box;
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 0);
    ASSERT_FALSE(page.resources.imageRequests.empty());
    EXPECT_EQ(page.resources.imageRequests.back(), "bg.gif");
}

TEST(HtmlBlocks, ResourcePagesNameTheirImagesWithRes)
{
    FakeHost resources;
    CHtmlDoc doc(nullptr, &resources);
    doc.SetSourceType("RES");
    EXPECT_EQ(doc.ImageAddress("smile.gif"), "res://smile.gif");
    EXPECT_EQ(doc.ImageAddress("FILE://C:/a.gif"), "C:\\a.gif");
    EXPECT_EQ(doc.ImageAddress("res://x.gif"), "RES://x.gif");
}

// --- the document's layout operations

TEST(HtmlDocLayout, WithoutALayoutContextNothingHappens)
{
    FakeHost resources;
    FakeDC dc;
    CHtmlDoc doc(nullptr, &resources);
    doc.Layout(&dc, LayoutRect(0, 0, 100, 100));
    EXPECT_TRUE(dc.fills.empty());
    EXPECT_EQ(doc.NeedsScroll(&dc, LayoutRect(0, 0, 100, 100)), 0);
    EXPECT_EQ(doc.MeasureHeight(&dc, LayoutRect(0, 0, 100, 100)), 0);
    uint32_t color = 0x12345678;
    EXPECT_EQ(doc.GetColor(3, &color), 0);
    EXPECT_EQ(color, 0x12345678u);
}

TEST(HtmlDocLayout, EachDocumentAsksItsOwnHost)
{
    FakeHost first;
    FakeHost second;
    first.AddImage("a.gif", 20, 10);
    second.AddImage("a.gif", 30, 15);
    CHtmlDoc a(nullptr, &first);
    CHtmlDoc b(nullptr, &second);
    const std::string page = "STR://<B>x</B><IMG SRC=a.gif>";
    ASSERT_EQ(a.Load(page, nullptr, nullptr, 0, 0), 0);
    EXPECT_FALSE(first.fontRequests.empty());
    EXPECT_EQ(first.imageRequests, (std::vector<std::string>{"a.gif"}));
    EXPECT_TRUE(second.fontRequests.empty());
    EXPECT_TRUE(second.imageRequests.empty());
    ASSERT_EQ(b.Load(page, nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(second.imageRequests, (std::vector<std::string>{"a.gif"}));
    FakeDC dc;
    a.Layout(&dc, LayoutRect(0, 0, 400, 300));
    b.Layout(&dc, LayoutRect(0, 0, 400, 300));
    const CTag* imageA = FindName(a, "IMG");
    const CTag* imageB = FindName(b, "IMG");
    ASSERT_NE(imageA, nullptr);
    ASSERT_NE(imageB, nullptr);
    // Each placed at the size its own host gave.
    EXPECT_EQ(imageB->GetPieces()[0]->box.Width() - imageA->GetPieces()[0]->box.Width(), 10);
}

TEST(HtmlDocLayout, ADocumentWithoutAHostReadsNoFileButStillLoadsText)
{
    const std::string path = testing::TempDir() + "html_layout_hostless.htm";
    std::ofstream(path, std::ios::binary) << "<P>x";
    CHtmlDoc doc;
    std::string error;
    EXPECT_EQ(doc.Load(path, &error, nullptr, 0, 0), 1);
    EXPECT_EQ(error, "File error");
    ASSERT_EQ(doc.Load("STR://<B>x</B><IMG SRC=a.gif>", nullptr, nullptr, 0, 0), 0);
    FakeDC dc;
    doc.Layout(&dc, LayoutRect(0, 0, 400, 300));
    EXPECT_NE(FindName(doc, "IMG"), nullptr);
    std::remove(path.c_str());
}

TEST(HtmlDocLayout, ATransparentBackgroundLeavesTheAreaUnpainted)
{
    Page page("x");
    page.Layout();
    ASSERT_EQ(page.dc.fills.size(), 1u);
    EXPECT_EQ(page.dc.fills[0].color, 0x02FFFFFFu);
    EXPECT_EQ(Box(page.dc.fills[0].box), Box(LayoutRect(0, 0, 400, 300)));
    page.doc.SetBackgroundColor(0xFFFFFFFF);
    page.dc.Clear();
    page.Layout();
    EXPECT_TRUE(page.dc.fills.empty());
}

TEST(HtmlDocLayout, BackgroundTilesStartAtTheOffsetModuloTheImage)
{
    Page page("<BODY BACKGROUND=tile.gif>x</BODY>");
    page.resources.AddImage("tile.gif", 8, 8);
    Page tiled("");
    tiled.resources.AddImage("tile.gif", 8, 8);
    std::string error;
    ASSERT_EQ(tiled.doc.Load("STR://<BODY BACKGROUND=tile.gif>x</BODY>", &error, nullptr, 0, 0, 10, 0), 0);
    tiled.doc.PaintBackground(&tiled.dc, LayoutRect(5, 0, 30, 8));
    ASSERT_FALSE(tiled.dc.drawnImages.empty());
    EXPECT_EQ(tiled.dc.drawnImages[0].x, -7);
    EXPECT_EQ(tiled.dc.drawnImages[0].y, 0);
    // -7, 1, 9, 17: four tiles cover 25 pixels.
    EXPECT_EQ(tiled.dc.drawnImages.size(), 4u);
    EXPECT_EQ(tiled.dc.drawnImages.back().x, 17);
}

TEST(HtmlDocLayout, MeasuringDrawsNothingAndLaterPaintsResume)
{
    std::string markup;
    for (int i = 0; i < 100; ++i)
        markup += "line " + std::to_string(i) + "<BR>";
    Page page(markup);
    const LayoutRect client(0, 0, 300, 200);
    EXPECT_EQ(page.doc.NeedsScroll(&page.dc, client), 1);
    EXPECT_TRUE(page.dc.texts.empty());
    const int32_t height = page.doc.MeasureHeight(&page.dc, client);
    EXPECT_TRUE(page.dc.texts.empty());
    // 100 lines of 18 + 2 (the line gap of the text), from 4 down, plus the margin.
    EXPECT_EQ(height, 4 + 100 * 20 + 4);
    page.Layout(300, 200, height - 200);
    ASSERT_FALSE(page.dc.texts.empty());
    EXPECT_EQ(page.dc.texts.back().text, "line 99");
    Page small("one line");
    EXPECT_EQ(small.doc.NeedsScroll(&small.dc, client), 0);
}

TEST(HtmlDocLayout, LayoutRowLaysOutTheGridRowThatHoldsY)
{
    std::string markup;
    for (int i = 0; i < 20; ++i)
        markup += "line " + std::to_string(i) + "<BR>";
    Page page(markup);
    // Without a grid there is no row to lay out.
    EXPECT_FALSE(page.doc.HasRowGrid());
    page.doc.LayoutRow(&page.dc, 0, nullptr);
    EXPECT_TRUE(page.dc.texts.empty());
    EXPECT_TRUE(page.dc.fills.empty());

    page.doc.SetRowHeight(100);
    ASSERT_TRUE(page.doc.HasRowGrid());
    const LayoutRect sides(5, 999, 305, 999);
    page.doc.LayoutRow(&page.dc, 0, &sides);
    // Lines of 20 from 4 down: the fifth (84..102) would cross into row 1,
    // so it is moved to that row's top and row 0 shows four lines.
    ASSERT_EQ(page.dc.texts.size(), 4u);
    EXPECT_EQ(page.dc.texts.back().text, "line 3");
    ASSERT_FALSE(page.dc.fills.empty());
    // The background covers the row: 300 wide, one row high.
    EXPECT_EQ(Box(page.dc.fills[0].box), Box(LayoutRect(0, 0, 300, 100)));
    EXPECT_EQ(FindText(page.doc, "line 4")->GetPieces()[0]->box.top, 100);

    // Any y inside row 1 picks that row; its lines stand from the window's top.
    page.dc.Clear();
    page.doc.LayoutRow(&page.dc, 150, &sides);
    ASSERT_FALSE(page.dc.texts.empty());
    EXPECT_EQ(page.dc.texts.front().text, "line 4");
    EXPECT_EQ(page.dc.texts.front().box.top, 0);
    // The content starts a margin right of the given left edge.
    EXPECT_EQ(page.dc.texts.front().box.left, 4);
    for (const auto& text : page.dc.texts)
        EXPECT_LT(text.box.bottom, 100) << text.text;
    EXPECT_EQ(page.doc.GetLayoutExtent(), page.doc.GetFlow()->GetTotalHeight());
    page.doc.SetRowHeight(0);
    EXPECT_FALSE(page.doc.HasRowGrid());
}

TEST(HtmlDocLayout, APointOffEveryLinkGivesThePageWideLinkWithNoElement)
{
    Page plain("<A HREF=a.htm>a</A> text");
    plain.Layout();
    std::string target = "unchanged";
    CTag* element = nullptr;
    EXPECT_EQ(plain.doc.GetLinkAt(300, 200, 0, &target, &element), "");

    Page page("<A HREF=whole.htm TARGET=main PAGEWIDE></A>some text");
    page.Layout();
    element = FindName(page.doc, "A");
    EXPECT_EQ(page.doc.GetLinkAt(300, 200, 0, &target, &element), "whole.htm");
    EXPECT_EQ(target, "main");
    EXPECT_EQ(element, nullptr);
}

// --- styles

class LendingHandler : public CHtmlWndEventsBase
{
public:
    FakeHost* resources = nullptr;
    std::vector<FontDesc> asked;
    int32_t HasFontCache(CHtmlObject*) override { return 1; }
    HFONT__* GetFont(const FontDesc* description, CHtmlObject*) override
    {
        asked.push_back(*description);
        return resources->FontOf(*description);
    }
};

TEST(HtmlStyles, AHandlerLendingFontsIsAskedForDerivedFonts)
{
    FakeHost resources;
    LendingHandler handler;
    handler.resources = &resources;
    FakeDC dc;
    CHtmlDoc doc(nullptr, &resources);
    std::string error;
    ASSERT_EQ(
        doc.Load("STR://<H1>a</H1><TABLE><TR><TH>b</TH></TR></TABLE><TT>c</TT>", &error, &handler, 0, 0), 0);
    doc.Layout(&dc, LayoutRect(0, 0, 400, 300));
    EXPECT_TRUE(resources.fontRequests.empty());
    auto asked = [&](const std::function<bool(const FontDesc&)>& match)
    { return std::any_of(handler.asked.begin(), handler.asked.end(), match); };
    EXPECT_TRUE(asked([](const FontDesc& d) { return d.height == 45 && d.weight == 700; }));
    EXPECT_TRUE(asked([](const FontDesc& d) { return d.height == 18 && d.weight == 700; }));
    EXPECT_TRUE(asked([](const FontDesc& d) { return d.face == "Courier" && d.height == 18; }));
    ASSERT_EQ(dc.texts.size(), 3u);
    EXPECT_EQ(dc.texts[0].font.height, 45);
    EXPECT_EQ(dc.texts[2].font.face, "Courier");
}

TEST(HtmlStyles, FontSizes)
{
    struct Row
    {
        const char* markup;
        int32_t height;
    };
    const Row rows[] = {
        {"<FONT SIZE=3>x</FONT>", -12},
        {"<FONT SIZE=3 TRUESIZE>x</FONT>", -3},
        {"<FONT SIZE=+1>x</FONT>", 22},
        {"<BIG>x</BIG>", 22},
        {"<BIG><BIG>x</BIG></BIG>", 26},
        {"<SMALL>x</SMALL>", 14},
        {"<FONT FACE=Arial>x</FONT>", 18},
        {"<H2>x</H2>", 36},
        {"<H3>x</H3>", 27},
        {"<H6>x</H6>", 18},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.markup);
        Page page(row.markup);
        page.Layout();
        ASSERT_EQ(page.dc.texts.size(), 1u);
        EXPECT_EQ(page.dc.texts[0].font.height, row.height);
    }
}

TEST(HtmlStyles, StylesChangeTheFontAndColourOnlyInsideThem)
{
    Page page("<B>b</B><I>i</I><U>u</U><S>s</S><FONT COLOR=#0000FF>f</FONT>n");
    page.Layout();
    ASSERT_EQ(page.dc.texts.size(), 6u);
    EXPECT_EQ(page.dc.texts[0].font.weight, 700);
    EXPECT_EQ(page.dc.texts[1].font.italic, 1);
    EXPECT_EQ(page.dc.texts[2].font.underline, 1);
    EXPECT_EQ(page.dc.texts[3].font.strikeOut, 1);
    EXPECT_EQ(page.dc.texts[4].color, 0x02FF0000u);
    EXPECT_EQ(page.dc.texts[5].font, defaultDocumentFont());
    EXPECT_EQ(page.dc.texts[5].color, 0x02000000u);
}

// --- tables

TEST(HtmlTables, Attributes)
{
    Page page("<TABLE><TR><TD>a</TD></TR></TABLE>"
              "<TABLE BORDER=0 WIDTH=-10%><TR><TD WIDTH=-10% BORDER=0>a</TD></TR></TABLE>"
              "<TABLE BORDER CELLPADDING=5><TR><TD>a</TD></TR></TABLE>"
              "<TABLE BORDER=\"\" CELLPADDING=\"\"><TR><TD>a</TD></TR></TABLE>");
    auto* plain = static_cast<CTagTABLE*>(FindName(page.doc, "TABLE", 0));
    auto* zero = static_cast<CTagTABLE*>(FindName(page.doc, "TABLE", 1));
    auto* bare = static_cast<CTagTABLE*>(FindName(page.doc, "TABLE", 2));
    auto* empty = static_cast<CTagTABLE*>(FindName(page.doc, "TABLE", 3));
    EXPECT_EQ(plain->GetBorder(), 2);
    EXPECT_EQ(static_cast<CTagTD*>(FindName(page.doc, "TD", 0))->m_border, 1);
    EXPECT_EQ(zero->GetBorder(), 0);
    EXPECT_EQ(static_cast<CTagTD*>(FindName(page.doc, "TD", 1))->m_widthPercent, 50);
    EXPECT_EQ(bare->GetBorder(), 2);
    EXPECT_EQ(bare->GetCellPadding(), 5);
    EXPECT_EQ(empty->GetBorder(), 0);
    EXPECT_EQ(empty->GetCellPadding(), 2);
    page.Layout(408, 1000);
    // A percentage of -10 is 100% of the 400-pixel content.
    EXPECT_EQ(zero->GetColumnWidths()[0], 200);
}

TEST(HtmlTables, CellPaddingIsPaddingPlusHalfTheBorderAtLeastOne)
{
    struct Row
    {
        const char* attributes;
        int32_t inner;
    };
    const Row rows[] = {{"BORDER=1 CELLPADDING=3", 4}, {"BORDER=2 CELLPADDING=3", 4},
                        {"BORDER=3 CELLPADDING=3", 4}, {"BORDER=4 CELLPADDING=3", 5},
                        {"BORDER=8 CELLPADDING=0", 4}, {"BORDER=0 CELLPADDING=3", 3}};
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.attributes);
        Page page(std::string("<TABLE ") + row.attributes + "><TR><TD>a</TD></TR></TABLE>");
        auto* table = static_cast<CTagTABLE*>(FindName(page.doc, "TABLE"));
        EXPECT_EQ(table->GetInnerPadding(), row.inner);
        page.Layout(408, 300);
        ASSERT_EQ(table->GetCursors().size(), 1u);
        const int32_t border = table->GetBorder();
        EXPECT_EQ(table->GetCursors()[0]->GetContent().left, 4 + border + row.inner);
    }
}

TEST(HtmlTables, ColumnsComeFromTheFirstRowOnly)
{
    Page page("<TABLE BORDER=0 WIDTH=300><TR><TD WIDTH=100>a</TD><TD WIDTH=50%>b</TD></TR>"
              "<TR><TD WIDTH=10>c</TD><TD>d</TD><TD>e</TD></TR></TABLE>");
    page.Layout(408, 300);
    auto* table = static_cast<CTagTABLE*>(FindName(page.doc, "TABLE"));
    ASSERT_EQ(table->GetColumnCount(), 3);
    EXPECT_EQ(table->GetColumnWidths(), (std::vector<int32_t>{100, 150, 100}));
    const int32_t pad = table->GetInnerPadding();
    EXPECT_EQ(FindText(page.doc, "c")->GetPieces()[0]->box.left, 4 + pad);
    EXPECT_EQ(FindText(page.doc, "d")->GetPieces()[0]->box.left, 4 + 100 + pad);
    EXPECT_EQ(FindText(page.doc, "e")->GetPieces()[0]->box.left, 4 + 250 + pad);
}

TEST(HtmlTables, ARowWithMoreCellsThanColumnsShowsTheFirstOnes)
{
    Page page("<TABLE><TR><TD>a</TD></TR><TR><TD>b</TD><TD>c</TD></TR></TABLE>after");
    // The first row has one cell but the widest row sets the count: 2 columns.
    page.Layout();
    auto* table = static_cast<CTagTABLE*>(FindName(page.doc, "TABLE"));
    EXPECT_EQ(table->GetColumnCount(), 2);
    Page three("<TABLE><TR><TD>a</TD><TD>b</TD></TR></TABLE>");
    auto* t3 = static_cast<CTagTABLE*>(FindName(three.doc, "TABLE"));
    EXPECT_EQ(t3->GetColumnCount(), 2);
    // The text after the table is placed below it.
    const LayoutRect& after = FindText(page.doc, "after")->GetPieces()[0]->box;
    EXPECT_GT(after.top, FindText(page.doc, "b")->GetPieces()[0]->box.bottom);
}

TEST(HtmlTables, ACaptionThatIsNotFirstIsOrdinaryContent)
{
    Page first("<TABLE><CAPTION>cap</CAPTION><TR><TD>a</TD></TR></TABLE>");
    first.Layout();
    EXPECT_LT(FindText(first.doc, "cap")->GetPieces()[0]->box.bottom,
              FindText(first.doc, "a")->GetPieces()[0]->box.top + 1);
    Page bottom("<TABLE><CAPTION ALIGN=bottom>cap</CAPTION><TR><TD>a</TD></TR></TABLE>");
    bottom.Layout();
    EXPECT_GT(FindText(bottom.doc, "cap")->GetPieces()[0]->box.top,
              FindText(bottom.doc, "a")->GetPieces()[0]->box.bottom);
    Page later("<TABLE><TR><TD>a</TD></TR><CAPTION>cap</CAPTION></TABLE>");
    later.Layout();
    EXPECT_TRUE(FindText(later.doc, "cap")->GetPieces().empty());
}

TEST(HtmlTables, PaintingFillsCellsAndFramesTheTable)
{
    Page page(
        "<BODY TOPMARGIN=0><TABLE BORDER=2><TR><TD BGCOLOR=#00FF00>a</TD><TD>b</TD></TR></TABLE></BODY>");
    page.Layout(408, 300);
    // The first row of a table at y = 0 is painted too.
    auto* table = static_cast<CTagTABLE*>(FindName(page.doc, "TABLE"));
    auto* row = static_cast<CTagTR*>(FindName(page.doc, "TR"));
    EXPECT_EQ(row->m_top, 2);
    EXPECT_EQ(row->m_done, 1);
    ASSERT_EQ(page.dc.fills.size(), 2u); // the page, then the green cell
    EXPECT_EQ(page.dc.fills[1].color, 0x0200FF00u);
    EXPECT_EQ(page.dc.fills[1].box.top, 2);
    EXPECT_EQ(page.dc.fills[1].box.left, 4 + 2 + table->GetInnerPadding() - table->GetCellPadding());
    // Two cell frames and two rings of the table frame: 4 lines each.
    EXPECT_EQ(page.dc.lines.size(), 16u);
    EXPECT_EQ(page.dc.lines[8].color, 0x02C0C0C0u);
    EXPECT_EQ(page.dc.lines[8].y1, 0);
    ASSERT_EQ(page.dc.texts.size(), 2u);
}

TEST(HtmlTables, ATallTableIsLaidOutOverSeveralPaints)
{
    std::string markup = "<TABLE>";
    for (int i = 0; i < 50; ++i)
        markup += "<TR><TD>row " + std::to_string(i) + "</TD><TD>x</TD></TR>";
    markup += "</TABLE>end";
    Page page(markup);
    page.Layout(400, 100);
    EXPECT_TRUE(FindText(page.doc, "row 49")->GetPieces().empty());
    const int32_t height = page.doc.MeasureHeight(&page.dc, LayoutRect(0, 0, 400, 100));
    EXPECT_FALSE(FindText(page.doc, "row 49")->GetPieces().empty());
    EXPECT_FALSE(FindText(page.doc, "end")->GetPieces().empty());
    EXPECT_GT(height, 50 * 18);
    page.dc.Clear();
    page.Layout(400, 100, height - 100);
    bool sawLast = false;
    for (const auto& t : page.dc.texts)
        sawLast = sawLast || t.text == "row 49";
    EXPECT_TRUE(sawLast);
}

// --- images

TEST(HtmlImages, SpacingAndSize)
{
    Page page("");
    page.resources.AddImage("a.gif", 20, 10);
    std::string error;
    ASSERT_EQ(page.doc.Load("STR://<IMG SRC=a.gif><IMG SRC=a.gif HSPACE=0 VSPACE=3 WIDTH=40>", &error,
                            nullptr, 0, 0),
              0);
    page.Layout();
    auto* first = static_cast<CTagIMG*>(FindName(page.doc, "IMG", 0));
    auto* second = static_cast<CTagIMG*>(FindName(page.doc, "IMG", 1));
    EXPECT_EQ(first->GetHSpace(), 4);
    EXPECT_EQ(first->GetVSpace(), 0);
    ASSERT_EQ(first->GetPieces().size(), 1u);
    EXPECT_EQ(first->GetPieces()[0]->box.Width(), 28);
    EXPECT_EQ(first->GetPieces()[0]->box.Height(), 10);
    EXPECT_EQ(second->GetPieces()[0]->box.Width(), 40);
    EXPECT_EQ(second->GetPieces()[0]->box.Height(), 16);
    ASSERT_EQ(page.dc.drawnImages.size(), 2u);
    EXPECT_EQ(page.dc.drawnImages[0].x, first->GetPieces()[0]->box.left + 4);
    EXPECT_FALSE(page.dc.drawnImages[0].stretch);
    EXPECT_TRUE(page.dc.drawnImages[1].stretch);
    EXPECT_EQ(page.dc.drawnImages[1].width, 40);
}

TEST(HtmlImages, HoverWithoutLayoutContextDoesNothing)
{
    FakeHost resources;
    FakeDC dc;
    CHtmlDoc doc(nullptr, &resources);
    EXPECT_EQ(doc.OnMouseMove(&dc, 0, 10, 10), 0);
    EXPECT_EQ(doc.SetImageState("b", 1, &dc), 0);
    EXPECT_EQ(doc.GetImageState("b"), 0);
}

TEST(HtmlImages, ATransparentStateImageLiesOverTheRestImageAndTheWalkEnds)
{
    Page page("");
    page.resources.AddImage("rest.gif", 20, 10);
    page.resources.AddImage("over.gif", 20, 10).transparent = true;
    page.resources.AddImage("anim.gif", 20, 10).frames = 3;
    std::string error;
    ASSERT_EQ(
        page.doc.Load("STR://<IMG SRC=rest.gif SRCMFOCUS=over.gif><IMG SRC=anim.gif>", &error, nullptr, 0, 0),
        0);
    page.Layout();
    auto* img = static_cast<CTagIMG*>(FindName(page.doc, "IMG", 0));
    auto* anim = static_cast<CTagIMG*>(FindName(page.doc, "IMG", 1));
    const LayoutRect box = img->GetPieces()[0]->box;
    page.dc.Clear();
    // One walk changes the look, one repaint, and the next walk ends it.
    EXPECT_EQ(page.doc.OnMouseMove(&page.dc, 0, box.left + 5, box.top + 5), 1);
    ASSERT_EQ(page.dc.drawnImages.size(), 2u);
    EXPECT_EQ(page.dc.drawnImages[0].image->name, "rest.gif");
    EXPECT_EQ(page.dc.drawnImages[1].image->name, "over.gif");
    EXPECT_EQ(page.doc.OnMouseMove(&page.dc, 0, box.left + 6, box.top + 5), 0);
    // Elements draw with backdrops of their own.
    EXPECT_NE(page.dc.drawnImages[1].backdrop, nullptr);
    // Without a view there is no timer: the animation stays on its first frame.
    EXPECT_EQ(anim->GetFrame(), 0);
}

// --- fixture pages: the pieces of every element, compared with golden dumps.

class LayoutPagesTest : public testing::TestWithParam<const char*>
{
};

TEST_P(LayoutPagesTest, PiecesEqualTheExpectedDump)
{
    const char* sourceDir = std::getenv("FD_SOURCE_DIR");
    ASSERT_NE(sourceDir, nullptr);
    const std::string base = std::string(sourceDir) + "/chat/html/tests/layout/" + GetParam();
    FakeHost resources;
    resources.AddImage("smiley.gif", 15, 15);
    resources.AddImage("still.gif", 16, 16);
    FakeDC dc;
    CHtmlDoc doc(nullptr, &resources);
    std::string error;
    ASSERT_EQ(doc.Load(base + ".htm", &error, nullptr, 0, 0), 0) << error;
    const int32_t height = doc.MeasureHeight(&dc, LayoutRect(0, 0, 400, 300));
    std::ostringstream out;
    out << "height " << height << "\n";
    DumpLayout(doc.GetElements(), 0, out);
    EXPECT_TRUE(
        FdTestKit::MatchesGolden(out.str(), base + ".layout", std::string(GetParam()) + ".layout.actual"));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, LayoutPagesTest,
                         testing::Values("styles", "rules", "table", "images", "chat"));
} // namespace

// Numbers in attributes come from other users' pages: the largest and
// smallest ones must give a layout without any overflow (the host build
// stops at the first one).
TEST(HtmlExtremeNumbers, LayOutMeasureAndPaintWithoutOverflow)
{
    const std::string extremes[] = {"2147483647",  "-2147483648",  "99999999999999", "-99999999999999",
                                    "2147483647%", "-2147483648%", "+2147483647"};
    const char* const templates[] = {
        "<BR HEIGHT=N>a<BR HEIGHT=N>b<BR HEIGHT=N>",
        "<FONT SIZE=N>a</FONT><FONT SIZE=+N>b<FONT SIZE=+N>c</FONT></FONT><FONT SIZE=N TRUESIZE>d</FONT>",
        "<IMG SRC=a.gif WIDTH=N HEIGHT=N HSPACE=N VSPACE=N>x<IMG SRC=a.gif WIDTH=N HSPACE=N>",
        "<INPUT TYPE=TEXT SIZE=N><INPUT TYPE=TEXT SIZE=N HEIGHT=N><SELECT SIZE=N HEIGHT=N><OPTION>o</SELECT>"
        "<INPUT TYPE=TEXTAREA SIZE=N HEIGHT=*N BORDER=N>",
        "<TABLE BORDER=N WIDTH=N CELLPADDING=N><TR><TD WIDTH=N>a</TD><TD WIDTH=N>b</TD></TR>"
        "<TR><TD>c</TD></TR></TABLE><TABLE WIDTH=N><TR><TD>d</TD></TR></TABLE>",
        "<BODY LEFTMARGIN=N TOPMARGIN=N>a<HR WIDTH=N SIZE=N>b</BODY>",
    };
    for (const char* pattern : templates)
        for (const std::string& n : extremes)
        {
            std::string markup = pattern;
            for (size_t at = markup.find("=N"); at != std::string::npos; at = markup.find("=N", at))
                markup.replace(at + 1, 1, n);
            markup += "<P>tail</P>";
            SCOPED_TRACE(markup);
            for (int copies : {1, 6})
            {
                std::string page;
                for (int i = 0; i < copies; ++i)
                    page += markup;
                Page p(page);
                p.resources.AddImage("a.gif", 20, 10);
                for (int32_t width : {400, 1})
                {
                    p.Layout(width, 300);
                    const int32_t height = p.doc.MeasureHeight(&p.dc, LayoutRect(0, 0, width, 300));
                    p.Layout(width, 300, height > 300 ? height - 300 : 0);
                }
            }
        }
}

TEST(HtmlExtremeNumbers, LengthsAreClampedWhereTheyAreRead)
{
    struct Row
    {
        const char* markup;
        int32_t height; // of the BR's box
    };
    for (const Row& r :
         {Row{"<BR HEIGHT=2147483647>", kHtmlMaxLength}, Row{"<BR HEIGHT=99999999999>", kHtmlMaxLength},
          Row{"<BR HEIGHT=100000>", 100000}, Row{"<BR HEIGHT=99999>", 99999},
          Row{"<BR HEIGHT=-2147483648>", 18}, Row{"<BR HEIGHT=0>", 0}})
    {
        Page page(r.markup);
        page.Layout();
        CTag* br = FindName(page.doc, "BR");
        ASSERT_EQ(br->GetPieces().size(), 1u) << r.markup;
        EXPECT_EQ(br->GetPieces()[0]->box.Height(), r.height) << r.markup;
    }
    for (const char* size : {"+2147483647", "+99999999999", "-2147483648", "2147483647"})
    {
        // Each nested FONT adds its size: the height stays within the bound.
        const std::string inner = std::string("<FONT SIZE=") + size + ">";
        Page page(inner + inner + inner + "x</FONT></FONT></FONT>");
        page.Layout();
        CTag* text = FindText(page.doc, "x");
        ASSERT_NE(text, nullptr);
        ASSERT_EQ(text->GetPieces().size(), 1u);
        EXPECT_LE(text->GetPieces()[0]->box.Height(), kHtmlMaxFontHeight) << size;
        EXPECT_GT(text->GetPieces()[0]->box.Height(), 0) << size;
    }
}

TEST(HtmlExtremeNumbers, APageTallerThanTheLayoutGoesStopsThere)
{
    // 25,000 breaks of the largest height would reach past 32 bits.
    std::string markup;
    for (int i = 0; i < 25000; ++i)
        markup += "<BR HEIGHT=2147483647>";
    Page page(markup + "x");
    const int32_t height = page.doc.MeasureHeight(&page.dc, LayoutRect(0, 0, 400, 300));
    EXPECT_GE(height, CHtmlFlow::kMaxTop);
    EXPECT_LE(int64_t(height), int64_t(CHtmlFlow::kMaxTop) + 2 * kHtmlMaxLength);
    page.Layout(400, 300, height - 300);
}

TEST(HtmlExtremeNumbers, ATableWiderThanTheLayoutGoes)
{
    // 25,000 columns of the largest width would reach past 32 bits.
    std::string markup = "<TABLE BORDER=1 CELLPADDING=2><TR>";
    for (int i = 0; i < 25000; ++i)
        markup += "<TD WIDTH=2147483647>x</TD>";
    Page page(markup + "</TR><TR><TD>y</TD></TR></TABLE>");
    page.Layout(400, 300);
    const int32_t height = page.doc.MeasureHeight(&page.dc, LayoutRect(0, 0, 400, 300));
    EXPECT_GT(height, 0);
    // The second row still comes below the first.
    CTag* x = FindText(page.doc, "x");
    CTag* y = FindText(page.doc, "y");
    ASSERT_NE(x, nullptr);
    ASSERT_NE(y, nullptr);
    ASSERT_EQ(x->GetPieces().size(), 1u);
    ASSERT_EQ(y->GetPieces().size(), 1u);
    EXPECT_GT(y->GetPieces()[0]->box.top, x->GetPieces()[0]->box.top);
}
