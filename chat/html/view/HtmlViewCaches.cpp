#include "HtmlViewCaches.h"

#include "FontCache.h"
#include "ImageCache.h"
#include "WindowDC.h"

CHtmlViewCaches::CHtmlViewCaches() = default;

// The fonts go first, then the brushes, the images last.
CHtmlViewCaches::~CHtmlViewCaches() = default;

void CHtmlViewCaches::Create()
{
    if (m_images == nullptr)
        m_images = std::make_unique<CImageCache>(false);
    if (m_brushes == nullptr)
        m_brushes = std::make_unique<CBrushCache>(false);
    if (m_fonts == nullptr)
        m_fonts = std::make_unique<CFontCache>(false);
}

CHtmlImageSource* CHtmlViewCaches::GetImage(const std::string& name, HMODULE module)
{
    return m_images != nullptr ? m_images->GetImage(name, module) : nullptr;
}

void CHtmlViewCaches::ReleaseImage(CHtmlImageSource* image)
{
    if (m_images != nullptr)
        m_images->ReleaseImage(image);
}

HBRUSH CHtmlViewCaches::GetBrush(uint32_t color)
{
    return m_brushes != nullptr ? m_brushes->GetBrush(color) : nullptr;
}

void CHtmlViewCaches::ReleaseBrush(HBRUSH brush)
{
    if (m_brushes != nullptr)
        m_brushes->ReleaseBrush(brush);
}

HFONT CHtmlViewCaches::GetFont(const FontDesc* description)
{
    return m_fonts != nullptr && description != nullptr ? m_fonts->GetFont(*description) : nullptr;
}

void CHtmlViewCaches::ReleaseFont(HFONT font)
{
    if (m_fonts != nullptr)
        m_fonts->ReleaseFont(font);
}

void CHtmlViewCaches::RealizePalettes(HWND window)
{
    if (m_images == nullptr)
        return;
    CWindowDC dc(window);
    m_images->RealizePalettes(dc.get(), false);
}
