// The renderer on Windows: fixture pages painted into DIB sections through
// the GDI seam (pixels checked, pictures kept as BMP files in the test's
// folder), and the view window: loading, scroll bars, scrolling and the
// events it raises. The view tests need the display (run under Xvfb).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>

#include "DibSection.h"
#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlFlow.h"
#include "HtmlGdiDC.h"
#include "HtmlGdiHost.h"
#include "HtmlImageSource.h"
#include "HtmlWnd.h"
#include "TestHelper.h"

using FdHtmlTest::CDibTarget;

namespace
{
std::string PagePath(const std::string& name)
{
    return FdHtmlTest::strSourceFile("chat/html/tests/layout/" + name);
}

CTag* Find(const CTag::List& list, const std::function<bool(CTag*)>& match, int nth = 0)
{
    for (const auto& tag : list)
    {
        if (match(tag.get()) && nth-- == 0)
            return tag.get();
        if (CTag* hit = Find(tag->GetChildren(), [&](CTag* t) { return match(t) && nth-- == 0; }))
            return hit;
    }
    return nullptr;
}

CTag* FindName(const CHtmlDoc& doc, const std::string& name)
{
    return Find(doc.GetElements(), [&](CTag* t) { return t->GetName() == name; });
}

// A page loaded from the fixtures and painted into a 32-bit DIB section.
struct Painted
{
    CHtmlGdiHost host;
    CHtmlDoc doc{nullptr, &host};
    CDibTarget target;
    LayoutRect window;
    Painted(const std::string& name, int width, int height) : target(width, height, 32)
    {
        std::string error;
        EXPECT_EQ(doc.Load(PagePath(name + ".htm"), &error, nullptr, 0, 0), 0) << error;
    }
    void Paint(int32_t top = 0)
    {
        CHtmlGdiDC dc(target.dc());
        window = LayoutRect(0, top, 400, top + 300);
        doc.Layout(&dc, window);
        GdiFlush();
    }
    uint32_t Pixel(int x, int y) const { return target.dwPixel(x, y); }
    // A piece's box in window coordinates.
    LayoutRect OnScreen(const HtmlPiece* piece) const
    {
        LayoutRect r = piece->box;
        doc.GetFlow()->ToWindow(piece->box, r);
        return r;
    }
};

TEST(HtmlPainting, DrawTextWithBottomAlignmentStandsTextOnTheBox)
{
    CHtmlGdiHost host;
    CDibTarget target(120, 60, 32);
    RECT all = {0, 0, 120, 60};
    target.vFill(RGB(255, 255, 255), all);
    FontDesc desc = defaultDocumentFont();
    HFONT font = host.GetFont(desc);
    ASSERT_NE(font, nullptr);
    {
        CHtmlGdiDC dc(target.dc());
        dc.SelectFont(font);
        dc.SetBkMode(kHtmlBkTransparent);
        dc.SetTextColor(0x02000000);
        dc.DrawTextOnBottom("Hgjy", 4, LayoutRect(10, 10, 110, 40));
    }
    GdiFlush();
    int lowest = -1;
    int highest = 60;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x)
            if (target.dwPixel(x, y) != 0xFFFFFF)
            {
                lowest = std::max(lowest, y);
                highest = std::min(highest, y);
            }
    ASSERT_GE(lowest, 0) << "nothing drawn";
    EXPECT_LT(lowest, 40);
    EXPECT_GE(lowest, 34);
    EXPECT_LT(highest, 30);
    host.ReleaseFont(font);
    target.boSave(FdHtmlTest::strArtefact("text-bottom.bmp"));
}

TEST(HtmlPainting, StylesAndHeadings)
{
    Painted page("styles", 400, 300);
    page.Paint();
    page.target.boSave(FdHtmlTest::strArtefact("styles.bmp"));
    EXPECT_EQ(page.Pixel(1, 1), 0xFFFFE0u);
    EXPECT_EQ(page.Pixel(399, 299), 0xFFFFE0u);
    // Some text pixels inside the first heading's box, in the text colour.
    const CTag* h1 = FindName(page.doc, "H1");
    ASSERT_NE(h1, nullptr);
    const CTag* run = h1->GetChildren().front().get();
    ASSERT_FALSE(run->GetPieces().empty());
    const LayoutRect box = page.OnScreen(run->GetPieces()[0]);
    int ink = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            ink += page.Pixel(x, y) != 0xFFFFE0 ? 1 : 0;
    EXPECT_GT(ink, 50);
}

