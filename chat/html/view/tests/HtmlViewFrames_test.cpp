// The view's frames under Wine (display needed): child views for a
// frameset, their layout, targets, clicks, the border cursor and drag, and a
// picture of the border rings checked pixel by pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "DibSection.h"
#include "HtmlElements.h"
#include "HtmlWnd.h"
#include "PumpUntil.h"

using FdHtmlTest::CDibTarget;

namespace
{
class FrameEvents : public CHtmlWndEventsBase
{
public:
    std::vector<std::string> events;
    int32_t followLinks = 1;
    int32_t releaseAnswer = 0;
    // The handler a frame of that name gets (none: its parent view).
    std::map<std::string, IHtmlWndEvents*> frameHandlers;

    void Clear() { events.clear(); }
    bool Has(const std::string& line) const
    {
        for (const std::string& e : events)
            if (e == line)
                return true;
        return false;
    }
    IHtmlWndEvents* OnFrameCreated(CTagFRAME*, HtmlWnd* child, CHtmlObject*) override
    {
        events.push_back("frame-created " + child->GetFrameName());
        const auto found = frameHandlers.find(child->GetFrameName());
        return found != frameHandlers.end() ? found->second : nullptr;
    }
    void OnHandlerEnded(const std::string& name, HtmlWnd* view, CHtmlObject*) override
    {
        events.push_back("ended " + name + " in " + view->GetFrameName());
    }
    int32_t ReleaseHandler(const std::string& name, HtmlWnd* view, CHtmlObject*) override
    {
        events.push_back("release " + name + " in " + view->GetFrameName());
        return releaseAnswer;
    }
    int32_t OnDrag(int32_t, int32_t, int32_t, int32_t, std::string* frame, CHtmlObject*) override
    {
        events.push_back("drag in " + *frame);
        return 0;
    }
    IHtmlWndEvents* GetReplacementHandler(const std::string& name, const std::string&, HtmlWnd*,
                                          CHtmlObject*) override
    {
        const auto found = replacements.find(name);
        return found != replacements.end() ? found->second : nullptr;
    }
    std::map<std::string, IHtmlWndEvents*> replacements;
    void OnFrameDestroyed(CTagFRAME*, HtmlWnd* child, CHtmlObject*) override
    {
        events.push_back("frame-destroyed " + child->GetFrameName());
    }
    void OnViewDestroyed(CTagFRAME*, CHtmlObject*) override { events.push_back("view-destroyed"); }
    void OnClick(int32_t, int32_t x, int32_t y, CHtmlObject* sender) override
    {
        events.push_back("click " + std::to_string(x) + " " + std::to_string(y) + " from " +
                         static_cast<HtmlWnd*>(sender)->GetFrameName());
    }
    void OnDoubleClick(int32_t, int32_t x, int32_t y, CHtmlObject*) override
    {
        events.push_back("double-click " + std::to_string(x) + " " + std::to_string(y));
    }
    int32_t OnLinkMenu(std::string address, std::string target, CHtmlObject*) override
    {
        events.push_back("link-menu " + address + " " + target);
        return 1;
    }
    int32_t CanFollowLink(CTag*, int32_t, CHtmlObject*) override
    {
        events.push_back("can-follow");
        return 1;
    }
    int32_t OnLinkClick(std::string address, std::string target, CHtmlObject*) override
    {
        events.push_back("link-click " + address + " " + target);
        return followLinks;
    }
    void OnDocumentLoaded(std::string address, int32_t result, std::string, HtmlWnd* loader,
                          CHtmlObject*) override
    {
        events.push_back("loaded " + std::to_string(result) + " [" + loader->GetFrameName() + "] " + address);
    }
};

LRESULT CALLBACK TopProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

class FramesTest : public testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TopProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HtmlFramesTestTop";
        RegisterClassA(&wc);
        top = CreateWindowExA(0, wc.lpszClassName, "frames test", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(top, nullptr) << GetLastError();
        view = std::make_unique<HtmlWnd>();
        view->SetScrollFlags(0); // the frameset page itself never scrolls
        const RECT rc = {0, 0, 400, 300};
        ASSERT_TRUE(view->Create(WS_CHILD | WS_VISIBLE, rc, top, 1));
    }
    void TearDown() override
    {
        view.reset();
        if (top != nullptr)
            DestroyWindow(top);
        FdWin::vPumpWaiting();
    }
    HtmlWnd* Frame(const std::string& name) { return view->FindFrameWnd(name); }
    // A child window's place in the top view's client area.
    RECT Placed(HtmlWnd* child)
    {
        RECT rc = {-1, -1, -1, -1};
        if (child == nullptr || child->hWnd() == nullptr)
            return rc;
        GetWindowRect(child->hWnd(), &rc);
        MapWindowPoints(nullptr, view->hWnd(), reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    static std::string Title(HtmlWnd* child)
    {
        char text[100] = "sentinel";
        GetWindowTextA(child->hWnd(), text, sizeof text);
        return text;
    }

    HWND top = nullptr;
    std::unique_ptr<HtmlWnd> view;
    FrameEvents events;
};

const char kGridPage[] =
    "STR://<FRAMESET COLS=\"100,50%,*\">"
    "<FRAME NAME=one FRAMEBORDER=0 SCROLLING=\"#384\" SCROLLLEFT>&lt;b&gt; one</FRAME>"
    "<FRAME NAME=Two FRAMEBORDER=0 SRC=\"STR://<A HREF=next.htm TARGET=One PAGEWIDE>two</A>\">"
    "<FRAMESET FRAMEBORDER=0 ROWS=\"50%,*\"><FRAME FRAMEBORDER=0 NAME=inner>"
    "<FRAME FRAMEBORDER=0></FRAMESET></FRAMESET>";

TEST_F(FramesTest, AFramesetMakesTitledChildViewsPlacedOnItsGrid)
{
    ASSERT_EQ(view->LoadUrl(kGridPage, "", &events, "", 0, 0, 0), 0);
    ASSERT_EQ(view->GetFrames().size(), 3u);
    HtmlWnd* one = Frame("ONE");
    HtmlWnd* two = Frame("two");
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(Title(one), "HTWT FRAME : one");
    EXPECT_EQ(Title(two), "HTWT FRAME : Two");
    EXPECT_EQ(GetDlgCtrlID(one->hWnd()), 666);
    EXPECT_EQ(GetDlgCtrlID(two->hWnd()), 667);
    // 100 pixels, 50% of the 300 left, and the rest.
    const RECT a = Placed(one);
    const RECT b = Placed(two);
    const RECT c = Placed(view->GetFrames()[2].view.get());
    EXPECT_EQ(a.left, 0);
    EXPECT_EQ(a.right, 100);
    EXPECT_EQ(b.left, 100);
    EXPECT_EQ(b.right, 250);
    EXPECT_EQ(c.left, 250);
    EXPECT_EQ(c.right, 400);
    EXPECT_EQ(c.bottom, 300);
    // Inline text becomes a string document that decodes its references once.
    EXPECT_EQ(one->GetDocument()->GetUrl(), "STR://<HTML>&lt;b&gt; one</HTML>");
    EXPECT_EQ(one->GetScrollFlags(), 384u | 0x08);
    EXPECT_NE(GetWindowLongPtrA(one->hWnd(), GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR, 0);
    EXPECT_EQ(one->GetParentView(), view.get());
    // The nested frameset: a frame whose own document holds the inner grid.
    HtmlWnd* nested = view->GetFrames()[2].view.get();
    ASSERT_EQ(nested->GetFrames().size(), 2u);
    HtmlWnd* inner = Frame("INNER");
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->GetParentView(), nested);
    EXPECT_EQ(Placed(inner).bottom, 150);
    EXPECT_EQ(Placed(nested->GetFrames()[1].view.get()).top, 150);
    std::set<std::string> names;
    for (const HtmlFrameView& f : view->GetFrames())
        names.insert(f.record.name);
    for (const HtmlFrameView& f : nested->GetFrames())
        names.insert(f.record.name);
    EXPECT_EQ(names.size(), 5u);
    EXPECT_EQ(nested->GetFrameName().rfind("@AFNAME@", 0), 0u) << nested->GetFrameName();
    EXPECT_TRUE(events.Has("frame-created one"));
    EXPECT_TRUE(events.Has("frame-created inner"));
    EXPECT_TRUE(events.Has("loaded 0 [one] STR://<HTML>&lt;b&gt; one</HTML>"));
    EXPECT_EQ(events.events.back(), std::string("loaded 0 [] ") + kGridPage);
    EXPECT_EQ(view->GetFrameScrollPos("inner", SB_VERT), 0);
    EXPECT_EQ(view->GetFrameScrollPos("nowhere", SB_VERT), -1);
    int minimum = 7;
    int maximum = 7;
    EXPECT_FALSE(view->GetFrameScrollRange("nowhere", SB_VERT, &minimum, &maximum));

    // A resize lays the grid out again.
    SetWindowPos(view->hWnd(), nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(Placed(Frame("two")).right, 200);
    EXPECT_EQ(Placed(Frame("inner")).bottom, 100);

    // A page without frames: the frameset goes and its views with it.
    const HWND oneWindow = one->hWnd();
    events.Clear();
    ASSERT_EQ(view->LoadUrl("STR://plain", "", nullptr, "", 0, 0, 0), 0);
    EXPECT_TRUE(view->GetFrames().empty());
    EXPECT_FALSE(IsWindow(oneWindow));
    EXPECT_TRUE(events.Has("frame-destroyed one"));
    EXPECT_TRUE(events.Has("frame-destroyed inner"));
    EXPECT_EQ(std::count(events.events.begin(), events.events.end(), "view-destroyed"), 5);
    FdWin::vPumpWaiting();
}

TEST_F(FramesTest, TargetsAreSearchedFromTheTopView)
{
    ASSERT_EQ(view->LoadUrl(kGridPage, "", &events, "", 0, 0, 0), 0);
    HtmlWnd* two = Frame("two");
    ASSERT_NE(two, nullptr);
    // A sibling's name from a child loads the sibling, and only it.
    two->FollowLink("STR://sibling", "ONE", two);
    EXPECT_EQ(Frame("one")->GetDocument()->GetUrl(), "STR://sibling");
    EXPECT_EQ(view->GetDocument()->GetUrl(), kGridPage);
    // A frame of a nested frameset, from another branch of the tree.
    two->FollowLink("STR://deep", "inner", two);
    EXPECT_EQ(Frame("inner")->GetDocument()->GetUrl(), "STR://deep");
    // A name nobody has: the frame loads it itself.
    two->FollowLink("STR://self", "nobody", two);
    EXPECT_EQ(two->GetDocument()->GetUrl(), "STR://self");
    // "_top" in any case from a nested frame: the top view, whose frames go.
    events.Clear();
    Frame("inner")->FollowLink("STR://top page", "_ToP", Frame("inner"));
    EXPECT_EQ(view->GetDocument()->GetUrl(), "STR://top page");
    EXPECT_TRUE(view->GetFrames().empty());
    EXPECT_TRUE(events.Has("loaded 0 [] STR://top page"));
    FdWin::vPumpWaiting();
    // The view's own load with a target goes to that frame.
    ASSERT_EQ(view->LoadUrl(kGridPage, "", &events, "", 0, 0, 0), 0);
    EXPECT_EQ(view->LoadUrl("STR://by target", "", nullptr, "two", 0, 0, 0), 0);
    EXPECT_EQ(Frame("two")->GetDocument()->GetUrl(), "STR://by target");
    EXPECT_EQ(view->GetDocument()->GetUrl(), kGridPage);
    EXPECT_EQ(view->Navigate("", nullptr, "TWO", 1, 0, 0, 0), 0);
    EXPECT_EQ(Frame("two")->GetDocument()->GetUrl(), "STR://by target");
}

TEST_F(FramesTest, ClicksDoubleClicksAndTheLinkMenu)
{
    ASSERT_EQ(view->LoadUrl(kGridPage, "", &events, "", 0, 0, 0), 0);
    HtmlWnd* one = Frame("one");
    HtmlWnd* two = Frame("two");
    // Outside any link: OnClick in the frame's coordinates, passed up by the top view.
    events.Clear();
    SendMessageA(one->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 30));
    SendMessageA(one->hWnd(), WM_LBUTTONUP, 0, At(20, 30));
    EXPECT_EQ(events.events, (std::vector<std::string>{"click 20 30 from "}));
    events.Clear();
    SendMessageA(one->hWnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(5, 6));
    EXPECT_EQ(events.events, (std::vector<std::string>{"double-click 5 6"}));
    // The right button on a link shows the link menu; nothing outside one.
    events.Clear();
    SendMessageA(two->hWnd(), WM_RBUTTONUP, 0, At(10, 10));
    SendMessageA(one->hWnd(), WM_RBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(events.events, (std::vector<std::string>{"link-menu next.htm One"}));
    // A link refused by OnLinkClick isn't followed.
    events.Clear();
    events.followLinks = 0;
    SendMessageA(two->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    SendMessageA(two->hWnd(), WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(events.events, (std::vector<std::string>{"can-follow", "link-click next.htm One"}));
    EXPECT_EQ(one->GetDocument()->GetUrl(), "STR://<HTML>&lt;b&gt; one</HTML>");
    // Followed, the link loads into its target frame.
    events.followLinks = 1;
    SendMessageA(two->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    SendMessageA(two->hWnd(), WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_NE(one->GetDocument()->GetUrl().find("next.htm"), std::string::npos)
        << one->GetDocument()->GetUrl();
    // A page-wide link to "_top" replaces the frameset from inside a frame's own click.
    two->LoadUrl("STR://<A HREF=\"STR://left the frames\" TARGET=_TOP PAGEWIDE>up</A>", "", nullptr, "", 666,
                 666, 0);
    SendMessageA(two->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    SendMessageA(two->hWnd(), WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(view->GetDocument()->GetUrl(), "STR://left the frames");
    EXPECT_TRUE(view->GetFrames().empty());
    FdWin::vPumpWaiting();
}

TEST_F(FramesTest, TheParentChainHearsTheFramesHandlersCachesAndDrags)
{
    FrameEvents own;
    events.frameHandlers["own"] = &own;
    ASSERT_EQ(view->LoadUrl("STR://<FRAMESET COLS=\"*,*\">"
                            "<FRAME NAME=own SRC=\"STR://<HANDLER NAME=H1>own\">"
                            "<FRAME NAME=plain SRC=\"STR://<HANDLER NAME=H2>plain\"></FRAMESET>",
                            "", &events, "", 0, 0, 0),
              0);
    HtmlWnd* ownView = Frame("own");
    HtmlWnd* plain = Frame("plain");
    ASSERT_NE(ownView, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(ownView->GetHandler(), &own);
    EXPECT_EQ(plain->GetHandler(), static_cast<IHtmlWndEvents*>(view.get()));
    // Frames share the top view's caches once it has them.
    EXPECT_EQ(plain->HasSharedCaches(nullptr), 0);
    view->CreateCaches();
    EXPECT_EQ(plain->HasSharedCaches(nullptr), 1);
    EXPECT_EQ(plain->HasFontCache(nullptr), 1);

    // A frame whose handler is its parent: the top handler hears the end once
    // and keeps the frame's handler with a 0.
    events.Clear();
    plain->LoadUrl("STR://next", "", nullptr, "", 666, 666, 0);
    EXPECT_EQ(events.events, (std::vector<std::string>{"ended H2 in plain", "release H2 in plain",
                                                       "loaded 0 [plain] STR://next"}));
    EXPECT_EQ(plain->GetHandler(), static_cast<IHtmlWndEvents*>(view.get()));

    // A frame with a handler of its own: both it and the parent chain hear
    // it, and the chain's non-zero answer drops the frame's handler.
    events.Clear();
    own.Clear();
    events.releaseAnswer = 1;
    ownView->LoadUrl("STR://next", "", nullptr, "", 666, 666, 0);
    EXPECT_EQ(own.events, (std::vector<std::string>{"ended H1 in own", "release H1 in own"}));
    EXPECT_EQ(events.events, (std::vector<std::string>{"ended H1 in own", "release H1 in own"}));
    EXPECT_EQ(ownView->GetHandler(), nullptr);

    // Dragging in a frame: OnDrag with the frame's name reaches the top handler.
    events.Clear();
    SendMessageA(plain->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    SendMessageA(plain->hWnd(), WM_MOUSEMOVE, MK_LBUTTON, At(20, 25));
    SendMessageA(plain->hWnd(), WM_LBUTTONUP, 0, At(20, 25));
    EXPECT_EQ(events.events, (std::vector<std::string>{"drag in plain", "click 20 25 from "}));
    ReleaseCapture();

    // A HANDLER block in a frame: the handler the chain offers replaces the
    // frame's, and a drag it declines goes to the saved one (the parent view).
    FrameEvents replacement;
    events.replacements["H3"] = &replacement;
    events.releaseAnswer = 0;
    plain->LoadUrl("STR://<HANDLER NAME=H3>replaced", "", nullptr, "", 666, 666, 0);
    EXPECT_EQ(plain->GetHandler(), &replacement);
    events.Clear();
    replacement.Clear();
    SendMessageA(plain->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(10, 10));
    SendMessageA(plain->hWnd(), WM_MOUSEMOVE, MK_LBUTTON, At(30, 35));
    SendMessageA(plain->hWnd(), WM_LBUTTONUP, 0, At(30, 35));
    EXPECT_EQ(replacement.events, (std::vector<std::string>{"drag in plain", "click 30 35 from plain"}));
    EXPECT_EQ(events.events, (std::vector<std::string>{"drag in plain"}));
    ReleaseCapture();
    // Its document cleared, the frame gets the parent view back as handler.
    plain->LoadUrl("STR://after", "", nullptr, "", 666, 666, 0);
    EXPECT_EQ(plain->GetHandler(), static_cast<IHtmlWndEvents*>(view.get()));
}

TEST_F(FramesTest, APageThatFramesItselfStopsAtTheBounds)
{
    char folder[MAX_PATH];
    ASSERT_NE(GetTempPathA(sizeof folder, folder), 0u);
    const std::string path = std::string(folder) + "fd_frames_self.htm";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("<FRAMESET COLS=\"*,*\"><FRAME SRC=fd_frames_self.htm><FRAME>end</FRAME></FRAMESET>", file);
    std::fclose(file);
    EXPECT_EQ(view->LoadUrl(path, "", &events, "", 0, 0, 0), 0);
    int32_t depth = 0;
    for (HtmlWnd* v = view.get(); !v->GetFrames().empty(); v = v->GetFrames()[0].view.get())
        ++depth;
    EXPECT_EQ(depth, HtmlWnd::kMaxFrameDepth);
    EXPECT_EQ(view->CountFrameViews(), 2 * HtmlWnd::kMaxFrameDepth);
    // A frameset wider than the bound gets no views at all.
    std::string wide = "STR://<FRAMESET COLS=\"*";
    for (int32_t i = 0; i < HtmlWnd::kMaxFrameViews; ++i)
        wide += ",*";
    wide += "\">";
    for (int32_t i = 0; i <= HtmlWnd::kMaxFrameViews; ++i)
        wide += "<FRAME>";
    EXPECT_EQ(view->LoadUrl(wide + "</FRAMESET>", "", &events, "", 0, 0, 0), 0);
    EXPECT_EQ(view->CountFrameViews(), 0);
    view->LoadUrl("STR://gone", "", nullptr, "", 0, 0, 0);
    EXPECT_EQ(view->CountFrameViews(), 0);
    DeleteFileA(path.c_str());
    FdWin::vPumpWaiting();
}

const char kBorderPage[] =
    "STR://<FRAMESET COLS=\"100,*\" ROWS=\"100,*\">"
    "<FRAME NAME=a FRAMEBORDER=4><FRAME NAME=b FRAMEBORDER=4><FRAME NAME=c FRAMEBORDER=4>"
    "<FRAME NAME=d FRAMEBORDER=4></FRAMESET>";

TEST_F(FramesTest, BorderCursors)
{
    ASSERT_EQ(view->LoadUrl(kBorderPage, "", &events, "", 0, 0, 0), 0);
    UpdateWindow(top);
    struct Case
    {
        int x;
        int y;
        LPCSTR cursor;
    };
    const Case cases[] = {
        {98, 50, IDC_SIZEWE},   {50, 98, IDC_SIZENS}, {98, 98, IDC_SIZEALL},
        {101, 200, IDC_SIZEWE}, {2, 50, nullptr},
    };
    for (const Case& c : cases)
    {
        SetCursor(LoadCursorA(nullptr, IDC_IBEAM));
        SendMessageA(view->hWnd(), WM_MOUSEMOVE, 0, At(c.x, c.y));
        const HCURSOR expected = LoadCursorA(nullptr, c.cursor != nullptr ? c.cursor : IDC_IBEAM);
        EXPECT_EQ(GetCursor(), expected) << "at " << c.x << "," << c.y;
        // Leaving the border gives the previous cursor back.
        SendMessageA(view->hWnd(), WM_MOUSEMOVE, 0, At(-5, -5));
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_IBEAM)) << "after " << c.x << "," << c.y;
    }
    // A key ends the capture as if the pointer had left: the cursor comes back.
    SetCursor(LoadCursorA(nullptr, IDC_IBEAM));
    SendMessageA(view->hWnd(), WM_MOUSEMOVE, 0, At(98, 50));
    ASSERT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZEWE));
    EXPECT_EQ(GetCapture(), view->hWnd());
    SendMessageA(view->hWnd(), WM_KEYDOWN, 'A', 1);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_IBEAM));
    SendMessageA(view->hWnd(), WM_KEYUP, 'A', 1);
    ReleaseCapture();
}

TEST_F(FramesTest, ABorderDragResizesBothNeighbours)
{
    ASSERT_EQ(view->LoadUrl(kBorderPage, "", &events, "", 0, 0, 0), 0);
    UpdateWindow(top);
    // The tracker reads the queue: the drag is posted before the press that starts it.
    PostMessageA(view->hWnd(), WM_MOUSEMOVE, MK_LBUTTON, At(130, 50));
    PostMessageA(view->hWnd(), WM_MOUSEMOVE, MK_LBUTTON, At(150, 60));
    PostMessageA(view->hWnd(), WM_LBUTTONUP, 0, At(150, 60));
    SendMessageA(view->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(100, 50));
    EXPECT_EQ(Placed(Frame("a")).right, 146);
    EXPECT_EQ(Placed(Frame("b")).left, 154);
    EXPECT_EQ(Placed(Frame("d")).left, 154);
    EXPECT_EQ(view->GetFrames()[0].record.columnSize.pixels, 1);
    EXPECT_EQ(view->GetFrames()[0].record.columnSize.value, 150);
    EXPECT_EQ(view->GetFrames()[1].record.columnSize.relative, 1);
    EXPECT_EQ(GetCapture(), nullptr);

    // A row border, dragged up: the first row shrinks, the last stays relative.
    PostMessageA(view->hWnd(), WM_MOUSEMOVE, MK_LBUTTON, At(50, 60));
    PostMessageA(view->hWnd(), WM_LBUTTONUP, 0, At(50, 60));
    SendMessageA(view->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(50, 100));
    EXPECT_EQ(Placed(Frame("a")).bottom, 56);
    EXPECT_EQ(Placed(Frame("c")).top, 64);
    EXPECT_EQ(view->GetFrames()[3].record.rowSize.relative, 1);
    SetWindowPos(view->hWnd(), nullptr, 0, 0, 400, 200, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(Placed(Frame("c")).bottom, 196);
    EXPECT_EQ(Placed(Frame("a")).bottom, 56);

    // Escape cancels: nothing moves.
    PostMessageA(view->hWnd(), WM_MOUSEMOVE, MK_LBUTTON, At(300, 50));
    PostMessageA(view->hWnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageA(view->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(150, 30));
    EXPECT_EQ(Placed(Frame("a")).right, 146);
    FdWin::vPumpWaiting();
}

TEST_F(FramesTest, ScreenshotOfTheBorderRings)
{
    ASSERT_EQ(view->LoadUrl("STR://<FRAMESET COLS=\"*,*\">"
                            "<FRAME FRAMEBORDER=6 BORDERCOLOR=#FF0000 BORDERCOLORDARK=#0000FF "
                            "BORDERCOLORLIGHT=#00FF00 SRC=\"STR://<BODY BGCOLOR=#FFFFFF>left\">"
                            "<FRAME FRAMEBORDER=3 BORDERCOLOR=#FF0000 BORDERCOLORDARK=#0000FF "
                            "BORDERCOLORLIGHT=#00FF00 RNDBORDER_TL=#FFFF00 RNDBORDER_BR=#FF00FF>"
                            "</FRAMESET>",
                            "", &events, "", 0, 0, 0),
              0);
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    CDibTarget shot(400, 300, 32);
    HDC window = GetDC(top);
    BitBlt(shot.dc(), 0, 0, 400, 300, window, 0, 0, SRCCOPY);
    ReleaseDC(top, window);
    GdiFlush();
    shot.boSave(FdHtmlTest::strArtefact("frames-borders.bmp"));
    const uint32_t blue = 0x0000FF, red = 0xFF0000, green = 0x00FF00, white = 0xFFFFFF;
    struct Pixel
    {
        int x;
        int y;
        uint32_t rgb;
        const char* what;
    };
    const Pixel pixels[] = {
        // Left frame (0..200), width 6: outer ring dark above and left, light below and right.
        {0, 150, blue, "ring 0 left"},
        {100, 0, blue, "ring 0 top"},
        {199, 150, green, "ring 0 right"},
        {100, 299, green, "ring 0 bottom"},
        {2, 150, red, "ring 2 left"},
        {197, 150, red, "ring 2 right"},
        {5, 150, green, "ring 5 left"},
        {100, 5, green, "ring 5 top"},
        {194, 150, blue, "ring 5 right"},
        {100, 294, blue, "ring 5 bottom"},
        {6, 150, white, "inside"},
        // Right frame (200..400), width 3: no light-and-dark inner ring.
        {202, 150, red, "ring 2 left, width 3"},
        {397, 150, red, "ring 2 right, width 3"},
        {399, 150, green, "ring 0 right, width 3"},
        // Rounded corners keep their colour outside the quarter disc.
        {200, 0, 0xFFFF00, "top-left corner"},
        {399, 299, 0xFF00FF, "bottom-right corner"},
        {202, 2, red, "top-left disc"},
        {300, 150, white, "an empty frame"},
    };
    for (const Pixel& p : pixels)
        EXPECT_EQ(shot.dwPixel(p.x, p.y), p.rgb)
            << p.what << " at " << p.x << "," << p.y << std::hex << " got 0x" << shot.dwPixel(p.x, p.y);
}
TEST_F(FramesTest, AFocusedFramesBorderTakesTheFocusColour)
{
    ASSERT_EQ(view->LoadUrl("STR://<FRAMESET COLS=\"*,*\">"
                            "<FRAME NAME=a FRAMEBORDER=4 BORDERCOLOR=#FF0000 BORDERCOLORDARK=#0000FF "
                            "BORDERCOLORLIGHT=#00FF00 BORDERCOLORFOCUS=#FF00FF>"
                            "<FRAME NAME=b FRAMEBORDER=4></FRAMESET>",
                            "", &events, "", 0, 0, 0),
              0);
    UpdateWindow(top);
    auto pixel = [&](int x, int y)
    {
        CDibTarget shot(400, 300, 32);
        HDC window = GetDC(top);
        BitBlt(shot.dc(), 0, 0, 400, 300, window, 0, 0, SRCCOPY);
        ReleaseDC(top, window);
        GdiFlush();
        return shot.dwPixel(x, y);
    };
    // Ring 0 below and right, and the inner ring above and left, are light
    // without the focus and in the focus colour with it.
    SetFocus(view->hWnd());
    FdWin::vPumpWaiting();
    EXPECT_EQ(pixel(199, 150), 0x00FF00u);
    EXPECT_EQ(pixel(3, 150), 0x00FF00u);
    SetFocus(Frame("a")->hWnd());
    FdWin::vPumpWaiting();
    EXPECT_EQ(pixel(199, 150), 0xFF00FFu);
    EXPECT_EQ(pixel(3, 150), 0xFF00FFu);
    EXPECT_EQ(pixel(0, 150), 0x0000FFu); // the dark ring stays
    SetFocus(Frame("b")->hWnd());
    FdWin::vPumpWaiting();
    EXPECT_EQ(pixel(199, 150), 0x00FF00u);
}
} // namespace
