// The view's form controls under Wine (display needed): the control classes
// and styles, ids, the keys and characters the controls hand the view, the
// events that reach the handler, keyboard focus and tab order, links
// followed with Enter, form values, and a picture of a forms page.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "DibSection.h"
#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlWnd.h"
#include "TestKit.h"
#include "TestHelper.h"

using FdHtmlTest::CDibTarget;

namespace
{
std::string NameOf(CTagINPUT* input)
{
    return input != nullptr ? input->GetDesc().name : "(none)";
}

// Records what reaches the handler, one line per event.
class FormEvents : public CHtmlWndEventsBase
{
public:
    std::vector<std::string> events;
    int32_t refuseKey = 0; // OnControlKey answers 1 for this character
    int32_t linkClickAnswer = 1;

    void Add(const std::string& line) { events.push_back(line); }
    bool Has(const std::string& line) const
    {
        for (const std::string& e : events)
            if (e == line)
                return true;
        return false;
    }
    int Count(const std::string& line) const
    {
        int n = 0;
        for (const std::string& e : events)
            n += e == line ? 1 : 0;
        return n;
    }

    void OnControlCreated(CTagINPUT* input, CHtmlObject*) override { Add("created " + NameOf(input)); }
    int32_t OnControlKey(int32_t key, CTagINPUT* input, CHtmlObject*) override
    {
        Add("key " + std::to_string(key) + " " + NameOf(input));
        return key == refuseKey ? 1 : 0;
    }
    int32_t OnControlCommand(CTagINPUT* input, int32_t word, int32_t value, CHtmlObject*) override
    {
        Add("command " + NameOf(input) + " " + std::to_string(word) + " " + std::to_string(value));
        return 0;
    }
    int32_t OnSubmit(CTagINPUT* input, CHtmlObject*) override
    {
        Add("submit " + NameOf(input));
        return 0;
    }
    int32_t OnControlChanged(CTagINPUT* input, CHtmlObject*) override
    {
        Add("changed " + NameOf(input));
        return 0;
    }
    int32_t OnControlSetFocus(CTagINPUT* input, CHtmlObject*) override
    {
        Add("setfocus " + NameOf(input));
        return 0;
    }
    int32_t OnControlKillFocus(CTagINPUT* input, CHtmlObject*) override
    {
        Add("killfocus " + NameOf(input));
        return 0;
    }
    int32_t OnInputKey(int32_t key, int32_t, int32_t, std::string, CHtmlObject*) override
    {
        Add("input-key " + std::to_string(key));
        return 0;
    }
    int32_t CanFollowLink(CTag*, int32_t, CHtmlObject*) override
    {
        Add("can-follow");
        return 1;
    }
    int32_t OnLinkClick(std::string address, std::string target, CHtmlObject*) override
    {
        Add("link-click " + address + " " + target);
        return linkClickAnswer;
    }
    void OnLinkHover(const std::string& text, CTag*, int32_t kind, CHtmlObject*) override
    {
        Add("hover " + text + " " + std::to_string(kind));
    }
};

// A view that records FollowLink and counts its content moves.
class FormView : public HtmlWnd
{
public:
    explicit FormView(HMODULE module = nullptr) : HtmlWnd(module) {}
    std::vector<std::string> followed;
    int moves = 0;
    void FollowLink(std::string address, std::string target, CHtmlObject*) override
    {
        followed.push_back(address + " " + target);
    }

protected:
    void ScrollContent(int32_t dx, int32_t dy) override
    {
        ++moves;
        HtmlWnd::ScrollContent(dx, dy);
    }
};

// Styles windows are created with, by window (a CBT hook sees them before
// the system classes adjust their own).
std::vector<std::pair<HWND, DWORD>> g_created;
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
        g_created.emplace_back(reinterpret_cast<HWND>(wParam),
                               reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->style);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD CreationStyle(HWND hWnd)
{
    for (const auto& entry : g_created)
        if (entry.first == hWnd)
            return entry.second;
    return 0;
}

LRESULT CALLBACK FrameProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

class FormsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = FrameProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HtmlFormsTestFrame";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        RegisterClassA(&wc);
        frame = CreateWindowExA(0, "HtmlFormsTestFrame", "forms test", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(frame, nullptr) << GetLastError();
        SetForegroundWindow(frame);
    }
    void TearDown() override
    {
        view.reset();
        if (frame != nullptr)
            DestroyWindow(frame);
    }
    // Loads the page and waits until every control of the view is shown.
    void Show(const std::string& page, HMODULE module = nullptr)
    {
        view = std::make_unique<FormView>(module);
        RECT rc = {0, 0, 400, 300};
        ASSERT_TRUE(view->Create(WS_CHILD | WS_VISIBLE, rc, frame, 1));
        view->CreateCaches();
        g_created.clear();
        HHOOK hook = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
        ASSERT_EQ(view->LoadUrl("STR://" + page, "", &events, "", 0, 0, 0), 0);
        UnhookWindowsHookEx(hook);
        UpdateWindow(view->hWnd());
        const bool shown = FdTestKit::boPumpUntil(
            [&]
            {
                for (CTagINPUT* input : view->GetFormControls())
                    if (input->GetDesc().window != nullptr && !IsWindowVisible(Window(input->GetDesc().name)))
                        return false;
                return true;
            });
        ASSERT_TRUE(shown);
        FdTestKit::vPumpWaiting();
    }
    HWND Window(const std::string& name) { return view->GetInputCtrl(name); }
    void Key(HWND target, WPARAM key) { SendMessageA(target, WM_KEYDOWN, key, 1); }
    // Runs what the last action posted: the view and its controls answer a
    // key or a focus change through this thread's queue, so the queue being
    // empty is the condition, not a time.
    void Pump() { FdTestKit::vPumpWaiting(); }
    std::string Focused()
    {
        for (CTagINPUT* input : view->GetFormControls())
            if (GetFocus() == static_cast<HWND>(input->GetDesc().window))
                return input->GetDesc().name;
        return GetFocus() == view->hWnd() ? "(view)" : "(other)";
    }

