// Form inputs on the host: the control description read from the
// attributes, the box they take in the flow, the events they raise on the
// view, tab stops and the tab order, links followed by a key.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "HtmlDoc.h"
#include "HtmlElements.h"
#include "HtmlFakeDC.h"
#include "HtmlFlow.h"
#include "HtmlTabOrder.h"
#include "HtmlWndEvents.h"

using FdHtmlTest::FakeDC;
using FdHtmlTest::FakeHost;

namespace
{
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

CTagINPUT* Input(const CHtmlDoc& doc, int nth = 0)
{
    return static_cast<CTagINPUT*>(Find(
        doc.GetElements(), [](CTag* t) { return dynamic_cast<CTagINPUT*>(t) != nullptr; }, nth));
}

// Records the control events; a created control gets a fake window so that
// the element behaves as one with a control.
class ControlRecorder : public CHtmlWndEventsBase
{
public:
    std::vector<std::string> events;
    bool makeWindows = false;
    int32_t fakeWindow = 0x100;

    void CreateControl(CTagINPUT* input, CHtmlObject*) override
    {
        events.push_back("create " + input->GetDesc().type + " " + input->GetDesc().name);
        if (makeWindows)
            input->GetDesc().window = reinterpret_cast<void*>(intptr_t(fakeWindow++));
    }
    int32_t OnControlFont(CTagINPUT* input, HDC__*, CHtmlObject*) override
    {
        events.push_back("font " + input->GetDesc().name);
        return 1;
    }
    void MoveControl(CTagINPUT* input, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t show,
                     CHtmlObject*) override
    {
        std::ostringstream s;
        s << "move " << input->GetDesc().name << " (" << left << "," << top << "," << right << "," << bottom
          << ") " << show;
        events.push_back(s.str());
    }
    void DestroyControl(CTagINPUT* input, CHtmlObject*) override
    {
        events.push_back("destroy " + input->GetDesc().name);
    }
    void OnLinkHover(const std::string& text, CTag*, int32_t kind, CHtmlObject*) override
    {
        events.push_back("hover " + text + " " + std::to_string(kind));
    }
    void ScrollIntoView(CTag*, CHtmlObject*) override { events.push_back("scroll-into-view"); }
};

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

TEST(HtmlTabOrder, TabOrderFirstAscendingEqualValuesInDocumentOrderTheRestAfter)
{
    // Document order: a(none) b(2) c(0) d(none) e(2) f(1)
    const std::vector<std::pair<char, int32_t>> collected = {{'a', -1}, {'b', 2}, {'c', 0},
                                                             {'d', -1}, {'e', 2}, {'f', 1}};
    std::vector<HtmlTabStop> stops;
    for (size_t i = 0; i < collected.size(); ++i)
    {
        HtmlTabStop stop;
        stop.index = i;
        stop.order = collected[i].second;
        stops.push_back(stop);
    }
    HtmlSortTabStops(stops);
    std::string order;
    for (const HtmlTabStop& stop : stops)
        order += collected[stop.index].first;
    EXPECT_EQ(order, "cfbead");
}

TEST(HtmlTabOrder, NextAndPreviousWrap)
{
    struct Case
    {
        int focused; // -1 none
        bool backwards;
        size_t expected;
    };
    const Case cases[] = {
        {-1, false, 0}, {-1, true, 3}, {0, false, 1}, {3, false, 0}, {0, true, 3}, {2, true, 1},
    };
    for (const Case& c : cases)
    {
        std::vector<HtmlTabStop> stops(4);
        if (c.focused >= 0)
            stops[size_t(c.focused)].focused = true;
        EXPECT_EQ(HtmlNextTabStop(stops, c.backwards), c.expected)
            << "focused " << c.focused << (c.backwards ? " backwards" : "");
    }
    EXPECT_EQ(HtmlNextTabStop({}, false), size_t(-1));
}

TEST(HtmlInput, DescriptionsFromTheAttributes)
{
    struct Case
    {
        const char* markup;
        const char* type;
        int32_t size, percent, height, align, border, maxLength, checked;
        const char* value;
    };
    const Case cases[] = {
        {"<INPUT>", "TEXT", -1, 0, -1, 1, 0, -1, 0, ""},
        {"<INPUT TYPE=password SIZE=12 MAXLENGTH=8 VALUE=x>", "PASSWORD", 12, 0, -1, 1, 0, 8, 0, "x"},
        {"<INPUT TYPE=checkbox CHECKED>", "CHECKBOX", -1, 0, -1, 2, 0, -1, 1, ""},
        {"<INPUT TYPE=radio IALIGN=left>", "RADIO", -1, 0, -1, 1, 0, -1, 0, ""},
        {"<INPUT TYPE=TEXTAREA WIDTH=50% HEIGHT=4 BORDER=yes IALIGN=center>", "TEXTAREA", 50, 1, 4, 4, -1, -1,
         0, ""},
        {"<INPUT IALIGN=RIGHT BORDER=2 SIZE=\"\" WIDTH=7>", "TEXT", 7, 0, -1, 2, 2, -1, 0, ""},
        {"<INPUT IALIGN=sideways>", "TEXT", -1, 0, -1, 1, 0, -1, 0, ""},
        {"<SELECT></SELECT>", "SELECT", -1, 0, 3, 1, 0, -1, 0, ""},
        {"<SELECT HEIGHT=5></SELECT>", "SELECT", -1, 0, 5, 1, 0, -1, 0, ""},
    };
    for (const Case& c : cases)
    {
        Page page(c.markup);
        CTagINPUT* input = Input(page.doc);
        ASSERT_NE(input, nullptr) << c.markup;
        const FormControlDesc& d = input->GetDesc();
        EXPECT_EQ(d.type, c.type) << c.markup;
        EXPECT_EQ(d.size, c.size) << c.markup;
        EXPECT_EQ(d.sizePercent, c.percent) << c.markup;
        EXPECT_EQ(d.height, c.height) << c.markup;
        EXPECT_EQ(d.align, c.align) << c.markup;
        EXPECT_EQ(d.border, c.border) << c.markup;
        EXPECT_EQ(d.maxLength, c.maxLength) << c.markup;
        EXPECT_EQ(d.checked, c.checked) << c.markup;
        EXPECT_EQ(d.value, c.value) << c.markup;
    }
}

TEST(HtmlInput, ASelectListsItsOptionsAndTheLastSelectedOne)
{
    Page none("<SELECT NAME=s><OPTION VALUE=r>Red</OPTION><OPTION>Green</OPTION></SELECT>");
    const FormControlDesc& d = Input(none.doc)->GetDesc();
    EXPECT_EQ(d.optionTexts, (std::vector<std::string>{"Red", "Green"}));
    EXPECT_EQ(d.optionValues, (std::vector<std::string>{"r", ""}));
    EXPECT_EQ(d.selected, -1);
    Page two("<SELECT><OPTION SELECTED>a</OPTION><OPTION>b</OPTION><OPTION SELECTED>c</OPTION></SELECT>");
    EXPECT_EQ(Input(two.doc)->GetDesc().selected, 2);
}

TEST(HtmlInput, BoxesInTheFlow)
{
    // The fake font is 18 high, 9 pixels a character.
    struct Case
    {
        const char* markup;
        int32_t width, height;
    };
    const Case cases[] = {
        {"<INPUT>", 90, 18},
        {"<INPUT SIZE=5>", 45, 18},
        {"<INPUT SIZE=50%>", 196, 18}, // half the line's 392 pixels
        {"<INPUT SIZE=120PIX HEIGHT=30PIX>", 120, 30},
        {"<WND WIDTH=48></WND>", 48, 48}, // pixels, as high as wide
        {"<INPUT HEIGHT=*2.5>", 90, 45},
        {"<INPUT TYPE=TEXTAREA HEIGHT=3>", 90, 54},
        {"<WND WIDTH=64 HEIGHT=32></WND>", 64, 32},
    };
    for (const Case& c : cases)
    {
        Page page(c.markup);
        page.Layout(400, 300);
        CTagINPUT* input = Input(page.doc);
        ASSERT_NE(input, nullptr) << c.markup;
        ASSERT_EQ(input->GetPieces().size(), 1u) << c.markup;
        const LayoutRect& box = input->GetPieces()[0]->box;
        EXPECT_EQ(box.Width(), c.width) << c.markup;
        EXPECT_EQ(box.Height(), c.height) << c.markup;
    }
}

// A percentage is of the cursor's whole width, whatever the line already
// holds; a field wider than the rest of the line goes to the next one.
TEST(HtmlInput, PercentSizeIsOfTheCursorsWidth)
{
    struct Case
    {
        const char* markup;
        int nth;
        int32_t left, top, width;
    };
    const Case cases[] = {
        {"abcdefghij<INPUT SIZE=50%>", 0, 94, 4, 196},
        {"<INPUT SIZE=5><INPUT SIZE=25%>", 1, 49, 4, 98},
        {"<INPUT SIZE=5><INPUT SIZE=100%>", 1, 4, 22, 392},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.markup);
        Page page(c.markup);
        page.Layout(400, 300);
        CTagINPUT* input = Input(page.doc, c.nth);
        ASSERT_NE(input, nullptr);
        ASSERT_EQ(input->GetPieces().size(), 1u);
        const LayoutRect& box = input->GetPieces()[0]->box;
        EXPECT_EQ(box.Width(), c.width);
        EXPECT_EQ(box.left, c.left);
        EXPECT_EQ(box.top, c.top);
    }
}

