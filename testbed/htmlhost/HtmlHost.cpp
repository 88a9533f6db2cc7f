// The renderer's test host: loads a page into a document and prints its
// element tree, or shows pages in a view window.
//
//   htmlhost [--module DLL] [--handover] [--offer-known] [--events] ADDRESS
//   htmlhost --view WxH [--module DLL] [--scroll end|Y] [--stay|--still] [--keys KEYS]
//            [--play SCRIPT] [--shot FILE.bmp [--pixel X,Y]...] ADDRESS...
//
// ADDRESS is a file path (FILE://...), a resource (res://#120, RES://NAME;
// of the module given, else of htmlhost itself: res://DEMO) or STR:// and
// the markup. --events also prints what the document tells its handler.
// Exit code: the load result (0 loaded, 1 read error, 2 out of memory,
// 3 resource not found), 64 for a bad command line.
//
// --view loads the first page into an HtmlWnd of that client size and logs
// every event of the view. With --shot it scrolls as asked, writes the
// view's picture as a 24-bit BMP and ends; otherwise it shows each page in
// turn and scrolls it down line by line until the window is closed.
// --stay (or --still) shows the first page alone and leaves it to the user:
// a frameset's frames, their links and borders can be tried with the mouse,
// fields typed into, Tab and Shift+Tab moved through them, Enter pressed on a
// link; each event of the frames and the forms is logged, and a submit
// prints the values of the form controls of every frame. --keys plays keys
// before the picture: '|' is Tab, '^' is Enter, anything else is typed into
// the window that has the focus. --play plays a script of keys, clicks,
// drags, pointer moves, presses and timer ticks after them (see PlayScript),
// each step in the log; --pixel prints a pixel of the picture written by
// --shot. Under --stay a page such as hover.htm shows its buttons lighting
// and pressing, its links changing colour under the pointer and its text
// blinking, each hover event in the log.
//
// The view's handler carries an HTML-built scroll bar, as the chat's does:
// HTG_SCROLLBAR, HTG_SCROLLPART and HTG_SCROLLBUT tags become a bar of frames
// that scrolls its target frame by its buttons and its thumb
// (testbed/htmlhost/scrollbar.htm).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlFlow.h"
#include "HtmlScrollBar.h"
#include "HtmlTreeDump.h"
#include "HtmlWinHost.h"
#include "HtmlWnd.h"
#include "HtmlWndEvents.h"

namespace
{
class PrintingHandler : public CHtmlWndEventsBase
{
public:
    int32_t OnTag(std::string name, std::string attributes, HtmlMemBlock*, int32_t length, std::string,
                  CHtmlObject*) override
    {
        std::printf("event tag %s [%s] content %d bytes\n", name.c_str(),
                    HtmlEscapeForDump(attributes).c_str(), int(length));
        return -1;
    }
    int32_t OnHandlerTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                         std::string frame, CHtmlObject* sender) override
    {
        return OnTag(name, attributes, content, length, frame, sender);
    }
    void OnTitle(std::string title, CHtmlObject*) override
    {
        std::printf("event title \"%s\"\n", HtmlEscapeForDump(title).c_str());
    }
    void OnLeaveView(std::string* kind, std::string* address, std::string, CHtmlObject*) override
    {
        std::printf("event leave %s \"%s\"\n", kind->c_str(), HtmlEscapeForDump(*address).c_str());
    }
    void PushHandler(const std::string& name, const std::string&, CHtmlObject*) override
    {
        std::printf("event handler \"%s\"\n", HtmlEscapeForDump(name).c_str());
    }
};

// Logs what the view tells its handler, and hands the scroll bar the events
// it takes (tags, frames, link clicks and ticks, drags, scrolling).
class ViewLog : public CHtmlWndEventsBase
{
public:
    CHtmlScrollBar* bar = nullptr;