TEST(HtmlPainting, RulesAreEngraved)
{
    Painted page("rules", 400, 300);
    page.Paint();
    page.target.boSave(FdHtmlTest::strArtefact("rules.bmp"));
    EXPECT_EQ(page.Pixel(1, 1), 0xFFFFFFu);
    auto* hr = static_cast<CTagHR*>(FindName(page.doc, "HR"));
    ASSERT_FALSE(hr->GetPieces().empty());
    const LayoutRect band = page.OnScreen(hr->GetPieces()[0]);
    const int32_t width = band.Width() * 90 / 100;
    const int32_t left = band.left + (band.Width() - width) / 2;
    const int32_t top = band.top + (band.Height() - CTagHR::kRuleHeight) / 2;
    EXPECT_EQ(page.Pixel(left + 5, top), 0x808080u);      // top edge
    EXPECT_EQ(page.Pixel(left, top), 0x808080u);          // left edge
    EXPECT_EQ(page.Pixel(left + 5, top + 1), 0xFFFFFFu);  // bottom edge
    EXPECT_EQ(page.Pixel(left + width - 1, top + 1), 0xFFFFFFu); // right edge
    EXPECT_EQ(page.Pixel(left + 5, top - 2), 0xFFFFFFu);  // the page above
}

TEST(HtmlPainting, TableCellsAndFrames)
{
    Painted page("table", 400, 300);
    page.Paint();
    page.target.boSave(FdHtmlTest::strArtefact("table.bmp"));
    auto* table = static_cast<CTagTABLE*>(FindName(page.doc, "TABLE"));
    ASSERT_NE(table, nullptr);
    // The green cell: inside its frame, away from the text.
    const CTag* alpha = Find(page.doc.GetElements(), [](CTag* t) {
        auto* run = dynamic_cast<CTagTEXT*>(t);
        return run != nullptr && run->GetText() == "alpha";
    });
    ASSERT_NE(alpha, nullptr);
    const LayoutRect text = page.OnScreen(alpha->GetPieces()[0]);
    EXPECT_EQ(page.Pixel(text.left - 2, text.top), 0xC0FFC0u);
    EXPECT_EQ(page.Pixel(text.right + 3, text.bottom - 2), 0xC0FFC0u);
}

TEST(HtmlPainting, ATableAtTheTopPaintsItsFirstRow)
{
    CHtmlGdiHost host;
    CHtmlDoc doc(nullptr, &host);
    std::string error;
    ASSERT_EQ(doc.Load("STR://<BODY TOPMARGIN=0><TABLE><TR><TD BGCOLOR=#FF0000>x</TD></TR></TABLE></BODY>", &error,
                       nullptr, 0, 0),
              0);
    CDibTarget target(200, 50, 32);
    {
        CHtmlGdiDC dc(target.dc());
        doc.Layout(&dc, LayoutRect(0, 0, 200, 50));
    }
    GdiFlush();
    EXPECT_EQ(target.dwPixel(10, 0), 0xC0C0C0u); // the table frame's top ring
    EXPECT_EQ(target.dwPixel(8, 4), 0xFF0000u);  // inside the cell
}

TEST(HtmlPainting, ARuleBelowAFullViewIsDrawnByTheNextPaintLower)
{
    CHtmlGdiHost host;
    CHtmlDoc doc(nullptr, &host);
    std::string error;
    ASSERT_EQ(doc.Load("STR://<FONT SIZE=40>x</FONT><HR>", &error, nullptr, 0, 0), 0) << error;
    CDibTarget target(400, 300, 32);
    CHtmlGdiDC dc(target.dc());
    doc.Layout(&dc, LayoutRect(0, 0, 400, 50));
    auto* hr = static_cast<CTagHR*>(FindName(doc, "HR"));
    ASSERT_NE(hr, nullptr);
    EXPECT_TRUE(hr->GetPieces().empty());
    doc.Layout(&dc, LayoutRect(0, 50, 400, 350));
    GdiFlush();
    ASSERT_EQ(hr->GetPieces().size(), 1u);
    LayoutRect band = hr->GetPieces()[0]->box;
    doc.GetFlow()->ToWindow(hr->GetPieces()[0]->box, band);
    const int32_t width = band.Width() * 90 / 100;
    const int32_t left = band.left + (band.Width() - width) / 2;
    const int32_t top = band.top + (band.Height() - CTagHR::kRuleHeight) / 2;
    EXPECT_EQ(target.dwPixel(left + 5, top), 0x808080u);
    EXPECT_EQ(target.dwPixel(left + 5, top + 1), 0xFFFFFFu);
}

