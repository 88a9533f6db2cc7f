#pragma once
// What one plug-in instance shows in its window: background, the 50 status
// lines, the progress bar (lit cells counted by the instance) and the picture.
// Owned by the host beside its CPlugInst; runs on the host's thread.
#include "PageTextParsers.h"

#include <windows.h>

#include <cstdint>

class CPlugInst;

class CInstanceDisplay
{
public:
    static constexpr int kHighlightBrush = COLOR_HIGHLIGHT + 1;
    static constexpr int kRedirectDepthMax = 4; // redirect chains longer than this are cut

    explicit CInstanceDisplay(CPlugInst& inst) : m_inst(inst) {}
    ~CInstanceDisplay();
    CInstanceDisplay(const CInstanceDisplay&) = delete;
    CInstanceDisplay& operator=(const CInstanceDisplay&) = delete;

    // Draws the instance into the context over the rectangle; with a redirect
    // name the drawing becomes the named instance's picture instead.
    void vPaint(HDC hdc, const RECT& rc);
    // Shows a change of the rectangle (null: all): with a redirect name it is
    // drawn at once into the named instance's picture; otherwise the host's
    // window (when there is one) is invalidated and updated.
    void vRepaint(HWND hwnd, const RECT* lprc);
    // A host window's WM_PAINT (over its client area) and WM_ERASEBKGND.
    void vPaintWindow(HWND hwnd);
    void vEraseWindow(HWND hwnd, HDC hdc) const;
    // Makes the font (or measures the text height) for a new context.
    void vPrepareDC(HDC hdc);
    void vFillBackground(HDC hdc, const RECT& rc) const;
    // Height of the font record in a context (tenths of a point, bits 1 bold,
    // 2 italic, 4 underline, 8 strike-out); null when it cannot be made.
    static HFONT EzCreateFont(HDC hdc, const CFontTextRecord& font, bool boLogicalResolution);

private:
    void vDrawContent(HDC hdc, const RECT& rc);
    void vHandRedirect(HENHMETAFILE hPicture);
    void vForgetFont();

    CPlugInst& m_inst;
    HDC m_hdcCached = nullptr;
    HFONT m_hFont = nullptr;
    static int s_iRedirectDepth; // breaks redirect cycles
};
