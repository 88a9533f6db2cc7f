// Hover under Wine (display needed): image buttons and their state images,
// check states by name, links entered and left with their tick, press and
// own link area, blinking text and animated images on the view's timer.
// Ticks are sent as WM_TIMER 666 instead of waited for; the pointer is set
// where a tick must find it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DibSection.h"
#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlFlow.h"
#include "HtmlGdiDC.h"
#include "HtmlImageSource.h"
#include "HtmlWnd.h"
#include "TestKit.h"
#include "TestHelper.h"

using FdHtmlTest::CDibTarget;

namespace
{
std::string Fixture(const std::string& name)
{
    return FdHtmlTest::strSourceFile("chat/html/tests/fixtures/" + name);
}

template <class T> std::vector<T*> All(const CTag::List& list)
{
    std::vector<T*> found;
    for (const auto& tag : list)
    {
        if (auto* hit = dynamic_cast<T*>(tag.get()))
            found.push_back(hit);
        for (T* inner : All<T>(tag->GetChildren()))
            found.push_back(inner);
    }
    return found;
}

// Records what reaches the handler.
class HoverEvents : public CHtmlWndEventsBase
{
public:
    std::vector<std::string> events;
    int32_t linkClickAnswer = 0;
    void Add(const std::string& line) { events.push_back(line); }
    int Count(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& e : events)
            n += e.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
        return n;
    }
    void OnLinkHover(const std::string& text, CTag*, int32_t kind, CHtmlObject*) override
    {
        Add("hover " + std::to_string(kind) + " " + text);
    }
    void OnLinkTick(const std::string& address, const std::string& target, int32_t pressed, int32_t,
                    CHtmlObject*) override
    {
        Add("tick " + address + " " + target + " " + std::to_string(pressed));
    }
    int32_t OnLinkClick(std::string address, std::string target, CHtmlObject*) override
    {
        Add("link-click " + address + " " + target);
        return linkClickAnswer;
    }
    void OnClick(int32_t, int32_t x, int32_t y, CHtmlObject*) override
    {
        Add("click " + std::to_string(x) + " " + std::to_string(y));
    }
    int32_t OnDrag(int32_t x, int32_t y, int32_t px, int32_t py, std::string*, CHtmlObject*) override
    {
        Add("drag " + std::to_string(x) + "," + std::to_string(y) + " from " + std::to_string(px) + "," +
            std::to_string(py));
        return 0;
    }
    void OnDocumentLoaded(std::string address, int32_t result, std::string, HtmlWnd*, CHtmlObject*) override
    {
        Add("loaded " + std::to_string(result) + " " + address.substr(0, 20));
    }
};

using HoverView = HtmlWnd;

LRESULT CALLBACK FrameProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

