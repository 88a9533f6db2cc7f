// Framesets without a window: grid lists, SCROLLING, the frame records a
// document hands to its view, the pixel layout, border hits and resizing.
#include <gtest/gtest.h>

#include <set>

#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlFrames.h"
#include "HtmlWndEvents.h"
#include "TestFiles.h"

namespace
{
std::string Sizes(const std::vector<FrameSize>& sizes)
{
    std::string out;
    for (const FrameSize& s : sizes)
    {
        if (!out.empty())
            out += ",";
        out += std::to_string(s.value) + (s.percent ? "%" : s.relative ? "*" : "px");
    }
    return out;
}

std::string Pixels(const std::vector<int32_t>& v)
{
    std::string out;
    for (int32_t x : v)
        out += (out.empty() ? "" : ",") + std::to_string(x);
    return out;
}

TEST(FrameGrid, ListsAndCounts)
{
    struct Case
    {
        const char* list;
        const char* sizes;
    };
    const Case cases[] = {
        {"", "1*"},
        {"1", "1*"},
        {"3", "33%,33%,1*"},
        {"200,200", "50%,50%"},
        {"60%,60%", "50%,50%"},
        {"30%,2*,*", "30%,2*,1*"},
        {"100,50%,*", "100px,50%,1*"},
        {"21", "100%"},
        // A count below 1 counts as 1; zero sums skip their rescale.
        {"0", "1*"},
        {"-4", "1*"},
        {"0%,0%", "0%,0%"},
        {"0,0", "0px,0px"},
        {"-50,*", "0px,1*"},
        {"2147483647,2147483647", "50%,50%"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sizes(HtmlParseFrameSizes(c.list)), c.sizes) << "list \"" << c.list << "\"";
}

TEST(FrameGrid, AxisLayout)
{
    struct Case
    {
        const char* list;
        int32_t length;
        const char* pixels;
    };
    const Case cases[] = {
        {"100,50%,*", 400, "100,150,150"},
        {"3", 300, "99,99,102"},
        {"*,2*", 300, "100,200"},
        {"0", 300, "300"},
        {"0%,0%", 300, "0,0"},
        {"0,0", 300, "0,0"},
        {"500,*", 300, "500,0"},
        {"*,*", 0, "0,0"},
        {"*", -20, "0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Pixels(HtmlLayoutFrameAxis(HtmlParseFrameSizes(c.list), c.length)), c.pixels)
            << "list \"" << c.list << "\" over " << c.length;
}

TEST(FrameGrid, Scrolling)
{
    struct Case
    {
        const char* value;
        bool left;
        bool top;
        uint32_t flags;
    };
    const Case cases[] = {
        {"", false, false, 6},          {"yes", false, false, 0x66},        {"No", false, false, 0},
        {"NO YES", false, false, 0x66}, {"invisible", false, false, 0x186}, {"#384", false, false, 384},
        {"auto", false, false, 6},      {"#384", true, false, 384 | 0x08},  {"", true, true, 6 | 0x08 | 0x10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HtmlFrameScrollFlags(c.value, 6, c.left, c.top), c.flags)
            << "SCROLLING \"" << c.value << "\"";
}

TEST(FrameGrid, WhiteSpaceOnly)
{
    EXPECT_EQ(HtmlFrameSpaces("a\t\r\n  b &lt;b&gt;"), "a b &lt;b&gt;");
}

// Keeps the records of each frameset and counts the ends.
class FrameHandler : public CHtmlWndEventsBase
{
public:
    std::vector<std::vector<FrameRecord>> framesets;
    int destroyed = 0;
    void OnFramesetCreated(const std::vector<FrameRecord>* frames, CHtmlObject*) override
    {
        framesets.push_back(*frames);
    }
    void OnFramesDestroyed(CHtmlObject*) override { ++destroyed; }
};

std::vector<FrameRecord> Load(FrameHandler& handler, CHtmlDoc& doc, const std::string& page,
                              FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    std::string error;
    EXPECT_EQ(doc.Load("STR://" + page, &error, &handler, 1, 0), 0) << page;
    EXPECT_EQ(handler.framesets.size(), 1u) << page;
    return handler.framesets.empty() ? std::vector<FrameRecord>{} : handler.framesets.back();
}

TEST(Frameset, RecordsOfTheGrid)
{
    FrameHandler handler;
    CHtmlDoc doc;
    const auto records =
        Load(handler, doc,
             "<FRAMESET COLS=\"100,50%,*\" ROWS=2>"
             "<FRAME SRC=a.htm NAME=left SCROLLING=\"#384\" SCROLLLEFT MARGINWIDTH=7 NORESIZE TABGROUP>"
             "<FRAME SRC=b.htm NAME=mid FRAMEBORDER=5 BORDERCOLOR=#FF0000 NOBORDERTOP RNDBORDER_TL=#00FF00>"
             "<FRAME>text</FRAME><FRAME><FRAME> \r\n </FRAME>"
             "<FRAME SRC=f.htm><FRAME SRC=left-out.htm></FRAMESET>");
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[0].name, "left");
    EXPECT_EQ(records[0].address, "a.htm");
    EXPECT_EQ(records[0].scrollFlags, 384u | 0x08);
    EXPECT_EQ(records[0].marginWidth, 7);
    EXPECT_EQ(records[0].marginHeight, -1);
    EXPECT_EQ(records[0].resizable, 0);
    EXPECT_EQ(records[0].tabGroup, 1);
    EXPECT_EQ(records[0].frameBorder, 3);
    EXPECT_EQ(records[0].columnSize.pixels, 1);
    EXPECT_EQ(records[0].columnSize.value, 100);
    EXPECT_EQ(records[0].rowSize.percent, 1);
    EXPECT_EQ(records[0].rowSize.value, 50);
    EXPECT_EQ(records[1].frameBorder, 5);
    EXPECT_EQ(records[1].resizable, 1);
    EXPECT_EQ(records[1].borderColors[kFrameColorBorder], 0x020000FFu);
    EXPECT_EQ(records[1].borderColors[kFrameColorDark], 0x02FFFFFFu);
    EXPECT_EQ(records[1].borderFlags[kFrameTop], 0);
    EXPECT_EQ(records[1].borderFlags[kFrameLeft], 1);
    EXPECT_EQ(records[1].roundedCorners[0], 1);
    EXPECT_EQ(uint32_t(records[1].roundedCorners[1]), 0x0200FF00u);
    EXPECT_EQ(records[1].roundedCorners[2], 0);
    EXPECT_EQ(records[2].address, "STR://<HTML>text</HTML>");
    EXPECT_EQ(records[2].columnSize.relative, 1);
    // Unnamed frames get distinct names; blank content makes no document.
    EXPECT_EQ(records[3].address, "");
    EXPECT_EQ(records[4].address, "");
    std::set<std::string> names;
    for (const FrameRecord& r : records)
        names.insert(r.name);
    EXPECT_EQ(names.size(), records.size());
    EXPECT_EQ(records[3].name.rfind("@AFNAME@", 0), 0u) << records[3].name;
    EXPECT_EQ(records[5].row, 1);
    EXPECT_EQ(records[5].column, 2);
    EXPECT_EQ(records[5].address, "f.htm");
    EXPECT_EQ(records[5].element->GetName(), "FRAME");
    EXPECT_EQ(handler.destroyed, 0);
    doc.Reset();
    EXPECT_EQ(handler.destroyed, 1);
}

TEST(Frameset, InlineTextKeepsItsReferencesForTheFramesDocument)
{
    FrameHandler handler;
    CHtmlDoc doc;
    const auto records = Load(handler, doc, "<FRAMESET><FRAME>&lt;b&gt;\tx</FRAME></FRAMESET>");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].address, "STR://<HTML>&lt;b&gt; x</HTML>");
    // The frame's own document decodes the references once: text, no B element.
    CHtmlDoc inner;
    std::string error;
    ASSERT_EQ(inner.Load(records[0].address, &error, nullptr, 1, 0), 0);
    ASSERT_EQ(inner.GetElements().size(), 1u);
    const CTag* html = inner.GetElements()[0].get();
    ASSERT_EQ(html->GetChildren().size(), 1u);
    EXPECT_EQ(html->GetChildren()[0]->GetName(), "NOTAG");
}

TEST(Frameset, ANestedFramesetIsOneFrameWithItsOwnDocument)
{
    FrameHandler handler;
    CHtmlDoc doc;
    const auto records =
        Load(handler, doc,
             "<FRAMESET COLS=\"*,*\"><FRAME SRC=a.htm>"
             "<FRAMESET ROWS=\"1,2\" NAME=inner><FRAME SRC=b.htm>\n<FRAME SRC=c.htm></FRAMESET>"
             "</FRAMESET>");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].nested, 1);
    EXPECT_EQ(records[1].name, "inner");
    EXPECT_EQ(records[1].frameBorder, 0);
    EXPECT_EQ(records[1].address, "STR://<BODY BGCOLOR=TRANSPARENT/><FRAMESET ROWS=\"1,2\" NAME=inner>"
                                  "<FRAME SRC=b.htm> <FRAME SRC=c.htm></FRAMESET>");
    // The nested document shows the inner frameset as its own grid.
    FrameHandler nestedHandler;
    CHtmlDoc nested;
    std::string error;
    ASSERT_EQ(nested.Load(records[1].address, &error, &nestedHandler, 1, 0), 0);
    ASSERT_EQ(nestedHandler.framesets.size(), 1u);
    ASSERT_EQ(nestedHandler.framesets[0].size(), 2u);
    EXPECT_EQ(nestedHandler.framesets[0][1].address, "c.htm");
    EXPECT_EQ(nestedHandler.framesets[0][1].row, 1);
}