TEST(HtmlPainting, ImagesInTheFlow)
{
    Painted page("images", 400, 300);
    page.Paint();
    page.target.boSave(FdHtmlTest::strArtefact("images.bmp"));
    EXPECT_EQ(page.Pixel(1, 1), 0xE0E0FFu);
    auto* img = static_cast<CTagIMG*>(FindName(page.doc, "IMG"));
    ASSERT_NE(img, nullptr);
    ASSERT_NE(img->GetImage(), nullptr);
    ASSERT_FALSE(img->GetPieces().empty());
    const LayoutRect box = page.OnScreen(img->GetPieces()[0]);
    // The same image drawn alone over the same background gives the same pixels.
    CDibTarget alone(64, 64, 32);
    RECT all = {0, 0, 64, 64};
    alone.vFill(RGB(0xE0, 0xE0, 0xFF), all);
    img->GetImage()->iDraw(alone.dc(), 0, 0, 0);
    GdiFlush();
    const FdHtml::SImageRect r = img->GetImage()->rect();
    int differing = 0;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            differing += page.Pixel(box.left + img->GetHSpace() + x, box.top + img->GetVSpace() + y) !=
                         alone.dwPixel(x, y);
    EXPECT_EQ(differing, 0);
}

TEST(HtmlPainting, ALongPageAtItsEnd)
{
    Painted page("chat", 400, 300);
    CHtmlGdiDC measure(page.target.dc());
    const int32_t height = page.doc.MeasureHeight(&measure, LayoutRect(0, 0, 400, 300));
    ASSERT_GT(height, 300);
    page.Paint(height - 300);
    page.target.boSave(FdHtmlTest::strArtefact("chat-end.bmp"));
    EXPECT_EQ(page.Pixel(1, 1), 0xFFFFFFu);
    const CTag* last = FindName(page.doc, "B");
    ASSERT_NE(last, nullptr);
    const LayoutRect box = page.OnScreen(last->GetChildren().front()->GetPieces()[0]);
    EXPECT_LT(box.bottom, 300);
    EXPECT_GT(box.top, 250);
    int ink = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            ink += page.Pixel(x, y) == 0 ? 1 : 0;
    EXPECT_GT(ink, 20);
}

// --- the view

class RecordingEvents : public CHtmlWndEventsBase
{
public:
    std::vector<std::string> events;
    void OnTitle(std::string title, CHtmlObject*) override { events.push_back("title " + title); }
    void OnScroll(int32_t bar, int32_t position, HtmlWnd*, CHtmlObject*) override
    {
        events.push_back("scroll " + std::to_string(bar) + " " + std::to_string(position));
    }
    void OnDocumentLoaded(std::string address, int32_t result, std::string context, HtmlWnd*,
                          CHtmlObject*) override
    {
        events.push_back("loaded " + std::to_string(result) + " " + context);
        (void)address;
    }
};

// A view that counts its content moves and can fake a dragged thumb.
class TestView : public HtmlWnd
{
public:
    int moves = 0;
    int32_t dragTo = -1;

protected:
    void ScrollContent(int32_t dx, int32_t dy) override
    {
        ++moves;
        HtmlWnd::ScrollContent(dx, dy);
    }
    int32_t TrackPosition(int bar) override { return dragTo >= 0 ? dragTo : HtmlWnd::TrackPosition(bar); }
};

LRESULT CALLBACK FrameProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

