// The HTML-built scroll bar over a long frame under Wine (display needed):
// the parts found as the frames come, the thumb dragged past the 16-bit
// limit, the thumb and the track frames following the target, the buttons'
// requests, and the frames forgotten when they go.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "HtmlScrollBar.h"
#include "HtmlWnd.h"
#include "PumpUntil.h"
#include "TestHelper.h"

namespace
{
// The scroll requests a target view's window receives: message and wParam.
struct Request
{
    UINT message;
    WPARAM wParam;
};
std::vector<Request> g_requests;
WNDPROC g_targetProc = nullptr;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_VSCROLL || uMsg == WM_HSCROLL)
        g_requests.push_back({uMsg, wParam});
    return CallWindowProcA(g_targetProc, hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK TopProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

// A view 400 pixels high: the long frame "text" and, on its right, a bar of
// 24 pixels: UP 20, RECTUP, THUMB 30, RECTDOWN, DOWN 20 (track 20..380).
std::string BarPage(const std::string& text, const std::string& barAttributes = "")
{
    return "STR://<FRAMESET COLS=\"*,24\" FRAMEBORDER=0>"
           "<FRAME NAME=text FRAMEBORDER=0>" +
           text +
           "</FRAME>"
           "<HTG_SCROLLBAR SBID=7 TARGET=text FRAMEBORDER=0 ROWS=\"20,*,30,*,20\" " +
           barAttributes +
           ">"
           "<HTG_SCROLLPART PART=UP FRAMEBORDER=0 SCROLLING=NO>"
           "<HTG_SCROLLBUT ACT=LINEUP>^</HTG_SCROLLBUT></HTG_SCROLLPART>"
           "<HTG_SCROLLPART PART=RECTUP FRAMEBORDER=0 SCROLLING=NO></HTG_SCROLLPART>"
           "<HTG_SCROLLPART PART=THUMB FRAMEBORDER=0 SCROLLING=NO></HTG_SCROLLPART>"
           "<HTG_SCROLLPART PART=RECTRIGHT FRAMEBORDER=0 SCROLLING=NO></HTG_SCROLLPART>"
           "<HTG_SCROLLPART PART=DOWN FRAMEBORDER=0 SCROLLING=NO>"
           "<HTG_SCROLLBUT ACT=PAGEDOWN>v</HTG_SCROLLBUT></HTG_SCROLLPART>"
           "</HTG_SCROLLBAR></FRAMESET>";
}
const char kLongText[] = "top<BR HEIGHT=100000>bottom";

constexpr int kTrackStart = 20;
constexpr int kTrackEnd = 380;
constexpr int kThumb = 30;

class ScrollBarViewTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_requests.clear();
        g_targetProc = nullptr;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TopProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HtmlScrollBarTestTop";
        RegisterClassA(&wc);
        top = CreateWindowExA(0, wc.lpszClassName, "scroll bar test", WS_POPUP | WS_VISIBLE, 0, 0, 400, 400,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(top, nullptr) << GetLastError();
        view = std::make_unique<HtmlWnd>();
        view->SetScrollFlags(0);
        const RECT rc = {0, 0, 400, 400};
        ASSERT_TRUE(view->Create(WS_CHILD | WS_VISIBLE, rc, top, 1));
        bar.SetView(view.get());
    }
    void TearDown() override
    {
        view.reset();
        if (top != nullptr)
            DestroyWindow(top);
        FdWin::vPumpWaiting();
    }
    void Load(const std::string& page)
    {
        ASSERT_EQ(view->LoadUrl(page, "", &bar, "", 0, 0, 0), 0);
        FdWin::vPumpWaiting();
        target = view->FindFrameWnd("text");
        ASSERT_NE(target, nullptr);
        // Every request that reaches the target's window is recorded.
        g_targetProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(target->hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));
        bar.RefreshParts();
        g_requests.clear();
    }
    HtmlWnd* Part(int32_t part) const
    {
        const CHtmlScrollBar::Bar* b = bar.FindScrollBar(barId);
        return b != nullptr ? b->parts[part] : nullptr;
    }
    // A part's window in its parent's client area.
    RECT Placed(int32_t part) const
    {
        RECT rc = {-1, -1, -1, -1};
        HtmlWnd* v = Part(part);
        if (v == nullptr || v->hWnd() == nullptr)
            return rc;
        GetWindowRect(v->hWnd(), &rc);
        MapWindowPoints(nullptr, GetParent(v->hWnd()), reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    int Axis() const { return vertical ? SB_VERT : SB_HORZ; }
    int32_t Position() const { return GetScrollPos(target->hWnd(), Axis()); }
    int32_t Maximum() const
    {
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE;
        GetScrollInfo(target->hWnd(), Axis(), &si);
        return si.nMax;
    }
    // Where a rectangle begins and ends along the bar.
    LONG Lead(const RECT& rc) const { return vertical ? rc.top : rc.left; }
    LONG Trail(const RECT& rc) const { return vertical ? rc.bottom : rc.right; }
    // Presses the thumb, drags it so that its top is `offset` pixels into
    // the track (the pointer at its middle), and lets go.
    void DragThumbTo(int offset)
    {
        HWND thumb = Part(kScrollPartThumb)->hWnd();
        const RECT start = Placed(kScrollPartThumb);
        const int along = kTrackStart + offset + kThumb / 2 - Lead(start);
        const LPARAM from = vertical ? MAKELPARAM(5, kThumb / 2) : MAKELPARAM(kThumb / 2, 5);
        const LPARAM to = vertical ? MAKELPARAM(5, along) : MAKELPARAM(along, 5);
        SendMessageA(thumb, WM_LBUTTONDOWN, MK_LBUTTON, from);
        SendMessageA(thumb, WM_MOUSEMOVE, MK_LBUTTON, to);
        SendMessageA(thumb, WM_LBUTTONUP, 0, to);
        FdWin::vPumpWaiting();
    }
    // Thumb and track frames: the thumb's top, RECTUP's bottom one past it,
    // RECTDOWN's top one before the thumb's bottom.
    void ExpectThumbAt(int leading, int line)
    {
        SCOPED_TRACE("thumb expected at " + std::to_string(leading) + ", line " + std::to_string(line));
        const RECT thumb = Placed(kScrollPartThumb);
        EXPECT_EQ(Lead(thumb), leading);
        EXPECT_EQ(Trail(thumb) - Lead(thumb), kThumb);
        EXPECT_EQ(Lead(Placed(kScrollPartRectUp)), kTrackStart);
        EXPECT_EQ(Trail(Placed(kScrollPartRectUp)), leading + 1);
        EXPECT_EQ(Lead(Placed(kScrollPartRectDown)), leading + kThumb - 1);
        EXPECT_EQ(Trail(Placed(kScrollPartRectDown)), kTrackEnd);
    }

    HWND top = nullptr;
    std::unique_ptr<HtmlWnd> view;
    CHtmlScrollBar bar;
    HtmlWnd* target = nullptr;
    std::string barId = "7";
    bool vertical = true;
};

TEST_F(ScrollBarViewTest, ThePartsAreTheFramesOfTheExpandedBar)
{
    FD_HELPER(Load(BarPage(kLongText)));
    const CHtmlScrollBar::Bar* b = bar.FindScrollBar("7");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->target, "text");
    EXPECT_EQ(b->targetView, target);
    const char* names[] = {nullptr, nullptr, "UP", "DOWN", "RECTUP", "RECTDOWN", "THUMB"};
    for (int32_t part = kScrollPartUp; part < kScrollPartCount; ++part)
    {
        ASSERT_NE(Part(part), nullptr) << names[part];
        EXPECT_EQ(Part(part)->GetFrameName(), std::string("#SBFRAME7#") + names[part]);
        EXPECT_EQ(Part(part), view->FindFrameWnd(std::string("#sbframe7#") + names[part]));
    }
    EXPECT_EQ(Part(kScrollPartTop), nullptr);
    EXPECT_EQ(Part(kScrollPartBottom), nullptr);
    // The first refresh puts the thumb at the track's start.
    ExpectThumbAt(kTrackStart, __LINE__);
}

