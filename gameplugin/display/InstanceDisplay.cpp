#include "InstanceDisplay.h"

#include "PlugInst.h"
#include "ProgressGeometry.h"

#include <cmath>
#include <cstring>

int CInstanceDisplay::s_iRedirectDepth = 0;

namespace
{
constexpr size_t kFaceCopyMax = LF_FACESIZE - 1;
constexpr double kMmPerInch = 25.4;
constexpr int kPointsPerInch = 72;
constexpr int kWeightBold = 700;
constexpr int32_t kFontBold = 1, kFontItalic = 2, kFontUnderline = 4, kFontStrikeOut = 8;

RECT rcFrom(const ProgressGeometry::SRect& r)
{
    return RECT{r.left, r.top, r.right, r.bottom};
}
} // namespace

CInstanceDisplay::~CInstanceDisplay()
{
    vForgetFont();
}

void CInstanceDisplay::vForgetFont()
{
    if (m_hFont)
        DeleteObject(m_hFont);
    m_hFont = nullptr;
    m_hdcCached = nullptr;
}

HFONT CInstanceDisplay::EzCreateFont(HDC hdc, const CFontTextRecord& font, bool boLogicalResolution)
{
    const int iSaved = SaveDC(hdc);
    SetGraphicsMode(hdc, GM_ADVANCED);
    ModifyWorldTransform(hdc, nullptr, MWT_IDENTITY);
    SetViewportOrgEx(hdc, 0, 0, nullptr);
    SetWindowOrgEx(hdc, 0, 0, nullptr);
    double dDpiY;
    if (boLogicalResolution)
        dDpiY = GetDeviceCaps(hdc, LOGPIXELSY);
    else
    {
        const int iSize = GetDeviceCaps(hdc, VERTSIZE);
        dDpiY = iSize ? GetDeviceCaps(hdc, VERTRES) * kMmPerInch / iSize : 0;
    }
    POINT pt = {0, static_cast<LONG>(font.lFirst * dDpiY / kPointsPerInch)};
    DPtoLP(hdc, &pt, 1);
    LOGFONTA lf = {};
    lf.lfHeight = -static_cast<LONG>(std::fabs(static_cast<double>(pt.y)) / 10 + 0.5);
    lf.lfWeight = (font.lThird & kFontBold) ? kWeightBold : 0;
    lf.lfItalic = (font.lThird & kFontItalic) ? 1 : 0;
    lf.lfUnderline = (font.lThird & kFontUnderline) ? 1 : 0;
    lf.lfStrikeOut = (font.lThird & kFontStrikeOut) ? 1 : 0;
    std::strncpy(lf.lfFaceName, font.szFace, kFaceCopyMax);
    HFONT hFont = CreateFontIndirectA(&lf);
    RestoreDC(hdc, iSaved);
    return hFont;
}

void CInstanceDisplay::vPrepareDC(HDC hdc)
{
    if (!hdc || hdc == m_hdcCached)
        return;
    vForgetFont();
    m_hdcCached = hdc;
    if (m_inst.fontGet().szFace[0])
        m_hFont = EzCreateFont(hdc, m_inst.fontGet(), true);
    HGDIOBJ hOld = m_hFont ? SelectObject(hdc, m_hFont) : nullptr;
    TEXTMETRICA tm = {};
    if (GetTextMetricsA(hdc, &tm))
        m_inst.vSetLineHeight(tm.tmHeight);
    if (hOld)
        SelectObject(hdc, hOld);
}

void CInstanceDisplay::vFillBackground(HDC hdc, const RECT& rc) const
{
    HBRUSH hBrush = CreateSolidBrush(m_inst.crGetBackground());
    FillRect(hdc, &rc, hBrush);
    DeleteObject(hBrush);
}