    int32_t OnTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                  std::string frame, CHtmlObject* sender) override
    {
        std::printf("view tag %s [%s] %d bytes frame \"%s\"\n", name.c_str(),
                    HtmlEscapeForDump(attributes).c_str(), int(length), frame.c_str());
        return bar != nullptr ? bar->OnTag(name, attributes, content, length, frame, sender) : -1;
    }
    void OnLinkTick(const std::string& address, const std::string& target, int32_t pressed, int32_t zero,
                    CHtmlObject* sender) override
    {
        if (bar != nullptr)
            bar->OnLinkTick(address, target, pressed, zero, sender);
    }
    void OnTitle(std::string title, CHtmlObject*) override
    {
        std::printf("view title \"%s\"\n", HtmlEscapeForDump(title).c_str());
    }
    void OnLoadProgress(int32_t stage, int32_t percent, int32_t count, CHtmlObject*) override
    {
        std::printf("view progress %d %d %d\n", int(stage), int(percent), int(count));
    }
    void OnLeaveView(std::string* kind, std::string* address, std::string, CHtmlObject*) override
    {
        std::printf("view leave %s \"%s\"\n", kind->c_str(), HtmlEscapeForDump(*address).c_str());
    }
    void OnScroll(int32_t which, int32_t position, HtmlWnd* view, CHtmlObject* sender) override
    {
        std::printf("view scroll %d %d\n", int(which), int(position));
        if (bar != nullptr)
            bar->OnScroll(which, position, view, sender);
    }
    void OnLoadError(int32_t error, std::string address, CHtmlObject*) override
    {
        std::printf("view load-error %d \"%s\"\n", int(error), HtmlEscapeForDump(address).c_str());
    }
    void OnDocumentLoaded(std::string address, int32_t result, std::string, HtmlWnd* loader,
                          CHtmlObject*) override
    {
        std::printf("view loaded %d \"%s\" frame \"%s\"\n", int(result), HtmlEscapeForDump(address).c_str(),
                    loader != nullptr ? loader->GetFrameName().c_str() : "");
        std::fflush(stdout);
    }
    IHtmlWndEvents* OnFrameCreated(CTagFRAME* frame, HtmlWnd* child, CHtmlObject* sender) override
    {
        std::printf("view frame-created \"%s\"\n", child->GetFrameName().c_str());
        return bar != nullptr ? bar->OnFrameCreated(frame, child, sender) : nullptr;
    }
    void OnFrameDestroyed(CTagFRAME* frame, HtmlWnd* child, CHtmlObject* sender) override
    {
        std::printf("view frame-destroyed \"%s\"\n", child->GetFrameName().c_str());
        if (bar != nullptr)
            bar->OnFrameDestroyed(frame, child, sender);
    }
    void OnClick(int32_t keys, int32_t x, int32_t y, CHtmlObject*) override
    {
        std::printf("view click %d %d keys %d\n", int(x), int(y), int(keys));
        std::fflush(stdout);
    }
    void OnDoubleClick(int32_t keys, int32_t x, int32_t y, CHtmlObject*) override
    {
        std::printf("view double-click %d %d keys %d\n", int(x), int(y), int(keys));
        std::fflush(stdout);
    }

    // Forms and focus.
    void OnControlCreated(CTagINPUT* input, CHtmlObject*) override { Print("created", input); }
    int32_t OnControlKey(int32_t key, CTagINPUT* input, CHtmlObject*) override
    {
        std::printf("view control-key %d %s\n", int(key), Name(input).c_str());
        std::fflush(stdout);
        return 0;
    }
    int32_t OnControlCommand(CTagINPUT* input, int32_t word, int32_t value, CHtmlObject*) override
    {
        std::printf("view control-command %s %d %d\n", Name(input).c_str(), int(word), int(value));
        std::fflush(stdout);
        return 0;
    }
    int32_t OnSubmit(CTagINPUT* input, CHtmlObject* sender) override
    {
        Print("submit", input);
        if (auto* view = dynamic_cast<HtmlWnd*>(sender))
            PrintValues(view);
        return 0;
    }
    int32_t OnControlChanged(CTagINPUT* input, CHtmlObject*) override
    {
        Print("changed", input);
        return 0;
    }
    int32_t OnControlSetFocus(CTagINPUT* input, CHtmlObject*) override
    {
        Print("control-focus", input);
        return 0;
    }
    int32_t OnControlKillFocus(CTagINPUT* input, CHtmlObject*) override
    {
        Print("control-unfocus", input);
        return 0;
    }
    int32_t OnInputKey(int32_t key, int32_t repeat, int32_t, std::string, CHtmlObject*) override
    {
        std::printf("view input-key %d repeat %d\n", int(key), int(repeat));
        std::fflush(stdout);
        return 0;
    }
    void OnLinkHover(const std::string& text, CTag*, int32_t kind, CHtmlObject*) override
    {
        std::printf("view link-hover %d \"%s\"\n", int(kind), HtmlEscapeForDump(text).c_str());
        std::fflush(stdout);
    }
    int32_t CanFollowLink(CTag*, int32_t, CHtmlObject*) override
    {
        std::printf("view can-follow\n");
        return 1;
    }
    int32_t OnLinkClick(std::string address, std::string target, CHtmlObject* sender) override
    {
        std::printf("view link-click \"%s\" target \"%s\"\n", HtmlEscapeForDump(address).c_str(),
                    HtmlEscapeForDump(target).c_str());
        std::fflush(stdout);
        return bar != nullptr ? bar->OnLinkClick(address, target, sender) : 1;
    }
    int32_t OnLinkMenu(std::string address, std::string target, CHtmlObject*) override
    {
        std::printf("view link-menu \"%s\" target \"%s\"\n", HtmlEscapeForDump(address).c_str(),
                    HtmlEscapeForDump(target).c_str());
        std::fflush(stdout);
        return 1;
    }
    int32_t OnDrag(int32_t x, int32_t y, int32_t previousX, int32_t previousY, std::string* frame,
                   CHtmlObject* sender) override
    {
        std::printf("view drag %d,%d from %d,%d frame \"%s\"\n", int(x), int(y), int(previousX),
                    int(previousY), frame != nullptr ? frame->c_str() : "");
        std::fflush(stdout);
        return bar != nullptr ? bar->OnDrag(x, y, previousX, previousY, frame, sender) : 0;
    }
    void OnSetFocus(CHtmlObject*) override { std::printf("view focus\n"); }
    void OnKillFocus(CHtmlObject*) override { std::printf("view unfocus\n"); }

    // The values of every frame's controls, read through the top view (its
    // form values search all frames).
    static void PrintValues(HtmlWnd* view)
    {
        HtmlWnd* top = view;
        while (top->GetParentView() != nullptr)
            top = top->GetParentView();
        PrintValuesOf(top, top);
    }

