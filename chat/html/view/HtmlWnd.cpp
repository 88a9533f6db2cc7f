#include "HtmlWnd.h"

#include <algorithm>

#include "GdiObject.h"
#include "HtmlFlow.h"
#include "HtmlGdiDC.h"
#include "WindowDC.h"

namespace
{
// Keeps the scroll-bar nesting count for one update.
struct NestingGuard
{
    int32_t& count;
    explicit NestingGuard(int32_t& c) : count(c) { ++count; }
    ~NestingGuard() { --count; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
};

} // namespace

HTML_IMPLEMENT_DYNCREATE(HtmlWnd, nullptr)

HtmlWnd::HtmlWnd(HMODULE module) : m_document(std::make_unique<CHtmlDoc>(module, &m_host))
{
    m_document->SetTimerHost(this);
    m_document->SetSurface(this);
}

HtmlWnd::~HtmlWnd()
{
    // The window goes while the object is whole; the document then gives its
    // fonts, brushes and images back to the caches, which go last.
    vDestroy();
    m_document.reset();
}

bool HtmlWnd::Create(DWORD style, const RECT& rect, HWND parent, UINT id)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!boRegisterClass(instance, kClassName, CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW)))
        return false;
    const DWORD exStyle = (m_scroll.flags & kScrollLeftBar) ? WS_EX_LEFTSCROLLBAR : 0;
    return hCreate(exStyle, kClassName, "", style, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                   instance) != nullptr;
}

void HtmlWnd::CreateCaches()
{
    m_caches.Create();
}

RECT HtmlWnd::ClientRect() const
{
    RECT rc = {0, 0, 0, 0};
    if (hWnd() != nullptr)
        GetClientRect(hWnd(), &rc);
    return rc;
}

// --- loading

bool HtmlWnd::PrepareLoad(IHtmlWndEvents* handler, int32_t originX, int32_t originY)
{
    if (handler != nullptr)
        m_load.handler = handler;
    if (originX != kKeepOrigin)
        m_load.originX = originX;
    if (originY != kKeepOrigin)
        m_load.originY = originY;
    return m_document->GetFlow() != nullptr && m_document->GetFlow()->HasRowGrid();
}

void HtmlWnd::ShowLoaded(bool hadGrid)
{
    // A row grid lasts across loads: the new page is laid out to the window's height too.
    if (hadGrid)
        LayoutToWindowHeight();
    Refresh();
}

int32_t HtmlWnd::LoadUrl(const std::string& address, const std::string& context, IHtmlWndEvents* handler,
                         const std::string& target, int32_t originX, int32_t originY, int32_t option)
{
    // A target that names frames loads there; one that finds none (or whose
    // frames failed) loads here.
    if (!target.empty() && SearchFrames(target, address, -1, -1, false, false))
        return 0;
    const bool hadGrid = PrepareLoad(handler, originX, originY);
    std::string error;
    const int32_t result = m_document->Load(address, &error, this, 1, option, m_load.originX, m_load.originY);
    if (result == kHtmlLoadOk)
    {
        ShowLoaded(hadGrid);
    }
    OnDocumentLoaded(address, result, context, this, this);
    return result;
}

int32_t HtmlWnd::LoadUrlAt(const std::string& address, const std::string& context, int32_t x, int32_t y,
                           IHtmlWndEvents* handler, const std::string& target, int32_t originX,
                           int32_t originY, int32_t option)
{
    if (!target.empty() && SearchFrames(target, address, x, y, false, false))
        return 0;
    const bool hadGrid = PrepareLoad(handler, originX, originY);
    std::string error;
    const int32_t result = m_document->Load(address, &error, this, 1, option, m_load.originX, m_load.originY);
    if (result == kHtmlLoadOk)
    {
        ShowLoaded(hadGrid);
        ScrollTo(x, y);
        if (hWnd() != nullptr)
            UpdateWindow(hWnd());
    }
    OnDocumentLoaded(address, result, context, this, this);
    return result;
}