TEST_F(ScrollBarViewTest, DraggingTheThumbScrollsPastTheSixteenBitLimit)
{
    FD_HELPER(Load(BarPage(kLongText)));
    const int32_t max = Maximum();
    ASSERT_GT(max, 99000);
    const int free = kTrackEnd - kTrackStart - kThumb;
    DragThumbTo(300);
    // 300 of 330 free pixels: the whole 32-bit position, exact.
    const int32_t expected = int32_t(int64_t(300) * max / free);
    ASSERT_GT(expected, 65535);
    EXPECT_EQ(Position(), expected);
    ASSERT_FALSE(g_requests.empty());
    EXPECT_EQ(g_requests[0].message, UINT(WM_VSCROLL));
    EXPECT_EQ(LOWORD(g_requests[0].wParam), SB_THUMBTRACK);
    EXPECT_EQ(HIWORD(g_requests[0].wParam), expected & 0xFFFF);
    // The thumb follows the target, the track frames meet it.
    ExpectThumbAt(kTrackStart + int(int64_t(free) * expected / max), __LINE__);
    // To the end and back to the start.
    DragThumbTo(free + 50);
    EXPECT_EQ(Position(), max);
    ExpectThumbAt(kTrackEnd - kThumb, __LINE__);
    DragThumbTo(-50);
    EXPECT_EQ(Position(), 0);
    ExpectThumbAt(kTrackStart, __LINE__);
}