private:
    static std::string Name(CTagINPUT* input) { return input != nullptr ? input->GetDesc().name : "(none)"; }
    static void Print(const char* what, CTagINPUT* input)
    {
        std::printf("view %s %s\n", what, Name(input).c_str());
        std::fflush(stdout);
    }
    // This view's controls, then its frames' (the order the values are searched in).
    static void PrintValuesOf(HtmlWnd* top, HtmlWnd* view)
    {
        std::string radioGroup;
        for (CTagINPUT* input : view->GetFormControls())
        {
            const FormControlDesc& desc = input->GetDesc();
            if (desc.type == "RADIO" && desc.name == radioGroup)
                continue; // one value for the group
            radioGroup = desc.type == "RADIO" ? desc.name : std::string();
            std::string value;
            if (desc.type == "CHECKBOX")
                value = std::to_string(top->GetCheckBox(desc.name));
            else if (desc.type == "RADIO")
                value = top->GetRadioValue(desc.name);
            else if (desc.type == "SELECT")
                value = top->GetSelectValue(desc.name);
            else if (desc.type != "SUBMIT")
                value = top->GetInputText(desc.name);
            else
                continue;
            std::printf("view value %s=\"%s\"\n", desc.name.c_str(), HtmlEscapeForDump(value).c_str());
        }
        std::fflush(stdout);
        for (HtmlWnd* child : view->GetChildViews())
            PrintValuesOf(top, child);
    }
};