int32_t HtmlWnd::Navigate(const std::string& context, IHtmlWndEvents* handler, const std::string& frame,
                          int32_t keepScroll, int32_t originX, int32_t originY, int32_t option)
{
    // Each frame of that name reloads its own page, keeping its scroll position.
    if (!frame.empty() && SearchFrames(frame, "", 1, 1, true, false))
        return 0;
    int32_t x = 0;
    int32_t y = 0;
    if (keepScroll && hWnd() != nullptr)
    {
        x = GetScrollPos(hWnd(), SB_HORZ);
        y = GetScrollPos(hWnd(), SB_VERT);
        const int32_t max = RangeMax(SB_VERT);
        // At the very bottom of a non-empty range the view stays at the bottom.
        if (y == max && max != 0)
            y = 0x7FFFFFFF;
    }
    const bool hadGrid = PrepareLoad(handler, originX, originY);
    std::string error;
    const int32_t result = m_document->Reload(&error, this, 1, option, m_load.originX, m_load.originY);
    if (result == kHtmlLoadOk)
    {
        ShowLoaded(hadGrid);
        if (keepScroll)
            ScrollTo(x, y);
        if (hWnd() != nullptr)
            UpdateWindow(hWnd());
    }
    OnDocumentLoaded(m_document->GetUrl(), result, context, this, this);
    return result;
}

// --- layout height, refresh and scroll bars

void HtmlWnd::LayoutToWindowHeight()
{
    m_scroll.layoutHeightMode = 0;
    m_scroll.flags &= ~kScrollVertical;
    if (CHtmlFlow* flow = m_document->GetFlow())
        flow->SetRowHeight(ClientRect().bottom);
    m_document->ResetLayout();
    Refresh();
}

void HtmlWnd::LayoutUnlimitedHeight()
{
    m_scroll.layoutHeightMode = -1;
    if (CHtmlFlow* flow = m_document->GetFlow())
        flow->SetRowHeight(0);
    m_scroll.flags |= kScrollVertical;
    m_document->ResetLayout();
    Refresh();
}

void HtmlWnd::Refresh()
{
    if (hWnd() == nullptr)
        return;
    m_caches.RealizePalettes(hWnd());
    UpdateScrollBars(true, true);
    InvalidateRect(hWnd(), nullptr, TRUE);
    RestoreControlFocus();
}

int32_t HtmlWnd::RangeMax(int bar)
{
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE;
    if (hWnd() == nullptr || !GetScrollInfo(hWnd(), bar, &si))
        return 0;
    return std::max(0, si.nMax);
}

void HtmlWnd::UpdateScrollBars(bool resetVertical, bool resetHorizontal)
{
    if (hWnd() == nullptr || m_scroll.nesting >= kMaxScrollBarNesting)
        return;
    NestingGuard guard(m_scroll.nesting);
    CWindowDC window(hWnd());
    CHtmlGdiDC dc(window.get());
    if (resetVertical)
        SetScrollPos(hWnd(), SB_VERT, 0, FALSE);
    if (resetHorizontal)
        SetScrollPos(hWnd(), SB_HORZ, 0, FALSE);
    const RECT rc = ClientRect();
    const LayoutRect client(0, 0, rc.right, rc.bottom);
    const bool visible = IsWindowVisible(hWnd()) != FALSE;
    if (m_scroll.flags & kScrollVertical)
    {
        const int32_t needs = m_document->NeedsScroll(&dc, client);
        int minimum = 0;
        int maximum = 0;
        GetScrollRange(hWnd(), SB_VERT, &minimum, &maximum);
        const bool hasRange = maximum > minimum;
        if (needs != 0 && !hasRange)
        {
            SetScrollRange(hWnd(), SB_VERT, 0, 1, FALSE);
            if (m_scroll.flags & kHideVerticalBar)
                ShowScrollBar(hWnd(), SB_VERT, FALSE);
            // The bar that appears resizes the window, whose resize updates again.
            if (visible)
                return;
        }
        else if (needs == 0 && hasRange)
        {
            SetScrollRange(hWnd(), SB_VERT, 0, 0, FALSE);
            if (visible)
                return;
        }
        const int64_t height = m_document->MeasureHeight(&dc, client);
        const int64_t extra = std::min<int64_t>(height, 0x7FFFFFFF) - rc.bottom;
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE;
        si.nMin = 0;
        si.nMax = extra > 0 ? int(extra) : 0;
        const bool hide = (m_scroll.flags & kHideVerticalBar) != 0;
        SetScrollInfo(hWnd(), SB_VERT, &si, hide ? FALSE : TRUE);
        if (hide)
            ShowScrollBar(hWnd(), SB_VERT, FALSE);
    }
    else
    {
        SetScrollRange(hWnd(), SB_VERT, 0, 0, FALSE);
        SetScrollPos(hWnd(), SB_VERT, 0, FALSE);
    }
    if (m_scroll.flags & kScrollHorizontal)
    {
        const int32_t width = m_document->MeasureWidth();
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE;
        si.nMax = width > rc.right ? width - rc.right : 0;
        const bool hide = (m_scroll.flags & kHideHorizontalBar) != 0;
        SetScrollInfo(hWnd(), SB_HORZ, &si, hide ? FALSE : TRUE);
        if (hide)
            ShowScrollBar(hWnd(), SB_HORZ, FALSE);
    }
    else
    {
        SetScrollRange(hWnd(), SB_HORZ, 0, 0, FALSE);
        SetScrollPos(hWnd(), SB_HORZ, 0, FALSE);
    }
}

