// The renderer's drawing seams. Layout and painting talk to a CHtmlDC (the
// device context: measuring, fonts, colours, lines, fills, images); fonts,
// brushes and images come from the document's host (HtmlHost.h). The Windows
// half implements the device context over GDI; host tests use a fake with
// fixed font metrics.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "HtmlFontDesc.h"
#include "LayoutRect.h"

class CHtmlImageSource;
// Platform handles, declared as <windows.h> declares them.
struct HDC__;
struct HFONT__;
struct HBRUSH__;

// What an element keeps of the images it draws: the area under an animated
// transparent image, saved on its first draw after a full paint, so that
// every frame is composed over that element's own background even when the
// same cached image is shown in several places. Made by the document's host.
class CHtmlImageBackdrop
{
public:
    virtual ~CHtmlImageBackdrop() = default;
    // The element's document painted again: what was saved lies under an
    // old picture; the next draw saves anew.
    virtual void Restart() {}
};

struct HtmlTextMetrics
{
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t internalLeading = 0;
    int32_t externalLeading = 0;
    int32_t aveCharWidth = 0;
};

// Background modes, as SetBkMode takes them.
constexpr int32_t kHtmlBkTransparent = 1;
constexpr int32_t kHtmlBkOpaque = 2;

class CHtmlDC
{
public:
    virtual ~CHtmlDC() = default;

    // Size of one line of text in the current font, as DrawText measures it
    // with DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX from an empty rectangle.
    // Every byte counts, a NUL byte too.
    virtual void MeasureText(const char* text, uint32_t length, int32_t* width, int32_t* height) = 0;
    virtual HtmlTextMetrics GetMetrics() = 0;
    // Draws one line so that it stands on the box's bottom edge (TA_BOTTOM,
    // DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP); the text alignment is restored.
    virtual void DrawTextOnBottom(const char* text, uint32_t length, const LayoutRect& box) = 0;

    // The description of the current font.
    virtual FontDesc GetFontDesc() = 0;
    // Selects a font and answers the previous one (null selects nothing).
    virtual HFONT__* SelectFont(HFONT__* font) = 0;
    // The font selected now.
    virtual HFONT__* CurrentFont() = 0;
    virtual uint32_t SetTextColor(uint32_t color) = 0;
    virtual uint32_t GetTextColor() = 0;
    virtual int32_t SetBkMode(int32_t mode) = 0;

    virtual void FillRect(const LayoutRect& box, HBRUSH__* brush) = 0;
    // A solid 1-pixel line from (x1, y1) up to but not including (x2, y2); the pen is restored.
    virtual void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) = 0;
    // Inverts the pixels of a 1-pixel line (R2_NOT with a black pen): drawn
    // twice, the line is gone.
    virtual void InvertLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    // Draws a frame of an image at (x, y), stretched to width x height when
    // stretch is set; a transparent frame is composed over the backdrop's
    // saved area when one is given (null: the image's own).
    virtual void DrawImage(CHtmlImageSource* image, int32_t frame, int32_t x, int32_t y, int32_t width,
                           int32_t height, bool stretch, CHtmlImageBackdrop* backdrop) = 0;

    // Limits drawing to the box until PopClip (measuring passes draw nothing visible).
    virtual void PushClip(const LayoutRect& box) = 0;
    virtual void PopClip() = 0;

    // The platform device context, or null.
    virtual HDC__* Handle() = 0;
};

// What the view lends its document outside a paint: a device context on its
// window (hover repaints, animation and blinking on the timer) and where the
// pointer is, in document coordinates (false when it is outside the view).
class IHtmlViewSurface
{
public:
    virtual ~IHtmlViewSurface() = default;
    virtual std::unique_ptr<CHtmlDC> OpenDC() = 0;
    virtual bool GetPointer(int32_t* x, int32_t* y) = 0;
    // Something to run after the current tick or message: the view posts
    // itself a message and then calls the document's RunQueued.
    virtual void PostQueued() = 0;
};