// Lets the posted messages of the page (placed controls, forwarded keys) run.
void PumpPending()
{
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// '|' Tab, '^' Enter (as key presses to the window with the focus), other
// characters typed into it.
void PlayKeys(HWND view, const char* keys)
{
    for (const char* k = keys; *k != '\0'; ++k)
    {
        HWND target = GetFocus() != nullptr ? GetFocus() : view;
        if (*k == '|' || *k == '^')
            SendMessageA(target, WM_KEYDOWN, *k == '|' ? VK_TAB : VK_RETURN, 1);
        else
            SendMessageA(target, WM_CHAR, WPARAM(static_cast<unsigned char>(*k)), 1);
        PumpPending();
    }
}

// Plays a script of steps separated by ';', each printed as it starts:
//   keys TEXT          keys as with --keys
//   click FRAME X Y    a left click in the frame's view (- for the top view)
//   shot FILE.bmp      the view's picture now
//   pixel X,Y          a pixel of the last picture of a shot step
//   drag-in FRAME X1 Y1 X2 Y2
//                      a left-button drag in the frame's view (a scroll bar's thumb)
//   drag X1 Y1 X2 Y2   a left-button drag in the top view (a frame border)
//   values             the form values of every frame
//   point TAG N        the pointer to the middle of the Nth TAG element (from 0)
//   move X Y           the pointer to a point of the top view
//   press TAG N, release TAG N   the left button down or up over the element
//   tick N             N ticks of the view's timer (666) sent at once
//   inks TAG N         the two commonest colours in the element's box
//   state NAME         the check state of the image buttons named NAME
// After a drag the frames' places are printed.
void PrintPixel(const char* path, const char* where);
bool SaveClientShot(HWND hWnd, const char* path);
// The picture of the last shot step, for the pixel steps after it.
std::string g_lastShot;

void PrintFramePlaces(HtmlWnd* view)
{
    for (const HtmlFrameView& frame : view->GetFrames())
    {
        if (frame.view == nullptr || frame.view->hWnd() == nullptr)
            continue;
        RECT rc;
        GetWindowRect(frame.view->hWnd(), &rc);
        MapWindowPoints(nullptr, view->hWnd(), reinterpret_cast<POINT*>(&rc), 2);
        std::printf("view frame \"%s\" at %ld,%ld-%ld,%ld\n", frame.view->GetFrameName().c_str(), rc.left,
                    rc.top, rc.right, rc.bottom);
        PrintFramePlaces(frame.view.get());
    }
    std::fflush(stdout);
}

// The nth element of a tag (upper case) in the view's page, or null.
CTag* NthElement(const CTag::List& list, const std::string& tag, int& n)
{
    for (const auto& element : list)
    {
        if (element->GetName() == tag && n-- == 0)
            return element.get();
        if (CTag* hit = NthElement(element->GetChildren(), tag, n))
            return hit;
    }
    return nullptr;
}

// An element's box in the view's client coordinates; false when it has none.
bool ElementBox(HtmlWnd* view, const char* tag, int n, RECT* box)
{
    CHtmlFlow* flow = view->GetDocument()->GetFlow();
    CTag* element = NthElement(view->GetDocument()->GetElements(), tag, n);
    LayoutRect bounds;
    if (flow == nullptr || element == nullptr || !element->GetBounds(bounds, true))
        return false;
    LayoutRect window;
    flow->ToWindow(bounds, window);
    *box = RECT{window.left, window.top, window.right, window.bottom};
    return true;
}

// Prints the two colours found most often in an element's box, other than
// the colour of its first pixel (the background), as RRGGBB.
void PrintInks(HtmlWnd* view, const char* tag, int n, const RECT& box)
{
    HDC dc = GetDC(view->hWnd());
    std::vector<std::pair<COLORREF, int>> counts;
    const COLORREF background = GetPixel(dc, box.left, box.top);
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
        {
            const COLORREF c = GetPixel(dc, x, y);
            if (c == background || c == CLR_INVALID)
                continue;
            size_t i = 0;
            while (i < counts.size() && counts[i].first != c)
                ++i;
            if (i == counts.size())
                counts.emplace_back(c, 0);
            ++counts[i].second;
        }
    ReleaseDC(view->hWnd(), dc);
    std::printf("view inks %s %d", tag, n);
    for (int k = 0; k < 2 && !counts.empty(); ++k)
    {
        size_t best = 0;
        for (size_t i = 1; i < counts.size(); ++i)
            if (counts[i].second > counts[best].second)
                best = i;
        std::printf(" %02X%02X%02X", GetRValue(counts[best].first), GetGValue(counts[best].first),
                    GetBValue(counts[best].first));
        counts.erase(counts.begin() + long(best));
    }
    std::printf("\n");
    std::fflush(stdout);
}

bool PlayStep(HtmlWnd* view, const std::string& step)
{
    std::printf("play %s\n", step.c_str());
    std::fflush(stdout);
    char frame[64] = {};
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    RECT box;
    if (std::sscanf(step.c_str(), "point %63s %d", frame, &x1) == 2)
    {
        // The pointer to the middle of the element, as a user moves it there.
        if (!ElementBox(view, frame, x1, &box))
            return false;
        POINT at = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
        POINT screen = at;
        ClientToScreen(view->hWnd(), &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageA(view->hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    }
    else if (std::sscanf(step.c_str(), "move %d %d", &x1, &y1) == 2)
    {
        POINT screen = {x1, y1};
        ClientToScreen(view->hWnd(), &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageA(view->hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x1, y1));
    }
    else if (std::sscanf(step.c_str(), "press %63s %d", frame, &x1) == 2 ||
             std::sscanf(step.c_str(), "release %63s %d", frame, &x1) == 2)
    {
        if (!ElementBox(view, frame, x1, &box))
            return false;
        const bool press = step[0] == 'p';
        SendMessageA(view->hWnd(), press ? WM_LBUTTONDOWN : WM_LBUTTONUP, press ? MK_LBUTTON : 0,
                     MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2));
    }
    else if (std::sscanf(step.c_str(), "tick %d", &x1) == 1)
    {
        // The view's timer, without waiting for it.
        for (int i = 0; i < x1; ++i)
            SendMessageA(view->hWnd(), WM_TIMER, HtmlWnd::kTimerId, 0);
    }
    else if (std::sscanf(step.c_str(), "inks %63s %d", frame, &x1) == 2)
    {
        if (!ElementBox(view, frame, x1, &box))
            return false;
        PrintInks(view, frame, x1, box);
    }
    else if (std::sscanf(step.c_str(), "state %63s", frame) == 1)
    {
        std::printf("view state %s %d\n", frame, int(view->GetImageState(frame)));
        std::fflush(stdout);
    }
    else if (step.compare(0, 5, "keys ") == 0)
        PlayKeys(view->hWnd(), step.c_str() + 5);
    else if (step == "values")
        ViewLog::PrintValues(view);
    else if (std::sscanf(step.c_str(), "click %63s %d %d", frame, &x1, &y1) == 3)
    {
        HtmlWnd* target = std::strcmp(frame, "-") == 0 ? view : view->FindFrameWnd(frame);
        if (target == nullptr)
            return false;
        HWND hWnd = target->hWnd();
        SendMessageA(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x1, y1));
        // The click may replace the frameset: the release goes to a window still there.
        if (IsWindow(hWnd))
            SendMessageA(hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x1, y1));
    }
    else if (std::sscanf(step.c_str(), "drag %d %d %d %d", &x1, &y1, &x2, &y2) == 4)
    {
        // The border tracker reads the queue: the moves are posted before the press.
        PostMessageA(view->hWnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((x1 + x2) / 2, (y1 + y2) / 2));
        PostMessageA(view->hWnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x2, y2));
        PostMessageA(view->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(x2, y2));
        SendMessageA(view->hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x1, y1));
        PumpPending();
        PrintFramePlaces(view);
    }
    else if (step.compare(0, 5, "shot ") == 0)
    {
        UpdateWindow(view->hWnd());
        g_lastShot = step.substr(5);
        const bool saved = SaveClientShot(view->hWnd(), g_lastShot.c_str());
        std::printf("view shot %s %s\n", g_lastShot.c_str(), saved ? "written" : "failed");
    }
    else if (step.compare(0, 6, "pixel ") == 0)
        PrintPixel(g_lastShot.c_str(), step.c_str() + 6);
    else if (std::sscanf(step.c_str(), "drag-in %63s %d %d %d %d", frame, &x1, &y1, &x2, &y2) == 5)
    {
        HtmlWnd* target = std::strcmp(frame, "-") == 0 ? view : view->FindFrameWnd(frame);
        if (target == nullptr)
            return false;
        HWND hWnd = target->hWnd();
        SendMessageA(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x1, y1));
        SendMessageA(hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x2, y2));
        SendMessageA(hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x2, y2));
    }
    else
        return false;
    PumpPending();
    return true;
}

