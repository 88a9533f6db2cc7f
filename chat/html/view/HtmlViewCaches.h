// CHtmlViewCaches: a top view's own fonts, brushes and images, made by
// HtmlWnd::CreateCaches. Until then (and in child views, which borrow their
// top view's) the document takes them from its host.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class CBrushCache;
class CFontCache;
class CHtmlImageSource;
class CImageCache;
struct FontDesc;

class CHtmlViewCaches
{
public:
    CHtmlViewCaches();
    ~CHtmlViewCaches();
    CHtmlViewCaches(const CHtmlViewCaches&) = delete;
    CHtmlViewCaches& operator=(const CHtmlViewCaches&) = delete;

    // Makes whichever of the three caches is missing.
    void Create();

    bool HasImages() const { return m_images != nullptr; }
    bool HasBrushes() const { return m_brushes != nullptr; }
    bool HasFonts() const { return m_fonts != nullptr; }

    // Null when the cache is missing (or, for a font, without a description).
    CHtmlImageSource* GetImage(const std::string& name, HMODULE module);
    void ReleaseImage(CHtmlImageSource* image);
    HBRUSH GetBrush(uint32_t color);
    void ReleaseBrush(HBRUSH brush);
    HFONT GetFont(const FontDesc* description);
    void ReleaseFont(HFONT font);

    // Realizes the images' palettes in the window's DC, when there are images.
    void RealizePalettes(HWND window);

private:
    std::unique_ptr<CImageCache> m_images;
    std::unique_ptr<CBrushCache> m_brushes;
    std::unique_ptr<CFontCache> m_fonts;
};
