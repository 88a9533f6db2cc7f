// The drawing seams over GDI: CHtmlGdiDC draws into a device context and
// puts back, when it goes, the font it found selected and any clip it
// pushed.
#pragma once

#include <windows.h>

#include "HtmlDC.h"

class CHtmlGdiDC : public CHtmlDC
{
public:
    // Borrows hdc: the caller keeps it and releases it after this object.
    explicit CHtmlGdiDC(HDC hdc);
    ~CHtmlGdiDC() override;
    CHtmlGdiDC(const CHtmlGdiDC&) = delete;
    CHtmlGdiDC& operator=(const CHtmlGdiDC&) = delete;

    void MeasureText(const char* text, uint32_t length, int32_t* width, int32_t* height) override;
    HtmlTextMetrics GetMetrics() override;
    void DrawTextOnBottom(const char* text, uint32_t length, const LayoutRect& box) override;
    FontDesc GetFontDesc() override;
    HFONT__* SelectFont(HFONT__* font) override;
    HFONT__* CurrentFont() override;
    uint32_t SetTextColor(uint32_t color) override;
    uint32_t GetTextColor() override;
    int32_t SetBkMode(int32_t mode) override;
    void FillRect(const LayoutRect& box, HBRUSH__* brush) override;
    void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) override;
    void InvertLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void DrawImage(CHtmlImageSource* image, int32_t frame, int32_t x, int32_t y, int32_t width, int32_t height,
                   bool stretch, CHtmlImageBackdrop* backdrop) override;
    void PushClip(const LayoutRect& box) override;
    void PopClip() override;
    HDC__* Handle() override { return m_hdc; }

private:
    HDC m_hdc;
    HGDIOBJ m_originalFont;
    int m_clips = 0;
};

// Holds a window's device context (released last, after the drawing seam).
struct HtmlWindowDCHolder
{
    explicit HtmlWindowDCHolder(HWND hWnd) : window(hWnd), hdc(GetDC(hWnd)) {}
    ~HtmlWindowDCHolder()
    {
        if (hdc != nullptr)
            ReleaseDC(window, hdc);
    }
    HtmlWindowDCHolder(const HtmlWindowDCHolder&) = delete;
    HtmlWindowDCHolder& operator=(const HtmlWindowDCHolder&) = delete;
    HWND window;
    HDC hdc;
};

// A drawing seam on a window's client area, its device context held while it lives.
class CHtmlWindowGdiDC : private HtmlWindowDCHolder, public CHtmlGdiDC
{
public:
    explicit CHtmlWindowGdiDC(HWND hWnd) : HtmlWindowDCHolder(hWnd), CHtmlGdiDC(hdc) {}
};