class ViewTest : public testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = FrameProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HtmlViewTestFrame";
        RegisterClassA(&wc);
        frame = CreateWindowExA(0, "HtmlViewTestFrame", "view test", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(frame, nullptr) << GetLastError();
    }
    void TearDown() override
    {
        view.reset();
        if (frame != nullptr)
            DestroyWindow(frame);
    }
    void MakeView(uint32_t flags = HtmlWnd::kScrollVertical | HtmlWnd::kScrollHorizontal)
    {
        view = std::make_unique<TestView>();
        view->SetScrollFlags(flags);
        RECT rc = {0, 0, 400, 300};
        ASSERT_TRUE(view->Create(WS_CHILD | WS_VISIBLE, rc, frame, 1));
    }
    static std::string LongPage(int lines)
    {
        std::string page = "STR://<TITLE>long</TITLE>";
        for (int i = 0; i < lines; ++i)
            page += "line " + std::to_string(i) + "<BR>";
        return page;
    }
    int32_t Max(int bar)
    {
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE;
        GetScrollInfo(view->hWnd(), bar, &si);
        return si.nMax;
    }
    RECT Client()
    {
        RECT rc;
        GetClientRect(view->hWnd(), &rc);
        return rc;
    }

    HWND frame = nullptr;
    std::unique_ptr<TestView> view;
    RecordingEvents events;
};

TEST_F(ViewTest, ALoadSetsTheScrollRangeAndRaisesItsEvents)
{
    FD_HELPER(MakeView());
    ASSERT_EQ(view->LoadUrl(LongPage(100), "ctx", &events, "", 0, 0, 0), 0);
    const RECT rc = Client();
    EXPECT_LT(rc.right, 400); // the vertical bar took its place
    CDibTarget probe(10, 10, 32);
    CHtmlGdiDC dc(probe.dc());
    const int32_t height = view->GetDocument()->MeasureHeight(&dc, LayoutRect(0, 0, rc.right, rc.bottom));
    EXPECT_EQ(Max(SB_VERT), height - rc.bottom);
    EXPECT_EQ(Max(SB_HORZ), 0);
    EXPECT_EQ(events.events, (std::vector<std::string>{"title long", "loaded 0 ctx"}));
}