bool PlayScript(HtmlWnd* view, const std::string& script)
{
    size_t start = 0;
    while (start <= script.size())
    {
        size_t end = script.find(';', start);
        if (end == std::string::npos)
            end = script.size();
        const std::string step = script.substr(start, end - start);
        if (!step.empty() && !PlayStep(view, step))
        {
            std::printf("play failed: %s\n", step.c_str());
            return false;
        }
        start = end + 1;
    }
    return true;
}

// Prints the colour of a picture's pixel (x,y from the top left) as RRGGBB,
// read back from the 24-bit BMP written by SaveClientShot.
void PrintPixel(const char* path, const char* where)
{
    int x = -1;
    int y = -1;
    std::sscanf(where, "%d,%d", &x, &y);
    FILE* in = std::fopen(path, "rb");
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    bool ok = in != nullptr && std::fread(&file, sizeof file, 1, in) == 1 &&
              std::fread(&info, sizeof info, 1, in) == 1 && info.biBitCount == 24 && x >= 0 && y >= 0 &&
              x < info.biWidth && y < info.biHeight;
    unsigned char bgr[3] = {};
    if (ok)
    {
        const long stride = (long(info.biWidth) * 3 + 3) & ~3L;
        ok =
            std::fseek(in, long(file.bfOffBits) + stride * (info.biHeight - 1 - y) + 3L * x, SEEK_SET) == 0 &&
            std::fread(bgr, 3, 1, in) == 1;
    }
    if (in != nullptr)
        std::fclose(in);
    if (ok)
        std::printf("view pixel %d,%d %02X%02X%02X\n", x, y, bgr[2], bgr[1], bgr[0]);
    else
        std::printf("view pixel %s none\n", where);
}