    HWND frame = nullptr;
    std::unique_ptr<FormView> view;
    FormEvents events;
};

TEST_F(FormsTest, ControlClassesStylesAndIds)
{
    FD_HELPER(Show(
        "<INPUT NAME=t><INPUT TYPE=PASSWORD NAME=p><INPUT TYPE=TEXTAREA NAME=ta>"
        "<INPUT TYPE=TEXTAREA WRAP=off NAME=tw><INPUT TYPE=CHECKBOX NAME=c>"
        "<INPUT TYPE=RADIO NAME=r VALUE=1><INPUT TYPE=RADIO NAME=r VALUE=2><INPUT TYPE=RADIO NAME=q VALUE=3>"
        "<SELECT NAME=s><OPTION>a</OPTION></SELECT><INPUT TYPE=SUBMIT NAME=go VALUE=Go>"));
    struct Row
    {
        const char* name;
        const char* className;
        DWORD style;
    };
    const Row rows[] = {
        {"t", "HtmlEdit", 0x50010080},   {"p", "HtmlEdit", 0x500100A0},     {"ta", "HtmlEdit", 0x50211044},
        {"tw", "HtmlEdit", 0x503110C4},  {"c", "HtmlButton", 0x54010003},   {"r", "HtmlButton", 0x54030009},
        {"q", "HtmlButton", 0x54030009}, {"s", "HtmlComboBox", 0x54210003}, {"go", "HtmlButton", 0x54010000},
    };
    const std::vector<CTagINPUT*>& controls = view->GetFormControls();
    ASSERT_EQ(controls.size(), 10u);
    int id = 666;
    for (CTagINPUT* input : controls)
    {
        HWND control = static_cast<HWND>(input->GetDesc().window);
        ASSERT_NE(control, nullptr) << input->GetDesc().name;
        EXPECT_EQ(GetDlgCtrlID(control), id++) << input->GetDesc().name;
        EXPECT_EQ(input->GetDesc().ownerKind, "HTMLWND");
    }
    for (const Row& row : rows)
    {
        HWND control = Window(row.name);
        char className[32] = {};
        GetClassNameA(control, className, sizeof className);
        EXPECT_STREQ(className, row.className) << row.name;
        // Made hidden, shown once placed.
        EXPECT_EQ(CreationStyle(control) | WS_VISIBLE, row.style)
            << row.name << std::hex << " made with 0x" << CreationStyle(control);
        // The combo box hands its WS_VSCROLL on to its list.
        const DWORD live = DWORD(GetWindowLongA(control, GWL_STYLE));
        EXPECT_EQ(std::string(row.name) == "s" ? live | WS_VSCROLL : live, row.style)
            << row.name << std::hex << " got 0x" << live;
    }
    // The second radio button of a group has no WS_GROUP.
    HWND second = static_cast<HWND>(controls[6]->GetDesc().window);
    EXPECT_EQ(DWORD(GetWindowLongA(second, GWL_STYLE)), 0x54010009u);
    // Each control was reported created once.
    EXPECT_EQ(events.Count("created t"), 1);
    EXPECT_EQ(events.Count("created go"), 1);
}

