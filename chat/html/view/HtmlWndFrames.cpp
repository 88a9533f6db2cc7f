// The view's frames: child views for a frameset's records, their layout and
// borders, the border cursor and drag, frame search and link targets, the
// mouse buttons, and the events that frames pass up their parent chain.
#include <mbstring.h>

#include "GdiObject.h"
#include "HtmlElements.h"
#include "HtmlFlow.h"
#include "HtmlGdiDC.h"
#include "../doc/HtmlText.h"
#include "HtmlTracker.h"
#include "HtmlWnd.h"

namespace
{
// Posted to a view that has retired child views: they go on this turn of the loop.
constexpr UINT kMsgReleaseRetired = WM_APP + 41;
constexpr UINT kFirstChildId = 666;
constexpr UINT kLastChildId = 32767;
const std::string kFrameTitle = "HTWT FRAME : ";

bool SameName(const std::string& a, const std::string& b)
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                    reinterpret_cast<const unsigned char*>(b.c_str())) == 0;
}

// The first id from 666 up that no child window of the parent has; 0 when none is left.
UINT FreeChildId(HWND parent)
{
    for (UINT id = kFirstChildId; id < kLastChildId; ++id)
        if (GetDlgItem(parent, int(id)) == nullptr)
            return id;
    return 0;
}

class CClientDC
{
public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd), m_hdc(GetDC(hWnd)) {}
    ~CClientDC()
    {
        if (m_hdc != nullptr)
            ReleaseDC(m_hWnd, m_hdc);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    HDC get() const { return m_hdc; }

private:
    HWND m_hWnd;
    HDC m_hdc;
};

void FillCorner(HDC hdc, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t color)
{
    FdWin::CGdiBrush brush(CreateSolidBrush(COLORREF(color)));
    const RECT rc = {left, top, right, bottom};
    FillRect(hdc, &rc, brush.get());
}

void Line(HDC hdc, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    MoveToEx(hdc, x1, y1, nullptr);
    LineTo(hdc, x2, y2);
}