class HoverTest : public testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = FrameProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HtmlHoverTestFrame";
        RegisterClassA(&wc);
        frame = CreateWindowExA(WS_EX_TOPMOST, "HtmlHoverTestFrame", "hover test", WS_POPUP | WS_VISIBLE, 0, 0,
                                400, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(frame, nullptr) << GetLastError();
        view = std::make_unique<HoverView>();
        view->SetScrollFlags(0);
        RECT rc = {0, 0, 400, 300};
        ASSERT_TRUE(view->Create(WS_CHILD | WS_VISIBLE, rc, frame, 1));
        // The pointer starts away from the page.
        SetCursorPos(700, 700);
    }
    void TearDown() override
    {
        view.reset();
        if (frame != nullptr)
            DestroyWindow(frame);
    }
    void Load(const std::string& body)
    {
        ASSERT_EQ(view->LoadUrl("STR://" + body, "", &events, "", 0, 0, 0), 0);
        UpdateWindow(view->hWnd());
        Pump();
        events.events.clear();
    }
    // Runs what was posted, bounded.
    static void Pump() { FdTestKit::vPumpWaiting(nullptr, 1000); }
    void Move(POINT p, WPARAM keys = 0) { SendMessageA(view->hWnd(), WM_MOUSEMOVE, keys, MAKELPARAM(p.x, p.y)); }
    void Tick() { SendMessageA(view->hWnd(), WM_TIMER, HtmlWnd::kTimerId, 0); }
    // The middle of an element's first piece, in client coordinates.
    POINT Middle(const CTag* element, FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        LayoutRect box;
        EXPECT_TRUE(element->GetBounds(box, true));
        LayoutRect w;
        view->GetDocument()->GetFlow()->ToWindow(box, w);
        return POINT{(w.left + w.right) / 2, (w.top + w.bottom) / 2};
    }
    LayoutRect OnScreen(const CTag* element, FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        LayoutRect box;
        EXPECT_TRUE(element->GetBounds(box, true));
        LayoutRect w;
        view->GetDocument()->GetFlow()->ToWindow(box, w);
        return w;
    }
    // The view's client area as it is on the display.
    std::unique_ptr<CDibTarget> Shot()
    {
        auto shot = std::make_unique<CDibTarget>(400, 300, 32);
        HDC window = GetDC(view->hWnd());
        BitBlt(shot->dc(), 0, 0, 400, 300, window, 0, 0, SRCCOPY);
        ReleaseDC(view->hWnd(), window);
        GdiFlush();
        return shot;
    }
    static int CountColor(const CDibTarget& shot, const LayoutRect& box, uint32_t rgb)
    {
        int n = 0;
        for (int y = std::max(0, box.top); y < std::min(300, box.bottom); ++y)
            for (int x = std::max(0, box.left); x < std::min(400, box.right); ++x)
                n += shot.dwPixel(x, y) == rgb ? 1 : 0;
        return n;
    }
    // Differing pixels between the shot at (x, y) and the image drawn alone over the colour.
    static int Differing(const CDibTarget& shot, int x0, int y0, CHtmlImageSource* image, int frame,
                         COLORREF background)
    {
        const FdHtml::SImageRect r = image->rect();
        CDibTarget alone(r.width, r.height, 32);
        RECT all = {0, 0, r.width, r.height};
        alone.vFill(background, all);
        // A backdrop of its own: the image's would keep what an earlier call saved.
        CImageBackdrop backdrop;
        image->iDraw(alone.dc(), 0, 0, frame, &backdrop);
        GdiFlush();
        int differing = 0;
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x)
                differing += shot.dwPixel(x0 + x, y0 + y) != alone.dwPixel(x, y) ? 1 : 0;
        return differing;
    }
    // Sets the real pointer over a client point of the view.
    void PointerAt(POINT client)
    {
        POINT screen = client;
        ClientToScreen(view->hWnd(), &screen);
        SetCursorPos(screen.x, screen.y);
    }

    HWND frame = nullptr;
    std::unique_ptr<HoverView> view;
    HoverEvents events;
};

// --- image buttons

TEST_F(HoverTest, TheStateImageTableFirstMatchWins)
{
    const std::string page = "<IMG SRC=\"" + Fixture("still.gif") + "\" SRCMFOCUS=\"" + Fixture("smiley.gif") +
                             "\" SRCDOWN=\"" + Fixture("netpbm.gif") + "\" SRCKBUFOCUS=\"" +
                             Fixture("interlaced.gif") + "\" SRCKBDFOCUS=\"" + Fixture("wide.gif") + "\">" +
                             "<IMG SRC=\"" + Fixture("still.gif") + "\" SRCMFOCUS=\"" + Fixture("smiley.gif") +
                             "\">";
    FD_HELPER(Load(page));
    const auto images = All<CTagIMG>(view->GetDocument()->GetElements());
    ASSERT_EQ(images.size(), 2u);
    CTagIMG* full = images[0];
    CTagIMG* hoverOnly = images[1];
    for (int i = 0; i < 5; ++i)
        ASSERT_NE(full->GetStateImage(i), nullptr) << i;
    const struct
    {
        int hovered, pressed, focus;
        int full;      // the image chosen with all five
        int hoverOnly; // with SRC and SRCMFOCUS only
    } cases[] = {
        {0, 0, 0, CTagIMG::kImageNormal, CTagIMG::kImageNormal},
        {1, 0, 0, CTagIMG::kImageMouseOver, CTagIMG::kImageMouseOver},
        {0, 1, 0, CTagIMG::kImagePressed, CTagIMG::kImageNormal},
        {1, 1, 0, CTagIMG::kImagePressed, CTagIMG::kImageMouseOver},
        {0, 0, 1, CTagIMG::kImageFocusUp, CTagIMG::kImageNormal},
        {1, 0, 1, CTagIMG::kImageMouseOver, CTagIMG::kImageMouseOver},
        {0, 1, 1, CTagIMG::kImageFocusDown, CTagIMG::kImageNormal},
        {1, 1, 1, CTagIMG::kImageFocusDown, CTagIMG::kImageMouseOver},
    };
    for (const auto& c : cases)
    {
        full->SetStates(c.hovered, c.pressed, c.focus);
        hoverOnly->SetStates(c.hovered, c.pressed, c.focus);
        EXPECT_EQ(full->ChooseImage(), full->GetStateImage(c.full))
            << c.hovered << c.pressed << c.focus;
        EXPECT_EQ(hoverOnly->ChooseImage(), hoverOnly->GetStateImage(c.hoverOnly))
            << c.hovered << c.pressed << c.focus;
    }
    full->SetStates(0, 0, 0);
    hoverOnly->SetStates(0, 0, 0);
}