TEST_F(ViewTest, PageDownMovesOneClientHeightInFiveSteps)
{
    FD_HELPER(MakeView());
    ASSERT_EQ(view->LoadUrl(LongPage(200), "", &events, "", 0, 0, 0), 0);
    UpdateWindow(view->hWnd());
    const RECT rc = Client();
    view->moves = 0;
    SendMessageA(view->hWnd(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(view->moves, 5);
    EXPECT_EQ(GetScrollPos(view->hWnd(), SB_VERT), rc.bottom / 5 * 5);
    EXPECT_EQ(events.events.back(), "scroll 1 " + std::to_string(rc.bottom / 5 * 5));
    SendMessageA(view->hWnd(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(GetScrollPos(view->hWnd(), SB_VERT), rc.bottom / 5 * 5 + 4 * (rc.bottom / 20));
    SendMessageA(view->hWnd(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(GetScrollPos(view->hWnd(), SB_VERT), Max(SB_VERT));
    // Page down at the end stays there.
    SendMessageA(view->hWnd(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(GetScrollPos(view->hWnd(), SB_VERT), Max(SB_VERT));
    SendMessageA(view->hWnd(), WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(GetScrollPos(view->hWnd(), SB_VERT), 0);
    SendMessageA(view->hWnd(), WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(GetScrollPos(view->hWnd(), SB_VERT), 0);
}

TEST_F(ViewTest, AHiddenBarKeepsItsRange)
{
    FD_HELPER(MakeView(HtmlWnd::kScrollVertical | HtmlWnd::kScrollHorizontal | HtmlWnd::kHideVerticalBar));
    ASSERT_EQ(view->LoadUrl(LongPage(100), "", &events, "", 0, 0, 0), 0);
    EXPECT_EQ(GetWindowLongPtrA(view->hWnd(), GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_EQ(Client().right, 400);
    EXPECT_GT(Max(SB_VERT), 0);
    view->ScrollTo(0, 50);
    EXPECT_EQ(GetScrollPos(view->hWnd(), SB_VERT), 50);
}

TEST_F(ViewTest, AHundredThousandPixelPageScrollsPastTheSixteenBitLimitByTheThumb)
{
    FD_HELPER(MakeView());
    ASSERT_EQ(view->LoadUrl("STR://top<BR HEIGHT=100000>bottom", "", &events, "", 0, 0, 0), 0);
    ASSERT_GT(Max(SB_VERT), 99000);
    view->dragTo = 80000;
    SendMessageA(view->hWnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 80000 & 0xFFFF), 0);
    EXPECT_EQ(GetScrollPos(view->hWnd(), SB_VERT), 80000);
    view->dragTo = 0x7FFFFFFF;
    SendMessageA(view->hWnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0xFFFF), 0);
    EXPECT_EQ(GetScrollPos(view->hWnd(), SB_VERT), Max(SB_VERT));
}

TEST_F(ViewTest, OriginsAndReloads)
{
    FD_HELPER(MakeView());
    int32_t x = -1;
    int32_t y = -1;
    ASSERT_EQ(view->LoadUrl(LongPage(100), "", &events, "", 5, 7, 0), 0);
    view->GetDocument()->GetBackgroundOffset(&x, &y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 7);
    ASSERT_EQ(view->LoadUrl(LongPage(100), "", nullptr, "", HtmlWnd::kKeepOrigin, HtmlWnd::kKeepOrigin, 0), 0);
    view->GetDocument()->GetBackgroundOffset(&x, &y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 7);
    ASSERT_EQ(view->LoadUrl(LongPage(100), "", nullptr, "", 0, 0, 0), 0);
    view->GetDocument()->GetBackgroundOffset(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    // Kept scroll at the very bottom stays at the bottom of the reloaded page.
    view->ScrollTo(0, 0x7FFFFFFF);
    const int32_t bottom = GetScrollPos(view->hWnd(), SB_VERT);
    ASSERT_GT(bottom, 0);
    ASSERT_EQ(view->Navigate("again", nullptr, "", 1, HtmlWnd::kKeepOrigin, HtmlWnd::kKeepOrigin, 0), 0);
    EXPECT_EQ(GetScrollPos(view->hWnd(), SB_VERT), Max(SB_VERT));
    EXPECT_EQ(events.events.back(), "loaded 0 again");
    // A failed load leaves the empty document with zero scroll state.
    EXPECT_EQ(view->LoadUrl("FILE://Z:\\no\\such\\page.htm", "bad", nullptr, "", 0, 0, 0), 1);
    EXPECT_EQ(events.events.back(), "loaded 1 bad");
    EXPECT_EQ(GetScrollPos(view->hWnd(), SB_VERT), 0);
    EXPECT_EQ(Max(SB_VERT), 0);
    EXPECT_TRUE(view->GetDocument()->GetElements().empty());
}

TEST_F(ViewTest, AnElementOutOfViewIsScrolledIntoIt)
{
    FD_HELPER(MakeView());
    ASSERT_EQ(view->LoadUrl(LongPage(200), "", &events, "", 0, 0, 0), 0);
    UpdateWindow(view->hWnd());
    CHtmlDoc* doc = view->GetDocument();
    CTag* line = Find(doc->GetElements(), [](CTag* t) {
        auto* run = dynamic_cast<CTagTEXT*>(t);
        return run != nullptr && run->GetText() == "line 120";
    });
    ASSERT_NE(line, nullptr);
    ASSERT_FALSE(line->GetPieces().empty());
    // Painting the view at the top: the flow's bounds are the first screen.
    RedrawWindow(view->hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    doc->EnsureVisible(line);
    const int32_t position = GetScrollPos(view->hWnd(), SB_VERT);
    const LayoutRect& box = line->GetPieces()[0]->box;
    EXPECT_GT(position, 0);
    EXPECT_LE(position, box.top);
    EXPECT_GE(position + Client().bottom, box.bottom);
    EXPECT_EQ(events.events.back(), "scroll 0 0");
}

TEST_F(ViewTest, TheViewsCachesLendTheDocumentItsFonts)
{
    FD_HELPER(MakeView());
    view->CreateCaches();
    EXPECT_EQ(view->HasFontCache(nullptr), 1);
    EXPECT_EQ(view->HasSharedCaches(nullptr), 1);
    ASSERT_EQ(view->LoadUrl("STR://<B>bold</B>", "", &events, "", 0, 0, 0), 0);
    UpdateWindow(view->hWnd());
    FontDesc bold = defaultDocumentFont();
    bold.weight = 700;
    HFONT__* font = view->GetFont(&bold, nullptr);
    EXPECT_NE(font, nullptr);
    view->ReleaseFont(font, nullptr);
}

TEST_F(ViewTest, ARowGridShowsTheFirstWindowHighRowAndFollowsResizes)
{
    FD_HELPER(MakeView());
    ASSERT_EQ(view->LoadUrl(LongPage(100), "", &events, "", 0, 0, 0), 0);
    view->LayoutToWindowHeight();
    EXPECT_EQ(view->GetLayoutHeightMode(), 0);
    ASSERT_TRUE(view->GetDocument()->HasRowGrid());
    UpdateWindow(view->hWnd());
    const RECT rc = Client();
    EXPECT_EQ(Max(SB_VERT), 0);
    // Only the lines of the first row are laid out, all inside the window.
    const auto& pieces = view->GetDocument()->GetFlow()->GetPieces();
    ASSERT_FALSE(pieces.empty());
    int32_t lowest = 0;
    for (const auto& piece : pieces)
        lowest = std::max(lowest, piece->box.bottom);
    EXPECT_LE(lowest, rc.bottom + 40);
    EXPECT_GT(lowest, rc.bottom / 2);
    CDibTarget shot(rc.right, rc.bottom, 32);
    HDC window = GetDC(view->hWnd());
    BitBlt(shot.dc(), 0, 0, rc.right, rc.bottom, window, 0, 0, SRCCOPY);
    ReleaseDC(view->hWnd(), window);
    GdiFlush();
    shot.boSave(FdHtmlTest::strArtefact("view-rowgrid.bmp"));
    EXPECT_EQ(shot.dwPixel(1, 1), 0xFFFFFFu);
    int ink = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            ink += shot.dwPixel(x, y) == 0 ? 1 : 0;
    EXPECT_GT(ink, 20); // "line 0"

    // A resize lays the page out again to the new height.
    SetWindowPos(view->hWnd(), nullptr, 0, 0, 400, 150, SWP_NOZORDER | SWP_NOMOVE);
    UpdateWindow(view->hWnd());
    ASSERT_TRUE(view->GetDocument()->HasRowGrid());
    const int32_t shorter = Client().bottom;
    lowest = 0;
    for (const auto& piece : view->GetDocument()->GetFlow()->GetPieces())
        lowest = std::max(lowest, piece->box.bottom);
    EXPECT_LE(lowest, shorter + 40);
    EXPECT_GT(lowest, shorter / 2);

    // Unlimited height drops the grid and scrolls again.
    view->LayoutUnlimitedHeight();
    EXPECT_EQ(view->GetLayoutHeightMode(), -1);
    EXPECT_FALSE(view->GetDocument()->HasRowGrid());
    EXPECT_GT(Max(SB_VERT), 0);
}

TEST_F(ViewTest, ScreenshotOfALongPageAtItsEnd)
{
    FD_HELPER(MakeView());
    ASSERT_EQ(view->LoadUrl(PagePath("chat.htm"), "", &events, "", 0, 0, 0), 0);
    view->ScrollTo(0, 0x7FFFFFFF);
    UpdateWindow(view->hWnd());
    const RECT rc = Client();
    CDibTarget shot(rc.right, rc.bottom, 32);
    HDC window = GetDC(view->hWnd());
    BitBlt(shot.dc(), 0, 0, rc.right, rc.bottom, window, 0, 0, SRCCOPY);
    ReleaseDC(view->hWnd(), window);
    GdiFlush();
    shot.boSave(FdHtmlTest::strArtefact("view-end.bmp"));
    EXPECT_EQ(shot.dwPixel(1, 1), 0xFFFFFFu);
    // "The end" in bold black near the bottom.
    int ink = 0;
    for (int y = rc.bottom - 40; y < rc.bottom; ++y)
        for (int x = 0; x < 100; ++x)
            ink += shot.dwPixel(x, y) == 0 ? 1 : 0;
    EXPECT_GT(ink, 20);
}
} // namespace