// One frame's border, ring by ring from the outside in: the outer ring dark
// above and left and light below and right, the inner ring (from a width of
// 4) the other way round, the rings between in the border colour. Rounded
// corners keep their square in the corner's colour with a quarter disc of
// the border colour over it.
void DrawFrameBorder(HDC hdc, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t w, bool focus,
                     const FrameRecord& r)
{
    const uint32_t* colors = r.borderColors;
    const uint32_t light = focus ? colors[kFrameColorFocus] : colors[kFrameColorLight];
    FdWin::CGdiPen darkPen(CreatePen(PS_SOLID, 1, COLORREF(colors[kFrameColorDark])));
    FdWin::CGdiPen borderPen(CreatePen(PS_SOLID, 1, COLORREF(colors[kFrameColorBorder])));
    FdWin::CGdiPen lightPen(CreatePen(PS_SOLID, 1, COLORREF(light)));
    FdWin::CGdiBrush brush(CreateSolidBrush(COLORREF(colors[kFrameColorBorder])));
    HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(hdc, brush.get());
    const bool tl = r.roundedCorners[0] != 0;
    const bool tr = r.roundedCorners[2] != 0;
    const bool bl = r.roundedCorners[4] != 0;
    const bool br = r.roundedCorners[6] != 0;
    const auto corner = [&r](int i) { return uint32_t(r.roundedCorners[2 * i + 1]); };
    const bool showLeft = r.borderFlags[kFrameLeft] != 0;
    const bool showRight = r.borderFlags[kFrameRight] != 0;
    const bool showTop = r.borderFlags[kFrameTop] != 0;
    const bool showBottom = r.borderFlags[kFrameBottom] != 0;
    for (int32_t i = 0; i < w; ++i)
    {
        HGDIOBJ first = borderPen.get();
        HGDIOBJ second = borderPen.get();
        if (i == 0)
        {
            first = darkPen.get();
            second = lightPen.get();
        }
        else if (i == w - 1 && w >= 4)
        {
            first = lightPen.get();
            second = darkPen.get();
        }
        SelectObject(hdc, first);
        if (showTop)
            Line(hdc, tl ? left + w : left + i, top + i, tr ? right - w : right - i, top + i);
        if (showLeft)
            Line(hdc, left + i, tl ? top + w : top + i, left + i, bl ? bottom - w : bottom - i);
        if (i == 0)
        {
            if (tl)
            {
                FillCorner(hdc, left, top, left + w, top + w, corner(0));
                Pie(hdc, left, top, left + 2 * w, top + 2 * w, left + w, top, left, top + w);
            }
            if (tr)
            {
                FillCorner(hdc, right - w, top, right, top + w, corner(1));
                Pie(hdc, right - 2 * w, top, right, top + 2 * w, right, top + w, right - w, top);
            }
        }
        else if (i == 1)
        {
            if (tl)
                Pie(hdc, left + 1, top + 1, left + 2 * w - 1, top + 2 * w - 1, left + w, top + 1, left + 1,
                    top + w);
            if (tr)
                Pie(hdc, right - 2 * w + 1, top + 1, right - 1, top + 2 * w - 1, right - 1, top + w,
                    right - w, top + 1);
        }
        SelectObject(hdc, second);
        if (showRight)
            Line(hdc, right - i - 1, br ? bottom - w : bottom - i - 1, right - i - 1,
                 tr ? top + w - 1 : top + i);
        if (showBottom)
            Line(hdc, br ? right - w : right - i - 1, bottom - i - 1, bl ? left + w - 1 : left + i,
                 bottom - i - 1);
        if (i == 0)
        {
            if (bl)
            {
                FillCorner(hdc, left, bottom - w, left + w, bottom, corner(2));
                Pie(hdc, left, bottom - 2 * w, left + 2 * w, bottom, left, bottom - w, left + w, bottom);
            }
            if (br)
            {
                FillCorner(hdc, right - w, bottom - w, right, bottom, corner(3));
                Pie(hdc, right - 2 * w, bottom - 2 * w, right, bottom, right - w, bottom, right, bottom - w);
            }
        }
        else if (i == 1)
        {
            if (bl)
                Pie(hdc, left + 1, bottom - 2 * w - 1, left + 2 * w - 1, bottom - 1, left + 1, bottom - w,
                    left + w, bottom - 1);
            if (br)
                Pie(hdc, right - 2 * w + 1, bottom - 2 * w - 1, right - 1, bottom - 1, right - w, bottom - 1,
                    right - 1, bottom - w);
        }
    }
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
}
} // namespace

// --- creating, placing and destroying the frames

std::vector<FrameRecord> HtmlWnd::FrameRecords() const
{
    std::vector<FrameRecord> records;
    records.reserve(m_frame.children.size());
    for (const HtmlFrameView& frame : m_frame.children)
        records.push_back(frame.record);
    return records;
}

