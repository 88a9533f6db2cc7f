#include "DibImage.h"

#include "BmpDecoder.h"
#include "WinHandle.h"

#include <algorithm>
#include <cstring>

using namespace FdHtml;
using FdWin::CGdiBitmap;
using FdWin::CGdiSelection;
using FdWin::CMemoryDC;

namespace
{
// Image files are read whole; anything larger is no image of a page.
constexpr DWORD kMaxImageFileBytes = 64u * 1024 * 1024;

// A palette selected (forced to the background) and realised for the
// length of one blit, the previous one selected back after it.
class CPaletteUse
{
public:
    CPaletteUse(HDC hdc, HPALETTE hpal) : m_hdc(hdc)
    {
        if (hpal)
        {
            m_old = SelectPalette(hdc, hpal, TRUE);
            RealizePalette(hdc);
        }
    }
    ~CPaletteUse()
    {
        if (m_old)
            SelectPalette(m_hdc, m_old, TRUE);
    }
    CPaletteUse(const CPaletteUse&) = delete;
    CPaletteUse& operator=(const CPaletteUse&) = delete;

private:
    HDC m_hdc;
    HPALETTE m_old = nullptr;
};
} // namespace

CImageBackdrop::~CImageBackdrop()
{
    if (m_pImage)
        m_pImage->vForget(this);
    vDiscard();
}

void CImageBackdrop::vRestart()
{
    vDiscard();
    m_boArmed = true;
}

void CImageBackdrop::vDiscard()
{
    m_saved.boDelete();
}

CDibImage::CDibImage() = default;

CDibImage::~CDibImage()
{
    vClear();
    for (CImageBackdrop* p : m_backdrops)
        p->m_pImage = nullptr;
    m_backdrops.clear();
}

void CDibImage::vRegister(CImageBackdrop* pBackdrop)
{
    if (pBackdrop->m_pImage == this)
        return;
    if (pBackdrop->m_pImage)
    {
        // Moved to another image: what it saved lay under that one.
        pBackdrop->m_pImage->vForget(pBackdrop);
        pBackdrop->vDiscard();
    }
    pBackdrop->m_pImage = this;
    m_backdrops.push_back(pBackdrop);
}

void CDibImage::vForget(CImageBackdrop* pBackdrop)
{
    m_backdrops.erase(std::remove(m_backdrops.begin(), m_backdrops.end(), pBackdrop), m_backdrops.end());
    pBackdrop->m_pImage = nullptr;
}

bool boReadImageFile(const std::string& path, std::vector<uint8_t>* pBytes)
{
    pBytes->clear();
    FdWin::CHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
        return false;
    LARGE_INTEGER size = {};
    bool boOk = GetFileSizeEx(file.get(), &size) && size.QuadPart <= kMaxImageFileBytes;
    if (boOk)
    {
        pBytes->resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        boOk = pBytes->empty() ||
               (ReadFile(file.get(), pBytes->data(), static_cast<DWORD>(pBytes->size()), &got, nullptr) &&
                got == pBytes->size());
    }
    return boOk;
}

BOOL CDibImage::boLoadFromFile(const std::string& path)
{
    vClear();
    std::vector<uint8_t> bytes;
    if (!boReadImageFile(path, &bytes))
        return FALSE;
    return boLoadFromMemory(bytes.data(), bytes.size());
}

BOOL CDibImage::boLoadFromMemory(const uint8_t*, std::size_t)
{
    vClear();
    return FALSE;
}

BOOL CDibImage::boAdopt(const SImageResult& result, SDecodedImage&& decoded)
{
    vClear();
    if (!result.boOk())
        return FALSE;
    m_frames = std::move(decoded.frames);
    m_boWholeDib = decoded.boWholeDib;
    m_frameBitmaps.clear();
    m_frameBitmaps.resize(m_frames.size() >= 2 ? 0 : m_frames.size());
    m_boTransparent = decoded.boTransparent;
    m_bTransparentIndex = decoded.bTransparentIndex;
    m_rect = decoded.rect;
    m_dwDelayMs = decoded.dwDelayMs;
    vSetPalette(decoded.palette.data(), decoded.palette.size());
    return TRUE;
}