TEST(Frameset, EdgeCases)
{
    struct Case
    {
        const char* page;
        size_t frames;
    };
    const Case cases[] = {
        {"<FRAMESET><FRAME SRC=a><FRAME SRC=b></FRAMESET>", 1},
        {"<FRAMESET COLS=\"*,*\" ROWS=\"*\"><FRAME><FRAME><FRAME><FRAME></FRAMESET>", 2},
        {"<FRAMESET COLS=0 ROWS=0><FRAME></FRAMESET>", 1},
        {"<FRAMESET COLS=\"0%,0%\" ROWS=\"0,0\"><FRAME><FRAME><FRAME><FRAME></FRAMESET>", 4},
        {"<FRAMESET></FRAMESET>", 0},
    };
    for (const Case& c : cases)
    {
        FrameHandler handler;
        CHtmlDoc doc;
        const auto records = Load(handler, doc, c.page);
        EXPECT_EQ(records.size(), c.frames) << c.page;
        // Whatever the grid, the layout divides by nothing it doesn't have.
        for (int32_t w : {0, 1, 400})
            EXPECT_EQ(HtmlLayoutFrames(records, w, w).size(), records.size()) << c.page;
    }
}

TEST(FrameLayout, CellsBordersHitsAndResizing)
{
    FrameHandler handler;
    CHtmlDoc doc;
    auto records =
        Load(handler, doc,
             "<FRAMESET COLS=\"100,50%,*\" ROWS=\"100,*\">"
             "<FRAME FRAMEBORDER=4><FRAME FRAMEBORDER=4 NOBORDERLEFT><FRAME FRAMEBORDER=4>"
             "<FRAME FRAMEBORDER=4><FRAME FRAMEBORDER=4><FRAME FRAMEBORDER=4 NORESIZE></FRAMESET>");
    ASSERT_EQ(records.size(), 6u);
    auto placed = HtmlLayoutFrames(records, 400, 300);
    ASSERT_EQ(placed.size(), 6u);
    EXPECT_EQ(placed[1].cell.left, 100);
    EXPECT_EQ(placed[1].cell.right, 250);
    EXPECT_EQ(placed[2].cell.right, 400);
    EXPECT_EQ(placed[4].cell.top, 100);
    EXPECT_EQ(placed[4].cell.bottom, 300);
    EXPECT_EQ(placed[0].inner.left, 4);
    EXPECT_EQ(placed[0].inner.right, 96);
    EXPECT_EQ(placed[1].inner.left, 100); // no left border
    EXPECT_EQ(HtmlFrameBorderWidth(4, placed[0].cell), 4);
    EXPECT_EQ(HtmlFrameBorderWidth(80, placed[0].cell), 50);
    EXPECT_EQ(HtmlFrameBorderWidth(-3, placed[0].cell), 0);

    // A column border, a row border, both, none, and a frame that won't be resized.
    FrameBorderHit hit = HtmlFrameBorderAt(records, placed, 98, 50);
    EXPECT_EQ(hit.column, 0);
    EXPECT_EQ(hit.row, -1);
    EXPECT_EQ(hit.minimum, 0);
    EXPECT_EQ(hit.maximum, 250);
    EXPECT_EQ(hit.position, 100);
    hit = HtmlFrameBorderAt(records, placed, 50, 98);
    EXPECT_EQ(hit.column, -1);
    EXPECT_EQ(hit.row, 0);
    EXPECT_EQ(hit.maximum, 300);
    hit = HtmlFrameBorderAt(records, placed, 98, 98);
    EXPECT_EQ(hit.column, 0);
    EXPECT_EQ(hit.row, 0);
    EXPECT_FALSE(HtmlFrameBorderAt(records, placed, 50, 50).Any());
    EXPECT_FALSE(HtmlFrameBorderAt(records, placed, 1, 50).Any()); // the outer edge
    EXPECT_FALSE(HtmlFrameBorderAt(records, placed, 255, 200).Any());

    // Dragging the first column border to 150: both neighbours change, the
    // last column is relative and takes the rest.
    HtmlResizeFrames(records, placed, false, 0, 150);
    placed = HtmlLayoutFrames(records, 400, 300);
    EXPECT_EQ(placed[0].cell.right, 150);
    EXPECT_EQ(placed[1].cell.right, 250);
    EXPECT_EQ(placed[5].cell.right, 400);
    EXPECT_EQ(records[2].columnSize.relative, 1);
    EXPECT_EQ(records[5].columnSize.relative, 1);
    EXPECT_EQ(records[3].columnSize.value, 150);
    // A row border dragged below the window's end stops at the last row's end.
    HtmlResizeFrames(records, placed, true, 0, 1000);
    placed = HtmlLayoutFrames(records, 400, 300);
    EXPECT_EQ(placed[0].cell.bottom, 300);
    EXPECT_EQ(records[3].rowSize.relative, 1);
    HtmlResizeFrames(records, placed, true, 5, 10); // no such border
    EXPECT_EQ(HtmlLayoutFrames(records, 400, 300)[0].cell.bottom, 300);
}
} // namespace