TEST_F(ScrollBarViewTest, ScrollingTheTargetMovesTheThumbAndTheTrackFrames)
{
    FD_HELPER(Load(BarPage(kLongText)));
    const int32_t max = Maximum();
    const int free = kTrackEnd - kTrackStart - kThumb;
    target->ScrollTo(0, max / 2);
    ExpectThumbAt(kTrackStart + int(int64_t(free) * (max / 2) / max), __LINE__);
    SendMessageA(target->hWnd(), WM_VSCROLL, SB_BOTTOM, 0);
    ExpectThumbAt(kTrackEnd - kThumb, __LINE__);
    SendMessageA(target->hWnd(), WM_VSCROLL, SB_TOP, 0);
    ExpectThumbAt(kTrackStart, __LINE__);
    // A layout puts the frames back on their grid; the refresh places them again.
    target->ScrollTo(0, 70000);
    MoveWindow(view->hWnd(), 0, 0, 400, 400, TRUE);
    view->LayoutFrames();
    bar.RefreshParts();
    ExpectThumbAt(kTrackStart + int(int64_t(free) * 70000 / max), __LINE__);
}

TEST_F(ScrollBarViewTest, AHeldButtonSendsItsRequestToTheTarget)
{
    FD_HELPER(Load(BarPage(kLongText)));
    HtmlWnd* down = Part(kScrollPartDown);
    ASSERT_NE(down, nullptr);
    RECT client;
    GetClientRect(target->hWnd(), &client);
    const int32_t step = 5 * (client.bottom / 5);
    // The link's ticks while the button is held, as the document raises them
    // in the button's frame: each sends PAGEDOWN (3) as WM_VSCROLL.
    down->OnLinkTick("#SBBUT7#PAGEDOWN", "", 1, 0, down->GetDocument());
    down->OnLinkTick("#SBBUT7#PAGEDOWN", "", 1, 0, down->GetDocument());
    ASSERT_EQ(g_requests.size(), 2u);
    for (const Request& r : g_requests)
    {
        EXPECT_EQ(r.message, UINT(WM_VSCROLL));
        EXPECT_EQ(r.wParam, WPARAM(SB_PAGEDOWN));
    }
    EXPECT_EQ(Position(), 2 * step);
    // The release: the view must not follow the link, and the ticks did the scrolling.
    EXPECT_EQ(down->OnLinkClick("#SBBUT7#PAGEDOWN", "", down), 0);
    EXPECT_EQ(g_requests.size(), 2u);
    // Ticks without the button held send nothing.
    down->OnLinkTick("#SBBUT7#PAGEDOWN", "", 0, 0, down->GetDocument());
    EXPECT_EQ(g_requests.size(), 2u);
    // A short click that no tick saw scrolls once itself.
    EXPECT_EQ(down->OnLinkClick("#SBBUT7#PAGEDOWN", "", down), 0);
    ASSERT_EQ(g_requests.size(), 3u);
    EXPECT_EQ(Position(), 3 * step);
    // The thumb followed.
    EXPECT_GT(Placed(kScrollPartThumb).top, kTrackStart);
    // LINEUP from the other button, by its own id in other letters.
    Part(kScrollPartUp)->OnLinkTick("#sbbut7#lineup", "", 1, 0, nullptr);
    ASSERT_EQ(g_requests.size(), 4u);
    EXPECT_EQ(g_requests[3].wParam, WPARAM(SB_LINEUP));
}