TEST(HtmlInput, ControlsAreCreatedPlacedAndDestroyedThroughTheHandler)
{
    ControlRecorder recorder;
    recorder.makeWindows = true;
    {
        Page page("<INPUT NAME=a> <SELECT NAME=s HEIGHT=2><OPTION>x</OPTION></SELECT><BR><BR "
                  "HEIGHT=1000><INPUT NAME=far>",
                  &recorder);
        EXPECT_EQ(recorder.events,
                  (std::vector<std::string>{"create TEXT a", "create SELECT s", "create TEXT far"}));
        recorder.events.clear();
        page.Layout(400, 1200);
        EXPECT_EQ(recorder.events.front(), "font a");
        // Painted again in a shorter window: the one below it is moved 5000
        // pixels up and left instead of being hidden.
        recorder.events.clear();
        page.Layout(400, 300);
        const auto& e = recorder.events;
        ASSERT_EQ(e.size(), 3u) << ::testing::PrintToString(e);
        // A control with a window that isn't shown yet is placed hidden (0);
        // the list gets its drop-down height (2 rows).
        EXPECT_EQ(e[0], "move a (4,4,94,22) 0");
        EXPECT_EQ(e[1], "move s (94,4,184,58) 0");
        EXPECT_EQ(e[2].rfind("move far (-4996,", 0), 0u) << e[2];
        // Once shown, it is placed with show command 5.
        Input(page.doc)->GetDesc().visible = 1;
        recorder.events.clear();
        page.Layout(400, 300);
        EXPECT_NE(std::find(recorder.events.begin(), recorder.events.end(), "move a (4,4,94,22) 5"),
                  recorder.events.end());
        recorder.events.clear();
    }
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"destroy a", "destroy s", "destroy far"}));
}