// Writes the window's client area as a 24-bit bottom-up BMP.
bool SaveClientShot(HWND hWnd, const char* path)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    const int width = rc.right;
    const int height = rc.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC window = GetDC(hWnd);
    HDC memory = CreateCompatibleDC(window);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory != nullptr && bitmap != nullptr)
    {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, window, 0, 0, SRCCOPY);
        GdiFlush();
        const DWORD stride = (DWORD(width) * 3 + 3) & ~3u;
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + stride * DWORD(height);
        if (FILE* out = std::fopen(path, "wb"))
        {
            ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                 std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                 std::fwrite(bits, stride, size_t(height), out) == size_t(height);
            ok = std::fclose(out) == 0 && ok;
        }
        SelectObject(memory, old);
    }
    if (bitmap != nullptr)
        DeleteObject(bitmap);
    if (memory != nullptr)
        DeleteDC(memory);
    ReleaseDC(hWnd, window);
    return ok;
}

// The frame window around the view: it shows the pages in turn, scrolling
// each one down a line at a time.
struct ViewHost
{
    HtmlWnd* view = nullptr;
    ViewLog* log = nullptr;
    std::vector<std::string> pages;
    size_t page = 0;
    int pause = 0;
};

constexpr UINT_PTR kStepTimer = 1;