TEST_F(FormsTest, DialogCodesAndCharacters)
{
    FD_HELPER(Show("<INPUT NAME=t><INPUT TYPE=TEXTAREA NAME=ta HEIGHT=3><INPUT TYPE=CHECKBOX NAME=c>"));
    HWND plain = CreateWindowExA(0, "edit", "", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 50, 20, frame, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    const LRESULT system = SendMessageA(plain, WM_GETDLGCODE, 0, 0);
    DestroyWindow(plain);
    EXPECT_EQ(SendMessageA(Window("t"), WM_GETDLGCODE, 0, 0), system | 7);
    EXPECT_EQ(SendMessageA(view->hWnd(), WM_GETDLGCODE, 0, 0) & 7, 7);

    // The handler refuses 'x': the view answers 0 and the character is dropped.
    events.refuseKey = 'x';
    for (char c : std::string("axb"))
        SendMessageA(Window("t"), WM_CHAR, WPARAM(c), 1);
    EXPECT_EQ(view->GetInputText("t"), "ab");
    EXPECT_TRUE(events.Has("key 120 t"));
    EXPECT_EQ(SendMessageA(view->hWnd(), HtmlWnd::kMsgCharCheck, WPARAM(Window("t")), 'x'), 0);
    EXPECT_EQ(SendMessageA(view->hWnd(), HtmlWnd::kMsgCharCheck, WPARAM(Window("t")), 'y'), 1);

    // Enter goes to the view in a single-line edit and into a text area.
    SendMessageA(Window("t"), WM_CHAR, '\r', 1);
    EXPECT_EQ(view->GetInputText("t"), "ab");
    SendMessageA(Window("ta"), WM_CHAR, 'a', 1);
    SendMessageA(Window("ta"), WM_CHAR, '\r', 1);
    SendMessageA(Window("ta"), WM_CHAR, 'b', 1);
    EXPECT_EQ(view->GetInputText("ta"), "a\r\nb");
    events.events.clear();
    Key(Window("t"), VK_RETURN);
    EXPECT_TRUE(events.Has("input-key 13")); // sent at once
    // Enter on a check box is posted to the view.
    events.events.clear();
    Key(Window("c"), VK_RETURN);
    EXPECT_FALSE(events.Has("input-key 13"));
    Pump();
    EXPECT_TRUE(events.Has("input-key 13"));
}

TEST_F(FormsTest, ALetterWithCtrlInAnEditIsTypedAndReportedToTheView)
{
    FD_HELPER(Show("<INPUT NAME=t>"));
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE saved = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    events.events.clear();
    Key(Window("t"), 'A');
    keys[VK_CONTROL] = saved;
    SetKeyboardState(keys);
    Pump();
    EXPECT_TRUE(events.Has("input-key 65"));
    // Without Ctrl the letter stays with the edit.
    events.events.clear();
    Key(Window("t"), 'A');
    Pump();
    EXPECT_FALSE(events.Has("input-key 65"));
}

TEST_F(FormsTest, NotificationsAreOfferedToTheHandlerFirst)
{
    class Notified : public FormEvents
    {
    public:
        int32_t OnNotify(int32_t id, tagNMHDR* header, void* result, CTagINPUT* input, HtmlWnd*,
                         CHtmlObject*) override
        {
            Add("notify " + std::to_string(id) + " " + std::to_string(int(header->code)) + " " +
                NameOf(input));
            *static_cast<LRESULT*>(result) = 42;
            return 1;
        }
    } notified;
    FD_HELPER(Show("<INPUT NAME=t>"));
    view->SetHandler(&notified);
    NMHDR header = {};
    header.hwndFrom = Window("t");
    header.idFrom = UINT_PTR(GetDlgCtrlID(Window("t")));
    header.code = 7;
    EXPECT_EQ(SendMessageA(view->hWnd(), WM_NOTIFY, header.idFrom, LPARAM(&header)), 42);
    EXPECT_EQ(notified.events.back(), "notify 666 7 t");
    view->SetHandler(&events);
}

TEST_F(FormsTest, AViewWithoutHandlerGivesTheDefaultAnswers)
{
    HtmlWnd bare;
    EXPECT_EQ(bare.OnControlFont(nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(bare.OnLinkClick("a", "", nullptr), 1);
    EXPECT_EQ(bare.CanFollowLink(nullptr, 0, nullptr), 1);
    EXPECT_EQ(bare.OnLinkMenu("a", "", nullptr), 1);
    EXPECT_EQ(bare.OnControlKey('x', nullptr, nullptr), 0);
    EXPECT_EQ(bare.OnSubmit(nullptr, nullptr), 0);
    EXPECT_EQ(bare.OnInputKey(9, 1, 0, "", nullptr), 0);
    EXPECT_EQ(bare.OnCommand(1, 0, &bare, nullptr), 0);
    EXPECT_EQ(bare.HasSharedCaches(nullptr), 0);
    EXPECT_FALSE(bare.MoveTabFocus(false));
}

TEST_F(FormsTest, ControlEventsReachTheHandler)
{
    FD_HELPER(Show("<INPUT NAME=t><INPUT TYPE=CHECKBOX NAME=c><INPUT TYPE=SUBMIT NAME=go VALUE=Go>"
                   "<SELECT NAME=s><OPTION VALUE=v1>one</OPTION><OPTION VALUE=v2>two</OPTION></SELECT>"));
    events.events.clear();
    view->SetInputText("t", "hello");
    EXPECT_TRUE(events.Has("changed t"));
    SetFocus(Window("t"));
    EXPECT_TRUE(events.Has("setfocus t"));
    // The control's focus moved the view's focus mark to its element.
    EXPECT_EQ(NameOf(view->GetFocusElement()), "t");
    SendMessageA(Window("c"), BM_CLICK, 0, 0);
    EXPECT_TRUE(events.Has("submit c"));
    EXPECT_TRUE(events.Has("killfocus t"));
    // Enter on a push button clicks it (down and up at 1, 1).
    events.events.clear();
    Key(Window("go"), VK_RETURN);
    Pump();
    EXPECT_TRUE(events.Has("submit go"));
    // A list's selection change.
    events.events.clear();
    SendMessageA(view->hWnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Window("s")), CBN_SELCHANGE),
                 LPARAM(Window("s")));
    EXPECT_TRUE(events.Has("changed s"));
    // Other notifications go to OnControlCommand with id and code.
    SendMessageA(view->hWnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Window("t")), EN_UPDATE),
                 LPARAM(Window("t")));
    EXPECT_TRUE(events.Has("command t " + std::to_string(GetDlgCtrlID(Window("t"))) + " 1024"));
}