// --- painting and resizing

void HtmlWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd(), &ps);
    if (hdc != nullptr && IsWindowVisible(hWnd()) && !IsIconic(hWnd()))
    {
        const RECT rc = ClientRect();
        const int32_t x = GetScrollPos(hWnd(), SB_HORZ);
        const int32_t y = GetScrollPos(hWnd(), SB_VERT);
        CHtmlGdiDC dc(hdc);
        if (m_document->HasRowGrid())
        {
            // A page laid out in rows of the window's height shows one row:
            // the one the layout height mode picks, scrolled only sideways.
            const LayoutRect rect(rc.left + x, rc.top, rc.right + x, rc.bottom);
            m_document->LayoutRow(&dc, m_scroll.layoutHeightMode, &rect);
        }
        else
        {
            m_document->Layout(&dc, LayoutRect(rc.left + x, rc.top + y, rc.right + x, rc.bottom + y));
        }
        if (m_document->GetFlow() == nullptr)
        {
            // A view that never loaded a page (an empty frame) shows the page colour.
            const FdWin::CGdiBrush brush(CreateSolidBrush(COLORREF(m_document->GetBackgroundColor())));
            FillRect(hdc, &ps.rcPaint, brush.get());
        }
        DrawFrameBorders(hdc);
    }
    EndPaint(hWnd(), &ps);
}

void HtmlWnd::OnSize()
{
    if (m_document->HasRowGrid())
        LayoutToWindowHeight();
    else
        UpdateScrollBars(false, true);
    LayoutFrames();
}

// --- scrolling

