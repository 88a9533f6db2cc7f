#include "HtmlScrollBar.h"

#include <algorithm>

#include "HtmlElements.h"
#include "../doc/HtmlText.h"
#include "HtmlWnd.h"

namespace
{
bool Live(const HtmlWnd* view)
{
    return view != nullptr && view->hWnd() != nullptr && IsWindow(view->hWnd());
}

RECT ScreenRect(const HtmlWnd* view)
{
    RECT rc = {0, 0, 0, 0};
    GetWindowRect(view->hWnd(), &rc);
    return rc;
}

// Places the view's window at a rectangle given in screen coordinates.
void MoveTo(const HtmlWnd* view, RECT rc)
{
    MapWindowPoints(nullptr, GetParent(view->hWnd()), reinterpret_cast<POINT*>(&rc), 2);
    MoveWindow(view->hWnd(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    UpdateWindow(view->hWnd());
}

// The target's range and position on the bar's axis; an unreadable bar reads as empty.
SCROLLINFO TargetInfo(const HtmlWnd* target, bool vertical)
{
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_POS;
    if (!GetScrollInfo(target->hWnd(), vertical ? SB_VERT : SB_HORZ, &si))
        si.nMin = si.nMax = si.nPos = 0;
    return si;
}

// Along the bar's axis: where a rectangle begins and ends.
LONG Leading(const RECT& rc, bool vertical)
{
    return vertical ? rc.top : rc.left;
}
LONG Trailing(const RECT& rc, bool vertical)
{
    return vertical ? rc.bottom : rc.right;
}
} // namespace

std::unique_ptr<HtmlScrollBarRecord> CHtmlScrollBar::NewBar()
{
    return std::make_unique<Bar>();
}

void CHtmlScrollBar::OnBarExpanded(HtmlScrollBarRecord& record, const std::string& frameName)
{
    if (m_view == nullptr)
        return;
    Bar& bar = static_cast<Bar&>(record);
    const std::string stem = "#" + std::string(kHtmlScrollFramePrefix) + bar.id + "#";
    for (int32_t part = 0; part < kScrollPartCount; ++part)
        bar.parts[part] = m_view->FindFrameWnd(stem + HtmlScrollPartWord(part));
    bar.namedView = frameName.empty() ? nullptr : m_view->FindFrameWnd(frameName);
    bar.targetView = bar.target.empty() ? nullptr : m_view->FindFrameWnd(bar.target);
}

// --- the frames that play the parts

IHtmlWndEvents* CHtmlScrollBar::OnFrameCreated(CTagFRAME* frame, HtmlWnd* childView, CHtmlObject*)
{
    if (childView == nullptr)
        return nullptr;
    const std::string name = frame != nullptr ? frame->GetFrameName() : childView->GetFrameName();
    std::string id;
    std::string word;
    if (HtmlParseScrollName(name, kHtmlScrollFramePrefix, &id, &word))
    {
        const int32_t part = HtmlScrollPartOfWord(word);
        if (Bar* bar = FindScrollBar(id); bar != nullptr && part >= 0)
        {
            bar->parts[part] = childView;
            return nullptr;
        }
    }
    for (size_t i = 0; i < m_bars.size(); ++i)
        if (!BarAt(i).target.empty() && HtmlEqualNoCase(BarAt(i).target, name))
            BarAt(i).targetView = childView;
    return nullptr;
}

void CHtmlScrollBar::OnFrameDestroyed(CTagFRAME*, HtmlWnd* childView, CHtmlObject*)
{
    // Every place that holds the view forgets it, the target's too: a bar
    // must not drive a view that is gone.
    for (size_t i = 0; i < m_bars.size(); ++i)
    {
        Bar& bar = BarAt(i);
        for (HtmlWnd*& part : bar.parts)
            if (part == childView)
                part = nullptr;
        if (bar.namedView == childView)
            bar.namedView = nullptr;
        if (bar.targetView == childView)
            bar.targetView = nullptr;
    }
}

// --- buttons

bool CHtmlScrollBar::PerformButton(const std::string& address)
{
    std::string id;
    std::string action;
    if (!HtmlParseScrollName(address, kHtmlScrollButtonPrefix, &id, &action))
        return false;
    Bar* bar = FindScrollBar(id);
    const int32_t code = HtmlScrollButtonCode(action);
    if (bar == nullptr || code < 0 || !Live(bar->targetView))
        return false;
    SendMessageA(bar->targetView->hWnd(), bar->vertical ? WM_VSCROLL : WM_HSCROLL, WPARAM(code), 0);
    return true;
}

int32_t CHtmlScrollBar::OnLinkClick(std::string address, std::string, CHtmlObject*)
{
    std::string id;
    std::string action;
    if (!HtmlParseScrollName(address, kHtmlScrollButtonPrefix, &id, &action))
        return 1;
    // A held button scrolls on the link's ticks; a click that no tick saw
    // (a short one, or Enter on the focused button) scrolls once itself.
    if (!m_tickScrolled)
        PerformButton(address);
    m_tickScrolled = false;
    return 0;
}

void CHtmlScrollBar::OnLinkTick(const std::string& address, const std::string&, int32_t pressed, int32_t,
                                CHtmlObject*)
{
    std::string id;
    std::string action;
    if (!HtmlParseScrollName(address, kHtmlScrollButtonPrefix, &id, &action))
        return;
    if (pressed == 0)
        m_tickScrolled = false;
    else if (PerformButton(address))
        m_tickScrolled = true;
}

// --- the thumb

int32_t CHtmlScrollBar::OnDrag(int32_t x, int32_t y, int32_t, int32_t, std::string* frameName, CHtmlObject*)
{
    std::string id;
    std::string word;
    if (frameName == nullptr || !HtmlParseScrollName(*frameName, kHtmlScrollFramePrefix, &id, &word) ||
        HtmlScrollPartOfWord(word) != kScrollPartThumb)
        return 0;
    Bar* bar = FindScrollBar(id);
    if (bar == nullptr)
        return 0;
    TrackThumb(*bar, POINT{x, y});
    return 1;
}

void CHtmlScrollBar::TrackThumb(Bar& bar, POINT screen)
{
    HtmlWnd* thumb = bar.parts[kScrollPartThumb];
    HtmlWnd* up = bar.parts[kScrollPartUp];
    HtmlWnd* down = bar.parts[kScrollPartDown];
    if (!Live(thumb) || !Live(up) || !Live(down) || !Live(bar.targetView))
        return;
    const bool vertical = bar.vertical != 0;
    const RECT thumbRect = ScreenRect(thumb);
    const SCROLLINFO si = TargetInfo(bar.targetView, vertical);
    const HtmlThumbDrag drag =
        HtmlThumbDragTo(vertical ? screen.y : screen.x, Trailing(ScreenRect(up), vertical),
                        Leading(ScreenRect(down), vertical),
                        Trailing(thumbRect, vertical) - Leading(thumbRect, vertical), si.nMin, si.nMax);
    // The thumb itself follows when the target reports its new position.
    if (drag.scroll)
        bar.targetView->SendThumbTrack(vertical ? SB_VERT : SB_HORZ, drag.position);
}

// --- refresh

void CHtmlScrollBar::OnScroll(int32_t, int32_t, HtmlWnd* view, CHtmlObject*)
{
    if (view == nullptr)
        return;
    for (size_t i = 0; i < m_bars.size(); ++i)
        if (BarAt(i).targetView == view)
            RefreshBar(BarAt(i), false);
}

void CHtmlScrollBar::RefreshParts()
{
    for (size_t i = 0; i < m_bars.size(); ++i)
        RefreshBar(BarAt(i), true);
}

void CHtmlScrollBar::RefreshBar(Bar& bar, bool force)
{
    HtmlWnd* thumb = bar.parts[kScrollPartThumb];
    HtmlWnd* up = bar.parts[kScrollPartUp];
    HtmlWnd* down = bar.parts[kScrollPartDown];
    if (!Live(thumb) || !Live(up) || !Live(down) || !Live(bar.targetView))
        return;
    const bool vertical = bar.vertical != 0;
    const SCROLLINFO si = TargetInfo(bar.targetView, vertical);
    if (!force && si.nPos == bar.lastPosition)
        return;
    RECT thumbRect = ScreenRect(thumb);
    const LONG length = Trailing(thumbRect, vertical) - Leading(thumbRect, vertical);
    const LONG leading =
        HtmlThumbLeadingEdge(Trailing(ScreenRect(up), vertical), Leading(ScreenRect(down), vertical), length,
                             si.nPos, si.nMin, si.nMax);
    (vertical ? thumbRect.top : thumbRect.left) = leading;
    (vertical ? thumbRect.bottom : thumbRect.right) = leading + length;
    MoveTo(thumb, thumbRect);
    // The track frames meet the thumb, overlapping it by a pixel.
    if (HtmlWnd* rectUp = bar.parts[kScrollPartRectUp]; Live(rectUp))
    {
        RECT rc = ScreenRect(rectUp);
        LONG& end = vertical ? rc.bottom : rc.right;
        end = std::max(leading + 1, Leading(rc, vertical));
        MoveTo(rectUp, rc);
    }
    if (HtmlWnd* rectDown = bar.parts[kScrollPartRectDown]; Live(rectDown))
    {
        RECT rc = ScreenRect(rectDown);
        LONG& start = vertical ? rc.top : rc.left;
        start = std::min(leading + length - 1, Trailing(rc, vertical));
        MoveTo(rectDown, rc);
    }
    bar.lastPosition = si.nPos;
}
