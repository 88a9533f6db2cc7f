// The renderer's image: frames of 8-bit palette pixels (GIF) or one whole
// device-independent bitmap (BMP), the palette, geometry, animation and
// transparency, and the drawing of a frame into a device context.
#pragma once

#include "DecodedImage.h"

#include <windows.h>

#include "GdiObject.h"

#include <string>
#include <vector>

class CDibImage;

// Reads a whole image file (opened for shared reading, existing only); false
// when it cannot be opened or read, or is over 64 MB.
bool boReadImageFile(const std::string& path, std::vector<uint8_t>* pBytes);

// The screen area under an animated transparent image, saved by the element
// that draws it: every frame is composed over it, so that frames don't pile
// up, and two elements showing the same cached image keep their own. The
// image's end-of-paint step discards it; the next draw saves it again.
class CImageBackdrop
{
public:
    CImageBackdrop() = default;
    ~CImageBackdrop();
    CImageBackdrop(const CImageBackdrop&) = delete;
    CImageBackdrop& operator=(const CImageBackdrop&) = delete;

    bool boSaved() const { return m_saved.get() != nullptr; }
    // The owner's own end of paint: what was saved is discarded, and the
    // next draw saves again, whatever other owners of the image do.
    void vRestart();

private:
    friend class CDibImage;
    void vDiscard();

    CDibImage* m_pImage = nullptr; // the image it is registered with
    FdWin::CGdiBitmap m_saved;     // the area under the image
    bool m_boArmed = false;        // restarted: the next draw saves
};

class CDibImage
{
public:
    CDibImage();
    virtual ~CDibImage();
    CDibImage(const CDibImage&) = delete;
    CDibImage& operator=(const CDibImage&) = delete;

    // Reads the file and loads its bytes; FALSE when it cannot be read or
    // does not decode.
    virtual BOOL boLoadFromFile(const std::string& path);
    // Loads from a memory block (the whole file's bytes). A further load
    // clears first; a failure leaves the image empty.
    virtual BOOL boLoadFromMemory(const uint8_t* p, std::size_t n);
    // Makes the palette from colour triples, only when none exists yet.
    virtual void vSetPalette(const FdHtml::SRgb* pColours, std::size_t count);
    // Frees frames, cached bitmaps and palette; zeroes transparency and
    // delay; discards every saved background; no background is saved until
    // the next end of paint.
    virtual void vClear();
    // Draws frame iFrame at (x, y). A width or height of 0 means the
    // image's own. Opaque frames are copied or stretched to the size; a
    // transparent frame is drawn at its own size over the owner's saved
    // background (or over the target when none). pOwner null: the image's
    // own backdrop. Answers 1 when something was drawn.
    virtual int iDraw(HDC hdc, int x, int y, int width, int height, int iFrame, bool boBackgroundPalette,
                      CImageBackdrop* pOwner);

    // Selects and realises the palette; the previous palette out (may be
    // null). Answers RealizePalette's count, 0 without a palette.
    int iRealizePalette(HDC hdc, bool boBackground, HPALETTE* pOld = nullptr);
    HPALETTE hGetPalette() const { return m_gdiPalette.get(); }
    // 0 when fewer than 2 frames (not animated), else the frame count with
    // the delay out.
    int iFrameCount(uint32_t* pdwDelayMs) const;
    int iTransparentIndex() const { return m_boTransparent ? m_bTransparentIndex : -1; }
    FdHtml::SImageRect rect() const { return m_rect; }
    std::size_t frames() const { return m_frames.size(); }
    // GDI bitmaps the image holds for its frames.
    std::size_t frameBitmaps() const;
    // Painting is over: every saved background is discarded, and from now
    // on a draw without one saves what lies under it.
    void vEndPaint();

protected:
    // Takes a decoder's output; FALSE (and an empty image) when it failed.
    BOOL boAdopt(const FdHtml::SImageResult& result, FdHtml::SDecodedImage&& decoded);

private:
    friend class CImageBackdrop;
    HBITMAP hbmFrame(HDC hdcTarget, std::size_t iFrame);
    void vDrawMasked(HDC hdc, HBITMAP hbmFrame, HBITMAP hbmBackground, int x, int y, COLORREF crTransparent);
    void vForget(CImageBackdrop* pBackdrop);
    void vRegister(CImageBackdrop* pBackdrop);

    std::vector<std::vector<uint8_t>> m_frames;
    bool m_boWholeDib = false;
    // Device-dependent copies made on first draw: one per frame of a still
    // image; an animation keeps a single one, refilled when another frame
    // is drawn, so that its frames don't hold a GDI object each.
    std::vector<FdWin::CGdiBitmap> m_frameBitmaps;
    FdWin::CGdiBitmap m_animationBitmap;
    std::size_t m_animationFrame = 0; // the frame m_animationBitmap holds
    bool m_boTransparent = false;
    uint8_t m_bTransparentIndex = 0;
    FdHtml::SImageRect m_rect;
    uint32_t m_dwDelayMs = 0;
    FdWin::CGdiPalette m_gdiPalette;
    std::vector<FdHtml::SRgb> m_palette;
    bool m_boSaveBackground = false;
    CImageBackdrop m_ownBackdrop;
    std::vector<CImageBackdrop*> m_backdrops; // registered, not owned
};