void CDibImage::vSetPalette(const SRgb* pColours, std::size_t count)
{
    if (m_gdiPalette || count == 0)
        return;
    count = std::min<std::size_t>(count, 256);
    std::vector<uint8_t> block(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    LOGPALETTE* pLog = reinterpret_cast<LOGPALETTE*>(block.data());
    pLog->palVersion = 0x300;
    pLog->palNumEntries = static_cast<WORD>(count);
    for (std::size_t i = 0; i < count; ++i)
        pLog->palPalEntry[i] = PALETTEENTRY{pColours[i].r, pColours[i].g, pColours[i].b, 0};
    m_gdiPalette.vAttach(CreatePalette(pLog));
    if (m_gdiPalette)
        m_palette.assign(pColours, pColours + count);
}

void CDibImage::vClear()
{
    m_frameBitmaps.clear();
    m_animationBitmap.boDelete();
    m_animationFrame = 0;
    m_frames.clear();
    m_boWholeDib = false;
    m_gdiPalette.boDelete();
    m_palette.clear();
    m_boTransparent = false;
    m_bTransparentIndex = 0;
    m_dwDelayMs = 0;
    m_rect = SImageRect();
    m_boSaveBackground = false;
    m_ownBackdrop.vDiscard();
    for (CImageBackdrop* p : m_backdrops)
    {
        p->vDiscard();
        p->m_boArmed = false;
    }
}

void CDibImage::vEndPaint()
{
    m_boSaveBackground = true;
    m_ownBackdrop.vDiscard();
    for (CImageBackdrop* p : m_backdrops)
        p->vDiscard();
}

int CDibImage::iRealizePalette(HDC hdc, bool boBackground, HPALETTE* pOld)
{
    if (pOld)
        *pOld = nullptr;
    if (!m_gdiPalette)
        return 0;
    HPALETTE old = SelectPalette(hdc, m_gdiPalette.get(), boBackground ? TRUE : FALSE);
    if (pOld)
        *pOld = old;
    const UINT changed = RealizePalette(hdc);
    return changed == GDI_ERROR ? 0 : static_cast<int>(changed);
}

std::size_t CDibImage::frameBitmaps() const
{
    std::size_t n = m_animationBitmap ? 1 : 0;
    for (const CGdiBitmap& bitmap : m_frameBitmaps)
        n += bitmap ? 1 : 0;
    return n;
}

int CDibImage::iFrameCount(uint32_t* pdwDelayMs) const
{
    if (pdwDelayMs)
        *pdwDelayMs = 0;
    if (m_frames.size() < 2)
        return 0;
    if (pdwDelayMs)
        *pdwDelayMs = m_dwDelayMs;
    return static_cast<int>(m_frames.size());
}

HBITMAP CDibImage::hbmFrame(HDC hdcTarget, std::size_t iFrame)
{
    const bool boAnimation = m_frames.size() >= 2;
    if (!boAnimation && m_frameBitmaps[iFrame])
        return m_frameBitmaps[iFrame].get();
    if (boAnimation && m_animationBitmap && m_animationFrame == iFrame)
        return m_animationBitmap.get();
    const int w = m_rect.width;
    const int h = m_rect.height;
    const BITMAPINFO* pInfo = nullptr;
    const void* pBits = nullptr;
    // GIF frames: an 8-bit header with the palette as colour quads, rows
    // bottom row first padded to 4 bytes.
    std::vector<uint8_t> info;
    std::vector<uint8_t> rows;
    const std::vector<uint8_t>& frame = m_frames[iFrame];
    if (m_boWholeDib)
    {
        // A BMP frame is drawn through its own header and colour table.
        const BITMAPINFOHEADER* pHeader = reinterpret_cast<const BITMAPINFOHEADER*>(frame.data());
        pInfo = reinterpret_cast<const BITMAPINFO*>(frame.data());
        // Bit fields: the three colour masks come before the table.
        const std::size_t masks = pHeader->biCompression == BI_BITFIELDS ? kBmpMasksSize : 0;
        pBits = frame.data() + kBmpInfoHeaderSize + masks + pHeader->biClrUsed * sizeof(RGBQUAD);
    }
    else
    {
        info.assign(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
        BITMAPINFO* pMade = reinterpret_cast<BITMAPINFO*>(info.data());
        pMade->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        pMade->bmiHeader.biWidth = w;
        pMade->bmiHeader.biHeight = h;
        pMade->bmiHeader.biPlanes = 1;
        pMade->bmiHeader.biBitCount = 8;
        pMade->bmiHeader.biCompression = BI_RGB;
        // No palette at all: 256 black entries rather than a short table.
        pMade->bmiHeader.biClrUsed = m_palette.empty() ? 256 : static_cast<DWORD>(m_palette.size());
        for (std::size_t i = 0; i < m_palette.size(); ++i)
            pMade->bmiColors[i] = RGBQUAD{m_palette[i].b, m_palette[i].g, m_palette[i].r, 0};
        const std::size_t stride = (static_cast<std::size_t>(w) + 3) & ~std::size_t{3};
        rows.assign(stride * static_cast<std::size_t>(h), 0);
        for (int y = 0; y < h; ++y)
            std::memcpy(rows.data() + (static_cast<std::size_t>(h - 1 - y)) * stride,
                        frame.data() + static_cast<std::size_t>(y) * w, static_cast<std::size_t>(w));
        pInfo = pMade;
        pBits = rows.data();
    }
    // An animation refills its one bitmap; anything else gets a new one,
    // deleted again when the frame cannot be put in it.
    CGdiBitmap made;
    HBITMAP hbm = boAnimation ? m_animationBitmap.get() : nullptr;
    if (hbm == nullptr)
    {
        made.vAttach(CreateCompatibleBitmap(hdcTarget, w, h));
        hbm = made.get();
    }
    CMemoryDC dc(hdcTarget);
    if (!hbm || !dc.get())
        return nullptr;
    {
        CGdiSelection select(dc.get(), hbm);
        CPaletteUse palette(dc.get(), m_gdiPalette.get());
        SetDIBitsToDevice(dc.get(), 0, 0, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0,
                          static_cast<UINT>(h), pBits, pInfo, DIB_RGB_COLORS);
    }
    if (boAnimation)
    {
        if (made)
            m_animationBitmap = std::move(made);
        m_animationFrame = iFrame;
    }
    else
        m_frameBitmaps[iFrame] = std::move(made);
    return hbm;
}

int CDibImage::iDraw(HDC hdc, int x, int y, int width, int height, int iFrame, bool boBackgroundPalette,
                     CImageBackdrop* pOwner)
{
    if (iFrame < 0 || static_cast<std::size_t>(iFrame) >= m_frames.size() || m_rect.width <= 0 ||
        m_rect.height <= 0)
        return 0;
    if (width == 0)
        width = m_rect.width;
    if (height == 0)
        height = m_rect.height;
    HPALETTE hOldPalette = nullptr;
    iRealizePalette(hdc, boBackgroundPalette, &hOldPalette);
    HBITMAP hbm = hbmFrame(hdc, static_cast<std::size_t>(iFrame));
    int drawn = 0;
    if (hbm && !m_boTransparent)
    {
        CMemoryDC dc(hdc);
        if (dc.get())
        {
            CGdiSelection select(dc.get(), hbm);
            if (width == m_rect.width && height == m_rect.height)
                drawn = BitBlt(hdc, x, y, width, height, dc.get(), 0, 0, SRCCOPY) ? 1 : 0;
            else
                drawn =
                    StretchBlt(hdc, x, y, width, height, dc.get(), 0, 0, m_rect.width, m_rect.height, SRCCOPY)
                        ? 1
                        : 0;
        }
    }
    else if (hbm)
    {
        CImageBackdrop* pBackdrop = pOwner ? pOwner : &m_ownBackdrop;
        if (pBackdrop != &m_ownBackdrop)
            vRegister(pBackdrop);
        if (!pBackdrop->m_saved && (m_boSaveBackground || pBackdrop->m_boArmed) && m_frames.size() >= 2)
        {
            // The requested size, but never less than the frame composed
            // over it: a smaller one would leave part of the frame over
            // undefined pixels.
            const int savedWidth = std::max(width, m_rect.width);
            const int savedHeight = std::max(height, m_rect.height);
            CGdiBitmap saved(CreateCompatibleBitmap(hdc, savedWidth, savedHeight));
            CMemoryDC dc(hdc);
            if (saved && dc.get())
            {
                {
                    CGdiSelection select(dc.get(), saved.get());
                    BitBlt(dc.get(), 0, 0, savedWidth, savedHeight, hdc, x, y, SRCCOPY);
                }
                pBackdrop->m_saved = std::move(saved);
            }
        }
        HPALETTE hPrev = SelectPalette(
            hdc, m_gdiPalette ? m_gdiPalette.get() : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)),
            TRUE);
        RealizePalette(hdc);
        const COLORREF crTransparent = GetNearestColor(hdc, PALETTEINDEX(m_bTransparentIndex));
        vDrawMasked(hdc, hbm, pBackdrop->m_saved.get(), x, y, crTransparent);
        SelectPalette(hdc, hPrev, TRUE);
        drawn = 1;
    }
    if (hOldPalette)
        SelectPalette(hdc, hOldPalette, boBackgroundPalette ? TRUE : FALSE);
    return drawn;
}