TEST_F(HoverTest, HoveringAnImageWithAMouseOverImageRepaintsItOnceAndTheMoveReturns)
{
    FD_HELPER(Load("<BODY BGCOLOR=#E0E0FF><IMG SRC=\"" + Fixture("still.gif") + "\" SRCMFOCUS=\"" +
                   Fixture("netpbm.gif") + "\"> <IMG SRC=\"" + Fixture("wide.gif") + "\"></BODY>"));
    const auto images = All<CTagIMG>(view->GetDocument()->GetElements());
    ASSERT_EQ(images.size(), 2u);
    CTagIMG* button = images[0];
    CTagIMG* plain = images[1];
    const POINT over = Middle(button);
    CHtmlWindowGdiDC dc(view->hWnd());
    CHtmlDoc* doc = view->GetDocument();
    int32_t x = over.x;
    int32_t y = over.y;
    doc->GetFlow()->ToDocument(&x, &y);
    // Entering repaints once; the same point again repaints nothing.
    EXPECT_EQ(doc->OnMouseMove(&dc, 0, x, y), 1);
    EXPECT_EQ(button->IsHovered(), 1);
    EXPECT_EQ(doc->OnMouseMove(&dc, 0, x, y), 0);
    GdiFlush();
    const LayoutRect box = OnScreen(button);
    auto shot = Shot();
    EXPECT_EQ(Differing(*shot, box.left + button->GetHSpace(), box.top, button->GetStateImage(1), 0,
                        RGB(0xE0, 0xE0, 0xFF)),
              0);
    // An image with only SRC never repaints on moves.
    const POINT overPlain = Middle(plain);
    x = overPlain.x;
    y = overPlain.y;
    doc->GetFlow()->ToDocument(&x, &y);
    EXPECT_EQ(doc->OnMouseMove(&dc, 0, x, y), 1); // the button is left
    EXPECT_EQ(doc->OnMouseMove(&dc, 0, x, y), 0);
    EXPECT_EQ(button->IsHovered(), 0);
    // Through the window: the move returns and the rest image is back.
    Move(over);
    Move(POINT{390, 290});
    GdiFlush();
    shot = Shot();
    shot->boSave(FdHtmlTest::strArtefact("hover-image.bmp"));
    EXPECT_EQ(Differing(*shot, box.left + button->GetHSpace(), box.top, button->GetImage(), 0,
                        RGB(0xE0, 0xE0, 0xFF)),
              0);
}

