#include "HtmlImageSource.h"

#include "BmpImage.h"
#include "GifDecoder.h"
#include "GifImage.h"

#include <vector>

using namespace FdHtml;

namespace
{
HMODULE g_hResourceModule = nullptr;
} // namespace

void vSetImageResourceModule(HMODULE hModule)
{
    g_hResourceModule = hModule;
}

HMODULE hImageResourceModule()
{
    return g_hResourceModule ? g_hResourceModule : GetModuleHandleA(nullptr);
}

BOOL CHtmlImageSource::boDecode(EImageKind kind, const uint8_t* p, std::size_t n)
{
    if (kind == kImageGif)
        m_image.reset(new CGifImage);
    else if (kind == kImageBmp)
        m_image.reset(new CBmpImage);
    else
        return FALSE;
    m_kind = kind;
    m_image->boLoadFromMemory(p, n);
    return TRUE;
}

BOOL CHtmlImageSource::boLoadFromFile(const std::string& path)
{
    m_image.reset();
    m_kind = kImageUnknown;
    std::vector<uint8_t> bytes;
    if (!boReadImageFile(path, &bytes))
        return FALSE;
    EImageKind kind = imageKindByName(path);
    if (kind == kImageUnknown && bytes.size() > 6 && boIsGifSignature(bytes.data(), bytes.size()))
        kind = kImageGif;
    return boDecode(kind, bytes.data(), bytes.size());
}

BOOL CHtmlImageSource::boLoadFromResource(const std::string& name, HMODULE hModule)
{
    m_image.reset();
    m_kind = kImageUnknown;
    if (!hModule)
        hModule = hImageResourceModule();
    HRSRC hRes = FindResourceA(hModule, name.c_str(), "IMAGE");
    if (!hRes)
        return FALSE;
    HGLOBAL hLoaded = LoadResource(hModule, hRes);
    const DWORD size = SizeofResource(hModule, hRes);
    const void* pData = hLoaded ? LockResource(hLoaded) : nullptr;
    if (!pData)
        return FALSE;
    // A copy of its own: resource data are read-only and live with the module.
    const std::vector<uint8_t> bytes(static_cast<const uint8_t*>(pData),
                                     static_cast<const uint8_t*>(pData) + size);
    return boDecode(imageKindByName(name), bytes.data(), bytes.size());
}

int CHtmlImageSource::iDraw(HDC hdc, int x, int y, int iFrame, CImageBackdrop* pOwner,
                            bool boBackgroundPalette)
{
    return m_image ? m_image->iDraw(hdc, x, y, 0, 0, iFrame, boBackgroundPalette, pOwner) : 0;
}

int CHtmlImageSource::iDrawStretched(HDC hdc, const RECT& rc, int iFrame, CImageBackdrop* pOwner,
                                     bool boBackgroundPalette)
{
    return m_image ? m_image->iDraw(hdc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, iFrame,
                                    boBackgroundPalette, pOwner)
                   : 0;
}

int CHtmlImageSource::iRealizePalette(HDC hdc, bool boBackground)
{
    return m_image ? m_image->iRealizePalette(hdc, boBackground) : 0;
}

HPALETTE CHtmlImageSource::hGetPalette() const
{
    return m_image ? m_image->hGetPalette() : nullptr;
}

SImageRect CHtmlImageSource::rect() const
{
    return m_image ? m_image->rect() : SImageRect();
}

int CHtmlImageSource::iFrameCount(uint32_t* pdwDelayMs) const
{
    if (!m_image)
    {
        if (pdwDelayMs)
            *pdwDelayMs = 0;
        return 0;
    }
    return m_image->iFrameCount(pdwDelayMs);
}

int CHtmlImageSource::iTransparentIndex() const
{
    return m_image ? m_image->iTransparentIndex() : -1;
}

void CHtmlImageSource::vEndPaint()
{
    if (m_image)
        m_image->vEndPaint();
}