void CDibImage::vDrawMasked(HDC hdc, HBITMAP hbmFrame, HBITMAP hbmBackground, int x, int y,
                            COLORREF crTransparent)
{
    CMemoryDC src(hdc);
    CMemoryDC back(hdc);
    CMemoryDC object(hdc);
    CMemoryDC work(hdc);
    CMemoryDC copy(hdc);
    CMemoryDC saved(hdc);
    if (!src.get() || !back.get() || !object.get() || !work.get() || !copy.get() || !saved.get())
        return;
    CGdiSelection selectFrame(src.get(), hbmFrame);
    BITMAP bm = {};
    GetObject(hbmFrame, sizeof bm, &bm);
    POINT size = {bm.bmWidth, bm.bmHeight};
    DPtoLP(src.get(), &size, 1);
    const int w = size.x;
    const int h = size.y;

    CGdiBitmap hbmBack(CreateBitmap(w, h, 1, 1, nullptr));
    CGdiBitmap hbmObject(CreateBitmap(w, h, 1, 1, nullptr));
    CGdiBitmap hbmWork(CreateCompatibleBitmap(hdc, w, h));
    CGdiBitmap hbmCopy(CreateCompatibleBitmap(hdc, w, h));
    if (!hbmBack.get() || !hbmObject.get() || !hbmWork.get() || !hbmCopy.get())
        return;
    CGdiSelection selectBack(back.get(), hbmBack.get());
    CGdiSelection selectObject(object.get(), hbmObject.get());
    CGdiSelection selectWork(work.get(), hbmWork.get());
    CGdiSelection selectCopy(copy.get(), hbmCopy.get());
    CPaletteUse srcPalette(src.get(), m_gdiPalette.get());
    SetMapMode(src.get(), GetMapMode(hdc));

    // Keep the cached frame whole: it is restored from this copy at the end.
    {
        CPaletteUse p(copy.get(), m_gdiPalette.get());
        BitBlt(copy.get(), 0, 0, w, h, src.get(), 0, 0, SRCCOPY);
    }
    // Object mask: 1 where the frame has the transparent colour.
    const COLORREF crOldBk = SetBkColor(src.get(), crTransparent);
    BitBlt(object.get(), 0, 0, w, h, src.get(), 0, 0, SRCCOPY);
    SetBkColor(src.get(), crOldBk);
    BitBlt(back.get(), 0, 0, w, h, object.get(), 0, 0, NOTSRCCOPY);
    {
        CPaletteUse p(work.get(), m_gdiPalette.get());
        if (hbmBackground)
        {
            CGdiSelection selectSaved(saved.get(), hbmBackground);
            BitBlt(work.get(), 0, 0, w, h, saved.get(), 0, 0, SRCCOPY);
        }
        else
            BitBlt(work.get(), 0, 0, w, h, hdc, x, y, SRCCOPY);
        // Clear the places of the opaque pixels...
        BitBlt(work.get(), 0, 0, w, h, object.get(), 0, 0, SRCAND);
    }
    // ...clear the transparent pixels of the frame, lay it over the
    // background, and put the result on the target.
    BitBlt(src.get(), 0, 0, w, h, back.get(), 0, 0, SRCAND);
    {
        CPaletteUse p(work.get(), m_gdiPalette.get());
        BitBlt(work.get(), 0, 0, w, h, src.get(), 0, 0, SRCPAINT);
    }
    BitBlt(hdc, x, y, w, h, work.get(), 0, 0, SRCCOPY);
    {
        CPaletteUse p(copy.get(), m_gdiPalette.get());
        BitBlt(src.get(), 0, 0, w, h, copy.get(), 0, 0, SRCCOPY);
    }
}