LRESULT CALLBACK FrameProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    auto* host = reinterpret_cast<ViewHost*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    switch (uMsg)
    {
    case WM_TIMER:
        if (host != nullptr && host->view != nullptr && wParam == kStepTimer)
        {
            HWND view = host->view->hWnd();
            SCROLLINFO si = {};
            si.cbSize = sizeof si;
            si.fMask = SIF_RANGE | SIF_POS;
            GetScrollInfo(view, SB_VERT, &si);
            if (si.nPos < si.nMax)
                SendMessageA(view, WM_VSCROLL, SB_LINEDOWN, 0);
            else if (++host->pause > 5)
            {
                host->pause = 0;
                host->page = (host->page + 1) % host->pages.size();
                host->view->LoadUrl(host->pages[host->page], "", host->log, "", 0, 0, 0);
                host->log->bar->RefreshParts();
            }
        }
        return 0;
    case WM_SETFOCUS:
        if (host != nullptr && host->view != nullptr)
            SetFocus(host->view->hWnd());
        return 0;
    case WM_SIZE:
        if (host != nullptr && host->view != nullptr)
        {
            MoveWindow(host->view->hWnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            // The frames are back on their grid: the scroll bars' thumbs are placed again.
            host->log->bar->RefreshParts();
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    }
}

int RunView(HMODULE module, int width, int height, const std::vector<std::string>& pages, const char* scroll,
            const char* shot, bool stay, const char* keys, const char* play,
            const std::vector<const char*>& pixels)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "HtmlHostFrame";
    RegisterClassA(&wc);
    RECT outer = {0, 0, width, height};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    HWND frame =
        CreateWindowExA(0, "HtmlHostFrame", "htmlhost", WS_OVERLAPPEDWINDOW, 0, 0, outer.right - outer.left,
                        outer.bottom - outer.top, nullptr, nullptr, wc.hInstance, nullptr);
    if (frame == nullptr)
    {
        std::fprintf(stderr, "htmlhost: no window (error %lu)\n", GetLastError());
        return 1;
    }
    // The bar outlives the view, whose frames tell it when they go.
    ViewLog log;
    CHtmlScrollBar bar;
    HtmlWnd view(module);
    bar.SetView(&view);
    log.bar = &bar;
    ViewHost host;
    host.view = &view;
    host.log = &log;
    host.pages = pages;
    SetWindowLongPtrA(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
    const RECT rc = {0, 0, width, height};
    if (!view.Create(WS_CHILD | WS_VISIBLE, rc, frame, 1))
    {
        std::fprintf(stderr, "htmlhost: no view (error %lu)\n", GetLastError());
        DestroyWindow(frame);
        return 1;
    }
    ShowWindow(frame, SW_SHOW);
    UpdateWindow(frame);
    const int32_t result = view.LoadUrl(pages.front(), "", &log, "", 0, 0, 0);
    bar.RefreshParts();
    if (scroll != nullptr)
        view.ScrollTo(0, std::strcmp(scroll, "end") == 0 ? 0x7FFFFFFF : std::atoi(scroll));
    UpdateWindow(view.hWnd());
    PumpPending();
    SetFocus(view.hWnd());
    if (keys != nullptr)
        PlayKeys(view.hWnd(), keys);
    if (play != nullptr && !PlayScript(&view, play))
    {
        DestroyWindow(frame);
        return 1;
    }
    PumpPending();
    UpdateWindow(view.hWnd());
    if (shot != nullptr)
    {
        const bool saved = SaveClientShot(view.hWnd(), shot);
        std::printf("view shot %s %s\n", shot, saved ? "written" : "failed");
        for (const char* where : pixels)
            PrintPixel(shot, where);
        DestroyWindow(frame);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
        return saved ? result : 1;
    }
    if (!stay)
        SetTimer(frame, kStepTimer, 150, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return result;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: htmlhost [--module DLL] [--handover] [--offer-known] [--events] ADDRESS\n"
                 "       htmlhost --view WxH [--module DLL] [--scroll end|Y] [--stay|--still] [--keys KEYS] "
                 "[--play SCRIPT] [--shot FILE.bmp [--pixel X,Y]...] ADDRESS...\n");
    return 64;
}
} // namespace