TEST_F(HoverTest, PressedPlainButtonsAndCheckButtons)
{
    const std::string images = "SRC=\"" + Fixture("still.gif") + "\" SRCDOWN=\"" + Fixture("netpbm.gif") + "\"";
    FD_HELPER(Load("<IMG NAME=plain " + images + "><IMG NAME=check CHECKBUTTON " + images +
                   "><IMG NAME=check CHECKBUTTON " + images + " CHECKED>"));
    const auto imgs = All<CTagIMG>(view->GetDocument()->GetElements());
    ASSERT_EQ(imgs.size(), 3u);
    EXPECT_EQ(imgs[2]->IsChecked(), 1);
    EXPECT_EQ(imgs[2]->IsPressed(), 1);
    // A plain button shows the press while the button is held.
    const POINT plain = Middle(imgs[0]);
    SendMessageA(view->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(plain.x, plain.y));
    EXPECT_EQ(imgs[0]->IsPressed(), 1);
    EXPECT_EQ(imgs[0]->ChooseImage(), imgs[0]->GetStateImage(CTagIMG::kImagePressed));
    SendMessageA(view->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(plain.x, plain.y));
    EXPECT_EQ(imgs[0]->IsPressed(), 0);
    // A check button toggles when released over it...
    const POINT check = Middle(imgs[1]);
    SendMessageA(view->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(check.x, check.y));
    SendMessageA(view->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(check.x, check.y));
    EXPECT_EQ(imgs[1]->IsChecked(), 1);
    EXPECT_EQ(imgs[1]->IsPressed(), 1);
    // ...and keeps its state when released outside.
    SendMessageA(view->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(check.x, check.y));
    SendMessageA(view->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(390, 290));
    EXPECT_EQ(imgs[1]->IsChecked(), 1);
    EXPECT_EQ(imgs[1]->IsPressed(), 1);
    // States by name: NAME compares exactly; every image of the name is set.
    EXPECT_EQ(view->GetImageState("check"), 1);
    EXPECT_EQ(view->GetImageState("CHECK"), 0);
    EXPECT_EQ(view->SetImageState("CHECK", 0), 0);
    EXPECT_EQ(view->SetImageState("check", 0), 1);
    EXPECT_EQ(imgs[1]->IsChecked(), 0);
    EXPECT_EQ(imgs[2]->IsChecked(), 0);
    EXPECT_EQ(view->GetImageState("check"), 0);
    EXPECT_EQ(view->SetImageState("", 1), 0);
    EXPECT_EQ(view->SetImageState("plain", 1), 1);
    EXPECT_EQ(view->GetImageState("plain"), 1);
}

TEST_F(HoverTest, StatesByNameReachEveryFrame)
{
    const std::string img = "<IMG NAME=b CHECKBUTTON SRC=\"" + Fixture("still.gif") + "\" SRCDOWN=\"" +
                            Fixture("netpbm.gif") + "\">";
    FD_HELPER(Load("<FRAMESET COLS=\"50%,50%\"><FRAME NAME=left>" + img + "</FRAME><FRAME NAME=right>" + img +
                   "</FRAME></FRAMESET>"));
    const std::vector<HtmlWnd*> frames = view->GetChildViews();
    ASSERT_EQ(frames.size(), 2u);
    std::vector<CTagIMG*> imgs;
    for (HtmlWnd* child : frames)
        for (CTagIMG* image : All<CTagIMG>(child->GetDocument()->GetElements()))
            imgs.push_back(image);
    ASSERT_EQ(imgs.size(), 2u);
    EXPECT_EQ(view->GetImageState("b"), 0);
    EXPECT_EQ(view->SetImageState("b", 1), 1);
    EXPECT_EQ(imgs[0]->IsChecked(), 1);
    EXPECT_EQ(imgs[1]->IsChecked(), 1);
    EXPECT_EQ(view->GetImageState("b"), 1);
    // Only the right frame's is cleared: the left one still answers.
    EXPECT_EQ(frames[1]->SetImageState("b", 0), 1);
    EXPECT_EQ(imgs[1]->IsChecked(), 0);
    EXPECT_EQ(view->GetImageState("b"), 1);
}

