#include "HtmlGdiDC.h"

#include "FontDesc.h"
#include "GdiObject.h"
#include "HtmlGdiHost.h"
#include "HtmlImageSource.h"

namespace
{
RECT ToRect(const LayoutRect& box)
{
    return RECT{box.left, box.top, box.right, box.bottom};
}
} // namespace

CHtmlGdiDC::CHtmlGdiDC(HDC hdc) : m_hdc(hdc), m_originalFont(GetCurrentObject(hdc, OBJ_FONT)) {}

CHtmlGdiDC::~CHtmlGdiDC()
{
    while (m_clips > 0)
        PopClip();
    SelectObject(m_hdc, m_originalFont);
}

void CHtmlGdiDC::MeasureText(const char* text, uint32_t length, int32_t* width, int32_t* height)
{
    RECT rc = {0, 0, 0, 0};
    // DrawTextA takes the count as given: a NUL byte is measured like any other.
    DrawTextA(m_hdc, text, int(length), &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    *width = rc.right - rc.left;
    *height = rc.bottom - rc.top;
}

HtmlTextMetrics CHtmlGdiDC::GetMetrics()
{
    TEXTMETRICA tm = {};
    GetTextMetricsA(m_hdc, &tm);
    HtmlTextMetrics metrics;
    metrics.height = tm.tmHeight;
    metrics.ascent = tm.tmAscent;
    metrics.descent = tm.tmDescent;
    metrics.internalLeading = tm.tmInternalLeading;
    metrics.externalLeading = tm.tmExternalLeading;
    metrics.aveCharWidth = tm.tmAveCharWidth;
    return metrics;
}

void CHtmlGdiDC::DrawTextOnBottom(const char* text, uint32_t length, const LayoutRect& box)
{
    const UINT previous = SetTextAlign(m_hdc, TA_BOTTOM);
    RECT rc = {box.left, box.bottom, box.right, box.bottom};
    DrawTextA(m_hdc, text, int(length), &rc, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    SetTextAlign(m_hdc, previous);
}

FontDesc CHtmlGdiDC::GetFontDesc()
{
    return FontDescFromDC(m_hdc);
}

HFONT__* CHtmlGdiDC::SelectFont(HFONT__* font)
{
    if (font == nullptr)
        return nullptr;
    return static_cast<HFONT>(SelectObject(m_hdc, font));
}

uint32_t CHtmlGdiDC::SetTextColor(uint32_t color)
{
    return ::SetTextColor(m_hdc, color);
}

uint32_t CHtmlGdiDC::GetTextColor()
{
    return ::GetTextColor(m_hdc);
}

int32_t CHtmlGdiDC::SetBkMode(int32_t mode)
{
    return ::SetBkMode(m_hdc, mode == kHtmlBkTransparent ? TRANSPARENT : OPAQUE) == TRANSPARENT
               ? kHtmlBkTransparent
               : kHtmlBkOpaque;
}

void CHtmlGdiDC::FillRect(const LayoutRect& box, HBRUSH__* brush)
{
    const RECT rc = ToRect(box);
    ::FillRect(m_hdc, &rc, brush);
}

void CHtmlGdiDC::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color)
{
    const FdWin::CGdiPen pen(CreatePen(PS_SOLID, 1, color));
    if (!pen)
        return;
    FdWin::CGdiSelection select(m_hdc, pen.get());
    MoveToEx(m_hdc, x1, y1, nullptr);
    LineTo(m_hdc, x2, y2);
}

void CHtmlGdiDC::InvertLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const FdWin::CGdiPen pen(CreatePen(PS_SOLID, 1, 0x02000000));
    if (!pen)
        return;
    const int previousMode = SetROP2(m_hdc, R2_NOT);
    {
        FdWin::CGdiSelection select(m_hdc, pen.get());
        MoveToEx(m_hdc, x1, y1, nullptr);
        LineTo(m_hdc, x2, y2);
    }
    SetROP2(m_hdc, previousMode);
}

void CHtmlGdiDC::DrawImage(CHtmlImageSource* image, int32_t frame, int32_t x, int32_t y, int32_t width,
                           int32_t height, bool stretch, CHtmlImageBackdrop* backdrop)
{
    if (image == nullptr)
        return;
    auto* owner = dynamic_cast<CHtmlGdiBackdrop*>(backdrop);
    CImageBackdrop* record = owner != nullptr ? &owner->backdrop : nullptr;
    if (stretch)
    {
        const RECT rc = {x, y, x + width, y + height};
        image->iDrawStretched(m_hdc, rc, frame, record);
    }
    else
        image->iDraw(m_hdc, x, y, frame, record);
}

HFONT__* CHtmlGdiDC::CurrentFont()
{
    return static_cast<HFONT>(GetCurrentObject(m_hdc, OBJ_FONT));
}

void CHtmlGdiDC::PushClip(const LayoutRect& box)
{
    SaveDC(m_hdc);
    IntersectClipRect(m_hdc, box.left, box.top, box.right, box.bottom);
    ++m_clips;
}

void CHtmlGdiDC::PopClip()
{
    if (m_clips == 0)
        return;
    RestoreDC(m_hdc, -1);
    --m_clips;
}