// The view's own link path: Tab to a button, Enter. No tick sees that
// click, so it sends the button's request once; the view stays on its page.
TEST_F(ScrollBarViewTest, EnterOnAFocusedButtonSendsItsRequestOnce)
{
    FD_HELPER(Load(BarPage(kLongText)));
    SetFocus(view->hWnd());
    FdWin::vPumpWaiting();
    const WPARAM expected[] = {SB_LINEUP, SB_PAGEDOWN};
    for (size_t i = 0; i < 2; ++i)
    {
        SendMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
        FdWin::vPumpWaiting();
        SendMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
        FdWin::vPumpWaiting();
        ASSERT_EQ(g_requests.size(), i + 1);
        EXPECT_EQ(g_requests[i].message, UINT(WM_VSCROLL));
        EXPECT_EQ(g_requests[i].wParam, expected[i]);
    }
    RECT client;
    GetClientRect(target->hWnd(), &client);
    EXPECT_EQ(Position(), 5 * (client.bottom / 5));
    // The buttons' frames still show their own pages.
    EXPECT_NE(Part(kScrollPartDown), nullptr);
    EXPECT_NE(Part(kScrollPartDown)->GetDocument()->GetUrl().find("PAGEDOWN"), std::string::npos);
}

TEST_F(ScrollBarViewTest, UnknownActionsAndBarsSendNothing)
{
    FD_HELPER(Load(BarPage(kLongText)));
    HtmlWnd* down = Part(kScrollPartDown);
    for (const char* address : {"#SBBUT7#SIDEWAYS", "#SBBUT7#", "#SBBUT9#PAGEDOWN", "#SBBUT#PAGEDOWN"})
    {
        down->OnLinkTick(address, "", 1, 0, nullptr);
        EXPECT_EQ(down->OnLinkClick(address, "", down), 0) << address;
    }
    EXPECT_TRUE(g_requests.empty());
    EXPECT_EQ(Position(), 0);
    // Other links are the view's to follow.
    EXPECT_EQ(down->OnLinkClick("page.htm", "", down), 1);
    EXPECT_EQ(down->OnLinkClick("#SBFRAME7#UP", "", down), 1);
}

TEST_F(ScrollBarViewTest, ATargetWithoutRangeKeepsTheThumbAtTheStart)
{
    FD_HELPER(Load(BarPage("short")));
    ASSERT_EQ(Maximum(), 0);
    ExpectThumbAt(kTrackStart, __LINE__);
    DragThumbTo(200);
    EXPECT_TRUE(g_requests.empty());
    ExpectThumbAt(kTrackStart, __LINE__);
}

