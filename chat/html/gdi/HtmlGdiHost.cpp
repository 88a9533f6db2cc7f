#include "HtmlGdiHost.h"

#include "HtmlImageSource.h"

HFONT__* CHtmlGdiHost::GetFont(const FontDesc& description)
{
    return m_fonts.GetFont(description);
}

void CHtmlGdiHost::ReleaseFont(HFONT__* font)
{
    m_fonts.ReleaseFont(font);
}

HBRUSH__* CHtmlGdiHost::GetBrush(uint32_t color)
{
    return m_brushes.GetBrush(color);
}

void CHtmlGdiHost::ReleaseBrush(HBRUSH__* brush)
{
    m_brushes.ReleaseBrush(brush);
}

CHtmlImageSource* CHtmlGdiHost::GetImage(const std::string& name, void* module)
{
    return m_images.GetImage(name, static_cast<HMODULE>(module));
}

void CHtmlGdiHost::ReleaseImage(CHtmlImageSource* image)
{
    m_images.ReleaseImage(image);
}

void CHtmlGdiHost::GetImageSize(CHtmlImageSource* image, int32_t* width, int32_t* height)
{
    const FdHtml::SImageRect rect = image->rect();
    *width = rect.width;
    *height = rect.height;
}

int32_t CHtmlGdiHost::GetImageFrames(CHtmlImageSource* image, uint32_t* delayMs)
{
    *delayMs = 0;
    return image->iFrameCount(delayMs);
}

bool CHtmlGdiHost::IsImageTransparent(CHtmlImageSource* image)
{
    return image->iTransparentIndex() >= 0;
}

std::unique_ptr<CHtmlImageBackdrop> CHtmlGdiHost::NewBackdrop()
{
    return std::make_unique<CHtmlGdiBackdrop>();
}