void CInstanceDisplay::vDrawContent(HDC hdc, const RECT& rc)
{
    SetBkColor(hdc, m_inst.crGetBackground());
    SetTextColor(hdc, m_inst.crGetText());
    if (m_hFont)
        SelectObject(hdc, m_hFont);
    const int32_t iLine = m_inst.iGetLineHeight();
    for (uint32_t i = 0; i < CPlugInst::kMessageCount; ++i)
        if (const char* lpsz = m_inst.lpszGetMessage(i))
            TextOutA(hdc, 0, static_cast<int>(i * iLine), lpsz, static_cast<int>(std::strlen(lpsz)));
    if (m_inst.boGetShowProgress())
    {
        const uint32_t ulCells = ProgressGeometry::ulCellCount(m_inst.dwGetWidth());
        const ProgressGeometry::SRect bar =
            ProgressGeometry::rcBar(m_inst.dwGetWidth(), m_inst.dwGetHeight());
        const uint32_t ulDrawn = ProgressGeometry::ulDrawnCells(m_inst.dwGetLitCells(), ulCells);
        for (uint32_t i = 0; i < ulDrawn; ++i)
        {
            const RECT rcCell = rcFrom(ProgressGeometry::rcCell(bar, i));
            FillRect(hdc, &rcCell, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(kHighlightBrush)));
        }
    }
    if (HENHMETAFILE hPicture = m_inst.hGetPicture())
        PlayEnhMetaFile(hdc, hPicture, &rc);
    SelectObject(hdc, GetStockObject(SYSTEM_FONT));
}

void CInstanceDisplay::vRepaint(HWND hwnd, const RECT* lprc)
{
    if (!m_inst.strGetRedirect().empty())
    {
        const RECT rc = lprc ? *lprc
                             : RECT{0, 0, static_cast<LONG>(m_inst.dwGetWidth()),
                                    static_cast<LONG>(m_inst.dwGetHeight())};
        HDC hdc = GetDC(hwnd);
        vPaint(hdc, rc);
        ReleaseDC(hwnd, hdc);
        return;
    }
    if (hwnd)
    {
        InvalidateRect(hwnd, lprc, TRUE);
        UpdateWindow(hwnd);
    }
}

void CInstanceDisplay::vPaintWindow(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    vPaint(hdc, rc);
    EndPaint(hwnd, &ps);
}

void CInstanceDisplay::vEraseWindow(HWND hwnd, HDC hdc) const
{
    RECT rc = {};
    GetClientRect(hwnd, &rc);
    vFillBackground(hdc, rc);
}

void CInstanceDisplay::vPaint(HDC hdc, const RECT& rc)
{
    const bool boRedirect = !m_inst.strGetRedirect().empty();
    if (!boRedirect)
    {
        if (m_inst.hGetWindow())
            vPrepareDC(hdc);
        vDrawContent(hdc, rc);
        return;
    }
    // The drawing goes into a picture for the named instance.
    const RECT rcAll = {0, 0, static_cast<LONG>(m_inst.dwGetWidth()),
                        static_cast<LONG>(m_inst.dwGetHeight())};
    HDC hdcMeta = CreateEnhMetaFileA(hdc, nullptr, nullptr, nullptr);
    if (!hdcMeta)
        return;
    vFillBackground(hdcMeta, rcAll);
    if (m_inst.hGetWindow())
        vPrepareDC(hdcMeta);
    vDrawContent(hdcMeta, rc);
    vForgetFont(); // the metafile context goes now
    vHandRedirect(CloseEnhMetaFile(hdcMeta));
}

void CInstanceDisplay::vHandRedirect(HENHMETAFILE hPicture)
{
    if (!hPicture)
        return;
    CPlugInst* lpTarget = CPlugInst::lpFindInstanceByName(m_inst.strGetRedirect().c_str());
    if (!lpTarget || lpTarget == &m_inst || s_iRedirectDepth >= kRedirectDepthMax)
    {
        DeleteEnhMetaFile(hPicture);
        return;
    }
    lpTarget->vSetPicture(hPicture);
    ++s_iRedirectDepth;
    lpTarget->vRepaint(nullptr);
    --s_iRedirectDepth;
}