TEST_F(ScrollBarViewTest, FramesThatGoAreForgotten)
{
    FD_HELPER(Load(BarPage(kLongText)));
    HtmlWnd* down = Part(kScrollPartDown);
    ASSERT_NE(down, nullptr);
    // A new page without the bar: every part and the target go.
    ASSERT_EQ(view->LoadUrl("STR://plain", "", &bar, "", 0, 0, 0), 0);
    FdWin::vPumpWaiting();
    const CHtmlScrollBar::Bar* b = bar.FindScrollBar("7");
    ASSERT_NE(b, nullptr);
    for (HtmlWnd* part : b->parts)
        EXPECT_EQ(part, nullptr);
    EXPECT_EQ(b->targetView, nullptr);
    EXPECT_FALSE(bar.PerformButton("#SBBUT7#PAGEDOWN"));
    bar.RefreshParts();
    // The bar comes back with the page.
    FD_HELPER(Load(BarPage(kLongText)));
    EXPECT_NE(Part(kScrollPartThumb), nullptr);
    EXPECT_EQ(bar.FindScrollBar("7")->targetView, target);
    EXPECT_TRUE(bar.PerformButton("#SBBUT7#LINEDOWN"));
    EXPECT_GT(Position(), 0);
}

// A horizontal bar over a wide frame: WM_HSCROLL, the thumb along x, LEFT
// and RIGHT written as the vertical words.
TEST_F(ScrollBarViewTest, AHorizontalBarScrollsSideways)
{
    barId = "h";
    vertical = false;
    FD_HELPER(Load(
        "STR://<FRAMESET ROWS=\"*,24\" FRAMEBORDER=0>"
        "<FRAME NAME=text FRAMEBORDER=0>wide<IMG WIDTH=100000 HEIGHT=10></FRAME>"
        "<HTG_SCROLLBAR SBID=h TARGET=text DIR=HORZ FRAMEBORDER=0 COLS=\"20,*,30,*,20\">"
        "<HTG_SCROLLPART PART=UP FRAMEBORDER=0><HTG_SCROLLBUT ACT=LEFT>&lt;</HTG_SCROLLBUT></HTG_SCROLLPART>"
        "<HTG_SCROLLPART PART=RECTLEFT FRAMEBORDER=0></HTG_SCROLLPART>"
        "<HTG_SCROLLPART PART=THUMB FRAMEBORDER=0></HTG_SCROLLPART>"
        "<HTG_SCROLLPART PART=RECTRIGHT FRAMEBORDER=0></HTG_SCROLLPART>"
        "<HTG_SCROLLPART PART=DOWN FRAMEBORDER=0><HTG_SCROLLBUT ACT=PAGERIGHT>&gt;</HTG_SCROLLBUT>"
        "</HTG_SCROLLPART></HTG_SCROLLBAR></FRAMESET>"));
    ASSERT_NE(Part(kScrollPartRectUp), nullptr);
    ASSERT_NE(Part(kScrollPartRectDown), nullptr);
    const int32_t max = Maximum();
    ASSERT_GT(max, 65535);
    ExpectThumbAt(kTrackStart, __LINE__);
    Part(kScrollPartDown)->OnLinkTick("#SBBUTh#PAGERIGHT", "", 1, 0, nullptr);
    ASSERT_EQ(g_requests.size(), 1u);
    EXPECT_EQ(g_requests[0].message, UINT(WM_HSCROLL));
    EXPECT_EQ(g_requests[0].wParam, WPARAM(SB_PAGERIGHT));
    EXPECT_GT(Position(), 0);
    const int free = kTrackEnd - kTrackStart - kThumb;
    ExpectThumbAt(kTrackStart + int(int64_t(free) * Position() / max), __LINE__);
    DragThumbTo(250);
    EXPECT_EQ(Position(), int32_t(int64_t(250) * max / free));
    EXPECT_EQ(g_requests.back().message, UINT(WM_HSCROLL));
    EXPECT_EQ(LOWORD(g_requests.back().wParam), SB_THUMBTRACK);
    Part(kScrollPartUp)->OnLinkTick("#SBBUTh#LEFT", "", 1, 0, nullptr);
    EXPECT_EQ(g_requests.back().wParam, WPARAM(SB_LEFT));
    EXPECT_EQ(Position(), 0);
    ExpectThumbAt(kTrackStart, __LINE__);
}
} // namespace
