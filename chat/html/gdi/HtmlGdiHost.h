// CHtmlGdiHost: the document host of the view. Files and resources come
// from the Windows host; fonts, brushes and images from the renderer's
// process-wide caches, so that every view of the process shares them.
#pragma once

#include "DibImage.h"
#include "FontCache.h"
#include "HtmlWinHost.h"
#include "ImageCache.h"

// An element's backdrop: the image layer's record.
class CHtmlGdiBackdrop : public CHtmlImageBackdrop
{
public:
    void Restart() override { backdrop.vRestart(); }
    CImageBackdrop backdrop;
};

class CHtmlGdiHost : public CHtmlWinHost
{
public:
    HFONT__* GetFont(const FontDesc& description) override;
    void ReleaseFont(HFONT__* font) override;
    HBRUSH__* GetBrush(uint32_t color) override;
    void ReleaseBrush(HBRUSH__* brush) override;
    CHtmlImageSource* GetImage(const std::string& name, void* module) override;
    void ReleaseImage(CHtmlImageSource* image) override;
    void GetImageSize(CHtmlImageSource* image, int32_t* width, int32_t* height) override;
    int32_t GetImageFrames(CHtmlImageSource* image, uint32_t* delayMs) override;
    bool IsImageTransparent(CHtmlImageSource* image) override;
    std::unique_ptr<CHtmlImageBackdrop> NewBackdrop() override;

private:
    CFontCache m_fonts{true};
    CBrushCache m_brushes{true};
    CImageCache m_images{true};
};