TEST_F(HoverTest, KeyboardFocusImagesAndActivation)
{
    FD_HELPER(Load("<IMG NAME=c CHECKBUTTON SRC=\"" + Fixture("still.gif") + "\" SRCDOWN=\"" +
                   Fixture("netpbm.gif") + "\" SRCKBUFOCUS=\"" + Fixture("interlaced.gif") +
                   "\" SRCKBDFOCUS=\"" + Fixture("wide.gif") + "\">" + "<IMG NAME=p SRC=\"" +
                   Fixture("still.gif") + "\" SRCDOWN=\"" + Fixture("netpbm.gif") + "\">"));
    const auto imgs = All<CTagIMG>(view->GetDocument()->GetElements());
    ASSERT_EQ(imgs.size(), 2u);
    SetFocus(view->hWnd());
    SendMessageA(view->hWnd(), WM_KEYDOWN, VK_TAB, 1);
    EXPECT_EQ(imgs[0]->GetFocus(), 1);
    EXPECT_EQ(imgs[0]->GetCurrentImage(), imgs[0]->GetStateImage(CTagIMG::kImageFocusUp));
    SendMessageA(view->hWnd(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(imgs[0]->IsChecked(), 1);
    EXPECT_EQ(imgs[0]->GetFocus(), 1);
    EXPECT_EQ(imgs[0]->GetCurrentImage(), imgs[0]->GetStateImage(CTagIMG::kImageFocusDown));
    // A plain button shows the press and comes back.
    SendMessageA(view->hWnd(), WM_KEYDOWN, VK_TAB, 1);
    EXPECT_EQ(imgs[1]->GetFocus(), 1);
    SendMessageA(view->hWnd(), WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_EQ(imgs[1]->IsChecked(), 0);
    EXPECT_EQ(imgs[1]->IsPressed(), 0);
    EXPECT_EQ(events.Count("link-click"), 0);
}

// --- animation

TEST_F(HoverTest, AnAnimatedGifAdvancesItsFramesOnTheViewsTimer)
{
    FD_HELPER(Load("<BODY BGCOLOR=#FFFFFF><IMG HSPACE=0 SRC=\"" + Fixture("animated.gif") + "\"></BODY>"));
    const auto imgs = All<CTagIMG>(view->GetDocument()->GetElements());
    ASSERT_EQ(imgs.size(), 1u);
    EXPECT_TRUE(view->IsActive());
    EXPECT_EQ(imgs[0]->GetFrame(), 0);
    const LayoutRect box = OnScreen(imgs[0]);
    CHtmlImageSource* image = imgs[0]->GetImage();
    Tick();
    EXPECT_EQ(imgs[0]->GetFrame(), 1);
    EXPECT_EQ(Differing(*Shot(), box.left, box.top, image, 1, RGB(255, 255, 255)), 0);
    Tick();
    EXPECT_EQ(imgs[0]->GetFrame(), 0);
    EXPECT_EQ(Differing(*Shot(), box.left, box.top, image, 0, RGB(255, 255, 255)), 0);
    // The page goes: the timer stops with it.
    FD_HELPER(Load("<B>x</B>"));
    EXPECT_FALSE(view->IsActive());
}

TEST_F(HoverTest, AnAnimationLentByTheViewsOwnCacheDoesNotPileItsFramesUp)
{
    view->CreateCaches();
    FD_HELPER(Load("<BODY BGCOLOR=#FFFFFF><IMG HSPACE=0 SRC=\"" + Fixture("animated.gif") + "\"></BODY>"));
    const auto imgs = All<CTagIMG>(view->GetDocument()->GetElements());
    ASSERT_EQ(imgs.size(), 1u);
    const LayoutRect box = OnScreen(imgs[0]);
    for (int frame : {1, 0, 1})
    {
        Tick();
        ASSERT_EQ(imgs[0]->GetFrame(), frame);
        EXPECT_EQ(Differing(*Shot(), box.left, box.top, imgs[0]->GetImage(), frame, RGB(255, 255, 255)), 0)
            << frame;
    }
}

TEST_F(HoverTest, TheSameAnimatedTransparentSmileyShownTwiceKeepsBothBackgrounds)
{
    const std::string img = "<IMG HSPACE=0 SRC=\"" + Fixture("animated.gif") + "\">";
    FD_HELPER(Load("<TABLE BORDER=0 CELLPADDING=4><TR><TD BGCOLOR=#FF0000>" + img +
                   "</TD><TD BGCOLOR=#00FF00>" + img + "</TD></TR></TABLE>"));
    const auto imgs = All<CTagIMG>(view->GetDocument()->GetElements());
    ASSERT_EQ(imgs.size(), 2u);
    ASSERT_EQ(imgs[0]->GetImage(), imgs[1]->GetImage()); // one cached image
    const LayoutRect first = OnScreen(imgs[0]);
    const LayoutRect second = OnScreen(imgs[1]);
    for (int i = 0; i < 3; ++i)
    {
        Tick();
        auto shot = Shot();
        // (1, 1) is transparent in both frames: each shows its own cell.
        EXPECT_EQ(shot->dwPixel(first.left + 1, first.top + 1), 0xFF0000u) << i;
        EXPECT_EQ(shot->dwPixel(second.left + 1, second.top + 1), 0x00FF00u) << i;
        EXPECT_EQ(Differing(*shot, first.left, first.top, imgs[0]->GetImage(), imgs[0]->GetFrame(),
                            RGB(255, 0, 0)),
                  0)
            << i;
        EXPECT_EQ(Differing(*shot, second.left, second.top, imgs[1]->GetImage(), imgs[1]->GetFrame(),
                            RGB(0, 255, 0)),
                  0)
            << i;
        if (i == 2)
            shot->boSave(FdHtmlTest::strArtefact("hover-animated-twice.bmp"));
    }
}

// Two views showing the same image of the process-wide cache: when the other
// one paints again, this one's frames are still composed over its own page,
// not over the frame it showed before.
TEST_F(HoverTest, AnotherViewsPaintLeavesThisViewsAnimationWhole)
{
    const std::string img = "<IMG HSPACE=0 SRC=\"" + Fixture("animated.gif") + "\">";
    FD_HELPER(Load("<BODY BGCOLOR=#FFFFFF>" + img + "</BODY>"));
    HWND otherFrame = CreateWindowExA(WS_EX_TOPMOST, "HtmlHoverTestFrame", "other view", WS_POPUP | WS_VISIBLE, 500,
                                      0, 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(otherFrame, nullptr);
    HoverEvents otherEvents;
    {
        HoverView other;
        other.SetScrollFlags(0);
        RECT rc = {0, 0, 200, 100};
        ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE, rc, otherFrame, 1));
        ASSERT_EQ(other.LoadUrl("STR://<BODY BGCOLOR=#0000FF>" + img + "</BODY>", "", &otherEvents, "", 0, 0, 0), 0);
        UpdateWindow(other.hWnd());
        const auto imgs = All<CTagIMG>(view->GetDocument()->GetElements());
        const auto others = All<CTagIMG>(other.GetDocument()->GetElements());
        ASSERT_EQ(imgs.size(), 1u);
        ASSERT_EQ(others.size(), 1u);
        ASSERT_EQ(imgs[0]->GetImage(), others[0]->GetImage()); // one cached image
        const LayoutRect box = OnScreen(imgs[0]);
        for (int i = 0; i < 4; ++i)
        {
            RedrawWindow(other.hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            Tick();
            auto shot = Shot();
            EXPECT_EQ(Differing(*shot, box.left, box.top, imgs[0]->GetImage(), imgs[0]->GetFrame(),
                                RGB(255, 255, 255)),
                      0)
                << "round " << i << ", frame " << imgs[0]->GetFrame();
            if (i == 3)
                shot->boSave(FdHtmlTest::strArtefact("hover-animated-two-views.bmp"));
        }
    }
    DestroyWindow(otherFrame);
}

// --- links

TEST_F(HoverTest, EnteringAndLeavingLinksAndTheirTick)
{
    FD_HELPER(Load(
        "<BODY LINK=#0000FF ALINK=#FF0000><A HREF=\"one.htm\" TARGET=main ALT=\"Le premier\">first link</A>"
        "<BR><BR><A HREF=\"two.htm\">second link</A><BR><BR><BR>plain text</BODY>"));
    const auto links = All<CTagA>(view->GetDocument()->GetElements());
    ASSERT_EQ(links.size(), 2u);
    const POINT first = Middle(links[0]);
    const POINT second = Middle(links[1]);
    const LayoutRect firstBox = OnScreen(links[0]);
    EXPECT_GT(CountColor(*Shot(), firstBox, 0x0000FF), 0);
    // Entering: kind 1 with ALT; the link colour changes; a 50 ms tick runs.
    Move(first);
    EXPECT_EQ(events.events, (std::vector<std::string>{"hover 1 Le premier"}));
    EXPECT_EQ(links[0]->IsHovered(), 1);
    EXPECT_TRUE(view->IsActive());
    EXPECT_EQ(view->Count(), 1u);
    auto shot = Shot();
    shot->boSave(FdHtmlTest::strArtefact("hover-link.bmp"));
    EXPECT_GT(CountColor(*shot, firstBox, 0xFF0000), 0);
    EXPECT_EQ(CountColor(*shot, firstBox, 0x0000FF), 0);
    // Moving inside changes nothing.
    Move(POINT{first.x + 1, first.y});
    EXPECT_EQ(events.events.size(), 1u);
    // Ticks while the pointer is over the link, with the pressed flag.
    PointerAt(first);
    Tick();
    SendMessageA(view->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.x, first.y));
    Tick();
    SendMessageA(view->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(first.x, first.y));
    Tick();
    EXPECT_EQ(events.events, (std::vector<std::string>{"hover 1 Le premier", "tick one.htm main 0",
                                                       "tick one.htm main 1", "link-click one.htm main",
                                                       "tick one.htm main 0"}));
    events.events.clear();
    // From one link to the other: one leave, then kind 1 with HREF.
    Move(second);
    EXPECT_EQ(events.events, (std::vector<std::string>{"hover 0 ", "hover 1 two.htm"}));
    EXPECT_EQ(view->Count(), 1u);
    events.events.clear();
    // The pointer leaves without a move reaching the view: the tick sees it.
    PointerAt(POINT{390, 290});
    Tick();
    EXPECT_EQ(events.events, (std::vector<std::string>{"hover 0 "}));
    EXPECT_EQ(links[1]->IsHovered(), 0);
    EXPECT_FALSE(view->IsActive());
    Tick();
    EXPECT_EQ(events.events.size(), 1u);
    // Leaving gives one event, however often the pointer moves after.
    Move(first);
    Move(POINT{390, 290});
    Move(POINT{391, 290});
    EXPECT_EQ(events.Count("hover 0"), 2);
}

TEST_F(HoverTest, LinkColoursAndKeyboardFocus)
{
    FD_HELPER(Load("<BODY LINK=#0000FF ALINK=#FF0000><A HREF=\"a.htm\" CLRFOCUS=no>kept</A><BR>"
                   "<A HREF=\"b.htm\" CLRFOCUS=#00C000 CLRNOFOCUS=#804000>own</A><BR>"
                   "<A HREF=\"c.htm\" ALT=\"Troisième\">third</A></BODY>"));
    const auto links = All<CTagA>(view->GetDocument()->GetElements());
    ASSERT_EQ(links.size(), 3u);
    EXPECT_GT(CountColor(*Shot(), OnScreen(links[1]), 0x804000), 0);
    Move(Middle(links[0]));
    EXPECT_GT(CountColor(*Shot(), OnScreen(links[0]), 0x0000FF), 0); // "no": the link colour stays
    Move(Middle(links[1]));
    auto shot = Shot();
    EXPECT_EQ(CountColor(*shot, OnScreen(links[0]), 0xFF0000), 0);
    EXPECT_GT(CountColor(*shot, OnScreen(links[1]), 0x00C000), 0);
    Move(POINT{390, 290});
    events.events.clear();
    // Keyboard focus: kind 2, then 0 when it moves on.
    SetFocus(view->hWnd());
    SendMessageA(view->hWnd(), WM_KEYDOWN, VK_TAB, 1);
    SendMessageA(view->hWnd(), WM_KEYDOWN, VK_TAB, 1);
    SendMessageA(view->hWnd(), WM_KEYDOWN, VK_TAB, 1);
    EXPECT_EQ(events.events, (std::vector<std::string>{"hover 2 a.htm", "hover 0 ", "hover 2 b.htm", "hover 0 ",
                                                       "hover 2 Troisi\xE8me"}));
}

TEST_F(HoverTest, ALinksOwnAreaAnswersClicksAndDragsAreReported)
{
    FD_HELPER(Load("<A HREF=\"#SBBUT7#PAGEDOWN\" TARGET=t>button</A><BR><BR><BR>outside"));
    const auto links = All<CTagA>(view->GetDocument()->GetElements());
    ASSERT_EQ(links.size(), 1u);
    const POINT at = Middle(links[0]);
    SendMessageA(view->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageA(view->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    SendMessageA(view->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 250));
    Move(POINT{210, 250}, MK_LBUTTON);
    SendMessageA(view->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(210, 250));
    ASSERT_EQ(events.Count("link-click"), 1);
    EXPECT_EQ(events.events[0], "link-click #SBBUT7#PAGEDOWN t");
    EXPECT_EQ(events.Count("drag "), 1);
    EXPECT_EQ(events.Count("click 210 250"), 1);
}

// --- blinking text

TEST_F(HoverTest, BlinkWithACountOfTwoChangesFiveTimesThenNavigatesAfterTheTick)
{
    events.linkClickAnswer = 1;
    FD_HELPER(Load("<BLINK COLOR1=#FF0000 COLOR2=#0000FF DELAY=100 COUNT=2 "
                   "HREF=\"STR://<B>next</B>\">blinking</BLINK>"));
    auto blinks = All<CTagBlink>(view->GetDocument()->GetElements());
    ASSERT_EQ(blinks.size(), 1u);
    CTagBlink* blink = blinks[0];
    EXPECT_EQ(blink->GetDelay(), 100u);
    EXPECT_TRUE(blink->IsRunning());
    const LayoutRect box = OnScreen(blink);
    EXPECT_GT(CountColor(*Shot(), box, 0xFF0000), 0);
    for (int i = 1; i <= 4; ++i)
    {
        Tick();
        EXPECT_EQ(blink->GetChanges(), i);
        EXPECT_EQ(blink->GetPhase(), i % 2);
        auto shot = Shot();
        if (i == 1)
            shot->boSave(FdHtmlTest::strArtefact("hover-blink.bmp"));
        EXPECT_GT(CountColor(*shot, box, i % 2 ? 0x0000FF : 0xFF0000), 0) << i;
    }
    EXPECT_EQ(events.Count("link-click"), 0);
    // The fifth change stops it; the navigation waits for the tick to end.
    Tick();
    EXPECT_EQ(blink->GetChanges(), 5);
    EXPECT_FALSE(blink->IsRunning());
    EXPECT_FALSE(view->IsActive());
    EXPECT_EQ(events.Count("link-click"), 0);
    Pump();
    EXPECT_EQ(events.Count("link-click STR://<B>next</B>"), 1);
    EXPECT_EQ(events.Count("loaded 0 STR://<B>next</B>"), 1);
    EXPECT_TRUE(All<CTagBlink>(view->GetDocument()->GetElements()).empty());
}

TEST_F(HoverTest, BlinkDelaysAndEndlessBlinking)
{
    FD_HELPER(
        Load("<BLINK DELAY=0 COLOR2=#0000FF>a</BLINK><BLINK DELAY=-5 COUNT=-1 COLOR2=#0000FF>b</BLINK>"));
    auto blinks = All<CTagBlink>(view->GetDocument()->GetElements());
    ASSERT_EQ(blinks.size(), 2u);
    EXPECT_EQ(blinks[0]->GetDelay(), 500u);
    EXPECT_EQ(blinks[1]->GetDelay(), 500u);
    for (int i = 0; i < 12; ++i)
        Tick();
    EXPECT_TRUE(blinks[0]->IsRunning());
    EXPECT_TRUE(blinks[1]->IsRunning());
    EXPECT_EQ(blinks[0]->GetChanges(), 12);
    EXPECT_EQ(blinks[0]->GetPhase(), 0);
}
} // namespace