void HtmlWnd::ScrollContent(int32_t dx, int32_t dy)
{
    ScrollWindowEx(hWnd(), dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
}

int32_t HtmlWnd::TrackPosition(int bar)
{
    // A drag of a bar built from frames hands its position over (SendThumbTrack).
    const int index = bar == SB_VERT ? 1 : 0;
    if (m_scroll.trackHanded[index])
        return m_scroll.handedTrack[index];
    // The track position is 32 bits wide; the message's own is only 16.
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(hWnd(), bar, &si);
    return si.nTrackPos;
}

void HtmlWnd::SendThumbTrack(int bar, int32_t position)
{
    if (hWnd() == nullptr || (bar != SB_VERT && bar != SB_HORZ))
        return;
    const int index = bar == SB_VERT ? 1 : 0;
    m_scroll.trackHanded[index] = true;
    m_scroll.handedTrack[index] = position;
    SendMessageA(hWnd(), bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL,
                 MAKEWPARAM(SB_THUMBTRACK, LOWORD(static_cast<DWORD>(position))), 0);
    m_scroll.trackHanded[index] = false;
}

void HtmlWnd::ScrollAbsolute(int bar, int32_t position)
{
    const int32_t target = std::max(0, std::min(position, RangeMax(bar)));
    const int32_t current = GetScrollPos(hWnd(), bar);
    if (target == current)
        return;
    const int32_t delta = current - target;
    ScrollContent(bar == SB_HORZ ? delta : 0, bar == SB_VERT ? delta : 0);
    SetScrollPos(hWnd(), bar, target, TRUE);
    UpdateWindow(hWnd());
}

void HtmlWnd::SmoothScroll(int bar, int32_t steps, int32_t step)
{
    for (int32_t i = 0; i < steps; ++i)
    {
        const int32_t current = GetScrollPos(hWnd(), bar);
        const int64_t next = int64_t(current) + step;
        const int32_t max = RangeMax(bar);
        if (next >= max)
        {
            ScrollAbsolute(bar, max);
            return;
        }
        if (next < 1)
        {
            ScrollAbsolute(bar, 0);
            return;
        }
        ScrollContent(bar == SB_HORZ ? -step : 0, bar == SB_VERT ? -step : 0);
        SetScrollPos(hWnd(), bar, int(next), TRUE);
        UpdateWindow(hWnd());
    }
}

void HtmlWnd::OnScrollMessage(int bar, int code)
{
    const RECT rc = ClientRect();
    const int32_t size = bar == SB_VERT ? rc.bottom : rc.right;
    switch (code)
    {
    case SB_LINEUP:
        SmoothScroll(bar, 4, size / -20);
        break;
    case SB_LINEDOWN:
        SmoothScroll(bar, 4, size / 20);
        break;
    case SB_PAGEUP:
        SmoothScroll(bar, 5, size / -5);
        break;
    case SB_PAGEDOWN:
        SmoothScroll(bar, 5, size / 5);
        break;
    case SB_THUMBTRACK:
        ScrollAbsolute(bar, TrackPosition(bar));
        break;
    case SB_TOP:
        ScrollAbsolute(bar, 0);
        break;
    case SB_BOTTOM:
        ScrollAbsolute(bar, 0x7FFFFFFF);
        break;
    default:
        break;
    }
    OnScroll(bar == SB_VERT ? 1 : 0, GetScrollPos(hWnd(), bar), this, this);
}

void HtmlWnd::ScrollTo(int32_t x, int32_t y)
{
    if (hWnd() == nullptr)
        return;
    if (y > 0)
    {
        ScrollAbsolute(SB_VERT, y);
        OnScroll(1, GetScrollPos(hWnd(), SB_VERT), this, this);
    }
    if (x > 0)
    {
        ScrollAbsolute(SB_HORZ, x);
        OnScroll(0, GetScrollPos(hWnd(), SB_HORZ), this, this);
    }
}

void HtmlWnd::ScrollIntoView(CTag* element, CHtmlObject*)
{
    LayoutRect bounds;
    if (hWnd() == nullptr || element == nullptr || m_document->GetFlow() == nullptr ||
        !element->GetBounds(bounds, true))
        return;
    const RECT rc = ClientRect();
    const int64_t height = m_document->GetFlow()->GetTotalHeight();
    const int64_t width = m_document->MeasureWidth();
    // Per axis: the scroll range over the document's size; an axis whose
    // document size is 0 keeps target 0.
    int32_t targetY = 0;
    const int32_t currentY = GetScrollPos(hWnd(), SB_VERT);
    if (height > 0)
    {
        const double scale = double(RangeMax(SB_VERT)) / double(height);
        const int32_t above = int32_t(bounds.top * scale - 5);
        targetY = currentY >= above ? above : int32_t(bounds.bottom * scale + 5);
        targetY = std::max(0, targetY);
    }
    int32_t targetX = 0;
    const int32_t currentX = GetScrollPos(hWnd(), SB_HORZ);
    if (width > 0)
    {
        const double scale = double(RangeMax(SB_HORZ)) / double(width);
        const int32_t left = int32_t(bounds.left * scale);
        targetX = currentX >= left ? left : int32_t((bounds.right - rc.right) * scale);
        targetX = std::max(0, targetX);
    }
    SmoothScroll(SB_VERT, 5, (targetY - currentY) / 5);
    SmoothScroll(SB_HORZ, 5, (targetX - currentX) / 5);
    OnScroll(1, GetScrollPos(hWnd(), SB_VERT), this, this);
    OnScroll(0, GetScrollPos(hWnd(), SB_HORZ), this, this);
}

void HtmlWnd::Redraw()
{
    if (hWnd() != nullptr)
        InvalidateRect(hWnd(), nullptr, FALSE);
}

void HtmlWnd::RedrawNow()
{
    if (hWnd() == nullptr)
        return;
    InvalidateRect(hWnd(), nullptr, FALSE);
    UpdateWindow(hWnd());
}

// --- the timer host

int32_t HtmlWnd::Start(uint32_t periodMs)
{
    if (hWnd() == nullptr)
        return 0;
    return SetTimer(hWnd(), kTimerId, periodMs, nullptr) != 0 ? 1 : 0;
}

void HtmlWnd::Stop()
{
    if (hWnd() != nullptr)
        KillTimer(hWnd(), kTimerId);
}

// --- messages

LRESULT HtmlWnd::lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT hoverResult = 0;
    if (OnHoverMessage(uMsg, wParam, lParam, &hoverResult))
        return hoverResult;
    LRESULT frameResult = 0;
    if (OnFrameMessage(uMsg, wParam, lParam, &frameResult))
        return frameResult;
    LRESULT formResult = 0;
    if (OnFormMessage(uMsg, wParam, lParam, &formResult))
        return formResult;
    switch (uMsg)
    {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        // The document paints its own background.
        return 1;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_VSCROLL:
        OnScrollMessage(SB_VERT, LOWORD(wParam));
        return 0;
    case WM_HSCROLL:
        OnScrollMessage(SB_HORZ, LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == kTimerId)
        {
            OnTick(0);
            return 0;
        }
        break;
    case WM_DESTROY:
        KillTimer(hWnd(), kTimerId);
        m_document->Reset();
        OnFrameWindowDestroyed();
        return 0;
    default:
        break;
    }
    return lDefault(uMsg, wParam, lParam);
}

