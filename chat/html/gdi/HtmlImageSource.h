// What an image element holds: chooses the decoder by name (or GIF
// signature), loads from a file or an "IMAGE" resource, and forwards
// drawing and queries to the image (0, -1 or an empty rectangle without).
#pragma once

#include "DibImage.h"
#include "ImageNames.h"

#include <memory>

// The module whose "IMAGE" resources a load without module reads (the
// program's own unless set).
void vSetImageResourceModule(HMODULE hModule);
HMODULE hImageResourceModule();

class CHtmlImageSource
{
public:
    CHtmlImageSource() = default;
    virtual ~CHtmlImageSource() = default;
    CHtmlImageSource(const CHtmlImageSource&) = delete;
    CHtmlImageSource& operator=(const CHtmlImageSource&) = delete;

    // FALSE when the file cannot be opened or its kind is unknown; TRUE once
    // its bytes went to a decoder, even when they did not decode (the image
    // is then empty).
    BOOL boLoadFromFile(const std::string& path);
    // The resource of type "IMAGE" named name in hModule (null: the image
    // resource module). FALSE when missing or of unknown kind.
    BOOL boLoadFromResource(const std::string& name, HMODULE hModule);

    int iDraw(HDC hdc, int x, int y, int iFrame, CImageBackdrop* pOwner = nullptr,
              bool boBackgroundPalette = false);
    int iDrawStretched(HDC hdc, const RECT& rc, int iFrame, CImageBackdrop* pOwner = nullptr,
                       bool boBackgroundPalette = false);
    int iRealizePalette(HDC hdc, bool boBackground);
    HPALETTE hGetPalette() const;
    FdHtml::SImageRect rect() const;
    int iFrameCount(uint32_t* pdwDelayMs) const;
    int iTransparentIndex() const;
    void vEndPaint();

    FdHtml::EImageKind kind() const { return m_kind; }
    CDibImage* image() const { return m_image.get(); }

private:
    BOOL boDecode(FdHtml::EImageKind kind, const uint8_t* p, std::size_t n);

    FdHtml::EImageKind m_kind = FdHtml::kImageUnknown;
    std::unique_ptr<CDibImage> m_image;
};