void HtmlWnd::OnFramesetCreated(const std::vector<FrameRecord>* frames, CHtmlObject*)
{
    DestroyFrames();
    if (frames == nullptr || m_document == nullptr)
        return;
    // A page that holds itself as a frame would nest without end: past the
    // bounds the frameset stays empty.
    int32_t depth = 0;
    const HtmlWnd* top = this;
    for (; top->m_frame.parent != nullptr; top = top->m_frame.parent)
        ++depth;
    if (depth >= kMaxFrameDepth || size_t(top->CountFrameViews()) + frames->size() > size_t(kMaxFrameViews))
        return;
    // The page paints around its frames, not over them.
    if (hWnd() != nullptr)
        SetWindowLongPtrA(hWnd(), GWL_STYLE, GetWindowLongPtrA(hWnd(), GWL_STYLE) | WS_CLIPCHILDREN);
    for (const FrameRecord& record : *frames)
    {
        HtmlFrameView frame;
        frame.record = record;
        auto child = std::make_unique<HtmlWnd>(GetResourceModule());
        child->SetDocFlag(m_document->GetDocFlag());
        child->SetSourceType(m_document->GetSourceType());
        child->m_load.originX = m_load.originX;
        child->m_load.originY = m_load.originY;
        child->m_frame.parent = this;
        child->m_frame.name = record.name;
        child->m_frame.element = record.element;
        child->m_frame.tabGroup = record.tabGroup;
        // Bits 0x10, 0x20 and 0x40 ride along unused.
        child->m_scroll.flags = record.scrollFlags;
        if (record.marginWidth != -1)
            child->m_document->SetMarginWidth(record.marginWidth);
        if (record.marginHeight != -1)
            child->m_document->SetMarginHeight(record.marginHeight);
        child->m_document->SetBasePath(m_document->GetBasePath());
        IHtmlWndEvents* handler = OnFrameCreated(record.element, child.get(), this);
        child->m_load.handler = handler != nullptr ? handler : this;
        if (hWnd() != nullptr)
        {
            const RECT rc = {0, 0, 0, 0};
            if (child->Create(WS_CHILD | WS_VISIBLE, rc, hWnd(), FreeChildId(hWnd())))
                SetWindowTextA(child->hWnd(), (kFrameTitle + record.name).c_str());
        }
        frame.view = std::move(child);
        m_frame.children.push_back(std::move(frame));
    }
    LayoutFrames();
    for (size_t i = 0; i < m_frame.children.size(); ++i)
    {
        const std::string address = m_frame.children[i].record.address;
        if (!address.empty())
            LoadIntoFrame(int32_t(i), address, -1, -1, false);
    }
}

int32_t HtmlWnd::CountFrameViews() const
{
    int32_t count = 0;
    for (const HtmlFrameView& frame : m_frame.children)
        if (frame.view != nullptr)
            count += 1 + frame.view->CountFrameViews();
    return count;
}

void HtmlWnd::OnFramesDestroyed(CHtmlObject*)
{
    DestroyFrames();
}

void HtmlWnd::DestroyFrames()
{
    std::vector<HtmlFrameView> frames;
    frames.swap(m_frame.children);
    m_frame.placements.clear();
    for (HtmlFrameView& frame : frames)
    {
        HtmlWnd* child = frame.view.get();
        if (child == nullptr)
            continue;
        IHtmlWndEvents* handler = child->m_load.handler;
        if (handler != nullptr)
            handler->OnFrameDestroyed(frame.record.element, child, this);
        if (handler != static_cast<IHtmlWndEvents*>(this))
            OnFrameDestroyed(frame.record.element, child, this);
        child->vDestroy();
        m_frame.retired.push_back(std::move(frame.view));
    }
    if (!m_frame.retired.empty() && hWnd() != nullptr)
        PostMessageA(hWnd(), kMsgReleaseRetired, 0, 0);
}

void HtmlWnd::OnFrameWindowDestroyed()
{
    DestroyFrames();
    if (m_frame.parent == nullptr)
        return;
    if (m_load.handler != nullptr)
        m_load.handler->OnViewDestroyed(m_frame.element, this);
    if (m_load.handler != static_cast<IHtmlWndEvents*>(m_frame.parent))
        m_frame.parent->OnViewDestroyed(m_frame.element, this);
}