// --- the view's side of the document's events

int32_t HtmlWnd::OnTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                       std::string frameName, CHtmlObject*)
{
    if (frameName.empty())
        frameName = m_frame.name;
    if (m_load.handler == nullptr)
        return -1;
    return m_load.handler->OnTag(name, attributes, content, length, frameName, this);
}

int32_t HtmlWnd::OnHandlerTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                              std::string frameName, CHtmlObject*)
{
    if (frameName.empty())
        frameName = m_frame.name;
    if (m_load.handler == nullptr)
        return -1;
    return m_load.handler->OnHandlerTag(name, attributes, content, length, frameName, this);
}

void HtmlWnd::OnDocumentCleared(CHtmlObject*)
{
    m_scroll.nesting = 0;
    m_scroll.layoutHeightMode = 0;
    if (hWnd() == nullptr)
        return;
    // The document still holds its old tree here: the resize that the
    // vanishing bars cause must not measure it again.
    m_scroll.nesting = kMaxScrollBarNesting;
    SetScrollRange(hWnd(), SB_VERT, 0, 0, FALSE);
    SetScrollPos(hWnd(), SB_VERT, 0, FALSE);
    SetScrollRange(hWnd(), SB_HORZ, 0, 0, FALSE);
    SetScrollPos(hWnd(), SB_HORZ, 0, FALSE);
    m_scroll.nesting = 0;
}

void HtmlWnd::OnTitle(std::string title, CHtmlObject*)
{
    if (m_load.handler != nullptr)
        m_load.handler->OnTitle(title, this);
}

void HtmlWnd::OnLoadProgress(int32_t stage, int32_t percent, int32_t count, CHtmlObject*)
{
    if (m_load.handler != nullptr)
        m_load.handler->OnLoadProgress(stage, percent, count, this);
}

void HtmlWnd::OnLinkHover(const std::string& text, CTag* link, int32_t kind, CHtmlObject*)
{
    if (m_load.handler != nullptr)
        m_load.handler->OnLinkHover(text, link, kind, this);
}

void HtmlWnd::OnLeaveView(std::string* kind, std::string* address, std::string frameName, CHtmlObject*)
{
    if (frameName.empty())
        frameName = m_frame.name;
    if (m_load.handler != nullptr)
        m_load.handler->OnLeaveView(kind, address, frameName, this);
}

int32_t HtmlWnd::HasSharedCaches(CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        return m_frame.parent->HasSharedCaches(this);
    return m_caches.HasImages() ? 1 : 0;
}

CHtmlImageSource* HtmlWnd::GetImage(const std::string& name, void* resourceModule, CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        return m_frame.parent->GetImage(name, resourceModule, this);
    return m_caches.GetImage(name, static_cast<HMODULE>(resourceModule));
}

void HtmlWnd::ReleaseImage(CHtmlImageSource* image, CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        m_frame.parent->ReleaseImage(image, this);
    else
        m_caches.ReleaseImage(image);
}

int32_t HtmlWnd::HasBrushCache(CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        return m_frame.parent->HasBrushCache(this);
    return m_caches.HasBrushes() ? 1 : 0;
}

HBRUSH__* HtmlWnd::GetBrush(uint32_t color, CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        return m_frame.parent->GetBrush(color, this);
    return m_caches.GetBrush(color);
}

void HtmlWnd::ReleaseBrush(HBRUSH__* brush, CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        m_frame.parent->ReleaseBrush(brush, this);
    else
        m_caches.ReleaseBrush(brush);
}

int32_t HtmlWnd::HasFontCache(CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        return m_frame.parent->HasFontCache(this);
    return m_caches.HasFonts() ? 1 : 0;
}