TEST(HtmlInput, TabStops)
{
    ControlRecorder recorder;
    recorder.makeWindows = true;
    Page page("<A HREF=one>one</A><INPUT NAME=t DISABLED><INPUT TYPE=checkbox NAME=c DISABLED>"
              "<INPUT NAME=n NOTABSTOP><A HREF=two>two</A>",
              &recorder);
    const CTag::TabStops stops = CTag::FindTabStopsInList(page.doc.GetElements(), true);
    std::vector<std::string> names;
    for (CTag* stop : stops.all)
        names.push_back(stop->GetName() + (stop->HasAttr("NAME") ? ":" + stop->GetAttr("NAME") : ""));
    // A disabled text field is only read-only and stays a stop; a disabled check box does not.
    EXPECT_EQ(names, (std::vector<std::string>{"A", "INPUT:t", "A"}));

    // Without its document flag, links are no stops.
    page.doc.SetDocFlag(0);
    EXPECT_EQ(CTag::FindTabStopsInList(page.doc.GetElements(), true).all.size(), 1u);
}

TEST(HtmlInput, EnterOnAFocusedLinkAnswersItsAddressAndFocusRaisesTheHoverEvent)
{
    ControlRecorder recorder;
    Page page("<A HREF=\"next.htm\" TARGET=main ALT=\"Next page\"><B>next</B></A> <A HREF=b.htm>b</A>",
              &recorder);
    page.Layout();
    auto* link =
        dynamic_cast<CTagA*>(Find(page.doc.GetElements(), [](CTag* t) { return t->GetName() == "A"; }));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(page.doc.OnKeyDown(link, 13, 0), "next.htm");
    EXPECT_EQ(page.doc.OnKeyDown(link, 32, 0), "next.htm");
    EXPECT_EQ(page.doc.OnKeyDown(link, 'A', 0), "");
    EXPECT_EQ(page.doc.OnKeyDown(nullptr, 13, 0), "");
    EXPECT_EQ(link->GetTarget(), "main");

    recorder.events.clear();
    EXPECT_EQ(page.doc.SetFocusElement(link, 1, &page.dc), 1);
    EXPECT_EQ(link->GetFocus(), 1);
    EXPECT_EQ(CTag::FindTabStopsInList(page.doc.GetElements(), true).focused, link);
    EXPECT_EQ(page.doc.SetFocusElement(link, 0, &page.dc), 1);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"hover Next page 2", "hover  0"}));
    // An element of another document is refused.
    Page other("<A HREF=x>x</A>");
    EXPECT_EQ(page.doc.SetFocusElement(other.doc.GetElements()[0].get(), 1, &page.dc), 0);
}
} // namespace