TEST_F(FormsTest, FormValuesReadAndWritten)
{
    FD_HELPER(
        Show("<INPUT NAME=t VALUE=first><INPUT TYPE=CHECKBOX NAME=c CHECKED><INPUT TYPE=CHECKBOX NAME=d>"
             "<INPUT TYPE=RADIO NAME=r VALUE=a><INPUT TYPE=RADIO NAME=r VALUE=b CHECKED>"
             "<SELECT NAME=s><OPTION VALUE=v1>one</OPTION><OPTION VALUE=v2 SELECTED>two</OPTION></SELECT>"
             "<SELECT NAME=e><OPTION>none</OPTION></SELECT>"
             "<INPUT NAME=ro DISABLED VALUE=fixed><INPUT TYPE=CHECKBOX NAME=off DISABLED>"));
    EXPECT_EQ(view->GetInputText("t"), "first");
    EXPECT_TRUE(view->SetInputText("t", "second"));
    EXPECT_EQ(view->GetInputText("t"), "second");
    EXPECT_EQ(view->GetCheckBox("c"), 1);
    EXPECT_EQ(view->GetCheckBox("d"), 0);
    EXPECT_TRUE(view->SetCheckBox("d", true));
    EXPECT_EQ(view->GetCheckBox("d"), 1);
    EXPECT_EQ(view->GetRadioValue("r"), "b");
    EXPECT_TRUE(view->SetRadioValue("r", "a"));
    EXPECT_EQ(view->GetRadioValue("r"), "a");
    EXPECT_FALSE(view->SetRadioValue("r", "zz"));
    EXPECT_EQ(view->GetRadioValue("r"), "");
    EXPECT_EQ(view->GetSelectValue("s"), "v2");
    SendMessageA(Window("s"), CB_SETCURSEL, 0, 0);
    EXPECT_EQ(view->GetSelectValue("s"), "v1");
    EXPECT_EQ(view->GetSelectValue("e"), ""); // an option without VALUE
    // Names compare exactly; a missing one gives the empty answers.
    EXPECT_EQ(view->FindInputTag("T"), nullptr);
    EXPECT_EQ(view->GetInputText("nosuch"), "");
    EXPECT_FALSE(view->SetInputText("nosuch", "x"));
    EXPECT_EQ(view->GetCheckBox("nosuch"), -1);
    EXPECT_EQ(view->GetSelectValue("nosuch"), "");
    EXPECT_EQ(view->GetInputCtrl("nosuch"), nullptr);
    EXPECT_NE(view->FindTagByName("S"), nullptr); // any element, without regard to case
    // A disabled text field stays enabled but read-only; a disabled check box is greyed.
    EXPECT_TRUE(IsWindowEnabled(Window("ro")));
    EXPECT_NE(GetWindowLongA(Window("ro"), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_FALSE(IsWindowEnabled(Window("off")));
    // A new page takes the old controls away.
    ASSERT_EQ(view->LoadUrl("STR://nothing", "", nullptr, "", 0, 0, 0), 0);
    EXPECT_TRUE(view->GetFormControls().empty());
    EXPECT_EQ(view->GetInputCtrl("t"), nullptr);
}

TEST_F(FormsTest, TabOrderFollowsTaborderThenTheDocument)
{
    FD_HELPER(Show("<INPUT NAME=a><INPUT NAME=b TABORDER=2><INPUT NAME=c TABORDER=1><INPUT NAME=d>"
                   "<INPUT NAME=e TABORDER=2><INPUT NAME=f NOTABSTOP>"));
    std::vector<std::string> order;
    for (int i = 0; i < 6; ++i)
    {
        Key(view->hWnd(), VK_TAB);
        Pump();
        order.push_back(Focused());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"c", "b", "e", "a", "d", "c"}));
    // A Tab typed in a control comes to the view too.
    Key(Window("c"), VK_TAB);
    Pump();
    EXPECT_EQ(Focused(), "b");
    // Backwards from the first wraps to the last.
    SetFocus(Window("c"));
    Pump();
    EXPECT_TRUE(view->MoveTabFocus(true));
    Pump();
    EXPECT_EQ(Focused(), "d");
}