int main(int argc, char** argv)
{
    const char* moduleName = nullptr;
    const char* address = nullptr;
    int32_t handOver = 0;
    int32_t offerKnown = 0;
    bool events = false;
    int viewWidth = 0;
    int viewHeight = 0;
    const char* scroll = nullptr;
    const char* shot = nullptr;
    const char* keys = nullptr;
    const char* play = nullptr;
    std::vector<const char*> pixels;
    bool stay = false;
    std::vector<std::string> pages;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--view") == 0 && i + 1 < argc)
        {
            if (std::sscanf(argv[++i], "%dx%d", &viewWidth, &viewHeight) != 2 || viewWidth <= 0 ||
                viewHeight <= 0)
                return Usage();
        }
        else if (std::strcmp(argv[i], "--scroll") == 0 && i + 1 < argc)
            scroll = argv[++i];
        else if (std::strcmp(argv[i], "--shot") == 0 && i + 1 < argc)
            shot = argv[++i];
        else if (std::strcmp(argv[i], "--keys") == 0 && i + 1 < argc)
            keys = argv[++i];
        else if (std::strcmp(argv[i], "--play") == 0 && i + 1 < argc)
            play = argv[++i];
        else if (std::strcmp(argv[i], "--pixel") == 0 && i + 1 < argc)
            pixels.push_back(argv[++i]);
        else if (std::strcmp(argv[i], "--stay") == 0 || std::strcmp(argv[i], "--still") == 0)
            stay = true;
        else if (viewWidth > 0 && argv[i][0] != '-')
            pages.push_back(argv[i]);
        else if (std::strcmp(argv[i], "--module") == 0 && i + 1 < argc)
            moduleName = argv[++i];
        else if (std::strcmp(argv[i], "--handover") == 0)
            handOver = 1;
        else if (std::strcmp(argv[i], "--offer-known") == 0)
            offerKnown = 1;
        else if (std::strcmp(argv[i], "--events") == 0)
            events = true;
        else if (address == nullptr && argv[i][0] != '-')
            address = argv[i];
        else
            return Usage();
    }
    if (viewWidth > 0 && address != nullptr)
        pages.insert(pages.begin(), address);
    if (address == nullptr && pages.empty())
        return Usage();
    HMODULE module = nullptr;
    if (moduleName != nullptr)
    {
        // Only its resources are used.
        module = LoadLibraryExA(moduleName, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (module == nullptr)
        {
            std::fprintf(stderr, "htmlhost: cannot load %s (error %lu)\n", moduleName, GetLastError());
            return 1;
        }
    }
    PrintingHandler handler;
    int result = 0;
    if (viewWidth > 0)
        result = RunView(module, viewWidth, viewHeight, pages, scroll, shot, stay, keys, play, pixels);
    else
    {
        CHtmlWinHost host;
        CHtmlDoc doc(module, &host);
        std::string error;
        result = doc.Load(address, &error, events ? &handler : nullptr, handOver || offerKnown, offerKnown);
        if (result != 0)
            std::fprintf(stderr, "htmlhost: load result %d: %s\n", result, error.c_str());
        else
            std::fputs(HtmlDumpTree(doc).c_str(), stdout);
    }
    if (module != nullptr)
        FreeLibrary(module);
    return result;
}