HFONT__* HtmlWnd::GetFont(const FontDesc* description, CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        return m_frame.parent->GetFont(description, this);
    return m_caches.GetFont(description);
}

void HtmlWnd::ReleaseFont(HFONT__* font, CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        m_frame.parent->ReleaseFont(font, this);
    else
        m_caches.ReleaseFont(font);
}

int32_t HtmlWnd::OnLinkClick(std::string address, std::string target, CHtmlObject*)
{
    return m_load.handler != nullptr ? m_load.handler->OnLinkClick(address, target, this) : 1;
}

int32_t HtmlWnd::CanFollowLink(CTag* link, int32_t value, CHtmlObject*)
{
    return m_load.handler != nullptr ? m_load.handler->CanFollowLink(link, value, this) : 1;
}

void HtmlWnd::OnLoadError(int32_t error, std::string address, CHtmlObject*)
{
    if (m_load.handler != nullptr)
        m_load.handler->OnLoadError(error, address, this);
}

void HtmlWnd::FollowLink(std::string address, std::string target, CHtmlObject*)
{
    const std::string resolved = m_document->ResolveAddress(address, false);
    // The target is searched from the top view, so that "_top" and sibling
    // frames are found from any frame. The load may replace this very view's
    // frameset: after it, only members that outlive a retired view are used.
    if (!target.empty() && SearchFrames(target, resolved, -1, -1, false, true))
        return;
    const int32_t result = LoadUrl(resolved, "", nullptr, "", m_load.originX, m_load.originY, 0);
    if (result != kHtmlLoadOk)
        OnLoadError(result, address, this);
}

void HtmlWnd::OnLinkTick(const std::string& address, const std::string& target, int32_t pressed, int32_t zero,
                         CHtmlObject*)
{
    if (m_load.handler != nullptr)
        m_load.handler->OnLinkTick(address, target, pressed, zero, this);
}

void HtmlWnd::OnScroll(int32_t bar, int32_t position, HtmlWnd* view, CHtmlObject*)
{
    if (m_load.handler != nullptr)
        m_load.handler->OnScroll(bar, position, view, this);
}

void HtmlWnd::PushHandler(const std::string& handlerName, const std::string& attributes, CHtmlObject*)
{
    IHtmlWndEvents* replacement = GetReplacementHandler(handlerName, attributes, this, this);
    if (replacement != nullptr)
    {
        m_load.savedHandler = m_load.handler;
        m_load.handler = replacement;
    }
}

void HtmlWnd::OnHandlerEnding(const std::string& handlerName, CHtmlObject*)
{
    // The handler hears it; in a frame whose handler isn't the parent view the
    // parent chain hears it too.
    if (m_load.handler != nullptr)
        m_load.handler->OnHandlerEnded(handlerName, this, this);
    if (m_frame.parent != nullptr && m_load.handler != static_cast<IHtmlWndEvents*>(m_frame.parent))
        OnHandlerEnded(handlerName, this, this);
}

void HtmlWnd::PopHandler(const std::string& handlerName, CHtmlObject*)
{
    int32_t drop = 0;
    if (m_load.handler != nullptr)
        drop = m_load.handler->ReleaseHandler(handlerName, this, this);
    if (m_frame.parent != nullptr && m_load.handler != static_cast<IHtmlWndEvents*>(m_frame.parent) &&
        ReleaseHandler(handlerName, this, this) != 0)
        drop = 1;
    if (drop != 0)
        m_load.handler = nullptr;
    if (m_load.savedHandler != nullptr)
    {
        m_load.handler = m_load.savedHandler;
        m_load.savedHandler = nullptr;
    }
}

IHtmlWndEvents* HtmlWnd::GetReplacementHandler(const std::string& handlerName, const std::string& attributes,
                                               HtmlWnd* view, CHtmlObject*)
{
    IHtmlWndEvents* answer = m_load.handler != nullptr
                                 ? m_load.handler->GetReplacementHandler(handlerName, attributes, view, this)
                                 : nullptr;
    if (answer == nullptr && m_frame.parent != nullptr)
        answer = m_frame.parent->GetReplacementHandler(handlerName, attributes, view, this);
    return answer;
}

void HtmlWnd::OnDocumentLoaded(std::string address, int32_t result, std::string context, HtmlWnd* loader,
                               CHtmlObject*)
{
    if (m_load.handler != nullptr)
        m_load.handler->OnDocumentLoaded(address, result, context, loader, this);
}