TEST_F(FormsTest, EnterOnAFocusedLinkFollowsIt)
{
    FD_HELPER(Show("<A HREF=\"next.htm\" TARGET=main ALT=Next>next</A> <INPUT NAME=t>"));
    // With nothing focused, Tab goes to the first stop: the link.
    Key(view->hWnd(), VK_TAB);
    Pump();
    EXPECT_EQ(Focused(), "(view)");
    EXPECT_TRUE(events.Has("hover Next 2"));
    events.events.clear();
    Key(view->hWnd(), VK_RETURN);
    EXPECT_EQ(events.events,
              (std::vector<std::string>{"input-key 13", "can-follow", "link-click next.htm main"}));
    EXPECT_EQ(view->followed, (std::vector<std::string>{"next.htm main"}));
    // A handler that declines the click keeps the view where it is.
    events.linkClickAnswer = 0;
    Key(view->hWnd(), VK_SPACE);
    EXPECT_EQ(view->followed.size(), 1u);
    // Tab moves on to the field; the link hears it lost the focus.
    events.events.clear();
    Key(view->hWnd(), VK_TAB);
    Pump();
    EXPECT_EQ(Focused(), "t");
    EXPECT_TRUE(events.Has("hover  0"));
}

TEST_F(FormsTest, TabbingToAFieldBelowTheWindowScrollsInFiveSteps)
{
    std::string page = "<INPUT NAME=top>";
    for (int i = 0; i < 60; ++i)
        page += "line " + std::to_string(i) + "<BR>";
    page += "<INPUT NAME=bottom>";
    FD_HELPER(Show(page));
    Key(view->hWnd(), VK_TAB);
    Pump();
    ASSERT_EQ(Focused(), "top");
    view->moves = 0;
    Key(view->hWnd(), VK_TAB);
    Pump();
    EXPECT_EQ(Focused(), "bottom");
    EXPECT_EQ(view->moves, 5);
    EXPECT_GT(GetScrollPos(view->hWnd(), SB_VERT), 0);
    // The field is on screen, inside the view.
    RECT field;
    RECT client;
    GetWindowRect(Window("bottom"), &field);
    MapWindowPoints(nullptr, view->hWnd(), reinterpret_cast<POINT*>(&field), 2);
    GetClientRect(view->hWnd(), &client);
    EXPECT_GE(field.top, 0);
    EXPECT_LE(field.bottom, client.bottom);
}