void HtmlWnd::LayoutFrames()
{
    if (m_frame.children.empty() || hWnd() == nullptr)
        return;
    const RECT rc = ClientRect();
    m_frame.placements = HtmlLayoutFrames(FrameRecords(), rc.right, rc.bottom);
    for (size_t i = 0; i < m_frame.children.size() && i < m_frame.placements.size(); ++i)
    {
        HtmlWnd* child = m_frame.children[i].view.get();
        if (child == nullptr)
            continue;
        const FrameBox& inner = m_frame.placements[i].inner;
        if (!m_frame.children[i].record.noBackSync)
        {
            child->m_load.originX = m_load.originX + inner.left;
            child->m_load.originY = m_load.originY + inner.top;
            child->m_document->SetBackgroundOffset(child->m_load.originX, child->m_load.originY);
        }
        if (child->hWnd() == nullptr)
            continue;
        RECT before;
        GetWindowRect(child->hWnd(), &before);
        MapWindowPoints(nullptr, hWnd(), reinterpret_cast<POINT*>(&before), 2);
        MoveWindow(child->hWnd(), inner.left, inner.top, inner.Width(), inner.Height(), TRUE);
        // A moved or resized frame keeps the pixels the move carried along,
        // laid out for its old size: it is painted whole, its own frames too.
        if (before.left != inner.left || before.top != inner.top || before.right != inner.right ||
            before.bottom != inner.bottom)
            RedrawWindow(child->hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    CClientDC dc(hWnd());
    if (dc.get() != nullptr)
        DrawFrameBorders(dc.get());
}

void HtmlWnd::RedrawFrameBorders()
{
    // A frame's border shows in its focus colour while its view has the
    // keyboard focus; the frames pass their focus events up to this view.
    if (m_frame.children.empty() || hWnd() == nullptr)
        return;
    CClientDC dc(hWnd());
    if (dc.get() != nullptr)
        DrawFrameBorders(dc.get());
}

void HtmlWnd::DrawFrameBorders(HDC hdc)
{
    if (m_frame.placements.size() != m_frame.children.size())
        return;
    for (size_t i = 0; i < m_frame.children.size(); ++i)
    {
        const HtmlWnd* child = m_frame.children[i].view.get();
        if (child == nullptr || child->hWnd() == nullptr)
            continue;
        const int32_t w =
            HtmlFrameBorderWidth(m_frame.children[i].record.frameBorder, m_frame.placements[i].cell);
        if (w <= 0)
            continue;
        RECT rc;
        GetWindowRect(child->hWnd(), &rc);
        MapWindowPoints(nullptr, hWnd(), reinterpret_cast<POINT*>(&rc), 2);
        DrawFrameBorder(hdc, rc.left - w, rc.top - w, rc.right + w, rc.bottom + w, w,
                        GetFocus() == child->hWnd(), m_frame.children[i].record);
    }
}

// --- finding frames and loading into them

HtmlWnd* HtmlWnd::FindFrameWnd(const std::string& name, CTagFRAME** element)
{
    for (const HtmlFrameView& frame : m_frame.children)
    {
        if (frame.view != nullptr && SameName(frame.record.name, name))
        {
            if (element != nullptr)
                *element = frame.record.element;
            return frame.view.get();
        }
    }
    for (const HtmlFrameView& frame : m_frame.children)
        if (frame.view != nullptr)
            if (HtmlWnd* found = frame.view->FindFrameWnd(name, element))
                return found;
    return nullptr;
}

int32_t HtmlWnd::GetFrameScrollPos(const std::string& frame, int bar)
{
    HtmlWnd* view = frame.empty() ? this : FindFrameWnd(frame);
    if (view == nullptr || view->hWnd() == nullptr)
        return -1;
    return GetScrollPos(view->hWnd(), bar);
}

BOOL HtmlWnd::GetFrameScrollRange(const std::string& frame, int bar, int* minimum, int* maximum)
{
    HtmlWnd* view = frame.empty() ? this : FindFrameWnd(frame);
    if (view == nullptr || view->hWnd() == nullptr)
        return FALSE;
    return GetScrollRange(view->hWnd(), bar, minimum, maximum);
}

int32_t HtmlWnd::LoadIntoFrame(int32_t index, const std::string& address, int32_t x, int32_t y, bool reload)
{
    HtmlWnd* view = this;
    if (index >= 0)
        view = size_t(index) < m_frame.children.size() ? m_frame.children[size_t(index)].view.get() : nullptr;
    if (view == nullptr)
        return kHtmlLoadReadError;
    // The frame's own origin already holds this view's plus the frame's place in it.
    if (reload)
        return view->Navigate("", view->m_load.handler, "", x > 0 && y > 0 ? 1 : 0, kKeepOrigin, kKeepOrigin,
                              0);
    const std::string resolved = m_document->ResolveAddress(address, false);
    if (x == -1 && y == -1)
        return view->LoadUrl(resolved, "", view->m_load.handler, "", kKeepOrigin, kKeepOrigin, 0);
    return view->LoadUrlAt(resolved, "", x, y, view->m_load.handler, "", kKeepOrigin, kKeepOrigin, 0);
}

bool HtmlWnd::SearchFrames(const std::string& target, const std::string& address, int32_t x, int32_t y,
                           bool reload, bool fromTop)
{
    HtmlWnd* start = this;
    if (fromTop)
        while (start->m_frame.parent != nullptr)
            start = start->m_frame.parent;
    int took = 0;
    int failed = 0;
    start->SearchFramesIn(target, address, x, y, reload, &took, &failed);
    return took > 0 && failed == 0;
}

void HtmlWnd::SearchFramesIn(const std::string& target, const std::string& address, int32_t x, int32_t y,
                             bool reload, int* took, int* failed)
{
    if (HtmlEqualNoCase(target, "_top"))
    {
        ++*took;
        if (LoadIntoFrame(-1, address, x, y, reload) != kHtmlLoadOk)
            ++*failed;
        return;
    }
    // By index: a load may change what a frame shows, never this view's list.
    for (size_t i = 0; i < m_frame.children.size(); ++i)
    {
        if (m_frame.children[i].view != nullptr && SameName(m_frame.children[i].record.name, target))
        {
            ++*took;
            if (LoadIntoFrame(int32_t(i), address, x, y, reload) != kHtmlLoadOk)
                ++*failed;
        }
    }
    for (size_t i = 0; i < m_frame.children.size(); ++i)
        if (HtmlWnd* child = m_frame.children[i].view.get())
            child->SearchFramesIn(target, address, x, y, reload, took, failed);
}

// --- the mouse

POINT HtmlWnd::DocumentPoint(POINT client) const
{
    return POINT{client.x + GetScrollPos(hWnd(), SB_HORZ), client.y + GetScrollPos(hWnd(), SB_VERT)};
}

bool HtmlWnd::SetBorderCursor(POINT client)
{
    FrameBorderHit hit;
    if (!m_frame.children.empty() && client.x >= 0)
        hit = HtmlFrameBorderAt(FrameRecords(), m_frame.placements, client.x, client.y);
    if (hit.Any())
    {
        const char* id = hit.column >= 0 && hit.row >= 0 ? IDC_SIZEALL
                         : hit.column >= 0               ? IDC_SIZEWE
                                                         : IDC_SIZENS;
        HCURSOR previous = SetCursor(LoadCursorA(nullptr, id));
        if (m_pointer.savedCursor == nullptr)
            m_pointer.savedCursor = previous != nullptr ? previous : LoadCursorA(nullptr, IDC_ARROW);
        return true;
    }
    m_pointer.RestoreCursor();
    if (m_frame.parent == nullptr || m_frame.parent->hWnd() == nullptr || client.x < 0)
        return false;
    POINT point = client;
    MapWindowPoints(hWnd(), m_frame.parent->hWnd(), &point, 1);
    return m_frame.parent->SetBorderCursor(point);
}

void HtmlWnd::EndCapture()
{
    if (hWnd() == nullptr || GetCapture() != hWnd())
        return;
    ReleaseCapture();
    HoverMove(0, nullptr);
    // As if the pointer had left: a frame-border cursor, this view's or a
    // parent's, gives the previous cursor back.
    for (HtmlWnd* view = this; view != nullptr; view = view->m_frame.parent)
        view->m_pointer.RestoreCursor();
}

bool HtmlWnd::DragFrameBorder(POINT client)
{
    if (m_frame.children.empty() || hWnd() == nullptr)
        return false;
    const FrameBorderHit hit = HtmlFrameBorderAt(FrameRecords(), m_frame.placements, client.x, client.y);
    if (!hit.Any())
        return false;
    if (GetCapture() != nullptr)
        ReleaseCapture();
    // Where a row and a column border meet, the column border moves.
    const bool column = hit.column >= 0;
    const RECT rc = ClientRect();
    const RECT band = column ? RECT{hit.position - 1, 0, hit.position + 1, rc.bottom}
                             : RECT{0, hit.position - 1, rc.right, hit.position + 1};
    CHtmlTracker tracker(band, column, hit.minimum, hit.maximum);
    if (tracker.Track(hWnd(), client))
    {
        const RECT& moved = tracker.GetRect();
        const int32_t middle = column ? (moved.left + moved.right) / 2 : (moved.top + moved.bottom) / 2;
        std::vector<FrameRecord> records = FrameRecords();
        HtmlResizeFrames(records, m_frame.placements, !column, column ? hit.column : hit.row, middle);
        for (size_t i = 0; i < records.size() && i < m_frame.children.size(); ++i)
            m_frame.children[i].record = records[i];
        LayoutFrames();
        InvalidateRect(hWnd(), nullptr, TRUE);
    }
    m_pointer.mouseUp = 1;
    m_pointer.RestoreCursor();
    return true;
}

void HtmlWnd::OnMouseMoveMessage(WPARAM keys, POINT client)
{
    const RECT rc = ClientRect();
    POINT screen = client;
    ClientToScreen(hWnd(), &screen);
    const bool inside = PtInRect(&rc, client) && WindowFromPoint(screen) == hWnd();
    HoverMove(keys, inside ? &client : nullptr);
    SetBorderCursor(inside ? client : POINT{-1, -1});
    // Holding the capture while the pointer is inside shows when it leaves.
    if ((keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && m_pointer.keyDown == 0)
    {
        if (inside && GetCapture() != hWnd())
            SetCapture(hWnd());
        else if (!inside && GetCapture() == hWnd())
            ReleaseCapture();
    }
    if ((keys & MK_LBUTTON) != 0 &&
        (screen.x != m_pointer.buttonDown.x || screen.y != m_pointer.buttonDown.y))
    {
        OnDrag(screen.x, screen.y, m_pointer.buttonDown.x, m_pointer.buttonDown.y, &m_frame.name, this);
        m_pointer.buttonDown = screen;
    }
}

void HtmlWnd::OnButtonUpMessage(WPARAM keys, POINT client)
{
    if (GetCapture() == hWnd())
        ReleaseCapture();
    const POINT at = DocumentPoint(client);
    if (CHtmlFlow* flow = m_document->GetFlow())
    {
        CClientDC window(hWnd());
        CHtmlGdiDC dc(window.get());
        for (const auto& element : m_document->GetElements())
            element->LButtonUpTree(&dc, flow, at.x, at.y, int32_t(keys));
    }
    std::string target;
    CTag* element = nullptr;
    const std::string link = m_document->GetLinkAt(at.x, at.y, int32_t(keys), &target, &element);
    m_pointer.mouseUp = 1;
    if (link.empty())
    {
        OnClick(int32_t(keys), client.x, client.y, this);
        return;
    }
    // Following the link may replace the frameset that holds this view: nothing follows it.
    if (CanFollowLink(element, 0, this) != 0 && OnLinkClick(link, target, this) != 0)
        FollowLink(link, target, this);
}

bool HtmlWnd::OnFrameMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const POINT client = {short(LOWORD(lParam)), short(HIWORD(lParam))};
    *result = 0;
    switch (uMsg)
    {
    case kMsgReleaseRetired:
        m_frame.retired.clear();
        return true;
    case WM_SETCURSOR:
        // Over a frame border the size cursor stays until the pointer leaves it.
        if (reinterpret_cast<HWND>(wParam) == hWnd() && LOWORD(lParam) == HTCLIENT &&
            m_pointer.savedCursor != nullptr)
        {
            *result = TRUE;
            return true;
        }
        return false;
    case WM_MOUSEMOVE:
        OnMouseMoveMessage(wParam, client);
        return true;
    case WM_LBUTTONDOWN:
    {
        m_pointer.mouseUp = 0;
        SetCapture(hWnd());
        m_pointer.buttonDown = client;
        ClientToScreen(hWnd(), &m_pointer.buttonDown);
        if (GetFocus() != hWnd())
            SetFocus(hWnd());
        // The press takes the focus mark off the element that has it, in
        // whichever frame of the tab group that is.
        ClearFocusMark();
        if (CHtmlFlow* flow = m_document->GetFlow())
        {
            const POINT at = DocumentPoint(client);
            CClientDC window(hWnd());
            CHtmlGdiDC dc(window.get());
            for (const auto& element : m_document->GetElements())
                element->LButtonDownTree(&dc, flow, at.x, at.y, int32_t(wParam));
        }
        if (!DragFrameBorder(client) && m_frame.parent != nullptr && m_frame.parent->hWnd() != nullptr)
        {
            POINT point = client;
            MapWindowPoints(hWnd(), m_frame.parent->hWnd(), &point, 1);
            if (m_frame.parent->DragFrameBorder(point))
                m_pointer.mouseUp = 1;
        }
        return true;
    }
    case WM_LBUTTONUP:
        OnButtonUpMessage(wParam, client);
        return true;
    case WM_LBUTTONDBLCLK:
        OnDoubleClick(int32_t(wParam), client.x, client.y, this);
        return true;
    case WM_RBUTTONUP:
    {
        const POINT at = DocumentPoint(client);
        std::string target;
        const std::string link = m_document->GetLinkAt(at.x, at.y, int32_t(wParam), &target, nullptr);
        if (!link.empty())
            OnLinkMenu(link, target, this);
        return true;
    }
    default:
        return false;
    }
}

// --- events of the frames

void HtmlWnd::OnDoubleClick(int32_t keyFlags, int32_t x, int32_t y, CHtmlObject*)
{
    if (m_load.handler != nullptr)
        m_load.handler->OnDoubleClick(keyFlags, x, y, this);
}

void HtmlWnd::OnClick(int32_t keyFlags, int32_t x, int32_t y, CHtmlObject*)
{
    if (m_load.handler != nullptr)
        m_load.handler->OnClick(keyFlags, x, y, this);
}

int32_t HtmlWnd::OnDrag(int32_t x, int32_t y, int32_t previousX, int32_t previousY, std::string* frameName,
                        CHtmlObject*)
{
    int32_t result =
        m_load.handler != nullptr ? m_load.handler->OnDrag(x, y, previousX, previousY, frameName, this) : 0;
    if (result == 0 && m_load.savedHandler != nullptr)
        result = m_load.savedHandler->OnDrag(x, y, previousX, previousY, frameName, this);
    return result;
}

int32_t HtmlWnd::OnLinkMenu(std::string address, std::string target, CHtmlObject*)
{
    return m_load.handler != nullptr ? m_load.handler->OnLinkMenu(address, target, this) : 1;
}

void HtmlWnd::OnHandlerEnded(const std::string& handlerName, HtmlWnd* view, CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        m_frame.parent->OnHandlerEnded(handlerName, view, this);
    else if (m_load.handler != nullptr)
        m_load.handler->OnHandlerEnded(handlerName, view, this);
}

int32_t HtmlWnd::ReleaseHandler(const std::string& handlerName, HtmlWnd* view, CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        return m_frame.parent->ReleaseHandler(handlerName, view, this);
    return m_load.handler != nullptr ? m_load.handler->ReleaseHandler(handlerName, view, this) : 0;
}

IHtmlWndEvents* HtmlWnd::OnFrameCreated(CTagFRAME* frame, HtmlWnd* childView, CHtmlObject*)
{
    IHtmlWndEvents* answer =
        m_load.handler != nullptr ? m_load.handler->OnFrameCreated(frame, childView, this) : nullptr;
    if (answer == nullptr && m_frame.parent != nullptr &&
        m_load.handler != static_cast<IHtmlWndEvents*>(m_frame.parent))
        answer = m_frame.parent->OnFrameCreated(frame, childView, this);
    return answer;
}

void HtmlWnd::OnFrameDestroyed(CTagFRAME* frame, HtmlWnd* childView, CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        m_frame.parent->OnFrameDestroyed(frame, childView, this);
    else if (m_load.handler != nullptr)
        m_load.handler->OnFrameDestroyed(frame, childView, this);
}

void HtmlWnd::OnViewDestroyed(CTagFRAME* frame, CHtmlObject*)
{
    if (m_frame.parent != nullptr)
        m_frame.parent->OnViewDestroyed(frame, this);
    else if (m_load.handler != nullptr)
        m_load.handler->OnViewDestroyed(frame, this);
}