TEST_F(FormsTest, ControlsAreMadeInTheDocumentsModule)
{
    HMODULE module = LoadLibraryA("htmlimgfix.dll");
    ASSERT_NE(module, nullptr);
    // Someone else's "HtmlEdit" in that module is replaced.
    WNDCLASSA foreign = {};
    foreign.lpfnWndProc = DefWindowProcA;
    foreign.hInstance = module;
    foreign.lpszClassName = "HtmlEdit";
    UnregisterClassA("HtmlEdit", module);
    ASSERT_NE(RegisterClassA(&foreign), 0);
    FD_HELPER(Show("<INPUT NAME=t VALUE=abc>", module));
    HWND control = Window("t");
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(reinterpret_cast<HMODULE>(GetWindowLongPtrA(control, GWLP_HINSTANCE)), module);
    WNDCLASSA now = {};
    ASSERT_TRUE(GetClassInfoA(module, "HtmlEdit", &now));
    EXPECT_NE(reinterpret_cast<void*>(now.lpfnWndProc), reinterpret_cast<void*>(DefWindowProcA));
    EXPECT_EQ(view->GetInputText("t"), "abc");
    EXPECT_TRUE(HtmlWnd::RegisterControlClasses(module)); // already there: stays
    view.reset();
}

TEST_F(FormsTest, ScreenshotOfAFormsPage)
{
    FD_HELPER(Show(
        "<B>Name</B> <INPUT NAME=n VALUE=\"Ada\" BORDER=1><BR>"
        "<INPUT TYPE=CHECKBOX NAME=c CHECKED VALUE=\"remember\"><BR>"
        "<SELECT NAME=s><OPTION VALUE=1>first</OPTION><OPTION SELECTED VALUE=2>second</OPTION></SELECT><BR>"
        "<INPUT TYPE=TEXTAREA NAME=ta HEIGHT=3 BGCOLOR=#FFFF00 VALUE=\"notes\"><BR>"
        "<INPUT TYPE=SUBMIT NAME=go VALUE=Send>"));
    RedrawWindow(view->hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    RECT rc;
    GetClientRect(view->hWnd(), &rc);
    CDibTarget shot(rc.right, rc.bottom, 32);
    HDC window = GetDC(view->hWnd());
    BitBlt(shot.dc(), 0, 0, rc.right, rc.bottom, window, 0, 0, SRCCOPY);
    ReleaseDC(view->hWnd(), window);
    GdiFlush();
    shot.boSave(FdHtmlTest::strArtefact("view-forms.bmp"));
    // The page's white.
    EXPECT_EQ(shot.dwPixel(rc.right - 2, rc.bottom - 2), 0xFFFFFFu);
    // Each control sits where the view placed it: the text field's white
    // inside with dark text, the text area's yellow background.
    auto inside = [&](const char* name)
    {
        RECT r;
        GetWindowRect(Window(name), &r);
        MapWindowPoints(nullptr, view->hWnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    const RECT field = inside("n");
    int dark = 0;
    for (int y = field.top + 2; y < field.bottom - 2; ++y)
        for (int x = field.left + 2; x < field.right - 2; ++x)
            dark += (shot.dwPixel(x, y) & 0xFF) < 0x60 ? 1 : 0;
    EXPECT_GT(dark, 10); // "Ada"
    const RECT area = inside("ta");
    EXPECT_EQ(shot.dwPixel(area.right - 20, area.bottom - 6), 0xFFFF00u);
    // The check box is drawn (some dark pixels of its box and mark).
    const RECT box = inside("c");
    dark = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            dark += (shot.dwPixel(x, y) & 0xFF) < 0x60 ? 1 : 0;
    EXPECT_GT(dark, 5);
}
// --- forms in frames: values, tab order and the focus mark across the views
// of one frameset

void AllViews(HtmlWnd* view, std::vector<HtmlWnd*>& views)
{
    views.push_back(view);
    for (HtmlWnd* child : view->GetChildViews())
        AllViews(child, views);
}

class FramedFormsTest : public FormsTest
{
protected:
    // Loads a frameset and waits until every control of every frame is shown.
    void ShowFrames(const std::string& page)
    {
        view = std::make_unique<FormView>();
        RECT rc = {0, 0, 400, 300};
        ASSERT_TRUE(view->Create(WS_CHILD | WS_VISIBLE, rc, frame, 1));
        view->SetScrollFlags(0);
        view->CreateCaches();
        ASSERT_EQ(view->LoadUrl("STR://" + page, "", &events, "", 0, 0, 0), 0);
        const bool shown = FdTestKit::boPumpUntil(
            [&]
            {
                size_t count = 0;
                for (HtmlWnd* v : Views())
                    for (CTagINPUT* input : v->GetFormControls())
                    {
                        ++count;
                        if (!IsWindowVisible(static_cast<HWND>(input->GetDesc().window)))
                            return false;
                    }
                return count > 0;
            });
        ASSERT_TRUE(shown);
        FdTestKit::vPumpWaiting();
    }
    std::vector<HtmlWnd*> Views()
    {
        std::vector<HtmlWnd*> views;
        AllViews(view.get(), views);
        return views;
    }
    // The control with the keyboard focus, as "frame/name".
    std::string FocusedAnywhere()
    {
        for (HtmlWnd* v : Views())
            for (CTagINPUT* input : v->GetFormControls())
                if (GetFocus() == static_cast<HWND>(input->GetDesc().window))
                    return v->GetFrameName() + "/" + input->GetDesc().name;
        return "(other)";
    }
    // Elements that carry the focus mark, as "frame/name".
    std::vector<std::string> Marked()
    {
        std::vector<std::string> marked;
        for (HtmlWnd* v : Views())
            for (CTagINPUT* input : v->GetFormControls())
                if (input->GetFocus() != 0)
                    marked.push_back(v->GetFrameName() + "/" + input->GetDesc().name);
        return marked;
    }
    // Tab typed into the focused control, as the user would.
    std::string TabFrom(bool backwards = false)
    {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        const BYTE shift = keys[VK_SHIFT];
        keys[VK_SHIFT] = backwards ? 0x80 : 0;
        SetKeyboardState(keys);
        Key(GetFocus(), VK_TAB);
        Pump();
        keys[VK_SHIFT] = shift;
        SetKeyboardState(keys);
        return FocusedAnywhere();
    }
};

TEST_F(FramedFormsTest, FormValuesAreReadAndWrittenThroughTheTopViewInEveryFrame)
{
    FD_HELPER(ShowFrames("<FRAMESET COLS=\"*,*\">"
                         "<FRAME NAME=left SRC=\"STR://<INPUT NAME=t VALUE=left><INPUT NAME=l VALUE=one>"
                         "<INPUT TYPE=CHECKBOX NAME=c>\">"
                         "<FRAMESET ROWS=\"*,*\"><FRAME NAME=up SRC=\"STR://<INPUT NAME=t VALUE=up>"
                         "<INPUT TYPE=RADIO NAME=r VALUE=a CHECKED><INPUT TYPE=RADIO NAME=r VALUE=b>\">"
                         "<FRAME NAME=down SRC=\"STR://<SELECT NAME=s><OPTION VALUE=v1>one</OPTION>"
                         "<OPTION VALUE=v2 SELECTED>two</OPTION></SELECT><INPUT NAME=d VALUE=deep>\">"
                         "</FRAMESET></FRAMESET>"));
    HtmlWnd* up = view->FindFrameWnd("up");
    HtmlWnd* down = view->FindFrameWnd("down");
    ASSERT_NE(up, nullptr);
    ASSERT_NE(down, nullptr);
    EXPECT_TRUE(view->GetFormControls().empty());
    // Read from the top: each frame's controls, at any depth.
    EXPECT_EQ(view->GetInputText("l"), "one");
    EXPECT_EQ(view->GetInputText("d"), "deep");
    EXPECT_EQ(view->GetRadioValue("r"), "a");
    EXPECT_EQ(view->GetSelectValue("s"), "v2");
    EXPECT_EQ(view->GetCheckBox("c"), 0);
    // A name in two frames: the first in frame order, depth-first.
    EXPECT_EQ(view->GetInputText("t"), "left");
    EXPECT_EQ(up->GetInputText("t"), "up");
    // Written from the top, seen in the frame's own control.
    EXPECT_TRUE(view->SetInputText("d", "changed"));
    char text[32] = {};
    GetWindowTextA(down->GetInputCtrl("d"), text, sizeof text);
    EXPECT_STREQ(text, "changed");
    EXPECT_TRUE(view->SetRadioValue("r", "b"));
    EXPECT_EQ(up->GetRadioValue("r"), "b");
    EXPECT_TRUE(view->SetCheckBox("c", true));
    EXPECT_EQ(view->FindFrameWnd("left")->GetCheckBox("c"), 1);
    EXPECT_EQ(view->GetInputCtrl("s"), down->GetInputCtrl("s"));
    EXPECT_NE(view->FindTagByName("S"), nullptr);
    // A frame sees its own frames only, not its siblings'.
    EXPECT_EQ(up->GetInputText("d"), "");
    EXPECT_EQ(up->GetCheckBox("c"), -1);
    EXPECT_EQ(view->GetInputText("nosuch"), "");
}

TEST_F(FramedFormsTest, TabMovesFromOneFrameToTheNextAndClicksTakeTheMarkAway)
{
    FD_HELPER(ShowFrames("<FRAMESET COLS=\"*,*,*\">"
                         "<FRAME NAME=one SRC=\"STR://<INPUT NAME=a><INPUT NAME=b>\">"
                         "<FRAME NAME=two SRC=\"STR://<INPUT NAME=c><INPUT NAME=d TABORDER=0>\">"
                         "<FRAME NAME=own TABGROUP SRC=\"STR://<INPUT NAME=x><INPUT NAME=y>\">"
                         "</FRAMESET>"));
    // From nothing, Tab goes to the first stop of the top view's group:
    // TABORDER first, then the frames' controls in frame order; the frame
    // that is a tab group of its own is left out.
    Key(view->hWnd(), VK_TAB);
    Pump();
    std::vector<std::string> order{FocusedAnywhere()};
    for (int i = 0; i < 4; ++i)
        order.push_back(TabFrom());
    EXPECT_EQ(order, (std::vector<std::string>{"two/d", "one/a", "one/b", "two/c", "two/d"}));
    EXPECT_EQ(Marked(), (std::vector<std::string>{"two/d"}));
    // Backwards across the frame boundary, and wrapping from the first to the last.
    EXPECT_EQ(TabFrom(true), "two/c");
    EXPECT_EQ(TabFrom(true), "one/b");
    EXPECT_EQ(TabFrom(true), "one/a");
    EXPECT_EQ(TabFrom(true), "two/d");
    EXPECT_EQ(TabFrom(true), "two/c");
    EXPECT_EQ(Marked(), (std::vector<std::string>{"two/c"}));
    // A press in another frame takes the mark off the element that has it.
    SetFocus(view->FindFrameWnd("two")->GetInputCtrl("c"));
    Pump();
    ASSERT_EQ(TabFrom(), "two/d");
    ASSERT_EQ(Marked(), (std::vector<std::string>{"two/d"}));
    HtmlWnd* one = view->FindFrameWnd("one");
    RECT client;
    GetClientRect(one->hWnd(), &client);
    const LPARAM below = MAKELPARAM(client.right / 2, client.bottom - 4);
    SendMessageA(one->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, below);
    SendMessageA(one->hWnd(), WM_LBUTTONUP, 0, below);
    Pump();
    EXPECT_TRUE(Marked().empty());
    EXPECT_EQ(GetFocus(), one->hWnd());
    // With nothing marked, Tab from that frame starts the group again.
    Key(one->hWnd(), VK_TAB);
    Pump();
    EXPECT_EQ(FocusedAnywhere(), "two/d");
    // The tab group's own frame cycles within itself.
    SetFocus(view->FindFrameWnd("own")->GetInputCtrl("x"));
    Pump();
    EXPECT_EQ(TabFrom(), "own/y");
    EXPECT_EQ(TabFrom(), "own/x");
    EXPECT_EQ(Marked(), (std::vector<std::string>{"two/d", "own/x"}));
}
} // namespace
